#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "science/historique_etalonnage.h"
#include "science/langley_demi_journee.h"

// The calibration history an archive holds: each instrument's half-day
// Langleys as the science takes them, and what the science makes of them
// (recommended V0, drift, outliers). Nothing is computed here but reading.
namespace archive {

struct DemiJourneeArchivee {
    science::Date date;
    science::DemiJour demi = science::DemiJour::Matin;
    science::Voie voie = science::Voie::Vert;
    science::LangleyDemiJour langley;
    science::ConstantesEtalonnage enTete;  // the series' header: the period's key
};

struct HistoriqueInstrument {
    std::string instrument;  // the photometer's number
    // In date order, the morning first, green before red.
    std::vector<DemiJourneeArchivee> demiJournees;
    std::vector<science::LangleyDate> historique;  // the same, as the science takes them
    std::vector<science::StatutLangley> statuts;   // the same again
};

// Each instrument's history (only `instrument`'s when given), in the order
// of the instruments' numbers. An archive whose half-days another version
// of the computation made has them made again for this reading, not stored.
// The statuses are left empty when not asked for: they cost a
// recommendation per half-day.
std::vector<HistoriqueInstrument> Historiques(Archive& archive,
                                              const std::optional<std::string>& instrument = {},
                                              bool statuts = true);

// One channel at its latest half-day: the recommendation there, the drift
// of its calibration period, and the V0 the instrument then held.
struct EtatCanal {
    science::Voie voie = science::Voie::Vert;
    science::Date date;
    std::optional<science::Recommandation> recommandation;
    std::optional<science::Derive> derive;
    double v0EnTete = 0;
};
std::optional<EtatCanal> EtatRecent(const HistoriqueInstrument& h, science::Voie voie,
                                    const science::ReglagesEtalonnage& reglages = {});

// French, for the import report: when the V0 the instrument holds differs
// from the recommendation by more than twice its standard deviation.
std::optional<std::string> AvisConstantes(const HistoriqueInstrument& h,
                                          const science::ReglagesEtalonnage& reglages = {});

}  // namespace archive
