#pragma once

#include <string>
#include <vector>

#include "platform/textfile.h"

// The settings file "Parametres.txt": a banner, the section header and the
// chosen port name.

inline const char* const FichierParametres = "Parametres.txt";
inline const char* const BanniereParametres = "SOLVENARE V1.0 - Paramètres";
inline const char* const SectionPortSerie = "[PortSerie]";

// The port names the file records, in file order. Lines are taken in pairs
// from the top and the header counts only as the second of a pair; the line
// after it is the name (empty past the end of the file).
std::vector<std::string> PortsEnregistres(const std::vector<std::string>& lignes);

// The three lines written for a port name.
std::vector<std::string> LignesParametres(const std::string& port);

// Runs an operation on one of the program's own files (settings, links) in
// the program's folder; its failure names the file, as the data file's do.
template <typename Operation>
decltype(auto) SurFichierDuProgramme(const std::string& dossier, const std::string& nom,
                                     Operation operation) {
    try {
        return operation();
    } catch (const EInOutError& e) {
        throw EInOutError(e.ErrorCode(), dossier + "/" + nom);
    }
}
