#include "science/historique_etalonnage.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "science/aerosol.h"
#include "science/gaz.h"

namespace science {

namespace {

constexpr double JoursParAn = 365.25;

double Mediane(std::vector<double> v) {
    const size_t n = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + n, v.end());
    if (v.size() % 2 == 1) return v[n];
    return (v[n] + *std::max_element(v.begin(), v.begin() + n)) / 2;
}

struct Moyenne {
    double v0 = 0, ecartType = 0, erreurType = 0;
};

// Weighted by 1/u², a half-day without a standard error counting as the
// others' median one.
Moyenne MoyennePonderee(const std::vector<LangleyDate>& h, const std::vector<size_t>& garde) {
    std::vector<double> erreurs;
    for (size_t i : garde)
        if (h[i].erreurTypeV0 > 0) erreurs.push_back(h[i].erreurTypeV0);
    const double defaut = erreurs.empty() ? 1 : Mediane(erreurs);
    double somme = 0, poids = 0;
    for (size_t i : garde) {
        const double u = h[i].erreurTypeV0 > 0 ? h[i].erreurTypeV0 : defaut;
        somme += h[i].v0 / (u * u);
        poids += 1 / (u * u);
    }
    Moyenne m;
    m.v0 = somme / poids;
    double carres = 0;
    for (size_t i : garde) carres += (h[i].v0 - m.v0) * (h[i].v0 - m.v0);
    const double n = static_cast<double>(garde.size());
    m.ecartType = n > 1 ? std::sqrt(carres / (n - 1)) : 0;
    // The larger of the internal error and the scatter's: half-days that
    // disagree beyond their fits' errors say the errors are too small.
    m.erreurType = std::max(std::sqrt(1 / poids), m.ecartType / std::sqrt(n));
    return m;
}

}  // namespace

double JourDemiJour(const Date& date, DemiJour demi) {
    using namespace std::chrono;
    const sys_days jour{year{date.annee} / month{static_cast<unsigned>(date.mois)} /
                        day{static_cast<unsigned>(date.jour)}};
    return static_cast<double>(jour.time_since_epoch().count()) +
           (demi == DemiJour::Matin ? 0.25 : 0.75);
}

std::vector<int> NumeroterPeriodes(const std::vector<ConstantesEtalonnage>& c) {
    std::vector<int> p;
    for (size_t i = 0; i < c.size(); ++i)
        p.push_back(i == 0 ? 0 : p.back() + (c[i] == c[i - 1] ? 0 : 1));
    return p;
}

namespace {

// The history's indices in order of day, so that a window is found by
// bisection rather than by a scan: a recommendation at every half-day of
// years of them would otherwise cost the square of their number.
struct Ordre {
    std::vector<size_t> indices;
    std::vector<double> jours;
    explicit Ordre(const std::vector<LangleyDate>& h) : indices(h.size()) {
        for (size_t i = 0; i < h.size(); ++i) indices[i] = i;
        std::stable_sort(indices.begin(), indices.end(),
                         [&](size_t a, size_t b) { return h[a].jour < h[b].jour; });
        for (size_t i : indices) jours.push_back(h[i].jour);
    }
};

bool Candidat(const LangleyDate& l, Voie voie, double jour, int periode,
              const ReglagesEtalonnage& r) {
    return l.voie == voie && l.accepte && l.periode == periode &&
           std::abs(l.jour - jour) <= r.fenetreJours / 2 && l.v0 > 0;
}

// The window's candidates in the history's order, as a scan finds them: a
// day of margin on both sides, the exact test then deciding.
std::vector<size_t> Candidats(const std::vector<LangleyDate>& h, const Ordre& o, Voie voie,
                              double jour, int periode, const ReglagesEtalonnage& r) {
    const double marge = r.fenetreJours / 2 + 1;
    const auto debut = std::lower_bound(o.jours.begin(), o.jours.end(), jour - marge);
    const auto fin = std::upper_bound(debut, o.jours.end(), jour + marge);
    std::vector<size_t> c;
    for (auto k = debut; k != fin; ++k) {
        const size_t i = o.indices[static_cast<size_t>(k - o.jours.begin())];
        if (Candidat(h[i], voie, jour, periode, r)) c.push_back(i);
    }
    std::sort(c.begin(), c.end());
    return c;
}

std::optional<Recommandation> RecommanderParmi(const std::vector<LangleyDate>& h,
                                               const std::vector<size_t>& candidats,
                                               const ReglagesEtalonnage& r);

}  // namespace

std::optional<Recommandation> Recommander(const std::vector<LangleyDate>& h, Voie voie, double jour,
                                          int periode, const ReglagesEtalonnage& r) {
    std::vector<size_t> candidats;
    for (size_t i = 0; i < h.size(); ++i)
        if (Candidat(h[i], voie, jour, periode, r)) candidats.push_back(i);
    return RecommanderParmi(h, candidats, r);
}

namespace {

std::optional<Recommandation> RecommanderParmi(const std::vector<LangleyDate>& h,
                                               const std::vector<size_t>& candidats,
                                               const ReglagesEtalonnage& r) {
    if (candidats.size() < r.minimum) return std::nullopt;
    // Hazy half-days give good-looking lines with V0 far off: the robust
    // deviation about the recommendation sets them aside, and the mean is
    // taken again without them until no half-day changes side.
    std::vector<bool> aberrant(candidats.size(), false);
    Moyenne m;
    for (int tour = 0; tour < 20; ++tour) {
        std::vector<size_t> garde;
        for (size_t k = 0; k < candidats.size(); ++k)
            if (!aberrant[k]) garde.push_back(candidats[k]);
        if (garde.size() < r.minimum) return std::nullopt;
        m = MoyennePonderee(h, garde);
        // The first round measures from the median: one outlier with a
        // small error could pull the weighted mean its own way.
        std::vector<double> valeurs;
        for (size_t i : garde) valeurs.push_back(h[i].v0);
        const double centre = tour == 0 ? Mediane(valeurs) : m.v0;
        std::vector<double> ecarts;
        for (size_t i : garde) ecarts.push_back(std::abs(h[i].v0 - centre));
        // A floor, so that identical half-days are not cut by rounding.
        const double limite =
            std::max(r.seuilAberrant * 1.4826 * Mediane(ecarts), 1e-9 * std::abs(centre));
        std::vector<bool> nouveau(candidats.size());
        for (size_t k = 0; k < candidats.size(); ++k)
            nouveau[k] = std::abs(h[candidats[k]].v0 - centre) > limite;
        if (nouveau == aberrant) break;
        aberrant = nouveau;
    }
    Recommandation rec;
    rec.v0 = m.v0;
    rec.ecartType = m.ecartType;
    rec.erreurType = m.erreurType;
    for (size_t k = 0; k < candidats.size(); ++k)
        if (aberrant[k]) rec.aberrants.push_back(candidats[k]);
    rec.nombre = candidats.size() - rec.aberrants.size();
    return rec;
}

}  // namespace

std::vector<StatutLangley> Statuts(const std::vector<LangleyDate>& h, const ReglagesEtalonnage& r) {
    std::vector<StatutLangley> s(h.size(), StatutLangley::Rejete);
    const Ordre ordre(h);
    for (size_t i = 0; i < h.size(); ++i) {
        if (!h[i].accepte) continue;
        s[i] = StatutLangley::Accepte;
        const auto rec =
            RecommanderParmi(h, Candidats(h, ordre, h[i].voie, h[i].jour, h[i].periode, r), r);
        if (rec &&
            std::find(rec->aberrants.begin(), rec->aberrants.end(), i) != rec->aberrants.end())
            s[i] = StatutLangley::Aberrant;
    }
    return s;
}

std::optional<Derive> DeriveTheilSen(const std::vector<LangleyDate>& h, Voie voie, int periode,
                                     const ReglagesEtalonnage& r) {
    const std::vector<StatutLangley> statuts = Statuts(h, r);
    std::vector<size_t> a;
    for (size_t i = 0; i < h.size(); ++i)
        if (h[i].voie == voie && statuts[i] == StatutLangley::Accepte && h[i].periode == periode &&
            h[i].v0 > 0)
            a.push_back(i);
    std::vector<double> pentes, v0;
    for (size_t x = 0; x < a.size(); ++x) {
        v0.push_back(h[a[x]].v0);
        for (size_t y = x + 1; y < a.size(); ++y) {
            const double dt = h[a[y]].jour - h[a[x]].jour;
            // Two half-days of one day say nothing of a drift over months.
            if (std::abs(dt) < 1) continue;
            pentes.push_back((h[a[y]].v0 - h[a[x]].v0) / dt * JoursParAn);
        }
    }
    if (pentes.empty()) return std::nullopt;
    Derive d;
    d.voltsParAn = Mediane(pentes);
    d.pourCentParAn = 100 * d.voltsParAn / Mediane(v0);
    d.nombre = a.size();
    return d;
}

std::vector<RecommandationDatee> Recommandations(const std::vector<LangleyDate>& h, Voie voie,
                                                 const ReglagesEtalonnage& r) {
    std::vector<std::pair<double, int>> noeuds;
    for (const LangleyDate& l : h)
        if (l.voie == voie && l.accepte) noeuds.emplace_back(l.jour, l.periode);
    std::sort(noeuds.begin(), noeuds.end());
    noeuds.erase(std::unique(noeuds.begin(), noeuds.end()), noeuds.end());
    std::vector<RecommandationDatee> s;
    const Ordre ordre(h);
    for (const auto& [jour, periode] : noeuds)
        if (const auto rec = RecommanderParmi(h, Candidats(h, ordre, voie, jour, periode, r), r))
            s.push_back({jour, periode, *rec});
    return s;
}

std::optional<V0Niveau2> InterpolerV0(const std::vector<RecommandationDatee>& s, double jour,
                                      int periode, const ReglagesEtalonnage& r) {
    const RecommandationDatee* avant = nullptr;
    const RecommandationDatee* apres = nullptr;
    for (const RecommandationDatee& x : s) {
        if (x.periode != periode || std::abs(x.jour - jour) > r.fenetreJours / 2) continue;
        if (x.jour <= jour && (avant == nullptr || x.jour > avant->jour)) avant = &x;
        if (x.jour >= jour && (apres == nullptr || x.jour < apres->jour)) apres = &x;
    }
    if (avant == nullptr || apres == nullptr) return std::nullopt;
    return InterpolerEntre(*avant, *apres, jour);
}

V0Niveau2 InterpolerEntre(const RecommandationDatee& avant, const RecommandationDatee& apres,
                          double jour) {
    const double f =
        apres.jour > avant.jour ? (jour - avant.jour) / (apres.jour - avant.jour) : 0.0;
    const Recommandation& a = avant.recommandation;
    const Recommandation& b = apres.recommandation;
    V0Niveau2 v;
    v.v0 = a.v0 + f * (b.v0 - a.v0);
    const double erreur = a.erreurType + f * (b.erreurType - a.erreurType);
    const double ecart = (b.v0 - a.v0) / 2;
    v.incertitude = std::sqrt(erreur * erreur + ecart * ecart);
    return v;
}

namespace {

// A recomputed record's channel with another V0, and its path.
struct CanalNiveau2 {
    VoieAerosol voie;
    Trajet trajet;
    IncertitudesEntrees u;
};

std::optional<CanalNiveau2> Canal(const Resultat& r, Voie voie, const V0Niveau2& v0,
                                  double altitudeM, const IncertitudesEntrees& u) {
    const bool vert = voie == Voie::Vert;
    const auto& v = vert ? r.vVert : r.vRouge;
    const auto& vn = vert ? r.vnVert : r.vnRouge;
    const auto& rayleigh = vert ? r.tauRayleighVert : r.tauRayleighRouge;
    const auto& ozone = vert ? r.tauOzoneVert : r.tauOzoneRouge;
    if (!v || !vn || !rayleigh || !ozone || !r.elevation || !r.masseAir || !r.distance)
        return std::nullopt;
    const auto masseOzone = MasseAirOzone(*r.elevation, altitudeM);
    if (!masseOzone) return std::nullopt;
    // The pressure only scales the Rayleigh depth's uncertainty.
    const double pression = r.pression ? *r.pression : PressionReference;
    CanalNiveau2 c{
        {*v, v0.v0, *vn, *rayleigh, *ozone}, {*r.distance, *r.masseAir, *masseOzone, pression}, u};
    c.u.v0Relative = v0.incertitude / v0.v0;
    return c;
}

}  // namespace

std::optional<ProfondeurNiveau2> ProfondeurAvecV0(const Resultat& r, Voie voie, const V0Niveau2& v0,
                                                  double altitudeM, const IncertitudesEntrees& u) {
    const bool vert = voie == Voie::Vert;
    const auto c = Canal(r, voie, v0, altitudeM, u);
    if (!c) return std::nullopt;
    const auto tau = ProfondeurAerosol(c->voie, c->trajet);
    if (!tau) return std::nullopt;
    // The other channel does not enter a channel's own uncertainty.
    const VoieAerosol sans{0, 0, 0, 0, 0};
    const IncertitudeAerosol i = vert ? Incertitudes(c->voie, sans, c->trajet, 505, 625, c->u)
                                      : Incertitudes(sans, c->voie, c->trajet, 505, 625, c->u);
    const auto& ui = vert ? i.vert : i.rouge;
    return ProfondeurNiveau2{*tau, ui.value_or(0)};
}

bool PasserNiveau2(Resultat& r, const V0Niveau2& vert, const V0Niveau2& rouge, double altitudeM,
                   double lambdaVert, double lambdaRouge, const IncertitudesEntrees& u) {
    if (r.critere != Critere::Aucun) return false;
    const auto cv = Canal(r, Voie::Vert, vert, altitudeM, u);
    const auto cr = Canal(r, Voie::Rouge, rouge, altitudeM, u);
    if (!cv) return false;
    const auto tauVert = ProfondeurAerosol(cv->voie, cv->trajet);
    if (!tauVert) return false;
    const VoieAerosol sans{0, 0, 0, 0, 0};
    const auto tauRouge = cr ? ProfondeurAerosol(cr->voie, cv->trajet) : std::nullopt;
    const IncertitudeAerosol i = Incertitudes(cv->voie, cr ? cr->voie : sans, cv->trajet,
                                              lambdaVert, lambdaRouge, cv->u, cr ? cr->u : cv->u);
    r.eoVert = tauVert;
    r.eoRouge = tauRouge;
    r.angstrom = ExposantAngstrom(tauVert, tauRouge, lambdaVert, lambdaRouge);
    r.uEoVert = i.vert;
    r.uEoRouge = i.rouge;
    r.uAngstrom = i.angstrom;
    r.niveau20 = true;
    return true;
}

}  // namespace science
