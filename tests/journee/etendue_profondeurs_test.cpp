// The depth axis fits the clear-sky values, not the clouds'.

#include "journee/etendue_profondeurs.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace journee {
namespace {

Etendue De(double min, double max) {
    Etendue e;
    e.Ajouter(min, max);
    return e;
}

TEST(EtendueProfondeurs, TheAxisFitsTheKeptValuesAndFallsBackToAllWhereNoneIsKept) {
    const Etendue vide;
    const struct {
        std::string quoi;
        std::vector<EtendueSerie> series;
        double min, max;
    } cas[] = {
        {"nothing drawn: the default scale", {}, 0, 0.6},
        {"a clear morning: 0 to 0.6 at least", {{De(0.09, 0.11), De(0.09, 0.11)}}, 0, 0.6},
        {"a cloud at τ 2 leaves the scale to the kept values",
         {{De(0.09, 0.11), De(0.09, 2.0)}},
         0,
         0.6},
        {"kept values above 0.5, with 5 % room", {{De(0.3, 0.9), De(0.3, 2.0)}}, 0, 1.0},
        {"a kept value below zero", {{De(-0.23, 0.1), De(-0.23, 2.0)}}, -0.3, 0.6},
        {"nothing kept: every value", {{vide, De(0.8, 1.9)}}, 0, 2.0},
        {"one series kept, another not: the latter's all values count",
         {{De(0.09, 0.11), De(0.09, 3.0)}, {vide, De(1.2, 1.5)}},
         0,
         1.6},
        {"a series with nothing at all adds nothing",
         {{vide, vide}, {De(0.1, 0.7), De(0.1, 0.7)}},
         0,
         0.8},
    };
    for (const auto& c : cas) {
        const auto [min, max] = PlageProfondeurs(c.series);
        EXPECT_NEAR(min, c.min, 1e-12) << c.quoi;
        EXPECT_NEAR(max, c.max, 1e-12) << c.quoi;
    }
}

TEST(EtendueProfondeurs, AnExtentIgnoresWhatIsNotANumber) {
    Etendue e;
    EXPECT_TRUE(e.Vide());
    e.Ajouter(std::numeric_limits<double>::quiet_NaN(), 1);
    e.Ajouter(0.2, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(e.Vide());
    e.Ajouter(0.2, 0.3);
    e.Ajouter(De(0.1, 0.15));
    e.Ajouter(Etendue());
    EXPECT_FALSE(e.Vide());
    EXPECT_EQ(e.min, 0.1);
    EXPECT_EQ(e.max, 0.3);
}

}  // namespace
}  // namespace journee
