#pragma once

#include <ostream>
#include <string>

#include "archivage/options.h"

namespace archivage {

inline constexpr int SortieSucces = 0;
inline constexpr int SortieFichier = 1;    // a file or the archive that cannot be read or written
inline constexpr int SortieArguments = 2;  // a bad command line

// Where the archive is by default: the program's folder, the current one
// when it holds the settings file, else the installed program's
// (SOLVENARE_DOSSIER or ~/Solvenare) when it exists.
std::string ArchiveParDefaut();

// Runs a command on parsed options. Results go to sortie, French messages to
// erreurs.
int Executer(const Options& options, std::ostream& sortie, std::ostream& erreurs);

}  // namespace archivage
