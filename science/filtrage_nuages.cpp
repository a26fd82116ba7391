#include "science/filtrage_nuages.h"

#include <algorithm>
#include <cmath>

namespace science {

namespace {

// The per-record byte of the first pass.
constexpr uint8_t Valeur = 1;
constexpr uint8_t TripletEchec = 2;
constexpr uint8_t LissageEchec = 4;

// Triplet stability, Smirnov et al. (2000): within a triplet, max − min of
// the depth must not exceed 0.02 or 0.03 τ, whichever is greater. The
// network's triplet is three readings 30 s apart (1 min); this instrument
// reads one at a time, 30 s to 2 min apart, so a reading's triplets are the
// (up to) three runs of three consecutive readings that hold it, counted
// only when they span at most 6 min (two steps of the slowest pace, with
// room for a late reading). A reading passes when one of them is stable:
// a lone spike spoils all three of its own, while its neighbours keep a
// clean one on their other side. A reading with no such run (readings far
// apart) cannot be judged by it and goes on to the next criteria.
constexpr double TripletDureeMax = 360;  // s
constexpr double TripletEcartMin = 0.02;
constexpr double TripletEcartRelatif = 0.03;

// Diurnal stability check, Smirnov et al. (2000): a day whose depths (after
// the triplet criterion) have a standard deviation under 0.015 is clear
// enough that the smoothness criterion is skipped. A series stands for the
// network's day.
constexpr double StabiliteEcartType = 0.015;

// Smoothness criterion, Smirnov et al. (2000):
// D = sqrt(1/(N−1) Σ ((ln τ_i − ln τ_{i+1}) / (t_i − t_{i+1}))²), t in days;
// while D > 16 the reading that breaks the smoothness is removed and D computed
// again. Adapted to single readings:
// - D is computed in a window of the 10 readings on each side of the one
//   judged (those that passed the triplet criterion), not the whole day, so
//   that the first pass keeps bounded state; the reading fails when the
//   removal reaches it before D falls to 16.
// - The reading removed is the one farthest from the window's median of
//   ln τ. Removing the one whose steps weigh most, in a window this short,
//   takes the clear readings beside a run of steady cloudy ones (a thick
//   cloud reads one count above the dark voltage) as often as the run.
// - The network's readings come about 15 min apart; at this instrument's
//   pace one count of noise would look like a fast change. A step shorter
//   than 15 min is counted as 15 min, so D bounds the change of ln τ from one
//   reading to the next to about 16 × 15 min / 1 day = 0.17.
// - ln τ needs τ > 0: a depth under 0.01 (within the noise of zero once the
//   gases are removed) is taken as 0.01.
constexpr double LissageSeuil = 16;        // per day
constexpr double LissagePasMin = 15 * 60;  // s
constexpr double LissageTauMin = 0.01;
constexpr double SecondesParJour = 86400;

// Three-sigma rule, Smirnov et al. (2000): a depth beyond three standard
// deviations of the day's mean (of the readings left by the criteria
// before) is removed. Applied to the green depth only: with 505 and 625 nm
// so close, the Ångström exponent's scatter is mostly noise.
constexpr double TroisSigmaFacteur = 3;

// Data availability, Smirnov et al. (2000): a day left with fewer than three
// readings is removed whole.
constexpr size_t EffectifMin = 3;

}  // namespace

const char* NomCritere(Critere c) {
    switch (c) {
        case Critere::Aucun:
            return "";
        case Critere::SansValeur:
            return "sans_valeur";
        case Critere::Triplet:
            return "triplet";
        case Critere::Effectif:
            return "effectif";
        case Critere::Lissage:
            return "lissage";
        case Critere::TroisSigma:
            return "trois_sigma";
    }
    return "?";
}

const char* NiveauCritere(Critere c) {
    return c == Critere::Aucun ? "1.5" : "1.0";
}

void FiltreNuages::Moyenne::Ajouter(double x) {
    ++n;
    const double ecart = x - moyenne;
    moyenne += ecart / static_cast<double>(n);
    m2 += ecart * (x - moyenne);
}

double FiltreNuages::Moyenne::EcartType() const {
    return n > 1 ? std::sqrt(m2 / static_cast<double>(n - 1)) : 0.0;
}

void FiltreNuages::Ajouter(size_t serie, std::optional<double> utc, std::optional<double> tau) {
    if (series_.size() <= serie) series_.resize(serie + 1);
    Serie& s = series_[serie];
    if (s.conclue) return;  // a record after the first pass has no verdict
    const size_t indice = s.codes.size();
    const bool valeur = utc && tau && std::isfinite(*utc) && std::isfinite(*tau);
    s.codes.push_back(valeur ? Valeur : 0);
    if (!valeur) return;
    s.triplets.push_back({indice, *utc, *tau});
    JugerTriplet(s, false);
}

void FiltreNuages::JugerTriplet(Serie& s, bool fin) {
    auto& v = s.triplets;
    while (s.prochainTriplet < v.size() && (fin || s.prochainTriplet + 2 < v.size())) {
        const size_t p = s.prochainTriplet++;
        bool jugeable = false, stable = false;
        for (size_t debut = p >= 2 ? p - 2 : 0; debut <= p; ++debut) {
            if (debut + 2 >= v.size()) break;
            double tMin = v[debut].t, tMax = tMin, bas = v[debut].tau, haut = bas, somme = 0;
            for (size_t i = debut; i < debut + 3; ++i) {
                tMin = std::min(tMin, v[i].t);
                tMax = std::max(tMax, v[i].t);
                bas = std::min(bas, v[i].tau);
                haut = std::max(haut, v[i].tau);
                somme += v[i].tau;
            }
            if (tMax - tMin > TripletDureeMax) continue;
            jugeable = true;
            if (haut - bas <= std::max(TripletEcartMin, TripletEcartRelatif * somme / 3))
                stable = true;
        }
        if (jugeable && !stable) {
            s.codes[v[p].indice] |= TripletEchec;
        } else {
            s.apresTriplet.Ajouter(v[p].tau);
            s.lisses.push_back(v[p]);
            s.lisses.back().lnTau = std::log(std::max(v[p].tau, LissageTauMin));
            JugerLissage(s, false);
        }
    }
    // Two readings before the next to judge are all its triplets need.
    if (s.prochainTriplet > 2) {
        const size_t retrait = s.prochainTriplet - 2;
        v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(retrait));
        s.prochainTriplet -= retrait;
    }
}

void FiltreNuages::JugerLissage(Serie& s, bool fin) {
    constexpr size_t H = DemiFenetreLissage;
    auto& v = s.lisses;
    struct Pas {
        double t, y;
        bool juge;
    };
    std::vector<Pas> f;
    std::vector<double> y;
    while (s.prochainLisse < v.size() && (fin || s.prochainLisse + H < v.size())) {
        const size_t c = s.prochainLisse++;
        const size_t debut = c >= H ? c - H : 0, finF = std::min(v.size(), c + H + 1);
        f.clear();
        for (size_t i = debut; i < finF; ++i) f.push_back({v[i].t, v[i].lnTau, i == c});
        const auto taux = [&](size_t i) {  // the step from i to i + 1, per day
            const double pas = std::max(std::abs(f[i + 1].t - f[i].t), LissagePasMin);
            return (f[i + 1].y - f[i].y) / (pas / SecondesParJour);
        };
        bool echec = false;
        while (f.size() >= EffectifMin) {
            double somme = 0;
            for (size_t i = 0; i + 1 < f.size(); ++i) somme += taux(i) * taux(i);
            if (std::sqrt(somme / static_cast<double>(f.size() - 1)) <= LissageSeuil) break;
            // The reading farthest from the window's median goes.
            y.clear();
            for (const Pas& p : f) y.push_back(p.y);
            std::nth_element(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(y.size() / 2),
                             y.end());
            const double mediane = y[y.size() / 2];
            size_t pire = 0;
            for (size_t i = 1; i < f.size(); ++i)
                if (std::abs(f[i].y - mediane) > std::abs(f[pire].y - mediane)) pire = i;
            if (f[pire].juge) {
                echec = true;
                break;
            }
            f.erase(f.begin() + static_cast<std::ptrdiff_t>(pire));
        }
        if (echec)
            s.codes[v[c].indice] |= LissageEchec;
        else
            s.apresLissage.Ajouter(v[c].tau);
    }
    if (s.prochainLisse > H) {
        const size_t retrait = s.prochainLisse - H;
        v.erase(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(retrait));
        s.prochainLisse -= retrait;
    }
}

void FiltreNuages::Conclure(Serie& s) {
    if (s.conclue) return;
    JugerTriplet(s, true);
    JugerLissage(s, true);
    s.stable = s.apresTriplet.n >= EffectifMin && s.apresTriplet.EcartType() < StabiliteEcartType;
    s.triplets = {};
    s.lisses = {};
    s.conclue = true;
}

void FiltreNuages::Conclure() {
    for (Serie& s : series_) Conclure(s);
}

Critere FiltreNuages::Verdict(size_t serie, std::optional<double> tau) {
    if (serie >= series_.size()) return Critere::SansValeur;
    Serie& s = series_[serie];
    Conclure(s);
    if (s.curseur >= s.codes.size()) return Critere::SansValeur;
    const uint8_t code = s.codes[s.curseur++];
    if (!(code & Valeur) || !tau || !std::isfinite(*tau)) return Critere::SansValeur;
    if (code & TripletEchec) return Critere::Triplet;
    if (s.apresTriplet.n < EffectifMin) return Critere::Effectif;
    if (!s.stable) {
        if (code & LissageEchec) return Critere::Lissage;
        if (s.apresLissage.n < EffectifMin) return Critere::Effectif;
    }
    const Moyenne& m = s.stable ? s.apresTriplet : s.apresLissage;
    const double sigma = m.EcartType();
    if (sigma > 0 && std::abs(*tau - m.moyenne) > TroisSigmaFacteur * sigma)
        return Critere::TroisSigma;
    return Critere::Aucun;
}

void FiltreNuages::Ajouter(const Resultat& r) {
    std::optional<double> utc;
    if (r.utc) utc = static_cast<double>(*r.utc);
    Ajouter(r.serie, utc, r.eoVert);
    derniereLigne_ = std::max(derniereLigne_.value_or(0), r.ligne);
}

bool FiltreNuages::Marquer(Resultat& r) {
    if (!derniereLigne_ || r.ligne > *derniereLigne_) return false;
    const Critere c = Verdict(r.serie, r.eoVert);
    r.critere = c;
    return true;
}

std::vector<Critere> FiltrerNuages(const std::vector<Resultat>& resultats) {
    FiltreNuages filtre;
    for (const Resultat& r : resultats) filtre.Ajouter(r);
    filtre.Conclure();
    std::vector<Critere> verdicts;
    verdicts.reserve(resultats.size());
    for (const Resultat& r : resultats) verdicts.push_back(filtre.Verdict(r.serie, r.eoVert));
    return verdicts;
}

void MarquerNiveaux(std::vector<Resultat>& resultats) {
    const std::vector<Critere> verdicts = FiltrerNuages(resultats);
    for (size_t i = 0; i < resultats.size(); ++i) resultats[i].critere = verdicts[i];
}

}  // namespace science
