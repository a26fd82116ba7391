#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/dossier.h"

// The real programs, run in a folder on real files.
struct Execution {
    int code = -1;
    std::string sortie, erreurs;
};

// Runs `programme` in the folder with these arguments; `avant` runs in the
// child before exec (limits, signals, environment).
inline Execution Lancer(const char* programme, const Dossier& d,
                        const std::vector<std::string>& arguments,
                        const std::function<void()>& avant = {}) {
    const std::string sortie = d.Fichier(".sortie.txt"), erreurs = d.Fichier(".erreurs.txt");
    const pid_t enfant = fork();
    if (enfant == 0) {
        if (chdir(d.chemin.c_str()) != 0) _exit(120);
        const int out = open(sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(121);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv = {const_cast<char*>(programme)};
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        setenv("LANG", "C", 1);
        unsetenv("LANGUAGE");
        unsetenv("DISPLAY");
        setenv("HOME", d.chemin.c_str(), 1);
        if (avant) avant();
        execv(programme, argv.data());
        _exit(122);
    }
    int statut = 0;
    waitpid(enfant, &statut, 0);
    Execution r;
    r.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : 128 + WTERMSIG(statut);
    r.sortie = LireOctets(sortie);
    r.erreurs = LireOctets(erreurs);
    return r;
}

inline Execution LancerArchive(const Dossier& d, const std::vector<std::string>& arguments,
                               const std::function<void()>& avant = {}) {
    return Lancer(SOLVENARE_ARCHIVE, d, arguments, avant);
}

inline Execution LancerJournee(const Dossier& d, const std::vector<std::string>& arguments) {
    return Lancer(SOLVENARE_JOURNEE, d, arguments);
}
