#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "science/gaz.h"
#include "science/historique_etalonnage.h"

// A year of an instrument's half-days, made here: its V0 drifting 2 % a
// year, 30 % of the half-days cloudy, some mornings hazing smoothly. Each
// half-day's points are made directly in (m, V), as the fit sees them once
// the ozone is out: the recomputation of whole files is tested elsewhere.
namespace science {
namespace {

constexpr double Debut = 20454;  // 2026-01-01, days since 1970
constexpr double DeriveAn = 0.02;

struct Instrument {
    double v0Vert = 2.0, v0Rouge = 1.9;  // at Debut
    // A recalibration: from this day the optics and the header's constants
    // change, the true V0 jumping by `saut`.
    double jourSaut = 1e9, saut = 0;
    double V0(Voie voie, double jour) const {
        const double base = voie == Voie::Vert ? v0Vert : v0Rouge;
        const double t = jour - Debut;
        return base * (1 + DeriveAn * t / 365.25) * (jour >= jourSaut ? 1 + saut : 1);
    }
    int Periode(double jour) const { return jour >= jourSaut ? 1 : 0; }
};

enum class Ciel { Clair, Nuageux, Brumeux };

struct DemiJourVrai {
    double jour;
    Ciel ciel;
    double tauVert, tauRouge;  // the clear aerosol, vertical
};

struct Annee {
    std::vector<DemiJourVrai> demis;
    std::vector<LangleyDate> historique;
    size_t brumeux = 0, nuageux = 0;
};

// ln((V − Vn)·d²) + τ_O3·m_O3 of one channel through a half-day, air mass
// 7 down to 1.5. A clear half-day's aerosol wanders a little in it, as real
// ones do; a hazing morning's grows as the sun climbs, τ = τ0 + c/m, which
// is an exact line with V0 low by e^−c; a cloudy one's light is cut by 10 to
// 80 % on a third of its points.
std::vector<PointLangley> Points(double v0, double tau, Ciel ciel, DemiJour demi,
                                 std::mt19937& hasard) {
    std::normal_distribution<double> bruit(0, 0.005);
    std::normal_distribution<double> derive(0, 0.004);
    std::uniform_real_distribution<double> unite(0, 1);
    const double rayleigh = 0.12;
    const double pente = derive(hasard);
    const double brume = 0.06 + 0.1 * unite(hasard);
    std::vector<PointLangley> p;
    for (double m = 7; m >= 1.5; m -= 0.03) {
        double t = tau + pente * (demi == DemiJour::Matin ? 7 - m : m - 1.5) / 5.5;
        if (ciel == Ciel::Brumeux) t = tau + brume / m;
        double v = v0 * std::exp(-(t + rayleigh) * m) * (1 + bruit(hasard));
        if (ciel == Ciel::Nuageux && unite(hasard) < 0.35) v *= 0.2 + 0.7 * unite(hasard);
        p.push_back({m, std::log(v)});
    }
    return p;
}

Annee FaireAnnee(const Instrument& instrument, unsigned graine) {
    Annee a;
    std::mt19937 hasard(graine);
    std::uniform_real_distribution<double> unite(0, 1);
    for (int j = 0; j < 365; ++j)
        for (DemiJour demi : {DemiJour::Matin, DemiJour::ApresMidi}) {
            const double jour = Debut + j + (demi == DemiJour::Matin ? 0.25 : 0.75);
            const double tirage = unite(hasard);
            Ciel ciel = Ciel::Clair;
            if (tirage < 0.3) ciel = Ciel::Nuageux;
            // One morning in twelve hazes.
            else if (demi == DemiJour::Matin && tirage < 0.3 + 0.7 / 12)
                ciel = Ciel::Brumeux;
            a.nuageux += ciel == Ciel::Nuageux;
            a.brumeux += ciel == Ciel::Brumeux;
            const double tauVert = 0.04 + 0.2 * unite(hasard);
            const double tauRouge = tauVert * std::pow(625.0 / 505, -1.2);
            a.demis.push_back({jour, ciel, tauVert, tauRouge});
            for (Voie voie : {Voie::Vert, Voie::Rouge}) {
                const auto l = ResumerLangley(AjusterVoie(
                    Points(instrument.V0(voie, jour), voie == Voie::Vert ? tauVert : tauRouge, ciel,
                           demi, hasard)));
                if (!l) continue;
                LangleyDate e;
                e.jour = jour;
                e.demi = demi;
                e.voie = voie;
                e.v0 = l->v0;
                e.erreurTypeV0 = l->erreurTypeV0;
                e.accepte = l->accepte;
                e.periode = instrument.Periode(jour);
                a.historique.push_back(e);
            }
        }
    return a;
}

// A clear record as the recomputation gives it, at air mass m.
Resultat Enregistrement(double v0, double tau, Voie voie, double m) {
    Resultat r;
    const double elevation = 90 - std::acos(1 / m) * 180 / M_PI;
    const double ozone = voie == Voie::Vert ? *TauOzone(505, 300) : *TauOzone(625, 300);
    const double rayleigh = voie == Voie::Vert ? *TauRayleigh(505, 1000) : *TauRayleigh(625, 1000);
    const double mOzone = *MasseAirOzone(elevation, 300);
    const double d = 0.99;
    const double v = 0.01 + v0 / (d * d) * std::exp(-(tau + rayleigh) * m - ozone * mOzone);
    r.elevation = elevation;
    r.masseAir = m;
    r.distance = d;
    r.pression = 1000;
    (voie == Voie::Vert ? r.vVert : r.vRouge) = v;
    (voie == Voie::Vert ? r.vnVert : r.vnRouge) = 0.01;
    (voie == Voie::Vert ? r.tauOzoneVert : r.tauOzoneRouge) = ozone;
    (voie == Voie::Vert ? r.tauRayleighVert : r.tauRayleighRouge) = rayleigh;
    return r;
}

TEST(AnneeEtalonnage, DriftingInstrumentThroughACloudyYear) {
    const Instrument instrument;
    const Annee a = FaireAnnee(instrument, 2026);
    EXPECT_NEAR(static_cast<double>(a.nuageux) / a.demis.size(), 0.3, 0.05);
    EXPECT_GT(a.brumeux, 10u);
    RecordProperty("matins_brumeux", static_cast<int>(a.brumeux));

    // No hazing morning takes part in a recommendation: its verdict or the
    // outlier rule keeps it out. Most cloudy half-days fail their verdict.
    const auto statuts = Statuts(a.historique);
    size_t nuageuxAcceptes = 0, nuageux = 0, brumeuxAberrants = 0;
    for (size_t i = 0; i < a.historique.size(); ++i) {
        const LangleyDate& l = a.historique[i];
        const auto& vrai = a.demis[static_cast<size_t>(std::lround((l.jour - Debut - 0.25) * 2))];
        ASSERT_NEAR(vrai.jour, l.jour, 1e-9);
        if (vrai.ciel == Ciel::Brumeux) {
            EXPECT_NE(statuts[i], StatutLangley::Accepte) << l.jour;
            brumeuxAberrants += statuts[i] == StatutLangley::Aberrant;
        }
        if (vrai.ciel == Ciel::Nuageux) {
            ++nuageux;
            nuageuxAcceptes += statuts[i] == StatutLangley::Accepte;
        }
    }
    EXPECT_LT(nuageuxAcceptes, nuageux / 10);
    EXPECT_EQ(brumeuxAberrants, 2 * a.brumeux) << "each caught as an outlier, on both channels";

    for (Voie voie : {Voie::Vert, Voie::Rouge}) {
        // The recommendation through the year.
        double pire = 0;
        for (double jour = Debut; jour < Debut + 365; jour += 3) {
            const auto r = Recommander(a.historique, voie, jour, 0);
            ASSERT_TRUE(r) << jour;
            EXPECT_GE(r->nombre, 3u);
            pire = std::max(pire, std::abs(r->v0 / instrument.V0(voie, jour) - 1));
        }
        EXPECT_LT(pire, 0.005);

        const auto d = DeriveTheilSen(a.historique, voie, 0);
        ASSERT_TRUE(d);
        EXPECT_NEAR(d->pourCentParAn, 100 * DeriveAn / (1 + DeriveAn / 2), 0.5);

        // Level 2.0 on the clear half-days: their records' depths.
        const auto noeuds = Recommandations(a.historique, voie);
        double pireTau = 0;
        size_t niveau2 = 0, niveau15 = 0;
        for (const DemiJourVrai& x : a.demis) {
            if (x.ciel != Ciel::Clair) continue;
            const double tau = voie == Voie::Vert ? x.tauVert : x.tauRouge;
            // Records through the half-day, between the knots.
            for (double m : {1.2, 2.0, 4.0}) {
                const double jour = x.jour + 0.05 * (m - 2.5);
                const auto v0 = InterpolerV0(noeuds, jour, 0);
                if (!v0) {
                    ++niveau15;
                    continue;
                }
                ++niveau2;
                EXPECT_LT(v0->incertitude / v0->v0, 0.01);
                const auto p = ProfondeurAvecV0(
                    Enregistrement(instrument.V0(voie, jour), tau, voie, m), voie, *v0, 300);
                ASSERT_TRUE(p);
                pireTau = std::max(pireTau, std::abs(p->profondeur - tau));
                EXPECT_GT(p->incertitude, 0);
                EXPECT_LT(p->incertitude, 0.02);
            }
        }
        EXPECT_LT(pireTau, 0.01);
        // Only the year's very ends lack a recommendation on one side.
        EXPECT_GT(niveau15, 0u);
        EXPECT_LT(niveau15, 10u);
        // The figures, in the test's XML report.
        const std::string nom = voie == Voie::Vert ? "vert" : "rouge";
        RecordProperty(nom + "_v0_pire_pct", std::to_string(pire * 100));
        RecordProperty(nom + "_derive_pct_an", std::to_string(d->pourCentParAn));
        RecordProperty(nom + "_tau_pire", std::to_string(pireTau));
        RecordProperty(nom + "_niveau2", std::to_string(niveau2));
        RecordProperty(nom + "_niveau15", std::to_string(niveau15));
    }
}

TEST(AnneeEtalonnage, RecalibrationShowsAsTwoPlateausNotARamp) {
    Instrument instrument;
    instrument.jourSaut = Debut + 182;
    instrument.saut = 0.06;
    const Annee a = FaireAnnee(instrument, 7);
    for (Voie voie : {Voie::Vert, Voie::Rouge}) {
        const auto noeuds = Recommandations(a.historique, voie);
        // Right up to the step on each side, each period's own V0.
        double pire = 0;
        for (double jour = instrument.jourSaut - 20; jour < instrument.jourSaut + 20; jour += 0.5) {
            const int periode = instrument.Periode(jour);
            const auto r = Recommander(a.historique, voie, jour, periode);
            ASSERT_TRUE(r) << jour;
            pire = std::max(pire, std::abs(r->v0 / instrument.V0(voie, jour) - 1));
            const auto v0 = InterpolerV0(noeuds, jour, periode);
            if (v0) pire = std::max(pire, std::abs(v0->v0 / instrument.V0(voie, jour) - 1));
        }
        EXPECT_LT(pire, 0.005);
        // The drift of each period is the instrument's, not the step's.
        for (int periode : {0, 1}) {
            const auto d = DeriveTheilSen(a.historique, voie, periode);
            ASSERT_TRUE(d);
            // Half a year of half-days scattered by 1 %: about ±0.5 % a
            // year; the step would make it 12 %.
            EXPECT_NEAR(d->pourCentParAn, 2, 1.5) << periode;
        }

        // Had the change of constants been ignored, the window would average
        // across the step: a ramp, nearly 2 % off the day before it.
        std::vector<LangleyDate> sansPeriodes = a.historique;
        for (LangleyDate& l : sansPeriodes) l.periode = 0;
        const auto r = Recommander(sansPeriodes, voie, instrument.jourSaut - 1, 0);
        ASSERT_TRUE(r);
        const double rampe = std::abs(r->v0 / instrument.V0(voie, instrument.jourSaut - 1) - 1);
        EXPECT_GT(rampe, 0.01);
        const std::string nom = voie == Voie::Vert ? "vert" : "rouge";
        RecordProperty(nom + "_saut_pire_pct", std::to_string(pire * 100));
        RecordProperty(nom + "_rampe_pct", std::to_string(rampe * 100));
    }
}

}  // namespace
}  // namespace science
