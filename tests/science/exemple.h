#pragma once

#include <string>
#include <vector>

#include "recording/lignes.h"

// Data files as the program writes them, built with the program's own line
// writer so that the reader is tested against what is really on disk.
namespace science::exemple {

inline recording::EnTete EnTeteExemple(const std::string& date = "Vendredi 17 Octobre - ") {
    return {date, "7", "1,2", "820", "40", "2,00", "0,10", "2,00", "0,10"};
}

inline std::string Simple(const std::string& heure, const std::string& vVert,
                          const std::string& vRouge, const std::string& temperature = "21") {
    return recording::LigneEnregistrement(recording::ModeSimple, heure + "  ", vVert, "0,50",
                                          vRouge, "0,60", temperature);
}

inline std::vector<std::string> Fichier(std::vector<std::vector<std::string>> morceaux) {
    std::vector<std::string> lignes;
    for (auto& m : morceaux) lignes.insert(lignes.end(), m.begin(), m.end());
    return lignes;
}

}  // namespace science::exemple
