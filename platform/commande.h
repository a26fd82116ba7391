#pragma once

#include <ostream>
#include <string>
#include <vector>

// What the command-line programs share: their French error texts, the
// check after each write, the system's zone and language.
namespace platform {

// An error that ends a command-line run with its exit code; French.
struct ArretCommande {
    int code;
    std::string message;
};

// The reader of standard output stopped early (| head): nothing is wrong.
struct LecteurParti {};

inline constexpr char SortieStandard[] = "la sortie standard";

// "Fichier introuvable" as the programs say it; the system's own text for
// the rest, so the user learns the cause.
std::string TexteErreurSysteme(int erreur);

// After a write to `nom` (a file's name, or SortieStandard): a failed stream
// raises ArretCommande{code, "Impossible d'écrire …"} with the error the
// buffer kept, or LecteurParti when standard output's reader went away.
void VerifierSortie(std::ostream& flux, const std::string& nom, int code);
// The same once the stream's buffer is emptied, at the end of a run.
void TerminerSortie(std::ostream& flux, const std::string& nom, int code);

// The system's error texts in French, where the machine has a French
// locale. Only messages and characters: numbers keep the C locale's point.
void MessagesEnFrancais();

// The folders that may hold the program's own files: the current one and
// the installed program's (SOLVENARE_DOSSIER, else ~/Solvenare).
std::vector<std::string> DossiersProgramme();

// The system's zone by name (TZ, else /etc/localtime's link), "" when the
// system names none.
std::string FuseauSysteme();

}  // namespace platform
