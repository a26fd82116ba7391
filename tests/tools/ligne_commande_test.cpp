#include "tools/simulator/ligne_commande.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "tools/simulator/ciel.h"

using namespace simulateur;

TEST(LigneCommande, DefaultsAndEveryOption) {
    const Options defaut = LireOptions({});
    EXPECT_FALSE(defaut.aide);
    EXPECT_EQ(defaut.reglages.nom, "SIM0");
    EXPECT_EQ(defaut.reglages.identification, Identification{});
    EXPECT_EQ(defaut.reglages.mode, Mode::Simple);
    EXPECT_EQ(defaut.reglages.cadence, 1.0);

    const Options o =
        LireOptions({"--nom",      "BANC",      "--mode=continu", "--cadence",  "2,5",
                     "--numero",   "200",       "--version",      "2,3",        "--v0-vert",
                     "3.1",        "--vn-vert", "0,02",           "--v0-rouge", "1,5",
                     "--vn-rouge", "0",         "--bruit",        "4",          "--decoupe",
                     "--silence",  "0",         "--latitude",     "-33,9",      "--longitude",
                     "151,2",      "--discret"});
    EXPECT_EQ(o.reglages.nom, "BANC");
    EXPECT_EQ(o.reglages.mode, Mode::Continu);
    EXPECT_EQ(o.reglages.cadence, 2.5);
    EXPECT_EQ(o.reglages.identification, (Identification{200, 23, 635, 4, 307, 0}));
    EXPECT_EQ(o.reglages.bruit, 4);
    EXPECT_TRUE(o.reglages.decoupe);
    EXPECT_EQ(o.reglages.silence.count(), 0);
    EXPECT_DOUBLE_EQ(o.reglages.site.latitude, -33.9);
    EXPECT_DOUBLE_EQ(o.reglages.site.longitude, 151.2);
    EXPECT_TRUE(o.discret);
    EXPECT_TRUE(LireOptions({"-h"}).aide);
    EXPECT_NE(TexteAide().find("--cadence"), std::string::npos);
}

TEST(LigneCommande, SimulatedHourIsThatLocalTimeToday) {
    const auto o = LireOptions({"--heure", "13:45"});
    const std::time_t simule = std::time(nullptr) + o.reglages.decalageHorloge.count();
    std::tm t{};
    localtime_r(&simule, &t);
    EXPECT_EQ(t.tm_hour, 13);
    EXPECT_EQ(t.tm_min, 45);
}

TEST(LigneCommande, MiddayStartsAtTheSitesHighestSunWhateverTheClock) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--midi"}, {"--midi", "--latitude", "-33,9", "--longitude", "151,2"}}) {
        SCOPED_TRACE(arguments.size());
        const auto o = LireOptions(arguments);
        const std::time_t simule = std::time(nullptr) + o.reglages.decalageHorloge.count();
        const double midi = ElevationSoleil(o.reglages.site, simule);
        EXPECT_GE(midi, ElevationSoleil(o.reglages.site, simule - 1800));
        EXPECT_GE(midi, ElevationSoleil(o.reglages.site, simule + 1800));
        // At these latitudes the noon sun stands above 20 degrees all year.
        EXPECT_GT(midi, 20.0);
        EXPECT_LE(std::abs(o.reglages.decalageHorloge.count()), 12 * 3600);
    }
}

TEST(LigneCommande, RefusesWhatItCannotUse) {
    for (const std::vector<std::string>& faux :
         std::vector<std::vector<std::string>>{{"--cadence", "-1"},
                                               {"--cadence", "vite"},
                                               {"--cadence"},
                                               {"--mode", "rapide"},
                                               {"--numero", "256"},
                                               {"--version", "25,6"},
                                               {"--v0-vert", "5,1"},
                                               {"--v0-vert", "2,1V"},
                                               {"--heure", "25:00"},
                                               {"--heure", "midi"},
                                               {"--bruit", "1.5"},
                                               {"--decoupe=oui"},
                                               {"--midi=oui"},
                                               {"--midi", "--heure", "12:00"},
                                               {"--inconnue"},
                                               {"--comptes", "/tmp/pas-de-fichier-ici.txt"}}) {
        SCOPED_TRACE(faux.front());
        EXPECT_THROW(LireOptions(faux), std::runtime_error);
    }
}
