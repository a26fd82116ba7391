#include "science/recalcul.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>

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
    // With Bodhaine's Rayleigh at 820 hPa (0.111375, 0.046675), van Heuklon's
    // 310.29 DU for 17 October at this place, the ozone depths 0.012713 and
    // 0.032512 and the ozone air mass 1.552363: the aerosol depths
    // 0.517296 − 0.111375 − 0.012713 × 1.552363/1.557010 = 0.393246 and
    // 0.517296 − 0.046675 − 0.032512 × 1.552363/1.557010 = 0.438206, α −0.5078.
    EXPECT_NEAR(*r[0].ozoneDu, 310.29, 0.01);
    EXPECT_NEAR(*r[0].tauRayleighVert, 0.111375, 1e-6);
    EXPECT_NEAR(*r[0].tauRayleighRouge, 0.046675, 1e-6);
    EXPECT_NEAR(*r[0].tauOzoneVert, 0.012713, 1e-6);
    EXPECT_NEAR(*r[0].tauOzoneRouge, 0.032512, 1e-6);
    EXPECT_NEAR(*r[0].eoVert, 0.393246, 5e-5);
    EXPECT_NEAR(*r[0].eoRouge, 0.438206, 5e-5);
    EXPECT_NEAR(*r[0].angstrom, -0.5078, 5e-4);
    EXPECT_TRUE(r[0].uEoVert && r[0].uEoRouge && r[0].uAngstrom);
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

TEST(Recalcul, ProgramFormulaAndOverrides) {
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("12:30:30", "1,000", "1,000")},
    }));
    struct Cas {
        const char* cas;
        bool formuleProgramme;
        std::optional<double> pression, ozone, ozoneSite;
        double vert, rouge, du;
    };
    // By hand from the record above: the main window's formula takes
    // 0.138 and 0.058 × 820/1013 and no ozone (0.405589, 0.470347);
    // 300 DU given leaves 0.012291 and 0.031434 vertical.
    const Cas cas[] = {
        {"the main window's formula", true, {}, {}, {}, 0.405589, 0.470347, 310.29},
        {"--ozone", false, {}, 300, 250, 0.393666, 0.439281, 300},
        {"Ozone= in the site", false, {}, {}, 300, 0.393666, 0.439281, 300},
        // 0.517296 − 0.137623 × 900/1013.25 − 0.012713 × 1.552363/1.557010
        {"--pression", false, 900, {}, {}, 0.382380, 0.433653, 310.29},
    };
    for (const Cas& c : cas) {
        ReglagesRecalcul reglages = ReglagesExemple();
        reglages.formuleProgramme = c.formuleProgramme;
        reglages.pression = c.pression;
        reglages.ozone = c.ozone;
        reglages.site.ozone = c.ozoneSite;
        const auto r = Recalculer(j, reglages);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_NEAR(*r[0].eoVert, c.vert, 5e-5) << c.cas;
        EXPECT_NEAR(*r[0].eoRouge, c.rouge, 5e-5) << c.cas;
        EXPECT_NEAR(*r[0].ozoneDu, c.du, 0.01) << c.cas;
        EXPECT_EQ(r[0].pression, c.pression ? 900 : 820) << c.cas;
        // The former values carry no uncertainty of the aerosol's.
        EXPECT_EQ(r[0].uEoVert.has_value(), !c.formuleProgramme) << c.cas;
    }
}

TEST(Recalcul, PressureFarFromTheSiteAltitudeSaidOncePerSeries) {
    std::vector<std::string> lignes = recording::LignesEnTeteA(EnTeteExemple());
    lignes.push_back(Simple("12:30:30", "1,000", "1,000"));
    lignes.push_back(Simple("12:30:40", "1,000", "1,000"));
    struct Cas {
        const char* cas;
        double altitude;
        std::optional<double> pression;
        size_t remarques;
    };
    const Cas cas[] = {{"820 hPa at 1830 m", 1830.14, {}, 0},
                       {"820 hPa at sea level", 0, {}, 1},
                       {"--pression 1013 at 1830 m", 1830.14, 1013, 1},
                       {"--pression 1013 at sea level", 0, 1013, 0}};
    for (const Cas& c : cas) {
        ReglagesRecalcul reglages = ReglagesExemple();
        reglages.site.altitude = c.altitude;
        reglages.pression = c.pression;
        std::vector<Anomalie> anomalies;
        Recalculer(LireJournee(lignes), reglages, &anomalies);
        ASSERT_EQ(anomalies.size(), c.remarques) << c.cas;
        if (c.remarques == 0) continue;
        EXPECT_EQ(anomalies[0].ligne, 1u) << c.cas;  // the header's first line
        EXPECT_NE(anomalies[0].message.find("hPa de l'atmosphère standard"), std::string::npos)
            << anomalies[0].message;
    }
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

// The UTC instant of a local time of 2025, for a zone `decalage` seconds ahead.
int64_t Utc2025(int mois, int jour, const char* heure, int decalageHeures) {
    int h = 0, m = 0, s = 0;
    std::sscanf(heure, "%d:%d:%d", &h, &m, &s);
    // 2025-01-01 is day 20,089 after 1970-01-01; then the days before each month.
    static const int64_t Debut2025 = 20089;
    static const int JoursAvant[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int64_t j = Debut2025 + JoursAvant[mois - 1] + jour - 1;
    return j * 86400 + h * 3600 + m * 60 + s - decalageHeures * 3600;
}

TEST(Recalcul, SummerTimeChangesWithinASeries) {
    const struct {
        const char* cas;
        const char* fuseau;
        const char* date;
        int mois, jour;
        std::vector<const char*> heures;
        std::vector<int> decalages;   // hours, expected per record
        std::vector<size_t> sautees;  // indices of the records said skipped
    } cas[] = {
        {"Paris, spring",
         "Europe/Paris",
         "Dimanche 30 Mars - ",
         3,
         30,
         {"01:50:00", "02:30:00", "03:10:00"},
         {1, 1, 2},
         {1}},
        {"Paris, autumn: the clock steps back into the repeated hour",
         "Europe/Paris",
         "Dimanche 26 Octobre - ",
         10,
         26,
         {"01:50:00", "02:10:00", "02:50:00", "02:05:00", "02:30:00", "03:10:00"},
         {2, 2, 2, 1, 1, 1},
         {}},
        {"Paris, autumn: once only through the hour",
         "Europe/Paris",
         "Dimanche 26 Octobre - ",
         10,
         26,
         {"02:10:00", "02:50:00", "03:10:00"},
         {2, 2, 1},
         {}},
        {"New York, spring",
         "America/New_York",
         "Dimanche 9 Mars - ",
         3,
         9,
         {"01:30:00", "02:15:00", "02:59:59", "03:00:00"},
         {-5, -5, -5, -4},
         {1, 2}},
        {"New York, autumn",
         "America/New_York",
         "Dimanche 2 Novembre - ",
         11,
         2,
         {"00:59:00", "01:10:00", "01:50:00", "01:05:00", "01:40:00", "02:10:00"},
         {-4, -4, -4, -5, -5, -5},
         {}},
    };
    for (const auto& c : cas) {
        std::vector<std::string> lignes = recording::LignesEnTeteA(EnTeteExemple(c.date));
        for (const char* h : c.heures) lignes.push_back(Simple(h, "1,000", "1,000"));
        ReglagesRecalcul reglages = ReglagesExemple();
        // 820 hPa is this altitude's: no pressure remark among the clock's.
        reglages.site = {45.76, 4.84, 1700, c.fuseau};
        reglages.annee = 2025;
        std::vector<Anomalie> anomalies;
        const auto r = Recalculer(LireJournee(lignes), reglages, &anomalies);
        ASSERT_EQ(r.size(), c.heures.size()) << c.cas;
        std::vector<int> decalages;
        for (size_t i = 0; i < r.size(); ++i) {
            decalages.push_back(r[i].decalage / 3600);
            ASSERT_TRUE(r[i].utc) << c.cas;
            EXPECT_EQ(*r[i].utc, Utc2025(c.mois, c.jour, c.heures[i], r[i].decalage / 3600))
                << c.cas << " " << c.heures[i];
        }
        EXPECT_EQ(decalages, c.decalages) << c.cas;
        std::vector<size_t> sautees;
        for (const Anomalie& a : anomalies) {
            EXPECT_NE(a.message.find("sautée au passage à l'heure d'été : placée avec le "
                                     "décalage d'avant (UTC"),
                      std::string::npos)
                << a.message;
            sautees.push_back(a.ligne - 9);
        }
        EXPECT_EQ(sautees, c.sautees) << c.cas;
    }
}

TEST(Recalcul, AnOvernightGapIsTheNextDay) {
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("17:00:00", "1,000", "1,000"), Simple("09:00:00", "1,000", "1,000")},
    }));
    const auto r = Recalculer(j, ReglagesExemple());
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(*r[1].utc - *r[0].utc, 16 * 3600);
}

TEST(Recalcul, TheHeadersWeekdayNamesTheYearWhenTheFilesDateDoesNot) {
    const struct {
        const char* cas;
        std::string date;
        std::optional<int> donnee;  // --annee
        Date modification;
        std::optional<int> annee;
        std::string remarque;
    } cas[] = {
        {"the file's year", "Vendredi 17 Octobre - ", {}, {2003, 11, 2}, 2003, ""},
        {"a file touched a year later",
         "Vendredi 17 Octobre - ",
         {},
         {2004, 11, 1},
         2003,
         "le jour de la semaine désigne l'année 2003, retenue au lieu de 2004 tirée de la date "
         "du fichier"},
        {"the nearest year, later",
         "Lundi 17 Octobre - ",
         {},
         {2004, 11, 1},
         2005,
         "le jour de la semaine désigne l'année 2005, retenue au lieu de 2004 tirée de la date "
         "du fichier"},
        {"five years away",
         "Samedi 17 Octobre - ",
         {},
         {2004, 11, 1},
         2009,
         "le jour de la semaine désigne l'année 2009, retenue au lieu de 2004 tirée de la date "
         "du fichier"},
        {"a 29 February finds its leap year",
         "Jeudi 29 Février - ",
         {},
         {2025, 6, 1},
         2024,
         "le jour de la semaine désigne l'année 2024, retenue au lieu de 2025 tirée de la date "
         "du fichier"},
        {"a 29 February with no leap year near on that weekday",
         "Vendredi 29 Février - ",
         {},
         {2025, 6, 1},
         {},
         "aucune année proche de 2025 n'a ce jour : la série ne peut être datée"},
        {"the year given wins",
         "Vendredi 17 Octobre - ",
         2004,
         {2004, 11, 1},
         2004,
         "le jour de la semaine ne correspond pas à l'année 2004"},
        {"the year given has no 29 February",
         "Jeudi 29 Février - ",
         2025,
         {2025, 6, 1},
         {},
         "le 29 février n'existe pas en 2025 : la série ne peut être datée"},
    };
    for (const auto& c : cas) {
        ReglagesRecalcul r = ReglagesExemple();
        r.annee = c.donnee;
        r.modification = c.modification;
        std::vector<Anomalie> anomalies;
        const auto x = Recalculer(
            LireJournee(Fichier(
                {recording::LignesEnTeteA(EnTeteExemple(c.date)),
                 {Simple("12:30:30", "1,000", "1,000"), Simple("12:30:31", "1,000", "1,000")}})),
            r, &anomalies);
        ASSERT_EQ(x.size(), 2u) << c.cas;
        EXPECT_EQ(x[0].utc.has_value(), c.annee.has_value()) << c.cas;
        EXPECT_EQ(Recalculateur(r)
                      .Annee(LireJournee(Fichier({recording::LignesEnTeteA(EnTeteExemple(c.date))}))
                                 .series[0]
                                 .enTete)
                      .annee,
                  c.annee)
            << c.cas;
        if (c.remarque.empty()) {
            EXPECT_TRUE(anomalies.empty()) << c.cas << ": " << anomalies[0].message;
        } else {
            ASSERT_EQ(anomalies.size(), 1u) << c.cas << ": said once a series";
            EXPECT_EQ(anomalies[0].ligne, 1u);
            EXPECT_EQ(anomalies[0].message, c.remarque) << c.cas;
        }
    }
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
