#include "science/filtrage_nuages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "measurement/calculs.h"
#include "science/masse_air.h"
#include "science/soleil.h"

namespace science {
namespace {

// A synthetic day as the instrument would see it: the sun's true path over
// Lyon, the Kasten and Young (1989) air mass, voltages from Beer–Lambert
// with Rayleigh, ozone, the aerosol and any cloud in the path, read in
// counts of 5/1024 V with one count of noise and written to the millivolt,
// then turned back into depths by the program's own formula.
struct Lecture {
    double utc;
    std::optional<double> vert, rouge;  // aerosol depths, gases removed
    bool nuage;
    // The clear sun's green signal under 20 counts above the dark voltage
    // (hazy sunsets): one count of noise is 5 % of it or more, and the
    // triplet criterion rightly leaves such readings out.
    bool faible = false;
};

enum class Ciel { Clair, Nuages, Brume, Pic };

constexpr double Compte = 5.0 / 1024;  // V
constexpr double V0Vert = 2.12, V0Rouge = 2.05, Vn = 0.01;
constexpr int Pression = 1008;
// The ozone depths of 300 DU (Chappuis band), vertical.
constexpr double OzoneVert = 0.012, OzoneRouge = 0.030;

class Generateur {
  public:
    explicit Generateur(uint32_t graine) : hasard_(graine) {}
    double Uniforme() { return (static_cast<double>(hasard_()) + 0.5) / 4294967296.0; }
    double Normale() {  // Box–Muller, the same on every library
        return std::sqrt(-2 * std::log(Uniforme())) * std::cos(2 * M_PI * Uniforme());
    }

  private:
    std::mt19937 hasard_;
};

std::vector<Lecture> Journee(Ciel ciel, uint32_t graine = 7) {
    const Site lyon{45.764, 4.8357, 170, "UTC+1"};
    const Meteo meteo{static_cast<double>(Pression), 15};
    Generateur g(graine);
    // 2026-04-15 from 06:00 to 18:00 UTC.
    const double debut = 1776211200 + 6 * 3600.0, fin = debut + 12 * 3600.0;
    // Cloud passages: 12 of 4 to 20 min at random through the day, each of a
    // depth of 0.3 to 8 at its thickest, thinning to nothing at its edges,
    // and erratic within (a factor of 2 either way from one reading to the
    // next).
    struct Passage {
        double debut, fin, epaisseur;
    };
    std::vector<Passage> passages;
    if (ciel == Ciel::Nuages)
        for (int i = 0; i < 12; ++i) {
            const double d = debut + g.Uniforme() * (fin - debut);
            passages.push_back({d, d + 60 * (4 + 16 * g.Uniforme()),
                                0.3 * std::exp(g.Uniforme() * std::log(8 / 0.3))});
        }
    const double pic = debut + 5.3 * 3600;
    bool picPlace = false;
    std::vector<Lecture> jour;
    for (double t = debut; t < fin; t += 30 + 90 * g.Uniforme()) {
        const double heures = (t - debut) / 3600;
        double aerosol = 0.10 + 0.015 * std::sin(heures / 12 * M_PI);
        if (ciel == Ciel::Brume) aerosol = 0.08 + 0.35 * heures / 12;  // haze building all day
        double nuage = 0;
        for (const Passage& c : passages)
            if (t >= c.debut && t < c.fin)
                nuage = c.epaisseur *
                        std::sqrt(std::sin(M_PI * (t - c.debut) / (c.fin - c.debut))) *
                        std::exp(0.7 * g.Normale());
        if (ciel == Ciel::Pic && !picPlace && t >= pic) {
            nuage = 0.4;  // one reading through a wisp
            picPlace = true;
        }
        const PositionSoleil p = CalculerPositionSoleil(t, lyon, meteo);
        const auto m = MasseAirKastenYoung(p.elevationApparente);
        if (!m || p.elevationApparente < 2) continue;
        const double rapport = Pression / 1013.25;
        Lecture l{t, {}, {}, nuage > 0};
        l.faible =
            V0Vert / (p.distance * p.distance) *
                std::exp(-*m * (aerosol + measurement::TauRayleighVert * rapport + OzoneVert)) <
            20 * Compte;
        // α 1.3 between the channels; clouds are grey.
        const double aerosolRouge = aerosol * std::pow(625.0 / 505.0, -1.3);
        const auto lire = [&](double v0, double tauTotal, double rayleigh,
                              double ozone) -> std::optional<double> {
            const double v = Vn + v0 / (p.distance * p.distance) * std::exp(-*m * tauTotal);
            const double lu =
                std::round(std::round(v / Compte + g.Normale()) * Compte * 1000) / 1000;
            const auto eo =
                measurement::EpaisseurOptique(lu, v0, Vn, rayleigh, p.distance, rapport, *m);
            if (!eo) return std::nullopt;
            return static_cast<double>(*eo) - ozone;
        };
        l.vert = lire(V0Vert, aerosol + nuage + measurement::TauRayleighVert * rapport + OzoneVert,
                      measurement::TauRayleighVert, OzoneVert);
        l.rouge = lire(V0Rouge,
                       aerosolRouge + nuage + measurement::TauRayleighRouge * rapport + OzoneRouge,
                       measurement::TauRayleighRouge, OzoneRouge);
        jour.push_back(l);
    }
    return jour;
}

std::vector<Critere> Filtrer(const std::vector<Lecture>& jour) {
    FiltreNuages f;
    for (const Lecture& l : jour) f.Ajouter(0, l.utc, l.vert);
    f.Conclure();
    std::vector<Critere> v;
    for (const Lecture& l : jour) v.push_back(f.Verdict(0, l.vert));
    return v;
}

struct Parts {
    size_t nuages = 0, nuagesEcartes = 0, clairs = 0, clairsGardes = 0;
};

Parts Compter(const std::vector<Lecture>& jour, const std::vector<Critere>& v) {
    Parts p;
    for (size_t i = 0; i < jour.size(); ++i) {
        const bool garde = v[i] == Critere::Aucun;
        if (jour[i].faible && !jour[i].nuage) continue;
        if (jour[i].nuage) {
            ++p.nuages;
            p.nuagesEcartes += !garde;
        } else {
            ++p.clairs;
            p.clairsGardes += garde;
        }
    }
    return p;
}

TEST(FiltrageNuages, SyntheticDays) {
    struct Cas {
        const char* nom;
        Ciel ciel;
        double clairsGardesMin;  // share
    };
    for (const Cas& c : {Cas{"clear", Ciel::Clair, 0.99}, Cas{"clouds", Ciel::Nuages, 0.95},
                         Cas{"haze", Ciel::Brume, 0.99}, Cas{"spike", Ciel::Pic, 0.99}}) {
        for (uint32_t graine : {7u, 11u, 2026u}) {
            const auto jour = Journee(c.ciel, graine);
            const auto v = Filtrer(jour);
            const Parts p = Compter(jour, v);
            ASSERT_GT(p.clairs, 300u) << c.nom;
            EXPECT_GE(p.clairsGardes, c.clairsGardesMin * static_cast<double>(p.clairs))
                << c.nom << " " << graine << ": " << p.clairsGardes << " of " << p.clairs;
            if (c.ciel == Ciel::Nuages) {
                ASSERT_GT(p.nuages, 50u);
                EXPECT_GE(p.nuagesEcartes, 0.9 * static_cast<double>(p.nuages))
                    << graine << ": " << p.nuagesEcartes << " of " << p.nuages;
            }
            if (c.ciel == Ciel::Pic) {
                ASSERT_EQ(p.nuages, 1u);
                EXPECT_EQ(p.nuagesEcartes, 1u) << graine;
            }
        }
    }
}

// The shares kept and the means before and after, for the notes.
TEST(FiltrageNuages, MeansBeforeAndAfter) {
    for (const Ciel ciel : {Ciel::Clair, Ciel::Nuages}) {
        const auto jour = Journee(ciel);
        const auto v = Filtrer(jour);
        struct Somme {
            double vert = 0, rouge = 0, alpha = 0;
            size_t n = 0, nAlpha = 0;
        } avant, apres;
        for (size_t i = 0; i < jour.size(); ++i) {
            if (!jour[i].vert || !jour[i].rouge) continue;
            const auto alpha = ExposantAngstrom(jour[i].vert, jour[i].rouge, 505, 625);
            for (Somme* s : {&avant, v[i] == Critere::Aucun ? &apres : nullptr}) {
                if (!s) continue;
                s->vert += *jour[i].vert;
                s->rouge += *jour[i].rouge;
                ++s->n;
                if (alpha) {
                    s->alpha += *alpha;
                    ++s->nAlpha;
                }
            }
        }
        std::printf(
            "%s: %zu readings, %zu kept (%.1f %%); green %.4f -> %.4f, red %.4f -> %.4f, "
            "alpha %.3f -> %.3f\n",
            ciel == Ciel::Clair ? "clear" : "clouds", jour.size(), apres.n,
            100.0 * static_cast<double>(apres.n) / static_cast<double>(jour.size()),
            avant.vert / avant.n, apres.vert / apres.n, avant.rouge / avant.n,
            apres.rouge / apres.n, avant.alpha / avant.nAlpha, apres.alpha / apres.nAlpha);
        // Kept readings come back to the day's true depths: 0.10 to 0.115
        // green, α 1.3.
        EXPECT_NEAR(apres.vert / static_cast<double>(apres.n), 0.11, 0.01);
        EXPECT_NEAR(apres.alpha / static_cast<double>(apres.nAlpha), 1.3, 0.15);
    }
}

TEST(FiltrageNuages, CriteriaByName) {
    // Hand-made series of (seconds, depth): the first criterion failed by
    // each marked reading, and its name.
    struct Cas {
        const char* nom;
        std::vector<std::optional<double>> tau;  // a reading every minute
        size_t indice;
        Critere attendu;
    };
    std::vector<std::optional<double>> regulier(60, 0.1);
    auto pic = regulier;
    pic[30] = 0.3;
    // A smooth ramp, then readings far apart that jump: no triplets among
    // them, so the smoothness criterion is what sees the jumps.
    const std::vector<std::optional<double>> rampe = [] {
        std::vector<std::optional<double>> v;
        for (int i = 0; i < 60; ++i) v.push_back(0.1 + 0.004 * i);
        return v;
    }();
    auto trou = rampe;
    trou[20] = std::nullopt;
    auto aberrant = regulier;
    for (size_t i = 0; i < aberrant.size(); ++i) aberrant[i] = 0.1 + 0.001 * (i % 3);
    aberrant[45] = 0.119;  // within the triplet's 0.02, beyond 3 σ of a calm series
    for (const Cas& c : {
             Cas{"steady", regulier, 10, Critere::Aucun},
             Cas{"spike", pic, 30, Critere::Triplet},
             Cas{"beside the spike", pic, 29, Critere::Aucun},
             Cas{"no depth", trou, 20, Critere::SansValeur},
             Cas{"ramp", rampe, 59, Critere::Aucun},
             Cas{"two readings", {0.1, 0.5}, 1, Critere::Effectif},
             Cas{"outlier", aberrant, 45, Critere::TroisSigma},
         }) {
        std::vector<Resultat> r;
        for (size_t i = 0; i < c.tau.size(); ++i) {
            Resultat x;
            x.utc = 1776240000 + 60 * static_cast<int64_t>(i);
            x.eoVert = c.tau[i];
            r.push_back(x);
        }
        const auto v = FiltrerNuages(r);
        ASSERT_EQ(v.size(), r.size());
        EXPECT_EQ(v[c.indice], c.attendu) << c.nom;
        EXPECT_STREQ(NiveauCritere(v[c.indice]), c.attendu == Critere::Aucun ? "1.5" : "1.0");
    }
    const std::vector<std::pair<Critere, const char*>> noms = {
        {Critere::Aucun, ""},          {Critere::SansValeur, "sans_valeur"},
        {Critere::Triplet, "triplet"}, {Critere::Effectif, "effectif"},
        {Critere::Lissage, "lissage"}, {Critere::TroisSigma, "trois_sigma"}};
    for (const auto& [critere, nom] : noms) EXPECT_STREQ(NomCritere(critere), nom);
}

TEST(FiltrageNuages, SmoothnessSeesJumpsBetweenSparseReadings) {
    // Readings 20 min apart (no triplet): a steady series with one reading
    // that doubles, in a series whose scatter is too wide for the stability
    // check (a ramp).
    std::vector<Resultat> r;
    for (int i = 0; i < 30; ++i) {
        Resultat x;
        x.utc = 1776240000 + 1200 * static_cast<int64_t>(i);
        x.eoVert = 0.1 + 0.01 * i;
        if (i == 15) x.eoVert = 0.8;
        r.push_back(x);
    }
    const auto v = FiltrerNuages(r);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(v[static_cast<size_t>(i)], i == 15 ? Critere::Lissage : Critere::Aucun) << i;
}

TEST(FiltrageNuages, SeriesAreScreenedApartAndInTheirOwnOrder) {
    // Two days interleaved record by record: each gets the verdicts it gets
    // alone. Records the first pass did not see have no verdict but
    // sans_valeur; an undated record has no depth to screen.
    const auto clair = Journee(Ciel::Clair), nuages = Journee(Ciel::Nuages);
    const auto seulClair = Filtrer(clair), seulNuages = Filtrer(nuages);
    FiltreNuages f;
    const size_t n = std::max(clair.size(), nuages.size());
    for (size_t i = 0; i < n; ++i) {
        if (i < clair.size()) f.Ajouter(3, clair[i].utc, clair[i].vert);
        if (i < nuages.size()) f.Ajouter(1, nuages[i].utc, nuages[i].vert);
    }
    f.Ajouter(0, std::nullopt, 0.1);
    f.Conclure();
    EXPECT_EQ(f.Verdict(0, 0.1), Critere::SansValeur);
    EXPECT_EQ(f.Verdict(2, 0.1), Critere::SansValeur);
    for (size_t i = 0; i < n; ++i) {
        if (i < nuages.size()) {
            ASSERT_EQ(f.Verdict(1, nuages[i].vert), seulNuages[i]) << i;
        }
        if (i < clair.size()) {
            ASSERT_EQ(f.Verdict(3, clair[i].vert), seulClair[i]) << i;
        }
    }
    EXPECT_EQ(f.Verdict(3, 0.1), Critere::SansValeur);
}

TEST(FiltrageNuages, RecordsAfterTheFirstPassAreLeftUnmarked) {
    // A file that grew between the passes: its new records get no level.
    FiltreNuages f;
    std::vector<Resultat> r(12);
    for (size_t i = 0; i < r.size(); ++i) {
        r[i].ligne = 10 + i;
        r[i].utc = 1776240000 + 60 * static_cast<int64_t>(i);
        r[i].eoVert = 0.1;
        if (i < 10) f.Ajouter(r[i]);
    }
    f.Conclure();
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(f.Marquer(r[i]), i < 10) << i;
        EXPECT_EQ(r[i].Niveau(), i < 10 ? "1.5" : "") << i;
    }
    FiltreNuages vide;
    vide.Conclure();
    EXPECT_FALSE(vide.Marquer(r[0]));
}

}  // namespace
}  // namespace science
