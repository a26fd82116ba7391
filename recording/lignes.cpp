#include "recording/lignes.h"

namespace recording {

namespace {

std::string LigneDate(const EnTete& e) {
    return "-- Date     : " + e.date;
}

std::string LignePhotometre(const EnTete& e) {
    return "-- Photomètre n°" + e.photometre + " Logiciel v" + e.logiciel;
}

std::string LignePression(const EnTete& e) {
    return "-- Pression : " + e.pression + " hPa";
}

constexpr char DebutAngle[] = "-- Angle d'élévation solaire : ";
constexpr char Etalonnage[] = "ETALONNAGE";
constexpr char Colonnes[] = "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température";

}  // namespace

std::string LigneCreation() {
    return "SOLVENARE";
}

std::vector<std::string> LignesEnTeteA(const EnTete& e) {
    return {
        LigneDate(e),
        LignePhotometre(e),
        LignePression(e),
        DebutAngle + e.angle + " deg",
        Etalonnage,
        "-- V0Vert  = " + e.v0Vert + "V" + " VnVert  = " + e.vnVert + "V",
        "-- V0Rouge = " + e.v0Rouge + "V" + " VnRouge = " + e.vnRouge + "V",
        Colonnes,
    };
}

std::vector<std::string> LignesEnTeteB(const EnTete& e) {
    return {
        LigneDate(e),
        LignePhotometre(e),
        LignePression(e),
        DebutAngle + e.angle + "deg",
        Etalonnage,
        "-- V0Vert = " + e.v0Vert + "V" + "-- VnVert = " + e.vnVert + "V",
        "-- V0Rouge= " + e.v0Rouge + "V" + "-- VnRouge= " + e.vnRouge + "V",
        Colonnes,
    };
}

std::string LigneEnregistrement(const std::string& mode, const std::string& heure,
                                const std::string& vVert, const std::string& eoVert,
                                const std::string& vRouge, const std::string& eoRouge,
                                const std::string& temperature) {
    return mode + ";" + heure + ";" + vVert + ";" + eoVert + ";" + vRouge + ";" + eoRouge + ";" +
           temperature;
}

}  // namespace recording
