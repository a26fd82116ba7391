#include "tests/app/fond_fixture.h"

namespace {

// Ticks the cover's timer until it stops; returns the tops it took.
std::vector<int> Glisser(TF_Fond& f) {
    std::vector<int> hauts;
    for (int n = 0; f.T_Volet->Enabled() && n < 100; ++n) {
        f.T_VoletTimer(nullptr);
        hauts.push_back(f.P_Volet->Top());
    }
    return hauts;
}

}  // namespace

TEST_F(FondTest, CoverDoesNotMoveAtStartUp) {
    TF_Fond& f = Demarrer();
    EXPECT_TRUE(f.T_Volet->Enabled());
    EXPECT_EQ(f.T_Volet->Interval(), 3);
    EXPECT_EQ(Glisser(f), std::vector<int>{200});
    EXPECT_EQ(f.PositionVolet, 196);
    EXPECT_FALSE(f.T_Volet->Enabled());
}

TEST_F(FondTest, CoverSlidesDownInContinuousModeAndBackUp) {
    TF_Fond& f = Demarrer();
    Glisser(f);
    f.Etat = EtatContinu;
    f.T_Volet->SetEnabled(true);
    const std::vector<int> bas = Glisser(f);
    ASSERT_EQ(bas.size(), 45u);
    EXPECT_EQ(bas[0], 200);
    EXPECT_EQ(bas[1], 204);
    EXPECT_EQ(bas[43], 372);
    EXPECT_EQ(bas[44], 372) << "the 45th tick stops without moving";
    EXPECT_EQ(f.PositionVolet, 376);

    // Single mode halfway down a second slide: it turns back at once.
    f.Etat = EtatSimple;
    f.T_Volet->SetEnabled(true);
    for (int i = 0; i < 10; ++i) f.T_VoletTimer(nullptr);
    EXPECT_EQ(f.P_Volet->Top(), 336);
    f.Etat = EtatContinu;
    f.T_VoletTimer(nullptr);
    EXPECT_EQ(f.P_Volet->Top(), 340) << "the direction is read at every tick";
    f.Etat = EtatSimple;
    Glisser(f);
    EXPECT_EQ(f.P_Volet->Top(), 200);
    EXPECT_EQ(f.PositionVolet, 196);
}
