#include "science/langley.h"

#include <algorithm>
#include <cmath>

#include "science/gaz.h"

namespace science {

namespace {

struct Droite {
    double a = 0, b = 0;  // y = a + b x
    double erreurA = 0, r2 = 0;
};

std::optional<Droite> Moindres(const std::vector<PointLangley>& p, const std::vector<bool>& garde) {
    double n = 0, sx = 0, sy = 0;
    for (size_t i = 0; i < p.size(); ++i)
        if (garde[i]) {
            n += 1;
            sx += p[i].masseAir;
            sy += p[i].y;
        }
    if (n < 3) return std::nullopt;
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0, syy = 0;
    for (size_t i = 0; i < p.size(); ++i)
        if (garde[i]) {
            const double dx = p[i].masseAir - mx, dy = p[i].y - my;
            sxx += dx * dx;
            sxy += dx * dy;
            syy += dy * dy;
        }
    if (!(sxx > 0)) return std::nullopt;
    Droite d;
    d.b = sxy / sxx;
    d.a = my - d.b * mx;
    const double residus = std::max(0.0, syy - d.b * sxy);
    d.r2 = syy > 0 ? 1 - residus / syy : 1;
    const double variance = residus / (n - 2);
    d.erreurA = std::sqrt(variance * (1 / n + mx * mx / sxx));
    return d;
}

}  // namespace

std::optional<AjustementLangley> AjusterLangley(const std::vector<PointLangley>& tous,
                                                const ReglagesLangley& reglages) {
    std::vector<PointLangley> p;
    std::vector<size_t> origine;
    for (size_t i = 0; i < tous.size(); ++i) {
        const PointLangley& q = tous[i];
        if (q.masseAir >= reglages.masseMin && q.masseAir <= reglages.masseMax &&
            std::isfinite(q.y)) {
            p.push_back(q);
            origine.push_back(i);
        }
    }
    std::vector<bool> garde(p.size(), true);
    std::optional<Droite> d = Moindres(p, garde);
    for (int tour = 0; d && tour < 10; ++tour) {
        std::vector<double> ecarts;
        for (const PointLangley& q : p) ecarts.push_back(std::abs(q.y - d->a - d->b * q.masseAir));
        std::vector<double> tries = ecarts;
        std::nth_element(tries.begin(), tries.begin() + tries.size() / 2, tries.end());
        // A floor, so that points on an exact line are not cut by rounding.
        const double limite = std::max(reglages.seuil * 1.4826 * tries[tries.size() / 2], 1e-9);
        std::vector<bool> nouveau(p.size());
        for (size_t i = 0; i < p.size(); ++i) nouveau[i] = ecarts[i] <= limite;
        if (nouveau == garde) break;
        const auto suivant = Moindres(p, nouveau);
        if (!suivant) break;
        garde = nouveau;
        d = suivant;
    }
    if (!d) return std::nullopt;
    AjustementLangley r;
    r.v0 = std::exp(d->a);
    r.erreurTypeV0 = r.v0 * d->erreurA;
    r.pente = d->b;
    r.r2 = d->r2;
    r.points = static_cast<size_t>(std::count(garde.begin(), garde.end(), true));
    r.exclus = p.size() - r.points;
    r.retenus.assign(tous.size(), false);
    for (size_t i = 0; i < p.size(); ++i) r.retenus[origine[i]] = garde[i];
    return r;
}

std::vector<PointLangley> PointsLangley(const std::vector<Resultat>& resultats, size_t serie,
                                        Voie voie, int debut, int fin,
                                        std::optional<double> altitudeSansOzone) {
    std::vector<PointLangley> points;
    for (const Resultat& r : resultats) {
        if (r.serie != serie) continue;
        const int t = r.secondesHorloge;
        const bool dedans = debut <= fin ? t >= debut && t <= fin : t >= debut || t <= fin;
        const auto& v = voie == Voie::Vert ? r.vVert : r.vRouge;
        const auto& vn = voie == Voie::Vert ? r.vnVert : r.vnRouge;
        if (!dedans || !v || !vn || !r.masseAir || !r.distance || !(*v > *vn)) continue;
        double y = std::log((*v - *vn) * *r.distance * *r.distance);
        if (altitudeSansOzone) {
            const auto& ozone = voie == Voie::Vert ? r.tauOzoneVert : r.tauOzoneRouge;
            const auto masseOzone =
                r.elevation ? MasseAirOzone(*r.elevation, *altitudeSansOzone) : std::nullopt;
            if (!ozone || !masseOzone) continue;
            y += *ozone * *masseOzone;
        }
        points.push_back({*r.masseAir, y});
    }
    return points;
}

}  // namespace science
