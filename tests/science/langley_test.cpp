#include "science/langley.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace science {
namespace {

// A clear morning: V = V0/d² · exp(−τ m) with 0.5 % multiplicative noise,
// one point a minute as the sun climbs from air mass 7 to 1.5.
std::vector<PointLangley> Matinee(double v0, double tau, double bruit, unsigned graine) {
    std::mt19937 generateur(graine);
    std::normal_distribution<double> normale(0, bruit);
    std::vector<PointLangley> points;
    for (double m = 7; m >= 1.5; m -= 0.03) {
        const double v = v0 * std::exp(-tau * m) * (1 + normale(generateur));
        points.push_back({m, std::log(v)});
    }
    return points;
}

TEST(Langley, RecoversV0WithinOnePercentFromANoisyMorning) {
    for (unsigned graine = 1; graine <= 20; ++graine) {
        const auto a = AjusterLangley(Matinee(2.1, 0.25, 0.005, graine));
        ASSERT_TRUE(a);
        EXPECT_NEAR(a->v0, 2.1, 0.021) << graine;
        EXPECT_NEAR(a->pente, -0.25, 0.01) << graine;
        EXPECT_GT(a->r2, 0.99) << graine;
        EXPECT_LT(a->erreurTypeV0, 0.021) << graine;
        // Only the points between air mass 2 and 6 count.
        EXPECT_EQ(a->points + a->exclus, 133u) << graine;
    }
}

TEST(Langley, CloudsAreLeftOut) {
    auto points = Matinee(2.1, 0.25, 0.005, 7);
    size_t nuages = 0;
    for (size_t i = 10; i < points.size(); i += 9) {
        if (points[i].masseAir < 2 || points[i].masseAir > 6) continue;
        points[i].y += std::log(0.7);  // a passing cloud takes 30 %
        ++nuages;
    }
    const auto a = AjusterLangley(points);
    ASSERT_TRUE(a);
    EXPECT_NEAR(a->v0, 2.1, 0.021);
    EXPECT_GE(a->exclus, nuages);
    EXPECT_LE(a->exclus, nuages + 3);
}

TEST(Langley, ExactLineKeepsEveryPointAndTooFewPointsGiveNothing) {
    const auto a = AjusterLangley(Matinee(1.5, 0.1, 0, 1));
    ASSERT_TRUE(a);
    EXPECT_NEAR(a->v0, 1.5, 1e-9);
    EXPECT_EQ(a->exclus, 0u);
    EXPECT_NEAR(a->r2, 1, 1e-12);

    EXPECT_FALSE(AjusterLangley({{2.5, 0.1}, {3.0, 0.0}}));
    EXPECT_FALSE(AjusterLangley({{3, 0.1}, {3, 0.0}, {3, 0.2}}));  // one air mass: no slope
    EXPECT_FALSE(AjusterLangley({{1.2, 0.1}, {1.3, 0.0}, {7, 0.2}, {8, 0.3}}));
    ReglagesLangley large;
    large.masseMin = 1;
    large.masseMax = 10;
    EXPECT_TRUE(AjusterLangley({{1.2, 0.1}, {1.3, 0.0}, {7, 0.2}, {8, 0.3}}, large));
}

TEST(Langley, PointsOfOneSeriesInATimeRange) {
    std::vector<Resultat> r(5);
    const int heures[] = {7 * 3600, 8 * 3600, 9 * 3600, 23 * 3600, 1800};
    for (size_t i = 0; i < r.size(); ++i) {
        r[i].secondesHorloge = heures[i];
        r[i].vVert = 1.1;
        r[i].vnVert = 0.1;
        r[i].vRouge = 0.05;  // below Vn: left out
        r[i].vnRouge = 0.1;
        r[i].masseAir = 3;
        r[i].distance = 1;
    }
    r[1].serie = 1;
    EXPECT_EQ(PointsLangley(r, 0, Voie::Vert, 7 * 3600, 9 * 3600).size(), 2u);
    EXPECT_EQ(PointsLangley(r, 1, Voie::Vert, 7 * 3600, 9 * 3600).size(), 1u);
    EXPECT_EQ(PointsLangley(r, 0, Voie::Vert, 22 * 3600, 3600).size(), 2u);  // past midnight
    EXPECT_TRUE(PointsLangley(r, 0, Voie::Rouge, 0, 86399).empty());
    EXPECT_DOUBLE_EQ(PointsLangley(r, 0, Voie::Vert, 7 * 3600, 7 * 3600)[0].y, 0.0);
}

}  // namespace
}  // namespace science
