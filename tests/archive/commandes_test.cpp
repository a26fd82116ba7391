// solvenare-archive's command line: its arguments, where the archive is,
// the copy and the merge through the program, what it refuses to write.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/textfile.h"
#include "tests/archive/outils.h"
#include "tests/support/matinee.h"

namespace {

const std::vector<std::string> Lyon = {"--site", "45.764,4.8357,170", "--fuseau",
                                       "UTC+1",  "--annee",           "2026"};

std::vector<std::string> Avec(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Commandes, ArgumentsRefuses) {
    Dossier d;
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cas[] = {
        {{"ranger"}, "commande inconnue : « ranger »"},
        {{"importer"}, "un fichier de mesures ou un dossier au moins"},
        {{"jours", "--csv", "x.csv"}, "--csv : cette option ne va pas avec la commande jours"},
        {{"--site", "45,4"}, "--site : cette option ne va pas avec aucune commande"},
        {{"exporter"}, "--csv FICHIER (ou - pour la sortie standard) manque"},
        {{"jours", "--du", "2026-13-01"}, "--du : attendu une date AAAA-MM-JJ"},
        {{"jours", "--du", "2026-12-08", "--au", "2026-12-07"}, "doit aller en avançant"},
        {{"importer", "x", "--annee", "26"}, "--annee : attendu AAAA"},
        {{"importer", "x", "--ozone", "20"}, "--ozone : attendu une colonne d'ozone de 50 à 800"},
        {{"fusionner"}, "fusionner : un fichier, et un seul"},
        {{"sauvegarder", "a", "b"}, "sauvegarder : un fichier, et un seul"},
        {{"verifier", "en-trop"}, "« en-trop » en trop"},
        {{"jours", "--archive"}, "--archive : valeur manquante"},
        {{"jours", "--bavard"}, "option inconnue : --bavard"},
    };
    for (const auto& c : cas) {
        const Execution r = LancerArchive(d, c.arguments);
        EXPECT_EQ(r.code, 2) << c.arguments[0];
        EXPECT_NE(r.erreurs.find(c.message), std::string::npos) << r.erreurs;
        EXPECT_NE(r.erreurs.find("Usage : solvenare-archive"), std::string::npos);
    }
    // Nothing was created by a refused line.
    EXPECT_FALSE(std::filesystem::exists(d.Fichier("archive.sqlite")));
}

TEST(Commandes, OuEstLArchive) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    std::filesystem::create_directories(d.Fichier("Solvenare"));
    const struct {
        const char* quoi;
        std::function<void()> preparer;
        std::vector<std::string> arguments;
        const char* archive;
    } cas[] = {
        // HOME is the test's folder: the installed program's is ~/Solvenare.
        {"programme installé", [] {}, Avec({"importer", "lyon.txt"}, Lyon),
         "Solvenare/archive.sqlite"},
        {"dossier de Parametres.txt",
         [&] { WriteTextFile(d.Fichier("Parametres.txt"), {"[Parametres]"}); },
         Avec({"importer", "lyon.txt"}, Lyon), "archive.sqlite"},
        {"--archive au début", [] {}, Avec({"--archive", "a.sqlite", "importer", "lyon.txt"}, Lyon),
         "a.sqlite"},
        {"--archive= à la fin", [] {},
         Avec({"importer", "lyon.txt"}, Avec(Lyon, {"--archive=b.sqlite"})), "b.sqlite"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        c.preparer();
        const Execution r = LancerArchive(d, c.arguments);
        EXPECT_EQ(r.code, 0) << r.erreurs;
        EXPECT_TRUE(std::filesystem::exists(d.Fichier(c.archive)));
        EXPECT_NE(r.sortie.find("« lyon.txt » : importé, 441 enregistrement(s)"), std::string::npos)
            << r.sortie;
    }
}

TEST(Commandes, JoursCopieFusionEtRefus) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    ASSERT_EQ(LancerArchive(d, Avec({"importer", "lyon.txt"}, Lyon)).code, 0);
    const Execution jours = LancerArchive(d, {"jours"});
    ASSERT_EQ(jours.code, 0) << jours.erreurs;
    EXPECT_EQ(jours.sortie.rfind("jour;2026-12-07;45.764000,4.835700,170;7;441;", 0), 0u)
        << jours.sortie;
    const Execution aucun = LancerArchive(d, {"jours", "--instrument", "8"});
    EXPECT_EQ(aucun.code, 0);
    EXPECT_EQ(aucun.sortie, "");
    EXPECT_NE(aucun.erreurs.find("aucun jour dans l'archive pour ce choix"), std::string::npos);

    // The copy reads as the archive does.
    const Execution copie = LancerArchive(d, {"sauvegarder", "copie.sqlite"});
    ASSERT_EQ(copie.code, 0) << copie.erreurs;
    EXPECT_EQ(LancerArchive(d, {"--archive", "copie.sqlite", "jours"}).sortie, jours.sortie);
    EXPECT_EQ(LancerArchive(d, {"--archive", "copie.sqlite", "verifier"}).code, 0);

    // Merging the copy adds nothing, twice.
    for (int fois = 0; fois < 2; ++fois) {
        const Execution f = LancerArchive(d, {"fusionner", "copie.sqlite"});
        EXPECT_EQ(f.code, 0) << f.erreurs;
        EXPECT_NE(f.sortie.find("0 fichier(s) ajouté(s), 0 enregistrement(s) ; 1 fichier(s) déjà"),
                  std::string::npos)
            << f.sortie;
    }
    EXPECT_EQ(LancerArchive(d, {"jours"}).sortie, jours.sortie);

    // Never written over: the data file, the archive itself.
    const std::string mesures = LireOctets(d.Fichier("lyon.txt"));
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } refus[] = {
        {{"exporter", "--csv", "lyon.txt"}, "est un fichier de mesures : il ne sera pas écrasé"},
        {{"exporter", "--csv", "archive.sqlite"},
         "est l'archive elle-même : elle ne sera pas écrasée"},
        {{"sauvegarder", "archive.sqlite"}, "est l'archive elle-même"},
        {{"sauvegarder", "lyon.txt"}, "est un fichier de mesures"},
        {{"fusionner", "./archive.sqlite"}, "est l'archive elle-même"},
    };
    for (const auto& c : refus) {
        const Execution r = LancerArchive(d, c.arguments);
        EXPECT_EQ(r.code, 2) << c.arguments[0];
        EXPECT_NE(r.erreurs.find(c.message), std::string::npos) << r.erreurs;
    }
    EXPECT_EQ(LireOctets(d.Fichier("lyon.txt")), mesures);
    EXPECT_EQ(LancerArchive(d, {"verifier"}).code, 0);
}

}  // namespace
