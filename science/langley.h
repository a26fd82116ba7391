#pragma once

#include <optional>
#include <vector>

#include "science/recalcul.h"

// The Langley fit: on a clear morning ln((V − Vn)·d²) falls in a straight
// line with the air mass; its intercept is ln V0, the instrument's constant,
// and its slope minus the total optical depth (the aerosol and Rayleigh
// depth when the ozone is taken out, as PointsLangley does given the site).
namespace science {

struct PointLangley {
    double masseAir = 0;
    double y = 0;  // ln((V − Vn)·d²)
};

struct ReglagesLangley {
    double masseMin = 2, masseMax = 6;
    // A point whose residual exceeds this many robust standard deviations
    // (1.4826 × the median absolute residual) is left out and the line
    // fitted again, until no point changes side (at most 10 rounds).
    double seuil = 3;
};

struct AjustementLangley {
    double v0 = 0, erreurTypeV0 = 0;  // volts
    double pente = 0;                 // the slope: minus the optical depth of the points
    double r2 = 0;
    size_t points = 0;          // used in the fit
    size_t exclus = 0;          // inside the air-mass range but left out as outliers
    std::vector<bool> retenus;  // per point given: whether the fit used it
};

// Nothing when fewer than three points remain.
std::optional<AjustementLangley> AjusterLangley(const std::vector<PointLangley>& points,
                                                const ReglagesLangley& reglages = {});

enum class Voie { Vert, Rouge };

// The points of one series between two times of day on its clock (seconds;
// a range that ends before it starts runs past midnight), for one channel.
// Given the site's altitude (m), each point's ozone absorption τ_O3·m_O3 is
// added back: the ozone's air mass is not the aerosol's, so left in it bends
// the line at low sun and lowers V0. A record without its ozone depth or
// elevation is then left out.
std::vector<PointLangley> PointsLangley(const std::vector<Resultat>& resultats, size_t serie,
                                        Voie voie, int debut, int fin,
                                        std::optional<double> altitudeSansOzone = std::nullopt);

}  // namespace science
