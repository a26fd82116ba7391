#include "science/historique_etalonnage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include "science/export_csv.h"
#include "science/fichier_journee.h"
#include "science/filtrage_nuages.h"
#include "tests/support/matinee.h"

namespace science {
namespace {

LangleyDate Entree(double jour, double v0, bool accepte = true, int periode = 0, double u = 0.01) {
    LangleyDate l;
    l.jour = jour;
    l.v0 = v0;
    l.erreurTypeV0 = u;
    l.accepte = accepte;
    l.periode = periode;
    return l;
}

TEST(HistoriqueEtalonnage, DaysAndPeriods) {
    EXPECT_EQ(JourDemiJour({2026, 1, 1}, DemiJour::Matin), 20454.25);
    EXPECT_EQ(JourDemiJour({2024, 3, 1}, DemiJour::ApresMidi) -
                  JourDemiJour({2024, 2, 28}, DemiJour::ApresMidi),
              2);
    const ConstantesEtalonnage a{2.1, 2.0, 0.01, 0.01}, b{2.2, 2.0, 0.01, 0.01};
    EXPECT_EQ(NumeroterPeriodes({a, a, b, b, a}), (std::vector<int>{0, 0, 1, 1, 2}));
    EXPECT_TRUE(NumeroterPeriodes({}).empty());
}

TEST(HistoriqueEtalonnage, RecommendationKeepsToItsWindowPeriodAndAcceptedHalfDays) {
    const std::vector<LangleyDate> h = {
        Entree(0, 2.00),           Entree(10, 2.02), Entree(20, 2.01, true, 0, 0.02),
        Entree(25, 1.50, false),    // failed its verdict
        Entree(40, 3.00, true, 1),  // another period
        Entree(100, 2.50),          // outside the window
    };
    struct Cas {
        const char* cas;
        double jour;
        ReglagesEtalonnage reglages;
        std::optional<double> v0;
        size_t nombre;
    };
    ReglagesEtalonnage quatre;
    quatre.minimum = 4;
    ReglagesEtalonnage etroite;
    etroite.fenetreJours = 16;
    const Cas cas[] = {
        // Weighted by 1/u²: the third counts a quarter.
        {"three", 10, {}, (2.00 + 2.02 + 2.01 / 4) / 2.25, 3},
        {"too few", 10, quatre, std::nullopt, 0},
        {"narrow window", 10, etroite, std::nullopt, 0},
        {"nothing near", 200, {}, std::nullopt, 0},
    };
    for (const Cas& c : cas) {
        const auto r = Recommander(h, Voie::Vert, c.jour, 0, c.reglages);
        ASSERT_EQ(r.has_value(), c.v0.has_value()) << c.cas;
        if (!r) continue;
        EXPECT_NEAR(r->v0, *c.v0, 1e-12) << c.cas;
        EXPECT_EQ(r->nombre, c.nombre) << c.cas;
        EXPECT_NEAR(r->ecartType, 0.01, 1e-3) << c.cas;
        EXPECT_TRUE(r->aberrants.empty()) << c.cas;
    }
    // The other channel has none.
    EXPECT_FALSE(Recommander(h, Voie::Rouge, 10, 0));
}

TEST(HistoriqueEtalonnage, OutliersAreLeftOutUntilStable) {
    // Ten half-days about 2.00 and two hazy ones well off, one of them with
    // a small error that would pull a weighted mean its way.
    std::vector<LangleyDate> h;
    for (int i = 0; i < 10; ++i) h.push_back(Entree(i * 3, 2.0 + 0.004 * ((i % 5) - 2)));
    h.push_back(Entree(4, 1.80, true, 0, 0.001));
    h.push_back(Entree(5, 1.90));
    const auto r = Recommander(h, Voie::Vert, 15, 0);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->v0, 2.0, 1e-3);
    EXPECT_EQ(r->nombre, 10u);
    EXPECT_EQ(r->aberrants, (std::vector<size_t>{10, 11}));
    const auto s = Statuts(h);
    EXPECT_EQ(s[10], StatutLangley::Aberrant);
    EXPECT_EQ(s[11], StatutLangley::Aberrant);
    EXPECT_EQ(s[0], StatutLangley::Accepte);
    h[0].accepte = false;
    EXPECT_EQ(Statuts(h)[0], StatutLangley::Rejete);

    // Identical half-days are all kept.
    const std::vector<LangleyDate> egaux = {Entree(0, 2), Entree(1, 2), Entree(2, 2)};
    EXPECT_EQ(Recommander(egaux, Voie::Vert, 1, 0)->nombre, 3u);
}

TEST(HistoriqueEtalonnage, TheilSenDriftLeavesOutliersOut) {
    std::vector<LangleyDate> h;
    for (int i = 0; i < 40; ++i) h.push_back(Entree(i * 9, 2.0 * (1 + 0.03 * i * 9 / 365.25)));
    h[7].v0 = 1.7;
    h[30].v0 = 1.6;
    h[12].accepte = false;
    h[12].v0 = 9;
    h.push_back(Entree(100, 5, true, 1));
    const auto d = DeriveTheilSen(h, Voie::Vert, 0);
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->voltsParAn, 0.06, 0.002);
    EXPECT_NEAR(d->pourCentParAn, 100 * 0.06 / 2.0 / (1 + 0.03 * 180 / 365.25), 0.1);
    EXPECT_EQ(d->nombre, 37u);  // neither the rejected one nor the outliers
    // Two half-days of one day give no drift.
    EXPECT_FALSE(DeriveTheilSen({Entree(3.25, 2), Entree(3.75, 2.1)}, Voie::Vert, 0));
    EXPECT_FALSE(DeriveTheilSen(h, Voie::Rouge, 0));
}

TEST(HistoriqueEtalonnage, LevelTwoNeedsARecommendationOnBothSidesInItsPeriod) {
    std::vector<RecommandationDatee> s;
    const auto noeud = [&](double jour, double v0, double erreur, int periode) {
        Recommandation r;
        r.v0 = v0;
        r.erreurType = erreur;
        r.nombre = 5;
        s.push_back({jour, periode, r});
    };
    noeud(10, 2.00, 0.004, 0);
    noeud(20, 2.02, 0.002, 0);
    noeud(24, 2.50, 0.002, 1);
    struct Cas {
        double jour;
        int periode;
        std::optional<double> v0, incertitude;
    };
    const Cas cas[] = {
        {15, 0, 2.01, std::hypot(0.003, 0.01)},
        {10, 0, 2.00, 0.004},                 // on a knot: both sides are it
        {5, 0, std::nullopt, std::nullopt},   // none before
        {22, 0, std::nullopt, std::nullopt},  // the next is another period's
        {22, 1, std::nullopt, std::nullopt},
        {24, 1, 2.50, 0.002},
        {60, 0, std::nullopt, std::nullopt},
    };
    for (const Cas& c : cas) {
        const auto v = InterpolerV0(s, c.jour, c.periode);
        ASSERT_EQ(v.has_value(), c.v0.has_value()) << c.jour;
        if (!v) continue;
        EXPECT_NEAR(v->v0, *c.v0, 1e-12) << c.jour;
        EXPECT_NEAR(v->incertitude, *c.incertitude, 1e-12) << c.jour;
    }
    // Knots further apart than half the window each: nothing between.
    ReglagesEtalonnage etroite;
    etroite.fenetreJours = 8;
    EXPECT_FALSE(InterpolerV0(s, 15, 0, etroite));
}

TEST(HistoriqueEtalonnage, LevelTwoDepthIsTheRecomputationsWithItsV0) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(V0VertMatinee, V0RougeMatinee)) lignes.push_back(l);
    ReglagesRecalcul reglages;
    reglages.site = SiteLyon;
    reglages.annee = 2026;
    const auto resultats = Recalculer(LireJournee(lignes), reglages);
    ASSERT_GT(resultats.size(), 100u);
    struct Cas {
        Voie voie;
        double v0;
    };
    for (const Cas c : {Cas{Voie::Vert, V0VertMatinee}, Cas{Voie::Rouge, V0RougeMatinee}}) {
        for (const Resultat& r : resultats) {
            const auto& eo = c.voie == Voie::Vert ? r.eoVert : r.eoRouge;
            const auto& u = c.voie == Voie::Vert ? r.uEoVert : r.uEoRouge;
            // The header's V0 with the default relative uncertainty: the
            // recomputation's depth and uncertainty, to the last bit.
            const auto p = ProfondeurAvecV0(
                r, c.voie, {c.v0, c.v0 * IncertitudesEntrees{}.v0Relative}, SiteLyon.altitude);
            ASSERT_EQ(p.has_value(), eo.has_value());
            if (!p) continue;
            EXPECT_DOUBLE_EQ(p->profondeur, *eo);
            EXPECT_DOUBLE_EQ(p->incertitude, *u);
            // A V0 1 % higher: the depth rises by ln(1.01)/m.
            const auto plus = ProfondeurAvecV0(r, c.voie, {c.v0 * 1.01, 0}, SiteLyon.altitude);
            ASSERT_TRUE(plus);
            EXPECT_NEAR(plus->profondeur - *eo, std::log(1.01) / *r.masseAir, 1e-12);
        }
    }
    // A record without its reading has no depth.
    Resultat vide = resultats.front();
    vide.vVert = std::nullopt;
    EXPECT_FALSE(ProfondeurAvecV0(vide, Voie::Vert, {2, 0.01}, SiteLyon.altitude));
}

// A record taken to level 2.0 with the header's own V0s and the default
// uncertainty is the recomputation's record, but for its level; those not
// at level 1.5 stay as they are.
TEST(HistoriqueEtalonnage, LevelTwoRecordIsTheRecomputationsWithItsV0s) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(V0VertMatinee, V0RougeMatinee)) lignes.push_back(l);
    ReglagesRecalcul reglages;
    reglages.site = SiteLyon;
    reglages.annee = 2026;
    std::vector<Resultat> resultats = Recalculer(LireJournee(lignes), reglages);
    MarquerNiveaux(resultats);
    const double u = IncertitudesEntrees{}.v0Relative;
    size_t passes = 0;
    for (const Resultat& r : resultats) {
        Resultat x = r;
        const bool passe = PasserNiveau2(x, {V0VertMatinee, V0VertMatinee * u},
                                         {V0RougeMatinee, V0RougeMatinee * u}, SiteLyon.altitude);
        EXPECT_EQ(passe, r.critere == Critere::Aucun);
        EXPECT_EQ(x.niveau20, passe);
        if (!passe) {
            EXPECT_EQ(x.Niveau(), r.Niveau());
            continue;
        }
        ++passes;
        EXPECT_EQ(x.Niveau(), "2.0");
        EXPECT_DOUBLE_EQ(*x.eoVert, *r.eoVert);
        EXPECT_DOUBLE_EQ(*x.eoRouge, *r.eoRouge);
        EXPECT_DOUBLE_EQ(*x.angstrom, *r.angstrom);
        EXPECT_DOUBLE_EQ(*x.uEoVert, *r.uEoVert);
        EXPECT_DOUBLE_EQ(*x.uEoRouge, *r.uEoRouge);
        EXPECT_DOUBLE_EQ(*x.uAngstrom, *r.uAngstrom);
        // The CSV says its level and nothing else changes.
        std::ostringstream a, b;
        EcrireCsv(a, {r}, SiteLyon);
        EcrireCsv(b, {x}, SiteLyon);
        std::string attendu = a.str();
        attendu.replace(attendu.rfind(",1.5,"), 5, ",2.0,");
        EXPECT_EQ(b.str(), attendu);
    }
    EXPECT_GT(passes, 50u);
    // A red V0 twice as uncertain weighs on u(α) alone with u(τ_red).
    Resultat x = resultats[resultats.size() / 2];
    ASSERT_EQ(x.critere, Critere::Aucun);
    Resultat y = x;
    PasserNiveau2(x, {V0VertMatinee, V0VertMatinee * u}, {V0RougeMatinee, V0RougeMatinee * u},
                  SiteLyon.altitude);
    PasserNiveau2(y, {V0VertMatinee, V0VertMatinee * u}, {V0RougeMatinee, 2 * V0RougeMatinee * u},
                  SiteLyon.altitude);
    EXPECT_DOUBLE_EQ(*x.uEoVert, *y.uEoVert);
    EXPECT_GT(*y.uEoRouge, *x.uEoRouge);
    EXPECT_GT(*y.uAngstrom, *x.uAngstrom);
}

// The windows found by bisection in the day-ordered history give what a
// scan of the whole history gives, however the history is ordered.
TEST(HistoriqueEtalonnage, StatusesAndKnotsAsOneRecommendationAtATime) {
    std::mt19937 g(7);
    std::normal_distribution<double> bruit(0, 0.01);
    std::uniform_real_distribution<double> tirage(0, 1);
    std::vector<LangleyDate> h;
    for (int jour = 0; jour < 400; ++jour)
        for (const DemiJour demi : {DemiJour::Matin, DemiJour::ApresMidi})
            for (const Voie voie : {Voie::Vert, Voie::Rouge}) {
                if (tirage(g) < 0.3) continue;
                LangleyDate l =
                    Entree(jour + (demi == DemiJour::Matin ? 0.25 : 0.75),
                           2.05 + bruit(g) + (tirage(g) < 0.05 ? 0.2 : 0), tirage(g) < 0.7,
                           jour < 200 ? 0 : 1, 0.005 + 0.01 * tirage(g));
                l.demi = demi;
                l.voie = voie;
                h.push_back(l);
            }
    std::shuffle(h.begin(), h.end(), g);
    const std::vector<StatutLangley> statuts = Statuts(h);
    for (size_t i = 0; i < h.size(); ++i) {
        StatutLangley attendu = StatutLangley::Rejete;
        if (h[i].accepte) {
            const auto r = Recommander(h, h[i].voie, h[i].jour, h[i].periode);
            attendu = r && std::count(r->aberrants.begin(), r->aberrants.end(), i)
                          ? StatutLangley::Aberrant
                          : StatutLangley::Accepte;
        }
        ASSERT_EQ(statuts[i], attendu) << i;
    }
    EXPECT_GT(std::count(statuts.begin(), statuts.end(), StatutLangley::Aberrant), 0);
    for (const Voie voie : {Voie::Vert, Voie::Rouge}) {
        const auto noeuds = Recommandations(h, voie);
        ASSERT_GT(noeuds.size(), 100u);
        for (const RecommandationDatee& n : noeuds) {
            const auto r = Recommander(h, voie, n.jour, n.periode);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->v0, n.recommandation.v0);
            EXPECT_EQ(r->erreurType, n.recommandation.erreurType);
            EXPECT_EQ(r->aberrants, n.recommandation.aberrants);
        }
    }
}

}  // namespace
}  // namespace science
