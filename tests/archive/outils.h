#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "archive/importation.h"
#include "archive/sqlite.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

// Lyon's settings for the test files, written in 2026.
inline archive::ReglagesImport Lyon() {
    archive::ReglagesImport r;
    r.site = SiteLyon;
    r.annee = 2026;
    return r;
}

// An archive taken back to an earlier schema, as an older program left it:
// its tables and columns, its version of the computation.
inline void SchemaPrecedent(archive::Connexion& base, int version) {
    if (version < 3)
        base.Executer(
            "DROP TABLE noeuds; DROP INDEX resumes_jours_a_revoir; ALTER TABLE resumes_jours DROP "
            "COLUMN niveau20; ALTER TABLE resumes_jours DROP COLUMN a_revoir; DELETE FROM "
            "reglages WHERE cle = 'noeuds_a_revoir'");
    if (version < 2) base.Executer("DROP TABLE langleys");
    base.Executer("PRAGMA user_version = " + std::to_string(version) +
                  "; UPDATE reglages SET valeur = '" + std::to_string(version) +
                  "' WHERE cle = 'version_calcul'");
}

// The real programs, run in a folder on real files.
struct Execution {
    int code = -1;
    std::string sortie, erreurs;
    long memoireKo = 0;  // the child's peak resident memory
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
    rusage usage{};
    wait4(enfant, &statut, 0, &usage);
    Execution r;
    r.memoireKo = usage.ru_maxrss;
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
