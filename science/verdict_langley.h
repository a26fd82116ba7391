#pragma once

#include <optional>
#include <string>
#include <vector>

#include "science/langley.h"

// Whether a Langley fit can be trusted to calibrate: the checks the day view
// shows and the command line reports, from one place so that they agree.
namespace science {

struct VoieLangley {
    std::vector<PointLangley> points;
    std::optional<AjustementLangley> ajustement;
    double ecartType = 0;               // of the residuals of the points kept, in ln units
    double masseMin = 0, masseMax = 0;  // of the points kept
};

// The fit of one channel's points and the spread of what it kept.
VoieLangley AjusterVoie(std::vector<PointLangley> points);

// The kinds of check follow Harrison & Michalsky (1994), "Objective
// algorithms for the retrieval of optical depths from ground-based
// measurements", Appl. Opt. 33, 5126–5132 (enough points, a wide air-mass
// span, small and steady residuals, few outliers); the numbers are the day
// view's own, and 5 V is what the expert entries accept for V0.
struct CriteresLangley {
    size_t pointsMin = 20;
    double etendueMasse = 2;  // kept points must span this much air mass
    double r2Min = 0.99;
    double ecartTypeMax = 0.02;  // residuals, in ln units: about 2 %
    double exclusMax = 0.15;     // share of outliers
    double v0Max = 5.0;          // volts
};

// In the order the checks are made and named.
enum class CritereLangley { Points, Etendue, R2, Dispersion, Exclus, Pente, V0 };

struct DefautLangley {
    CritereLangley critere;
    std::string texte;  // French, begins with the channel's name
};

// What fails on one channel ("voie verte"); empty when it passes. A channel
// without a fit fails on its points alone.
std::vector<DefautLangley> DefautsLangley(const VoieLangley& ajustee, const std::string& voie,
                                          const CriteresLangley& criteres = {});

// "ok", or the failed checks' names in their order, each once, joined by
// '+': "r2+dispersion".
std::string CodeVerdict(const std::vector<DefautLangley>& defauts);

// A code in French, for a half-day kept with its code only: "r2+dispersion"
// gives "R² trop faible, dispersion trop grande (ciel instable)".
std::string TexteVerdict(const std::string& code);

}  // namespace science
