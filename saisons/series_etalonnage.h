#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/etalonnage.h"
#include "journee/lien_v0.h"

// What the calibration tab draws for one instrument and channel, and what
// its hover says and its button carries: pure, tested without a window.
namespace saisons {

// One half-day's V0, at its place on the time axis (days since 1970, the
// half-day's middle).
struct PointV0 {
    double x = 0;
    double v0 = 0, erreurType = 0;  // volts at 1 AU
    science::StatutLangley statut = science::StatutLangley::Rejete;
    size_t indice = 0;  // in the instrument's history
};

// The recommendation at an accepted half-day, with its band.
struct NoeudV0 {
    double x = 0, v0 = 0, ecartType = 0;
};

struct PeriodeV0 {
    int periode = 0;
    std::vector<NoeudV0> noeuds;  // the line breaks between periods
    std::optional<science::Derive> derive;
    double debut = 0, fin = 0;  // its half-days' span on the time axis
};

struct CanalEtalonnage {
    science::Voie voie = science::Voie::Vert;
    std::vector<PointV0> points;
    std::vector<PeriodeV0> periodes;  // in time order
    // The V0 axis: the accepted half-days with their errors and the bands,
    // 10 % room; rejected and outlying half-days may fall outside it.
    double yMin = 0, yMax = 1;
    double xMin = 0, xMax = 1;  // every half-day of the channel
};

CanalEtalonnage SeriesEtalonnage(const archive::HistoriqueInstrument& historique,
                                 science::Voie voie);

// "dérive : +1,9 %/an", or "dérive : —" when too few half-days give one.
std::string TexteDerive(const std::optional<science::Derive>& derive);

// "accepté", "rejeté", "aberrant"
std::string TexteStatut(science::StatutLangley statut);

// The hover of a half-day: its date and half, V0 ± error, slope, R²,
// points kept and left out, the verdict and its fate; several lines.
std::string TexteDemiJournee(const archive::DemiJourneeArchivee& demi,
                             science::StatutLangley statut);

// The latest recommended V0s of both channels, for the main window's expert
// mode; or why there is nothing to carry (French).
struct ReportRecommande {
    std::optional<journee::ReportV0> report;
    std::string texte;  // what the V0s are and from when, or why not
};
ReportRecommande V0ARecommander(const archive::HistoriqueInstrument& historique);

// The point nearest (x, y) on screen within `rayon` pixels, `parX` and
// `parY` pixels per axis unit; its index in `points`.
std::optional<size_t> PointProche(const std::vector<PointV0>& points, double x, double y,
                                  double parX, double parY, double rayon);

}  // namespace saisons

namespace saisons {

// The history the calibration tab shows for the instrument chosen (every
// one without a choice: the only one, if so); or, without one, why (French).
struct HistoriqueChoisi {
    const archive::HistoriqueInstrument* historique = nullptr;
    std::string pourquoi;
};
HistoriqueChoisi ChoisirHistorique(const std::vector<archive::HistoriqueInstrument>& historiques,
                                   const std::optional<std::string>& instrument);

// The window's warning: each chosen instrument (every one without a
// choice) whose held V0 strays from the recommendation, one sentence a
// line, capitalised; empty when none does.
std::string AvisInstruments(const std::vector<archive::HistoriqueInstrument>& historiques,
                            const std::optional<std::string>& instrument);

}  // namespace saisons
