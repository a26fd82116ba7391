#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "journee/modele.h"
#include "science/langley.h"
#include "science/langley_demi_journee.h"
#include "science/recalcul.h"
#include "science/verdict_langley.h"

// The Langley fit of a range of the day: the range chosen (a half-day or
// hours dragged on the plot) and the fit of both channels with its verdict.
namespace journee {

// The science's half-day: the first record to the highest sun, or from there on.
using DemiJournee = science::DemiJour;

struct PlageLangley {
    size_t serie = 0;
    int debut = 0, fin = 0;  // times of day on the series' clock, seconds
};

// The records of a series before (morning) or after (afternoon) its highest
// sun; nothing when the series has no elevation.
std::optional<PlageLangley> PlageDemiJournee(const std::vector<science::Resultat>& resultats,
                                             size_t serie, DemiJournee demi);

// The series a half-day is asked of: the last one with a record on that
// local date, or the last of the file without a date; nothing when none.
std::optional<size_t> SerieDuJour(const std::vector<science::Resultat>& resultats,
                                  size_t nombreSeries, const std::optional<science::Date>& jour);

// A range dragged on the plot, in the points' hours: the series with the
// most records in it.
std::optional<PlageLangley> PlageHeures(const std::vector<PointJournee>& points,
                                        const std::vector<science::Resultat>& resultats,
                                        double debut, double fin);

using science::CriteresLangley;
using science::VoieLangley;

struct VerdictLangley {
    bool bon = false;
    std::string code;                  // CodeVerdict's: "ok" or "r2+dispersion"
    std::string titre;                 // one sentence
    std::vector<std::string> raisons;  // what failed, or what was checked
};

struct Langley {
    PlageLangley plage;
    VoieLangley vert, rouge;
    VerdictLangley verdict;
};

// The site's altitude (m) gives the ozone's air mass: each point has its
// ozone absorption taken out, as in the calibration history, so that both
// give the same V0 for the same records.
Langley CalculerLangley(const std::vector<science::Resultat>& resultats, const PlageLangley& plage,
                        double altitude, const CriteresLangley& criteres = {});

// "08:12:30"
std::string TexteHeure(int secondes);

}  // namespace journee
