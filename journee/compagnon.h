#pragma once

#include <string>

// The programs of Solvenare start one another (the seasons window the day
// view, the day view the seasons): each finds the other beside itself.
namespace journee {

// `nom` in `ici` (installed side by side), else in the build tree's
// `../dossier/` (each program in its own folder), else `nom` alone, for the
// PATH.
std::string Compagnon(const std::string& ici, const std::string& nom, const std::string& dossier);

// The folder of the running program.
std::string DossierDuProgramme();

}  // namespace journee
