#pragma once

#include <string>
#include <vector>

namespace recording {

// The lines of the data file, in UTF-8; the file converts them to
// Windows-1252 and ends each with CR LF. The fields are the texts on screen
// at the moment of writing.

inline constexpr char ModeSimple[] = "Simple";
inline constexpr char ModeContinu[] = "Continu";

// First line of a file the program creates.
std::string LigneCreation();

// What a header block shows: the date label, the identification labels, the
// pressure and elevation fields, and the four calibration labels.
struct EnTete {
    std::string date, photometre, logiciel, pression, angle, v0Vert, vnVert, v0Rouge, vnRouge;
};

// Block A follows a plain validation, block B a write into the photometer;
// they differ in the elevation line and in the two calibration lines.
std::vector<std::string> LignesEnTeteA(const EnTete& e);
std::vector<std::string> LignesEnTeteB(const EnTete& e);

// Seven fields joined by ";", none after the last.
std::string LigneEnregistrement(const std::string& mode, const std::string& heure,
                                const std::string& vVert, const std::string& eoVert,
                                const std::string& vRouge, const std::string& eoRouge,
                                const std::string& temperature);

}  // namespace recording
