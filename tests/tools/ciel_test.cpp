#include "tools/simulator/ciel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

using namespace simulateur;

namespace {

// 20 March 2024 and 21 June 2024, at the given UTC hour.
std::time_t Utc(int mois, int jour, double heure) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = mois - 1;
    t.tm_mday = jour;
    t.tm_hour = static_cast<int>(heure);
    t.tm_min = static_cast<int>((heure - t.tm_hour) * 60);
    return timegm(&t);
}

// How the program reads a measurement: the aerosol depth of a channel from
// its count, at sea level.
double ProfondeurAerosol(uint16_t compte, uint16_t v0, uint16_t vn, double d, double elevation,
                         double tauRayleigh) {
    const double m = 1.0 / std::sin(elevation * M_PI / 180.0);
    const double v = TensionDeCompte(compte), v0v = TensionDeCompte(v0), vnv = TensionDeCompte(vn);
    return (std::log(v0v / (d * d)) - std::log(v - vnv) - tauRayleigh * m) / m;
}

double Celsius(uint16_t compte) {
    const double vt = compte * 5.0 / 1024.0 / 2.375;
    return std::sqrt((1.8639 - vt) / 3.88e-6 + 2196200) - 1481.96 - 1;
}

struct FichierTemporaire {
    std::string chemin = "/tmp/comptes-" + std::to_string(getpid()) + ".txt";
    explicit FichierTemporaire(const std::string& contenu) { std::ofstream(chemin) << contenu; }
    ~FichierTemporaire() { std::remove(chemin.c_str()); }
};

}  // namespace

TEST(Soleil, ElevationFollowsTheDayAndTheSeasons) {
    const Site greenwich{45.0, 0.0};
    // Solar noon at the equinox: 90 - latitude; at the June solstice 23.4 more.
    EXPECT_NEAR(ElevationSoleil(greenwich, Utc(3, 20, 12.1)), 45.0, 1.0);
    EXPECT_NEAR(ElevationSoleil(greenwich, Utc(6, 21, 12.0)), 68.4, 1.0);
    EXPECT_LT(ElevationSoleil(greenwich, Utc(3, 20, 0.0)), -40.0);
    // Longitude moves noon: 15 degrees east is an hour earlier.
    const Site est{45.0, 15.0};
    EXPECT_NEAR(ElevationSoleil(est, Utc(3, 20, 11.1)), 45.0, 1.0);
    EXPECT_LT(ElevationSoleil(est, Utc(3, 20, 14.0)), ElevationSoleil(greenwich, Utc(3, 20, 14.0)));
}

TEST(CielClair, TheProgramRecoversTheOpticalDepths) {
    const Site site{45.0, 0.0};
    const Identification cal;
    for (const double heure : {12.0, 9.0, 15.5}) {
        SCOPED_TRACE(heure);
        const std::time_t t = Utc(6, 21, heure);
        const Comptes c = ComptesAttendus(site, cal, t, 0.15, 0.10);
        const double h = ElevationSoleil(site, t);
        const double d = DistanceTerreSoleil(173);
        // A count is worth a few thousandths of depth at these voltages.
        EXPECT_NEAR(ProfondeurAerosol(c.vert, cal.v0Vert, cal.vnVert, d, h, 0.138), 0.15, 0.01);
        EXPECT_NEAR(ProfondeurAerosol(c.rouge, cal.v0Rouge, cal.vnRouge, d, h, 0.058), 0.10, 0.01);
        EXPECT_NEAR(Celsius(c.temperature), 21.5, 3.0);
    }
    // Noon is brighter than the morning; more aerosol is darker.
    const Comptes midi = ComptesAttendus(site, cal, Utc(6, 21, 12.0), 0.15, 0.10);
    const Comptes matin = ComptesAttendus(site, cal, Utc(6, 21, 7.0), 0.15, 0.10);
    const Comptes voile = ComptesAttendus(site, cal, Utc(6, 21, 12.0), 0.6, 0.4);
    EXPECT_GT(midi.vert, matin.vert);
    EXPECT_GT(midi.rouge, matin.rouge);
    EXPECT_GT(midi.vert, voile.vert);
    EXPECT_GT(midi.rouge, voile.rouge);
}

TEST(CielClair, NightAndLowSunGiveTheDarkValue) {
    const Site site{45.0, 0.0};
    const Identification cal;
    const Comptes nuit = ComptesAttendus(site, cal, Utc(3, 20, 23.0), 0.15, 0.10);
    EXPECT_EQ(nuit.vert, cal.vnVert);
    EXPECT_EQ(nuit.rouge, cal.vnRouge);
    // Just after sunrise the long air path leaves hardly more than the dark value.
    Comptes aube{};
    for (double heure = 4.0; heure < 9.0; heure += 1.0 / 60) {
        if (ElevationSoleil(site, Utc(3, 20, heure)) > 0.5) {
            aube = ComptesAttendus(site, cal, Utc(3, 20, heure), 0.15, 0.10);
            break;
        }
    }
    EXPECT_LE(aube.vert, cal.vnVert + 2);
}

TEST(CielClair, NoisyCountsStayPlausible) {
    // A V0 that would exceed the scale under a high sun is clamped below 1023,
    // which the program would refuse.
    Identification fort;
    fort.v0Vert = fort.v0Rouge = 2000;
    const Site site{45.0, 0.0};
    TCielClair ciel(site, fort, 1);
    TCielClair normal(site, Identification{}, 2);
    const std::time_t midi = Utc(6, 21, 12.0);
    for (int i = 0; i < 500; ++i) {
        const Comptes attendu = ComptesAttendus(site, Identification{}, midi + i, 0.15, 0.10);
        const Comptes c = ciel.Mesurer(midi + i);
        EXPECT_LE(c.vert, CompteMax);
        EXPECT_LE(c.rouge, CompteMax);
        const Comptes n = normal.Mesurer(midi + i);
        // The haze wanders by up to 15 % of its depth: a few counts.
        EXPECT_NEAR(n.vert, attendu.vert, 20);
        EXPECT_NEAR(n.rouge, attendu.rouge, 20);
        EXPECT_NEAR(n.temperature, attendu.temperature, 2);
    }
}

TEST(FichierComptes, ReadsLinesAndRefusesWhatItCannotRead) {
    {
        FichierTemporaire f("# vert rouge temperature\r\n512 400 780\r\n\n  1023;0;65535 \n");
        EXPECT_EQ(LireFichierComptes(f.chemin),
                  (std::vector<Comptes>{{512, 400, 780}, {1023, 0, 65535}}));
    }
    for (const char* faux :
         {"512 400\n", "512 400 780 1\n", "512 400 65536\n", "512 -1 780\n", "512 4,5 780\n"}) {
        SCOPED_TRACE(faux);
        FichierTemporaire f(std::string("1 2 3\n") + faux);
        try {
            LireFichierComptes(f.chemin);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("ligne 2"), std::string::npos) << e.what();
        }
    }
    FichierTemporaire vide("# rien\n\n");
    EXPECT_THROW(LireFichierComptes(vide.chemin), std::runtime_error);
    EXPECT_THROW(LireFichierComptes("/tmp/pas-de-fichier-ici.txt"), std::runtime_error);
}

// The elevation the simulator tells the user to type is the one that gives
// back its sky's aerosol depth; a sun below the horizon is said, not given.
TEST(CielClair, ElevationToTypeGivesBackTheSky) {
    const Identification cal;
    const struct {
        Site site;
        int mois, jour;
        double heure;  // UTC
        bool jour_;
    } cas[] = {
        {{45.0, 5.0}, 6, 21, 11.7, true},   // noon in June
        {{45.0, 5.0}, 12, 21, 11.8, true},  // noon in December
        {{45.0, 5.0}, 3, 20, 7.2, true},    // low morning sun
        {{-33.9, 18.4}, 12, 21, 10.8, true},
        {{45.0, 5.0}, 3, 20, 23.0, false},  // night
        {{45.0, 5.0}, 12, 21, 3.0, false},
        {{45.0, 5.0}, 3, 20, 5.85, false},  // rising, not yet half a degree up
    };
    const std::string avant = "Angle d'élévation à taper dans Solvenare : ";
    for (const auto& c : cas) {
        const std::time_t t = Utc(c.mois, c.jour, c.heure);
        const std::string texte = ElevationATaper(c.site, t);
        SCOPED_TRACE(texte);
        if (!c.jour_) {
            EXPECT_EQ(texte.rfind("Le soleil simulé est sous l'horizon (", 0), 0u);
            EXPECT_NE(texte.find("--midi"), std::string::npos);
            continue;
        }
        ASSERT_EQ(texte.rfind(avant, 0), 0u);
        // "22 (le soleil simulé est à 22,4° en ce moment)."
        const int tape = std::stoi(texte.substr(avant.size()));
        const auto a = texte.find(" est à ") + 8, b = texte.find("°", a);
        std::string dixiemes = texte.substr(a, b - a);
        ASSERT_NE(dixiemes.find(','), std::string::npos) << "a decimal comma";
        std::replace(dixiemes.begin(), dixiemes.end(), ',', '.');
        const double vraie = std::stod(dixiemes);
        EXPECT_LE(std::abs(tape - vraie), 0.55);
        std::tm local{};
        localtime_r(&t, &local);
        const double d = DistanceTerreSoleil(local.tm_yday + 1);
        const Comptes vu = ComptesAttendus(c.site, cal, t, 0.15, 0.10);
        EXPECT_NEAR(ProfondeurAerosol(vu.vert, cal.v0Vert, cal.vnVert, d, vraie, 0.138), 0.15,
                    0.01);
        // The whole degrees typed leave an error of a few hundredths at most.
        EXPECT_NEAR(ProfondeurAerosol(vu.vert, cal.v0Vert, cal.vnVert, d, tape, 0.138), 0.15, 0.05);
    }
}
