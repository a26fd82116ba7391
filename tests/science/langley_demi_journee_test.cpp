#include "science/langley_demi_journee.h"

#include <gtest/gtest.h>

#include "science/fichier_journee.h"
#include "tests/support/matinee.h"

namespace science {
namespace {

std::vector<Resultat> MatineeRecalculee() {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    for (auto& l : EnregistrementsMatineeClaire(V0VertMatinee, V0RougeMatinee, 0.002))
        lignes.push_back(std::move(l));
    ReglagesRecalcul reglages;
    reglages.site = SiteLyon;
    reglages.annee = 2026;
    return Recalculer(LireJournee(lignes), reglages);
}

TEST(LangleyDemiJour, RecomputedMorningGivesV0WithOzoneOutAndLowWithItIn) {
    const auto resultats = MatineeRecalculee();
    struct Cas {
        Voie voie;
        double v0;
        double biaisOzone;  // of V0 with the ozone left in
    };
    // The red channel sits nearer the Chappuis band's peak: more ozone.
    for (const Cas c :
         {Cas{Voie::Vert, V0VertMatinee, -0.004}, Cas{Voie::Rouge, V0RougeMatinee, -0.0096}}) {
        const auto l = LangleyDemiJournee(resultats, 0, DemiJour::Matin, c.voie, SiteLyon.altitude);
        ASSERT_TRUE(l);
        EXPECT_NEAR(l->v0 / c.v0, 1, 0.002);
        EXPECT_EQ(l->verdict, "ok");
        EXPECT_TRUE(l->accepte);
        EXPECT_GT(l->r2, 0.99);
        EXPECT_GE(l->points, 20u);
        EXPECT_GT(l->erreurTypeV0, 0);
        EXPECT_LT(l->erreurTypeV0 / l->v0, 0.005);
        EXPECT_LT(l->pente, 0);

        // The same records with the ozone left in: the line bends and V0
        // comes out low, by about 0.4 % on the green channel.
        const auto b = BornesDemiJour(resultats, 0, DemiJour::Matin);
        ASSERT_TRUE(b);
        const auto avec =
            ResumerLangley(AjusterVoie(PointsLangley(resultats, 0, c.voie, b->first, b->second)));
        ASSERT_TRUE(avec);
        EXPECT_NEAR(avec->v0 / l->v0 - 1, c.biaisOzone, 0.001);
    }
    // The morning runs to the last record, the highest sun: no afternoon
    // line to draw.
    const auto b = BornesDemiJour(resultats, 0, DemiJour::ApresMidi);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->first, b->second);
    EXPECT_FALSE(
        LangleyDemiJournee(resultats, 0, DemiJour::ApresMidi, Voie::Vert, SiteLyon.altitude));
    EXPECT_FALSE(BornesDemiJour(resultats, 3, DemiJour::Matin));
}

TEST(LangleyDemiJour, AFailedVerdictIsKeptButNotAccepted) {
    // A clear line over too narrow an air-mass span.
    VoieLangley c;
    std::vector<PointLangley> p;
    for (double m = 2; m <= 3; m += 0.02) p.push_back({m, std::log(2.0) - 0.3 * m});
    c = AjusterVoie(p);
    const auto l = ResumerLangley(c);
    ASSERT_TRUE(l);
    EXPECT_NEAR(l->v0, 2.0, 1e-9);
    EXPECT_EQ(l->verdict, "etendue");
    EXPECT_FALSE(l->accepte);
    EXPECT_FALSE(ResumerLangley(AjusterVoie({{2.5, 0.1}})));
}

}  // namespace
}  // namespace science
