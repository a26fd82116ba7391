#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "science/langley.h"
#include "science/recalcul.h"
#include "science/verdict_langley.h"

// One half-day's Langley calibration of one channel, as the calibration
// history keeps it: the day view's fit and verdict on the records before
// (morning) or after (afternoon) the highest sun, the ozone taken out.
namespace science {

enum class DemiJour { Matin, ApresMidi };

struct LangleyDemiJour {
    double v0 = 0, erreurTypeV0 = 0;  // volts, at 1 AU
    double pente = 0;
    double r2 = 0;
    size_t points = 0, exclus = 0;
    std::string verdict;  // CodeVerdict's: "ok" or "r2+dispersion"
    bool accepte = false;
};

// The range of a series' clock (seconds) from its first record to its
// highest sun (morning) or from there to its last (afternoon); nothing when
// the series has no elevation.
std::optional<std::pair<int, int>> BornesDemiJour(const std::vector<Resultat>& resultats,
                                                  size_t serie, DemiJour demi);

// The summary of a fitted channel; nothing when there was no fit.
std::optional<LangleyDemiJour> ResumerLangley(const VoieLangley& ajustee,
                                              const CriteresLangley& criteres = {});

// The half-day's fit of one channel of one series; the site's altitude (m)
// gives the ozone's air mass. Nothing when the half-day has no elevation or
// too few points for a line.
std::optional<LangleyDemiJour> LangleyDemiJournee(const std::vector<Resultat>& resultats,
                                                  size_t serie, DemiJour demi, Voie voie,
                                                  double altitudeM,
                                                  const CriteresLangley& criteres = {});

}  // namespace science
