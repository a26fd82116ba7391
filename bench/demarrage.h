#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace banc {

// Started as `app_bench --enfant-demarrage FD`, the bench does what the
// program's entry does, reports its timings on FD and ends.
inline constexpr const char* OptionEnfant = "--enfant-demarrage";
int EnfantDemarrage(int argc, char** argv, int fd);

// Seconds from the spawn of the process.
struct Demarrage {
    double application = 0;  // the Qt application built
    double fenetre = 0;      // the window built
    double peinte = 0;       // the window shown and its first paint done
    long rssKio = -1;        // resident memory then
};

// The window started cold in a process of its own (this program again, in a
// fresh folder). Nothing when it fails, with the reason in `erreur`.
std::optional<Demarrage> DemarrerEnfant(std::string& erreur);

// Spawns a program in a folder, with these variables added to the
// environment. -1 on failure.
pid_t Lancer(const std::vector<std::string>& arguments, const std::string& dossier,
             const std::vector<std::string>& variables);

// A fresh private folder under /tmp.
std::string DossierTemporaire(const std::string& prefixe);

}  // namespace banc
