#pragma once

#include <optional>
#include <string>
#include <vector>

// Where --csv may write. The raw data file is the only copy of a day: the
// export never lands on it, on another data file, or on one of the
// program's own files, whatever path or link names them.
namespace journee {

// The same file: by device and inode when both exist, otherwise by the
// place that remains once links and dots are resolved.
bool MemeFichier(const std::string& a, const std::string& b);

// Why cible must not be written (French, for the command line), or nothing.
// entree is the data file read; dossiersProgramme the folders that may hold
// the program's own files.
std::optional<std::string> RefusCible(const std::string& cible, const std::string& entree,
                                      const std::vector<std::string>& dossiersProgramme);

}  // namespace journee
