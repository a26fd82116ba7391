#include "science/recalcul.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/science/exemple.h"

namespace science {
namespace {

using namespace exemple;

ReglagesRecalcul ReglagesExemple() {
    ReglagesRecalcul r;
    r.site = {39.742476, -105.1786, 1830.14, "UTC-7"};
    r.annee = 2003;
    r.deltaT = 67;
    r.temperatureAir = 11;
    return r;
}

TEST(Recalcul, RecordsWorkedOutByHand) {
    // The published solar-position example's instant, with V0 2.00 V,
    // Vn 0.10 V and 820 hPa: by hand, the apparent elevation 39.888378°
    // gives a Kasten-Young air mass of 1.557010, the distance 0.996542 AU,
    // and V = 1.000 V the depths 0.405589 (green) and 0.470347 (red);
    // α = −ln(0.405589/0.470347)/ln(505/625) = −0.6948.
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("12:30:30", "1,000", "1,000"),
         Simple("12:30:31", "0,098", "0,100"),   // V ≤ Vn: no depth, no α
         Simple("12:30:32", "1,950", "1,000"),   // green depth negative: no α
         Simple("23:30:00", "1,000", "1,000")},  // night
    }));
    std::vector<Anomalie> anomalies;
    const auto r = Recalculer(j, ReglagesExemple(), &anomalies);
    EXPECT_TRUE(anomalies.empty());
    ASSERT_EQ(r.size(), 4u);

    EXPECT_EQ(r[0].utc, 1066419030);
    EXPECT_EQ(r[0].decalage, -7 * 3600);
    EXPECT_NEAR(*r[0].elevation, 39.888378, 0.01);
    EXPECT_NEAR(*r[0].elevationVraie, 39.872046, 0.01);
    EXPECT_NEAR(*r[0].distance, 0.996542, 1e-5);
    EXPECT_NEAR(*r[0].masseAir, 1.557010, 5e-4);
    EXPECT_NEAR(*r[0].eoVert, 0.405589, 5e-4);
    EXPECT_NEAR(*r[0].eoRouge, 0.470347, 5e-4);
    EXPECT_NEAR(*r[0].angstrom, -0.6948, 2e-3);
    EXPECT_EQ(r[0].pression, 820);
    EXPECT_EQ(r[0].temperature, 21);

    EXPECT_FALSE(r[1].eoVert);
    EXPECT_TRUE(r[1].eoRouge.has_value() == false);
    EXPECT_FALSE(r[1].angstrom);
    EXPECT_TRUE(r[2].eoVert);
    EXPECT_LT(*r[2].eoVert, 0);
    EXPECT_FALSE(r[2].angstrom);

    EXPECT_LT(*r[3].elevation, 0);
    EXPECT_FALSE(r[3].masseAir);
    EXPECT_FALSE(r[3].eoVert);
    EXPECT_FALSE(r[3].eoRouge);
}

TEST(Recalcul, YearFromTheFileAndWeekdayCheck) {
    const struct {
        int jour, mois;
        Date modification;
        int annee;
    } cas[] = {
        {17, 10, {2003, 10, 17}, 2003},
        {17, 10, {2004, 3, 1}, 2003},  // a file of October changed in March
        {31, 12, {2004, 1, 1}, 2003},  // a series past midnight on New Year's Eve
        {1, 1, {2003, 12, 31}, 2004},  // the clock a day ahead of the file's date
        {6, 12, {2026, 12, 8}, 2026},
    };
    for (const auto& c : cas)
        EXPECT_EQ(AnneeProbable(c.jour, c.mois, c.modification), c.annee)
            << c.jour << "/" << c.mois;
    EXPECT_EQ(JourDeLaSemaine({2003, 10, 17}), 5);
    EXPECT_EQ(JourDeLaSemaine({2026, 12, 6}), 7);
    EXPECT_EQ(JourDeLaSemaine({1969, 12, 29}), 1);

    ReglagesRecalcul r = ReglagesExemple();
    r.annee = 2004;  // 17 October 2004 was a Sunday
    std::vector<Anomalie> anomalies;
    Recalculer(LireJournee(Fichier({recording::LignesEnTeteA(EnTeteExemple()),
                                    {Simple("12:30:30", "1,000", "1,000")}})),
               r, &anomalies);
    ASSERT_EQ(anomalies.size(), 1u);
    EXPECT_EQ(anomalies[0].ligne, 1u);
    EXPECT_EQ(anomalies[0].message, "le jour de la semaine ne correspond pas à l'année 2004");
}

TEST(Recalcul, PastMidnightAndUndatedSeries) {
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("23:59:59", "1,000", "1,000"), Simple("00:00:01", "1,000", "1,000")},
        LignesEnTeteA(EnTeteExemple("Vendredi 32 Octobre - ")),
        {Simple("12:00:00", "1,000", "1,000")},
    }));
    const auto r = Recalculer(j, ReglagesExemple());
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(*r[1].utc - *r[0].utc, 2);
    EXPECT_FALSE(r[2].utc);
    EXPECT_FALSE(r[2].elevation);
    EXPECT_FALSE(r[2].eoVert);
    EXPECT_EQ(r[2].serie, 1u);
}

TEST(Recalcul, AngstromExponent) {
    EXPECT_NEAR(*ExposantAngstrom(0.3, 0.2, 505, 625), -std::log(1.5) / std::log(505.0 / 625),
                1e-12);
    EXPECT_FALSE(ExposantAngstrom(0.0, 0.2, 505, 625));
    EXPECT_FALSE(ExposantAngstrom(0.3, -0.1, 505, 625));
    EXPECT_FALSE(ExposantAngstrom(std::nullopt, 0.2, 505, 625));
    EXPECT_FALSE(ExposantAngstrom(0.3, 0.2, 505, 505));
}

}  // namespace
}  // namespace science
