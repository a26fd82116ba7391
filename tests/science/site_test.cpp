#include "science/site.h"

#include <gtest/gtest.h>

#include "science/fuseau.h"
#include "tests/support/dossier.h"

namespace science {
namespace {

std::string Erreur(const std::vector<std::string>& lignes) {
    try {
        SiteDepuisLignes(lignes);
    } catch (const ErreurSite& e) {
        return e.Message();
    }
    return "";
}

TEST(Site, FileIsWindows1252WithCrLfAndReadsBack) {
    Dossier d;
    const std::string chemin = d.Fichier("Site.txt");
    const Site site{45.764, -4.8357, 170, "Europe/Paris"};
    EcrireSite(chemin, site);
    EXPECT_EQ(LireOctets(chemin),
              "Site de mesure Solvenare\r\n[Site]\r\nLatitude=45,764\r\nLongitude=-4,8357\r\n"
              "Altitude=170\r\nFuseau=Europe/Paris\r\n");
    const Site relu = LireSite(chemin);
    EXPECT_EQ(relu.latitude, 45.764);
    EXPECT_EQ(relu.longitude, -4.8357);
    EXPECT_EQ(relu.altitude, 170);
    EXPECT_EQ(relu.fuseau, "Europe/Paris");
    EXPECT_FALSE(relu.ozone);

    // The ozone column, when known, follows the zone.
    Site ozone = site;
    ozone.ozone = 312.5;
    EcrireSite(chemin, ozone);
    EXPECT_EQ(LireOctets(chemin),
              "Site de mesure Solvenare\r\n[Site]\r\nLatitude=45,764\r\nLongitude=-4,8357\r\n"
              "Altitude=170\r\nFuseau=Europe/Paris\r\nOzone=312,5\r\n");
    EXPECT_EQ(LireSite(chemin).ozone, 312.5);
}

TEST(Site, AcceptsFullStopsLfAndMissingZoneAndAltitude) {
    const Site s = SiteDepuisLignes({"[Site]", "Longitude=2.35", "", "Latitude=48.85"});
    EXPECT_EQ(s.latitude, 48.85);
    EXPECT_EQ(s.longitude, 2.35);
    EXPECT_EQ(s.altitude, 0);
    EXPECT_EQ(s.fuseau, "");
}

TEST(Site, BadEntriesAreNamedInFrench) {
    const struct {
        std::vector<std::string> lignes;
        std::string message;
    } cas[] = {
        {{"Latitude=abc", "Longitude=2"}, "Fichier du site, ligne 1 : « abc » n'est pas un nombre"},
        {{"Latitude=91", "Longitude=2"}, "Latitude hors limites (-90 à 90 degrés) : 91"},
        {{"Latitude=45", "Longitude=-180,5"},
         "Longitude hors limites (-180 à 180 degrés) : -180,5"},
        {{"Latitude=45", "Longitude=2", "Altitude=9001"},
         "Altitude hors limites (-500 à 9000 mètres) : 9001"},
        {{"Latitude=45"}, "Fichier du site : la longitude manque"},
        {{"Longitude=2"}, "Fichier du site : la latitude manque"},
        {{"Latitude=45", "Hauteur=3"}, "Fichier du site, ligne 2 : clé inconnue « Hauteur »"},
        {{"Latitude=45", "Longitude=2", "Ozone=30"},
         "Ozone hors limites (50 à 800 unités Dobson) : 30"},
        {{"Latitude=45", "Longitude=2", "Ozone=trois cents"},
         "Fichier du site, ligne 3 : « trois cents » n'est pas un nombre"},
        {{"Latitude 45"},
         "Fichier du site, ligne 1 : « Latitude 45 » n'est pas de la forme Clé=valeur"},
    };
    for (const auto& c : cas) EXPECT_EQ(Erreur(c.lignes), c.message);
}

TEST(Site, TheFormsEntriesGiveTheSiteOrTheFirstFaultInTheFormsOrder) {
    const struct {
        SaisieSite saisie;
        std::string faute;  // empty: accepted
        Site site;
    } cas[] = {
        {{"45,764", "4.8357", "170", " Europe/Paris "}, "", {45.764, 4.8357, 170, "Europe/Paris"}},
        {{"-33,9", "18,4", " ", ""}, "", {-33.9, 18.4, 0, ""}},
        {{"90", "-180", "-500", "UTC+1"}, "", {90, -180, -500, "UTC+1"}},
        {{"", "est", "haut", "Lune/Mer"}, "La latitude n'est pas un nombre.", {}},
        {{"45,7", "est", "haut", ""}, "La longitude n'est pas un nombre.", {}},
        {{"45,7", "4,8", "haut", ""}, "L'altitude n'est pas un nombre.", {}},
        {{"95", "4,8", "170", "Lune/Mer"}, "Latitude hors limites (-90 à 90 degrés) : 95", {}},
        {{"45", "4,8", "9001", ""}, "Altitude hors limites (-500 à 9000 mètres) : 9001", {}},
        {{"45,7", "4,8", "170", "Lune/Mer"}, "Fuseau horaire inconnu", {}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.saisie.latitude + " " + c.saisie.fuseau);
        try {
            const Site s = SiteDepuisSaisie(c.saisie);
            EXPECT_EQ(c.faute, "");
            EXPECT_DOUBLE_EQ(s.latitude, c.site.latitude);
            EXPECT_DOUBLE_EQ(s.longitude, c.site.longitude);
            EXPECT_DOUBLE_EQ(s.altitude, c.site.altitude);
            EXPECT_EQ(s.fuseau, c.site.fuseau);
        } catch (const ErreurSite& e) {
            EXPECT_FALSE(c.faute.empty()) << e.Message();
            EXPECT_EQ(e.Message().rfind(c.faute, 0), 0u) << e.Message();
        }
    }
}

TEST(Site, MissingFileIsAFrenchError) {
    try {
        LireSite("/tmp/pas-de-site-ici/Site.txt");
        FAIL();
    } catch (const ErreurSite& e) {
        EXPECT_EQ(
            e.Message(),
            "Fichier du site « /tmp/pas-de-site-ici/Site.txt » illisible : Fichier introuvable");
    }
}

TEST(Site, CommandLineArgument) {
    const Site s = SiteDepuisArgument("39.742476,-105.1786,1830.14");
    EXPECT_EQ(s.latitude, 39.742476);
    EXPECT_EQ(s.longitude, -105.1786);
    EXPECT_EQ(s.altitude, 1830.14);
    EXPECT_EQ(SiteDepuisArgument("-33.9,18.4").altitude, 0);
    for (const char* faux : {"45", "45,2,3,4", "45,,2", "nord,2", "95,2", ""})
        EXPECT_THROW(SiteDepuisArgument(faux), ErreurSite) << faux;
}

TEST(Fuseau, FixedOffsetsAndNamedZones) {
    const struct {
        const char* nom;
        int64_t local;  // seconds since 1970 on the local clock
        int32_t decalage;
    } cas[] = {
        {"UTC", 0, 0},
        {"UTC+2", 0, 7200},
        {"UTC-07:00", 0, -25200},
        {"+05:30", 0, 19800},
        {"Europe/Paris", 1736942400, 3600},      // 2025-01-15 12:00
        {"Europe/Paris", 1752580800, 7200},      // 2025-07-15 12:00
        {"America/Denver", 1066393830, -21600},  // 2003-10-17 12:30:30, summer time
    };
    for (const auto& c : cas) {
        Fuseau f(c.nom);
        EXPECT_EQ(f.DecalageLocal(c.local), c.decalage) << c.nom;
        EXPECT_EQ(f.VersUtc(c.local), c.local - c.decalage) << c.nom;
    }
    for (const char* faux : {"Mars/Olympus", "UTC+25", "../../etc/passwd", "UTC+1x"})
        EXPECT_THROW(Fuseau{faux}, ErreurFuseau) << faux;
}

TEST(Fuseau, NamedZoneLeavesTheProcessZoneAlone) {
    const char* avant = std::getenv("TZ");
    const std::string attendu = avant ? avant : "(none)";
    Fuseau("Asia/Tokyo").DecalageLocal(0);
    const char* apres = std::getenv("TZ");
    EXPECT_EQ(apres ? apres : "(none)", attendu);
}

}  // namespace
}  // namespace science
