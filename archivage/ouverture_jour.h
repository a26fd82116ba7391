#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/jours.h"
#include "science/langley_demi_journee.h"
#include "science/site.h"

// A day clicked in the seasons window, opened in the day view: from its
// file when the file still holds the bytes the archive imported, with the
// import's settings; else rebuilt from the archive.
namespace archivage {

// The day's source file as found on disk.
struct SourceJour {
    std::string chemin;   // "" when the archive names none
    bool intact = false;  // there, beginning with the bytes imported
    science::Site site;   // the import's settings
    std::optional<int> annee;
    std::optional<double> ozone;
};

// The file holding most of that day's records for that site and
// instrument. Raises ErreurArchive when the archive cannot be read.
SourceJour TrouverSource(archive::Archive& archive, const archive::ResumeJour& jour);

// solvenare-journee's arguments: `FICHIER --archive A --site … --fuseau …
// [--annee …] [--ozone …]` for an intact file, else `--archive A --jour AAAA-MM-JJ
// --instrument N --site NOM`. Numbers are written so that they read back
// to the same values: the day view's additions then match the import.
// With a half-day (the calibration tab's click), `--demi-journee` opens its
// Langley: dated for a file, which may hold several days.
std::vector<std::string> CommandeJour(const std::string& archive, const archive::ResumeJour& jour,
                                      const SourceJour& source,
                                      std::optional<science::DemiJour> demi = {});

}  // namespace archivage
