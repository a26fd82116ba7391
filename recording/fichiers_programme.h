#pragma once

#include <optional>
#include <string>
#include <vector>

namespace recording {

// The program keeps its own files (settings, links, manual, measuring site) in the folder
// that is current when it starts, which is also where the save dialog opens.
// A data file is only ever appended to, so one of those chosen as a data file
// would receive measurement lines.

// The names of the program's own files in its folder.
const std::vector<std::string>& FichiersDuProgramme();

// The name of the program's file that `chemin` designates, through any path
// or link to it, or nothing. A file that does not exist yet is judged by its
// place: "SitesWeb.txt" in the program's folder is the links file even when
// it is missing.
std::optional<std::string> FichierDuProgramme(const std::string& chemin,
                                              const std::string& dossierProgramme);

}  // namespace recording
