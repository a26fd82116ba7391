#pragma once

#include <string>
#include <vector>

namespace banc {

// Seconds from the spawn of the program.
struct DemarrageExterne {
    double affichee = 0;  // its window mapped
    double peinte = 0;    // its window's content drawn
    long rssKio = -1;     // resident memory one second after
};

// The real program, started as a user would (in a fresh folder) under a
// virtual X server of the bench's own, and watched from outside through X:
// shown when its window is mapped, painted when lines across the window are
// no longer the black of the empty screen. Empty when it cannot be done,
// with the reason in `erreur`.
std::vector<DemarrageExterne> DemarrerProgrammeSousXvfb(const std::string& programme, int fois,
                                                        std::string& erreur);

}  // namespace banc
