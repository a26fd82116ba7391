// The Langley fit of a range of the day, on real files: the ranges chosen
// and the verdict.

#include "journee/langley.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "platform/textfile.h"
#include "science/langley_demi_journee.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace journee {
namespace {

ReglagesModele AvecSite() {
    ReglagesModele r;
    r.site = SiteLyon;
    r.annee = 2026;
    return r;
}

// Two mornings in one file, each its own series: the half-day asked for a
// date is that date's series.
TEST(Langley, TheSeriesOfADate) {
    Dossier d;
    EcrireDeuxMatinees(d.Fichier("deux.txt"));
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("deux.txt"));
    ASSERT_EQ(m.Journee().series.size(), 2u);
    const struct {
        std::optional<science::Date> jour;
        std::optional<size_t> serie;
    } cas[] = {
        {science::Date{2026, 12, 7}, 0},
        {science::Date{2026, 12, 8}, 1},
        {science::Date{2026, 12, 9}, std::nullopt},
        {std::nullopt, 1},  // no date: the last series
    };
    for (const auto& c : cas) EXPECT_EQ(SerieDuJour(m.Resultats(), 2, c.jour), c.serie);
    EXPECT_EQ(SerieDuJour({}, 0, std::nullopt), std::nullopt);
}

TEST(Langley, AClearMorningIsGoodAndGivesItsV0Back) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("lyon.txt"));
    const auto plage = PlageDemiJournee(m.Resultats(), 0, DemiJournee::Matin);
    ASSERT_TRUE(plage);
    EXPECT_EQ(plage->debut, 8 * 3600 + 1200);
    const Langley l = CalculerLangley(m.Resultats(), *plage, SiteLyon.altitude);
    ASSERT_TRUE(l.vert.ajustement && l.rouge.ajustement);
    EXPECT_NEAR(l.vert.ajustement->v0, 2.12, 0.02);
    EXPECT_NEAR(l.rouge.ajustement->v0, 2.05, 0.02);
    EXPECT_TRUE(l.verdict.bon) << l.verdict.titre << " " << l.verdict.raisons.front();
    EXPECT_EQ(l.verdict.code, "ok");
    EXPECT_EQ(l.verdict.titre.rfind("Ciel assez stable de 08:20:00 à ", 0), 0u) << l.verdict.titre;
    EXPECT_EQ(l.verdict.raisons.size(), 2u);
    EXPECT_GE(l.vert.masseMax - l.vert.masseMin, 2);
}

// The day view and the calibration history must agree on a half-day; and
// with the ozone taken out the fit comes closer to the morning's true V0.
TEST(Langley, AHalfDayGivesTheHistorysV0AndTheOzoneOutBringsItCloser) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("lyon.txt"));
    const auto plage = PlageDemiJournee(m.Resultats(), 0, DemiJournee::Matin);
    ASSERT_TRUE(plage);
    const Langley l = CalculerLangley(m.Resultats(), *plage, SiteLyon.altitude);
    const struct {
        science::Voie voie;
        const VoieLangley& vue;
        double vrai;
    } voies[] = {{science::Voie::Vert, l.vert, 2.12}, {science::Voie::Rouge, l.rouge, 2.05}};
    for (const auto& v : voies) {
        const auto historique = science::LangleyDemiJournee(
            m.Resultats(), 0, science::DemiJour::Matin, v.voie, SiteLyon.altitude);
        ASSERT_TRUE(historique && v.vue.ajustement);
        EXPECT_NEAR(v.vue.ajustement->v0, historique->v0, 1e-9);
        EXPECT_NEAR(v.vue.ajustement->pente, historique->pente, 1e-12);
        EXPECT_EQ(v.vue.ajustement->points, historique->points);
        const auto brut = science::AjusterVoie(
            science::PointsLangley(m.Resultats(), 0, v.voie, plage->debut, plage->fin));
        ASSERT_TRUE(brut.ajustement);
        const double ecartBrut = std::abs(brut.ajustement->v0 / v.vrai - 1);
        const double ecart = std::abs(v.vue.ajustement->v0 / v.vrai - 1);
        std::printf("V0 %.5f: %.5f (%+.3f %%) with the ozone, %.5f (%+.3f %%) without\n", v.vrai,
                    v.vue.ajustement->v0, (v.vue.ajustement->v0 / v.vrai - 1) * 100,
                    brut.ajustement->v0, (brut.ajustement->v0 / v.vrai - 1) * 100);
        EXPECT_LT(ecart, ecartBrut / 2) << v.vrai;
        // The slope is then minus the aerosol and Rayleigh depth only.
        EXPECT_GT(v.vue.ajustement->pente, brut.ajustement->pente) << v.vrai;
    }
}

TEST(Langley, TheVerdictSaysWhyARangeWillNotDo) {
    Dossier d;
    const struct {
        const char* cas;
        double bruit;
        double debut, fin;   // hours on the plot
        std::string raison;  // found in one of the reasons
        std::string code;
    } cas[] = {
        {"too short a range", 0.005, 10.0, 10.4, "étendue", "etendue+r2"},
        {"a hazy, changing sky", 0.06, 8.3, 12.0, "dispersion", "r2+dispersion"},
        {"only a sun too low", 0.005, 8.3, 8.8, "moins de trois points", "points"},
    };
    for (const auto& c : cas) {
        EcrireMatineeClaire(d.Fichier("m.txt"), 2.12, 2.05, c.bruit);
        ModeleJournee m(AvecSite());
        m.Ouvrir(d.Fichier("m.txt"));
        const auto plage = PlageHeures(m.Points(), m.Resultats(), c.debut, c.fin);
        ASSERT_TRUE(plage) << c.cas;
        const Langley l = CalculerLangley(m.Resultats(), *plage, SiteLyon.altitude);
        EXPECT_FALSE(l.verdict.bon) << c.cas;
        EXPECT_EQ(l.verdict.code, c.code) << c.cas;
        EXPECT_NE(l.verdict.titre.find("insuffisante pour étalonner"), std::string::npos);
        bool trouve = false;
        for (const auto& r : l.verdict.raisons) trouve |= r.find(c.raison) != std::string::npos;
        EXPECT_TRUE(trouve) << c.cas << ": " << l.verdict.raisons.front();
    }
}

TEST(Langley, ADraggedRangeBelongsToTheSeriesWithMostRecordsInIt) {
    Dossier d;
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    lignes.push_back("Simple;09:00:00  ;1,500;0,20;1,600;0,10;21");
    for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
    lignes.push_back("Simple;09:10:00  ;1,500;0,20;1,600;0,10;21");
    lignes.push_back("Simple;09:20:00  ;1,500;0,20;1,600;0,10;21");
    WriteTextFile(d.Fichier("f.txt"), lignes);
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("f.txt"));
    const auto plage = PlageHeures(m.Points(), m.Resultats(), 9.5, 8.5);  // dragged leftwards
    ASSERT_TRUE(plage);
    EXPECT_EQ(plage->serie, 1u);
    EXPECT_EQ(plage->debut, 9 * 3600 + 600);
    EXPECT_EQ(plage->fin, 9 * 3600 + 1200);
    EXPECT_FALSE(PlageHeures(m.Points(), m.Resultats(), 13, 14));
}

}  // namespace
}  // namespace journee
