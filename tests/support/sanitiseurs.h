#pragma once

// Under the sanitizers a program runs many times slower, and their own
// memory (ASan's quarantine keeps what is freed) hides the program's.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool Sanitiseurs = true;
#else
constexpr bool Sanitiseurs = false;
#endif
