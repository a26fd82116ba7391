// Thinning a curve for drawing, whole and while it grows.

#include "journee/eclaircie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace journee {
namespace {

TEST(PointsADessiner, EachSliceKeepsItsFirstLowestHighestAndLastAndTheLineReachesTheEdges) {
    // 1,000 points over [0, 10): a sawtooth with one spike.
    std::vector<double> x, y;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(i / 100.0);
        y.push_back(i == 555 ? 50 : i % 10);
    }
    const auto garde = PointsADessiner(x, y, 2, 8, 10);
    ASSERT_FALSE(garde.empty());
    EXPECT_EQ(garde.front(), 199u) << "the point before the range";
    EXPECT_EQ(garde.back(), 801u) << "the point after it";
    EXPECT_TRUE(std::is_sorted(garde.begin(), garde.end()));
    EXPECT_LE(garde.size(), 2 + 4 * 10u);
    EXPECT_NE(std::find(garde.begin(), garde.end(), 555u), garde.end()) << "the spike is drawn";
    // Every slice shows its lowest (0) and highest (9) values.
    for (int tranche = 0; tranche < 10; ++tranche) {
        bool bas = false, haut = false;
        for (size_t i : garde) {
            if (x[i] < 2 + tranche * 0.6 || x[i] >= 2 + (tranche + 1) * 0.6) continue;
            bas |= y[i] == 0;
            haut |= y[i] >= 9;
        }
        EXPECT_TRUE(bas && haut) << tranche;
    }
    // Few points: all of them; an empty range or curve: none.
    EXPECT_EQ(PointsADessiner(x, y, 2, 2.2, 10).size(), 21u + 2u);
    EXPECT_TRUE(PointsADessiner({}, {}, 0, 1, 10).empty());
    EXPECT_TRUE(PointsADessiner(x, y, 5, 5, 10).empty());
}

TEST(Eclaircie, AFollowedCurveIsThinnedAsIfWholeAtEveryStep) {
    // A curve growing by bursts, as a followed file does: before, inside and
    // beyond the range, across the count where every point stops being
    // drawn, with repeated instants, and with the range changed on the way.
    std::srand(7);
    std::vector<double> x, y;
    Eclaircie eclaircie;
    double t = 0, v = 0;
    double xmin = 2, xmax = 8;
    for (int rafale = 0; rafale < 400; ++rafale) {
        const int n = 1 + std::rand() % 40;
        for (int k = 0; k < n; ++k) {
            t += (std::rand() % 4) * 0.01;  // a quarter of the instants repeat
            v += (std::rand() % 21 - 10) * 0.1;
            x.push_back(t);
            y.push_back(v);
        }
        if (rafale == 250) {
            xmin = 1;
            xmax = 30;
        }
        const auto& suivie = eclaircie.Points(x, y, xmin, xmax, 12);
        ASSERT_EQ(suivie, PointsADessiner(x, y, xmin, xmax, 12))
            << "burst " << rafale << ", " << x.size() << " points";
    }
    EXPECT_GT(t, 30) << "the curve ran past the range";
}

}  // namespace
}  // namespace journee
