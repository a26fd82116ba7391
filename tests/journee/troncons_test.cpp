// Cutting a curve of the day where its values stop for a while.

#include "journee/troncons.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace journee {
namespace {

TEST(Troncons, ACurveBreaksAfterMoreThanTenMinutesOrWhenTimeGoesBack) {
    const double minute = 1.0 / 60;
    struct Cas {
        std::string quoi;
        std::vector<double> x;
        std::vector<size_t> debuts;
    };
    const Cas cas[] = {
        {"no point, no piece", {}, {}},
        {"one point", {8}, {0}},
        {"every 30 s: one piece", {8, 8 + 0.5 * minute, 8 + minute, 8 + 1.5 * minute}, {0}},
        // Ten minutes exactly still joins; a second more does not.
        {"ten minutes joins", {8, 8 + 10 * minute}, {0}},
        {"ten minutes and a second breaks", {8, 8 + 10 * minute + minute / 60}, {0, 1}},
        {"a cloudy passage of 40 min in the middle",
         {8, 8 + minute, 8 + 41 * minute, 8 + 42 * minute},
         {0, 2}},
        {"two gaps, the last point alone", {8, 8 + minute, 9, 9 + minute, 11}, {0, 2, 4}},
        {"the clock set back", {9, 9 + minute, 8, 8 + minute}, {0, 2}},
        {"same time twice joins", {8, 8, 8 + minute}, {0}},
        {"past midnight, hours go on", {23.95, 24.0, 24.05}, {0}},
    };
    for (const Cas& c : cas) EXPECT_EQ(Troncons(c.x), c.debuts) << c.quoi;
    // Another gap length, for a view that would want one.
    EXPECT_EQ(Troncons({0, 1, 2.5, 3}, 1.0), (std::vector<size_t>{0, 2}));
}

}  // namespace
}  // namespace journee
