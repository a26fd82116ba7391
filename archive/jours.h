#pragma once

#include <optional>
#include <string>
#include <vector>

#include "science/recalcul.h"

// The archive's days at a glance: for each day of each site and instrument,
// how many records it holds and the spread of its values (level 2.0 where it
// has any, else level 1.5). What the seasons window draws and
// `solvenare-archive jours` prints.

namespace archive {

class Archive;

// Over the day's level-2.0 records when it has any, else over its level-1.5
// ones: each value has one level.
struct Plage {
    double mediane = 0, min = 0, max = 0;
};

struct ResumeJour {
    science::Date jour;       // the site's local date
    std::string site;         // the site's name
    std::string instrument;   // the photometer's number, as its header gives it
    int enregistrements = 0;  // every record of the day
    int niveau15 = 0;         // those at level 1.5
    // Those at level 2.0: at level 1.5, with both channels' V0 interpolated
    // between recommendations before and after them.
    int niveau20 = 0;
    bool NiveauDeux() const { return niveau20 > 0; }  // the spreads' level
    std::optional<Plage> vert, rouge, angstrom;
};

// Nothing set: every day.
struct ChoixJours {
    std::optional<science::Date> du, au;  // inclusive
    std::optional<std::string> instrument, site;
};

// In order of day, then site, then instrument.
std::vector<ResumeJour> Jours(Archive& archive, const ChoixJours& choix);

}  // namespace archive
