// The real program run as a user runs it, in a folder of its own.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>
#include <tuple>

#include "platform/textfile.h"
#include "science/export_csv.h"
#include "science/filtrage_nuages.h"
#include "science/masse_air.h"
#include "science/nombres.h"
#include "science/recalcul.h"
#include "science/site.h"
#include "science/soleil.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace {

struct Resultat {
    int code = -1;
    std::string sortie, erreurs;
};

Resultat Lancer(const Dossier& d, const std::string& arguments) {
    // Without a display, as on a build machine: a developer's screen (or an
    // offscreen platform in the shell) would open the window and wait.
    const std::string commande =
        "cd '" + d.chemin +
        "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" SOLVENARE_JOURNEE "' " +
        arguments + " >sortie.txt 2>erreurs.txt";
    const int statut = std::system(commande.c_str());
    Resultat r;
    r.code = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    r.sortie = LireOctets(d.Fichier("sortie.txt"));
    r.erreurs = LireOctets(d.Fichier("erreurs.txt"));
    return r;
}

// The creation line and a header, as the program writes them.
std::vector<std::string> EnTeteOctobre() {
    return {
        "SOLVENARE",
        "-- Date     : Vendredi 17 Octobre - ",
        "-- Photomètre n°7 Logiciel v1,2",
        "-- Pression : 820 hPa",
        "-- Angle d'élévation solaire : 20 deg",
        "ETALONNAGE",
        "-- V0Vert  = 2,00V VnVert  = 0,10V",
        "-- V0Rouge = 2,00V VnRouge = 0,10V",
        "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température",
    };
}

// A clear morning at the published solar-position example's site, one record
// a minute, written as the program writes it (a torn last line included).
void EcrireMatinee(const std::string& chemin) {
    std::vector<std::string> lignes = EnTeteOctobre();
    for (int minute = 7 * 60 + 30; minute < 11 * 60; ++minute) {
        char ligne[96];
        std::snprintf(ligne, sizeof ligne, "Simple;%02d:%02d:00  ;1,234;0,20;1,456;0,10;21",
                      minute / 60, minute % 60);
        lignes.push_back(ligne);
    }
    lignes.push_back("Simple;11:00:00  ;1,2");
    WriteTextFile(chemin, lignes);
}

TEST(Journee, LangleyGivesV0BackThroughTheCommandLine) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    const Resultat r = Lancer(d,
                              "lyon.txt --site 45.764,4.8357,170 --fuseau UTC+1 --annee 2026 "
                              "--langley 08:00-12:00");
    ASSERT_EQ(r.code, 0) << r.erreurs;
    std::istringstream flux(r.sortie);
    // The ozone is taken out with its own air mass, so the slope is minus
    // the aerosol and Rayleigh depth (1008 hPa) once the dawn haze has
    // lifted: 0.098 + 0.137 green and 0.079 + 0.057 red; and V0 comes back
    // within 0.3 % (left in, the ozone lowered it by 0.5 % and 0.9 %).
    for (const auto& [voie, v0, pente] :
         {std::tuple{"vert", 2.12, -0.235}, {"rouge", 2.05, -0.136}}) {
        std::string ligne;
        std::getline(flux, ligne);
        const auto champs = science::Decouper(ligne, ';');
        ASSERT_EQ(champs.size(), 9u) << ligne;
        EXPECT_EQ(champs[1], voie);
        EXPECT_NEAR(std::stod(champs[2]), v0, v0 * 0.003) << ligne;
        EXPECT_NEAR(std::stod(champs[4]), pente, 0.005) << ligne;
        EXPECT_GT(std::stod(champs[5]), 0.99) << ligne;
        EXPECT_GT(std::stoi(champs[6]), 100) << ligne;
        EXPECT_EQ(champs[8], "ok") << ligne;
    }
    EXPECT_EQ(r.erreurs.find("Langley : voie"), std::string::npos) << r.erreurs;
}

TEST(Journee, LangleyLinesSayWhichChecksTheFitFails) {
    // The same checks as the day view: a hazy, unstable morning still gives
    // a line, marked, and its reasons in French; a range without records
    // has no fit at all.
    Dossier d;
    EcrireMatineeClaire(d.Fichier("brume.txt"), 2.12, 2.05, 0.08);
    const struct {
        std::string plage;
        std::string verdictVert, erreur;  // the verdict's beginning
    } cas[] = {
        {"08:00-12:00", "r2+dispersion", "Langley : voie verte : R² = 0,"},
        {"09:30-09:35", "points+etendue+",
         "Langley : voie verte : 11 points retenus (il en faut 20)"},
        {"13:00-14:00", "points", "Langley : aucun enregistrement entre 13:00:00 et 14:00:00"},
    };
    for (const auto& c : cas) {
        const Resultat r = Lancer(d,
                                  "brume.txt --site 45.764,4.8357,170 --fuseau UTC+1 --annee "
                                  "2026 --langley " +
                                      c.plage);
        EXPECT_EQ(r.code, 0) << r.erreurs;
        const std::string vert = r.sortie.substr(0, r.sortie.find('\n'));
        const auto champs = science::Decouper(vert, ';');
        ASSERT_EQ(champs.size(), 9u) << vert;
        EXPECT_EQ(champs[8].rfind(c.verdictVert, 0), 0u) << champs[8] << "\n" << r.erreurs;
        EXPECT_NE(r.erreurs.find(c.erreur), std::string::npos) << c.plage << "\n" << r.erreurs;
    }
}

TEST(Journee, ExitCodesAndFrenchMessages) {
    Dossier d;
    EcrireMatinee(d.Fichier("matin.txt"));
    const struct {
        std::string arguments;
        int code;
        std::string erreur;  // beginning of standard error
    } cas[] = {
        {"--resume", 2, "solvenare-journee : fichier de mesures manquant"},
        {"matin.txt --vitesse 3", 2, "solvenare-journee : option inconnue : --vitesse"},
        {"matin.txt --site 95,2", 2, "solvenare-journee : --site : Latitude hors limites"},
        {"matin.txt --site 39.7,-105.2,1830 --fuseau Lune/Mer", 2,
         "solvenare-journee : Fuseau horaire inconnu : « Lune/Mer »"},
        {"absent.txt --site 39.7,-105.2,1830", 1,
         "solvenare-journee : Impossible de lire « absent.txt » : Fichier introuvable"},
        {"matin.txt --csv -", 1, "solvenare-journee : Fichier du site « Site.txt » illisible"},
        {"matin.txt --site 39.7,-105.2,1830 --fuseau UTC-7 --annee 2003 --csv "
         "/pas/de/dossier/x.csv",
         1,
         "solvenare-journee : Impossible d'écrire « /pas/de/dossier/x.csv » : Fichier introuvable"},
        {"matin.txt --site 39.7,-105.2,1830 --fuseau UTC-7 --annee 2003", 0,
         "matin.txt, ligne 220 : enregistrement de 3 champs au lieu de 7"},
        {"matin.txt --site 39.7,-105.2,1830 --annee 2003", 0,
         "solvenare-journee : pas de --fuseau : celui du système est utilisé"},
        // 820 hPa at sea level: typed from a barometer reduced to sea level?
        {"matin.txt --site 39.7,-105.2 --fuseau UTC-7 --annee 2003 --csv /dev/null", 0,
         "matin.txt, ligne 2 : pression de 820 hPa, loin des 1013,3 hPa de l'atmosphère "
         "standard à 0 m d'altitude"},
        {"matin.txt --site 39.7,-105.2 --fuseau UTC-7 --annee 2003 --csv /dev/null --pression "
         "1013",
         0, "matin.txt, ligne 220 : enregistrement de 3 champs"},
        {"matin.txt --site 39.7,-105.2 --pression 1200", 2,
         "solvenare-journee : --pression : attendu une pression de 300 à 1100 hPa"},
        {"matin.txt --site 39.7,-105.2 --ozone 20", 2,
         "solvenare-journee : --ozone : attendu une colonne d'ozone de 50 à 800"},
        {"matin.txt --site 39.7,-105.2 --longueurs-onde 350,625", 2,
         "solvenare-journee : --longueurs-onde : « 350,625 » hors de 400 à 1000 nm"},
        {"--aide", 0, ""},
    };
    for (const auto& c : cas) {
        const Resultat r = Lancer(d, c.arguments);
        EXPECT_EQ(r.code, c.code) << c.arguments << "\n" << r.erreurs;
        EXPECT_EQ(r.erreurs.substr(0, c.erreur.size()), c.erreur) << c.arguments;
    }
}

// The CSV's columns by title, for the first record with depths.
std::map<std::string, std::string> PremiereMesure(const std::string& csv) {
    const auto lignes = science::Decouper(csv, '\n');
    const auto titres = science::Decouper(lignes.at(0).substr(0, lignes[0].size() - 1), ',');
    for (size_t i = 1; i < lignes.size(); ++i) {
        const auto champs = science::Decouper(lignes[i].substr(0, lignes[i].size() - 1), ',');
        if (champs.size() != titres.size() || champs[10].empty()) continue;
        std::map<std::string, std::string> m;
        for (size_t k = 0; k < titres.size(); ++k) m[titres[k]] = champs[k];
        return m;
    }
    return {};
}

TEST(Journee, GasesFollowTheWavelengthsAndTheProgramsFormulaStaysAtHand) {
    Dossier d;
    EcrireMatinee(d.Fichier("matin.txt"));
    const std::string base =
        "matin.txt --site 39.7,-105.2,1830 --fuseau UTC-7 --annee 2003 --csv -";
    const auto defaut = PremiereMesure(Lancer(d, base).sortie);
    const auto ondes = PremiereMesure(Lancer(d, base + " --longueurs-onde 500,670").sortie);
    const auto ancienne = PremiereMesure(Lancer(d, base + " --formule-programme").sortie);
    const auto donnee = PremiereMesure(Lancer(d, base + " --ozone 300 --pression 800").sortie);
    ASSERT_FALSE(defaut.empty());
    ASSERT_FALSE(ondes.empty());
    ASSERT_FALSE(ancienne.empty());
    ASSERT_FALSE(donnee.empty());
    // Bodhaine's Rayleigh at 820 hPa, then at the other wavelengths.
    EXPECT_EQ(defaut.at("tau_rayleigh_vert"), "0.1114");
    EXPECT_EQ(defaut.at("tau_rayleigh_rouge"), "0.0467");
    EXPECT_EQ(ondes.at("tau_rayleigh_vert"), "0.1160");
    EXPECT_EQ(ondes.at("tau_rayleigh_rouge"), "0.0352");
    EXPECT_NE(ondes.at("tau_ozone_rouge"), defaut.at("tau_ozone_rouge"));
    EXPECT_EQ(donnee.at("ozone_du"), "300.0");
    EXPECT_EQ(donnee.at("pression_hpa"), "800");
    EXPECT_EQ(donnee.at("tau_ozone_vert"), "0.0123");
    EXPECT_EQ(donnee.at("tau_rayleigh_vert"), "0.1087");
    // The former depths keep the ozone in: larger, more so in the red.
    const double vert = std::stod(defaut.at("eo_vert")), rouge = std::stod(defaut.at("eo_rouge"));
    EXPECT_GT(std::stod(ancienne.at("eo_vert")) - vert, 0.005);
    EXPECT_GT(std::stod(ancienne.at("eo_rouge")) - rouge, 0.015);
    EXPECT_EQ(ancienne.at("u_eo_vert"), "");
    EXPECT_NE(defaut.at("u_eo_vert"), "");
    EXPECT_NE(defaut.at("u_angstrom"), "");
    // Every row is screened: a level, and the criterion failed when 1.0.
    EXPECT_TRUE(defaut.at("niveau") == "1.5" || defaut.at("niveau") == "1.0");
    EXPECT_EQ(defaut.at("filtre").empty(), defaut.at("niveau") == "1.5");
}

TEST(Journee, SiteFileCsvOnStandardOutputAndLangley) {
    Dossier d;
    EcrireMatinee(d.Fichier("matin.txt"));
    science::EcrireSite(d.Fichier(science::NomFichierSite),
                        {39.742476, -105.1786, 1830.14, "UTC-7"});

    const Resultat csv = Lancer(d, "matin.txt --annee 2003 --csv -");
    ASSERT_EQ(csv.code, 0) << csv.erreurs;
    EXPECT_EQ(csv.sortie.substr(0, csv.sortie.find("\r\n")), science::EnTeteCsv);
    EXPECT_NE(csv.sortie.find("\r\n2003-10-17T14:30:00Z,2003-10-17T07:30:00-07:00,39.742476,"
                              "-105.178600,1830.1,820,"),
              std::string::npos);
    size_t lignes = 0;
    for (size_t p = 0; (p = csv.sortie.find("\r\n", p)) != std::string::npos; p += 2) ++lignes;
    EXPECT_EQ(lignes, 1u + 210u);

    const Resultat fichier = Lancer(d, "matin.txt --annee 2003 --csv sortie.csv");
    ASSERT_EQ(fichier.code, 0);
    EXPECT_EQ(LireOctets(d.Fichier("sortie.csv")), csv.sortie);

    // Constant voltages under a rising sun: the fit runs, the line's form is fixed.
    const Resultat langley = Lancer(d, "matin.txt --annee 2003 --langley 07:00-10:00");
    ASSERT_EQ(langley.code, 0) << langley.erreurs;
    std::istringstream flux(langley.sortie);
    std::string vert, rouge;
    std::getline(flux, vert);
    std::getline(flux, rouge);
    EXPECT_EQ(vert.rfind("langley;vert;", 0), 0u) << vert;
    EXPECT_EQ(rouge.rfind("langley;rouge;", 0), 0u) << rouge;
    EXPECT_EQ(std::count(vert.begin(), vert.end(), ';'), 8);
    EXPECT_EQ(vert.find(','), std::string::npos) << "decimal point, not comma";
    EXPECT_NE(langley.erreurs.find("Langley : série de la ligne 2"), std::string::npos);

    const Resultat resume = Lancer(d, "matin.txt --annee 2003 --resume");
    ASSERT_EQ(resume.code, 0);
    EXPECT_NE(resume.sortie.find("1 série(s), 210 enregistrement(s)"), std::string::npos)
        << resume.sortie;
}

TEST(Journee, SummarySaysWhenTheSunWasBelowTheHorizon) {
    Dossier d;
    science::EcrireSite(d.Fichier(science::NomFichierSite),
                        {39.742476, -105.1786, 1830.14, "UTC-7"});
    // A demonstration left running through the small hours, then sunrise.
    std::vector<std::string> lignes = EnTeteOctobre();
    for (const char* ligne : {"Simple;02:00:00  ;0,010;------;0,010;------;12",
                              "Simple;02:30:00  ;0,010;------;0,010;------;12",
                              "Simple;03:00:00  ;0,010;------;0,010;------;12",
                              "Simple;09:00:00  ;1,234;0,20;1,456;0,10;21"})
        lignes.push_back(ligne);
    WriteTextFile(d.Fichier("nuit.txt"), lignes);
    const Resultat r = Lancer(d, "nuit.txt --annee 2003 --resume");
    ASSERT_EQ(r.code, 0) << r.erreurs;
    EXPECT_NE(r.sortie.find("3 enregistrements sur 4 sans épaisseur optique : le soleil était "
                            "sous l'horizon entre 02:00:00 et 03:00:00"),
              std::string::npos)
        << r.sortie;

    EcrireMatinee(d.Fichier("matin.txt"));
    const Resultat jour = Lancer(d, "matin.txt --annee 2003 --resume");
    ASSERT_EQ(jour.code, 0);
    EXPECT_EQ(jour.sortie.find("horizon"), std::string::npos) << jour.sortie;
}

TEST(Journee, CsvRowsCarryTheScreeningOfTheirWholeSeries) {
    // Two clear December mornings in Lyon, the second with a cloud passing
    // for ten minutes (the sun dimmed by 5 to 80 % at random): the command
    // line, which streams the file twice, gives each row the level that the
    // screening of the whole file at once gives it.
    Dossier d;
    std::vector<std::string> lignes = {"SOLVENARE"};
    std::mt19937 hasard(5);
    std::uniform_real_distribution<double> voile(0.2, 0.95);
    std::vector<size_t> nuages;  // their lines
    for (int serie = 0; serie < 2; ++serie) {
        for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
        auto enregistrements = EnregistrementsMatineeClaire(2.12, 2.05, 0.002);
        for (size_t i = 0; i < enregistrements.size(); ++i) {
            std::string& l = enregistrements[i];
            if (serie == 1 && i >= 200 && i < 220) {
                // Simple;HH:MM:SS  ;V;0,20;V;0,10;21: both voltages dimmed alike.
                const auto champ = [&](size_t n) {
                    size_t debut = 0;
                    for (size_t k = 0; k < n; ++k) debut = l.find(';', debut) + 1;
                    return std::pair{debut, l.find(';', debut)};
                };
                const double f = voile(hasard);
                for (size_t n : {4u, 2u}) {
                    const auto [a, b] = champ(n);
                    std::string v = l.substr(a, b - a);
                    std::replace(v.begin(), v.end(), ',', '.');
                    char texte[16];
                    std::snprintf(texte, sizeof texte, "%.3f", std::stod(v) * f);
                    std::string t = texte;
                    std::replace(t.begin(), t.end(), '.', ',');
                    l.replace(a, b - a, t);
                }
                nuages.push_back(lignes.size() + 1);
            }
            lignes.push_back(l);
        }
    }
    WriteTextFile(d.Fichier("lyon.txt"), lignes);

    const Resultat csv =
        Lancer(d, "lyon.txt --site 45.764,4.8357,170 --fuseau UTC+1 --annee 2026 --csv -");
    ASSERT_EQ(csv.code, 0) << csv.erreurs;
    science::ReglagesRecalcul reglages;
    reglages.site = SiteLyon;
    reglages.annee = 2026;
    auto attendus =
        science::Recalculer(science::LireFichierJournee(d.Fichier("lyon.txt")), reglages);
    science::MarquerNiveaux(attendus);
    std::istringstream flux(csv.sortie);
    std::string ligne;
    std::getline(flux, ligne);
    size_t n = 0, clairs = 0, clairsGardes = 0, nuagesEcartes = 0;
    while (std::getline(flux, ligne)) {
        ASSERT_LT(n, attendus.size());
        const science::Resultat& a = attendus[n++];
        if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
        EXPECT_TRUE(ligne.ends_with("," + a.Niveau() + "," + a.Filtre())) << ligne;
        const bool garde = ligne.ends_with(",1.5,");
        if (std::find(nuages.begin(), nuages.end(), a.ligne) != nuages.end()) {
            nuagesEcartes += !garde;
        } else {
            ++clairs;
            clairsGardes += garde;
        }
    }
    EXPECT_EQ(n, attendus.size());
    EXPECT_GE(nuagesEcartes, 18u) << "of 20";
    EXPECT_GE(clairsGardes, clairs * 95 / 100) << "of " << clairs;
}

}  // namespace
