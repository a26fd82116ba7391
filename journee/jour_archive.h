#pragma once

#include <optional>
#include <string>

#include "journee/modele.h"
#include "science/fichier_journee.h"
#include "science/recalcul.h"

// A day of the archive rebuilt for the day view (`--archive A --jour
// AAAA-MM-JJ`): its file's series and records as the archive holds them,
// with the settings of its import, so that the view shows what it showed on
// the file itself.
namespace journee {

struct JourArchive {
    std::string source;  // the file it was imported from
    std::string instrument, site;
    science::Journee journee;
    ReglagesModele reglages;  // the import's site, year, ozone and file date
    size_t fichiers = 1;      // files of the archive with records that day
};

// Raises archive::ErreurArchive (French) when the archive cannot be read or
// holds no such day, or several instruments that day and none is chosen.
JourArchive LireJourArchive(const std::string& archive, const science::Date& jour,
                            const std::optional<std::string>& instrument,
                            const std::optional<std::string>& site);

}  // namespace journee
