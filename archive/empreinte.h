#pragma once

#include <string>
#include <string_view>

struct evp_md_ctx_st;

// SHA-256 of a data file's bytes, so that a file that changed is told from
// one that grew: the imported bytes' hash must still be that of the file's
// beginning. OpenSSL's libcrypto computes it (with the processor's SHA
// instructions where it has them: a file is hashed at each import).
namespace archive {

class Empreinte {
  public:
    Empreinte();
    // The hash so far, to go on from here: the original goes on too.
    Empreinte(const Empreinte& autre);
    Empreinte& operator=(const Empreinte&) = delete;
    ~Empreinte();
    void Ajouter(std::string_view octets);
    // 64 lower-case hexadecimal digits; the object is spent after.
    std::string Hex();

  private:
    evp_md_ctx_st* contexte_;
};

std::string EmpreinteDe(std::string_view octets);

}  // namespace archive
