#include "science/aerosol.h"

#include <cmath>

namespace science {

namespace {

// Each input's contribution to u(τ_a), signed: ∂τ_a/∂x · u(x).
struct Contributions {
    double v0 = 0, lecture = 0, pression = 0, ozone = 0;
    double Totale() const {
        return std::sqrt(v0 * v0 + lecture * lecture + pression * pression + ozone * ozone);
    }
};

Contributions Contribuer(const VoieAerosol& voie, const Trajet& t, const IncertitudesEntrees& u) {
    Contributions c;
    c.v0 = u.v0Relative / t.masseAir;
    c.lecture = -u.volts / (voie.v - voie.vn) / t.masseAir;
    // τ_R is proportional to the pressure.
    c.pression = -voie.tauRayleigh * u.pressionHpa / t.pression;
    c.ozone = -voie.tauOzone * u.ozoneRelative * t.masseAirOzone / t.masseAir;
    return c;
}

}  // namespace

std::optional<double> ProfondeurAerosol(const VoieAerosol& voie, const Trajet& t) {
    // Written so that a NaN anywhere also ends here.
    if (!(voie.vn < voie.v) || !(voie.v0 > 0)) return std::nullopt;
    if (!std::isfinite(t.masseAir) || !(t.masseAir > 0) || !(t.distance > 0)) return std::nullopt;
    const double totale =
        (std::log(voie.v0 / (t.distance * t.distance)) - std::log(voie.v - voie.vn)) / t.masseAir;
    const double aerosol = totale - voie.tauRayleigh - voie.tauOzone * t.masseAirOzone / t.masseAir;
    if (!std::isfinite(aerosol)) return std::nullopt;
    return aerosol;
}

IncertitudeAerosol Incertitudes(const VoieAerosol& vert, const VoieAerosol& rouge, const Trajet& t,
                                double lambdaVert, double lambdaRouge,
                                const IncertitudesEntrees& u) {
    return Incertitudes(vert, rouge, t, lambdaVert, lambdaRouge, u, u);
}

IncertitudeAerosol Incertitudes(const VoieAerosol& vert, const VoieAerosol& rouge, const Trajet& t,
                                double lambdaVert, double lambdaRouge,
                                const IncertitudesEntrees& uVert,
                                const IncertitudesEntrees& uRouge) {
    IncertitudeAerosol r;
    const auto tauVert = ProfondeurAerosol(vert, t);
    const auto tauRouge = ProfondeurAerosol(rouge, t);
    const Contributions cv = Contribuer(vert, t, uVert);
    const Contributions cr = Contribuer(rouge, t, uRouge);
    if (tauVert) r.vert = cv.Totale();
    if (tauRouge) r.rouge = cr.Totale();
    if (!tauVert || !tauRouge || !(*tauVert > 0) || !(*tauRouge > 0)) return r;
    // α = −ln(τ_v / τ_r) / ln(λ_v / λ_r)
    const double l = std::log(lambdaVert / lambdaRouge);
    if (!std::isfinite(l) || l == 0) return r;
    const double av = -1 / (*tauVert * l), ar = 1 / (*tauRouge * l);
    const double v0 = av * cv.v0, v0r = ar * cr.v0;
    const double lec = av * cv.lecture, lecr = ar * cr.lecture;
    const double p = av * cv.pression + ar * cr.pression;
    const double o = av * cv.ozone + ar * cr.ozone;
    const double ua = std::sqrt(v0 * v0 + v0r * v0r + lec * lec + lecr * lecr + p * p + o * o);
    if (std::isfinite(ua)) r.angstrom = ua;
    return r;
}

}  // namespace science
