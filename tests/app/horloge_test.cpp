#include "app/horloge.h"

#include <gtest/gtest.h>

TEST(Horloge, CaptionsForADateAndATime) {
    struct Case {
        TDateTime when;
        std::string date, heure;
    } cases[] = {
        {clock_seam::Make(2010, 12, 6, 9, 5, 3), "Lundi 6 Décembre - ", "09:05:03  "},
        {clock_seam::Make(2011, 2, 1, 10, 0, 9), "Mardi 1 Février - ", "10:00:09  "},
        {clock_seam::Make(2010, 8, 15, 23, 59, 59), "Dimanche 15 Août - ", "23:59:59  "},
        {clock_seam::Make(2026, 12, 7, 0, 0, 0), "Lundi 7 Décembre - ", "00:00:00  "},
        {clock_seam::Make(2024, 2, 29, 12, 30, 45), "Jeudi 29 Février - ", "12:30:45  "},
        {clock_seam::Make(2010, 12, 12, 18, 10, 10), "Dimanche 12 Décembre - ", "18:10:10  "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(horloge::LibelleDate(c.when), c.date);
        EXPECT_EQ(horloge::LibelleHeure(c.when), c.heure);
    }
    EXPECT_EQ(clock_seam::Make(2010, 8, 15).weekday, 7) << "Sunday is the seventh day";
}

TEST(Horloge, DayOfTheYearForTheEarthSunDistance) {
    EXPECT_EQ(clock_seam::Make(2010, 1, 1).dayOfYear, 1);
    EXPECT_EQ(clock_seam::Make(2010, 7, 2).dayOfYear, 183);
    EXPECT_EQ(clock_seam::Make(2012, 12, 31).dayOfYear, 366);
}
