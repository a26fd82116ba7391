// The archive's export against solvenare-journee's on the same file with
// the same settings: the same bytes. The real programs on real files.

#include <gtest/gtest.h>
#include <utime.h>

#include <filesystem>

#include "platform/textfile.h"
#include "tests/archive/outils.h"
#include "tests/support/matinee.h"
#include "tests/support/sanitiseurs.h"

namespace {

std::vector<std::string> Avec(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ArchiveExport, LesOctetsDeSolvenareJournee) {
    const std::vector<std::string> lyon = {"--site", "45.764,4.8357,170", "--fuseau", "UTC+1"};
    const struct {
        const char* quoi;
        std::function<void(const std::string&)> ecrire;
        std::vector<std::string> reglages;
    } cas[] = {
        {"matinée claire", [](const std::string& f) { EcrireMatineeClaire(f, 2.12, 2.05); },
         Avec(lyon, {"--annee", "2026"})},
        {"nuages",
         [](const std::string& f) {
             auto l = EnTeteMatineeClaire();
             for (auto& e : EnregistrementsMatineeClaire(2.12, 2.05, 0.005, 30,
                                                         {{10 * 3600, 10 * 3600 + 2400}}))
                 l.push_back(e);
             WriteTextFile(f, l);
         },
         Avec(lyon, {"--annee", "2026", "--ozone", "320"})},
        {"deux séries et l'année du fichier",
         [](const std::string& f) {
             auto l = EnTeteMatineeClaire();
             auto m = EnregistrementsMatineeClaire(2.12, 2.05);
             l.insert(l.end(), m.begin(), m.begin() + 200);
             auto e = EnTeteMatineeClaire();
             e[5] = "-- V0Vert  = 2,12V VnVert  = 0,01V";
             l.insert(l.end(), e.begin(), e.end());
             l.insert(l.end(), m.begin() + 200, m.end());
             l.push_back("Continu;12:00:30  ;2,051;-0,07;1,611;---;21");
             WriteTextFile(f, l);
             // The year rule: 7 December 2026 is a Monday.
             utimbuf t{1797000000, 1797000000};
             utime(f.c_str(), &t);
         },
         lyon},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        Dossier d;
        c.ecrire(d.Fichier("mesures.txt"));
        const Execution import = LancerArchive(d, Avec({"importer", "mesures.txt"}, c.reglages));
        ASSERT_EQ(import.code, 0) << import.erreurs;
        const Execution journee = LancerJournee(d, Avec({"mesures.txt", "--csv", "-"}, c.reglages));
        ASSERT_EQ(journee.code, 0) << journee.erreurs;
        const Execution exporte = LancerArchive(d, {"exporter", "--csv", "-"});
        ASSERT_EQ(exporte.code, 0) << exporte.erreurs;
        EXPECT_GT(exporte.sortie.size(), 10000u);
        EXPECT_EQ(exporte.sortie, journee.sortie);
        // To a file, put in place whole.
        const Execution fichier = LancerArchive(d, {"exporter", "--csv", "sortie.csv"});
        ASSERT_EQ(fichier.code, 0) << fichier.erreurs;
        EXPECT_EQ(LireOctets(d.Fichier("sortie.csv")), journee.sortie);
    }
}

TEST(ArchiveExport, ChoixDesJoursEtDesInstruments) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("a.txt"), 2.12, 2.05);
    auto l = EnTeteMatineeClaire();
    l[0] = "-- Date     : Mardi 8 Décembre - ";
    l[1] = "-- Photomètre n°9 Logiciel v1,2";
    for (auto& e : EnregistrementsMatineeClaire(2.10, 2.00)) l.push_back(e);
    WriteTextFile(d.Fichier("b.txt"), l);
    ASSERT_EQ(LancerArchive(d, {"importer", ".", "--site", "45.764,4.8357,170", "--fuseau", "UTC+1",
                                "--annee", "2026"})
                  .code,
              0);
    const auto lignes = [&](const std::vector<std::string>& choix) {
        const Execution r = LancerArchive(d, Avec({"exporter", "--csv", "-"}, choix));
        EXPECT_EQ(r.code, 0) << r.erreurs;
        size_t n = 0;
        for (char c : r.sortie) n += c == '\n';
        return n - 1;
    };
    const struct {
        std::vector<std::string> choix;
        size_t lignes;
    } cas[] = {
        {{}, 882},
        {{"--du", "2026-12-08"}, 441},
        {{"--au", "2026-12-07"}, 441},
        {{"--du", "2026-12-07", "--au", "2026-12-08"}, 882},
        {{"--instrument", "9"}, 441},
        {{"--instrument", "9", "--au", "2026-12-07"}, 0},
        {{"--du", "2027-01-01"}, 0},
    };
    for (const auto& c : cas)
        EXPECT_EQ(lignes(c.choix), c.lignes) << testing::PrintToString(c.choix);
    // Imported the other way round, the days still come in order.
    const Execution dansLOrdre = LancerArchive(d, {"exporter", "--csv", "-"});
    std::filesystem::remove(d.Fichier("archive.sqlite"));
    for (const char* f : {"b.txt", "a.txt"})
        ASSERT_EQ(LancerArchive(d, {"importer", f, "--site", "45.764,4.8357,170", "--fuseau",
                                    "UTC+1", "--annee", "2026"})
                      .code,
                  0);
    EXPECT_EQ(LancerArchive(d, {"exporter", "--csv", "-"}).sortie, dansLOrdre.sortie);
    EXPECT_LT(dansLOrdre.sortie.find("2026-12-07T"), dansLOrdre.sortie.find("2026-12-08T"));
}

// A long file (a year of one record a second would be 30 million): import
// and export hold a few figures a record at most, never the file nor its
// recomputed records.
TEST(ArchiveExport, LaMemoireNeSuitPasLeFichier) {
    Dossier d;
    {
        std::vector<std::string> lignes = EnTeteMatineeClaire();
        for (int i = 0; i < 300000; ++i) {
            const int t = (8 * 3600 + i) % 86400;
            char ligne[80];
            std::snprintf(ligne, sizeof ligne, "Simple;%02d:%02d:%02d  ;1,%03d;0,20;1,%03d;0,10;21",
                          t / 3600, t / 60 % 60, t % 60, 200 + i % 500, 400 + i % 300);
            lignes.push_back(ligne);
        }
        WriteTextFile(d.Fichier("long.txt"), lignes);
    }
    const std::vector<std::string> lyon = {"--site", "45.764,4.8357,170", "--fuseau",
                                           "UTC+1",  "--annee",           "2026"};
    const Execution import = LancerArchive(d, Avec({"importer", "long.txt"}, lyon));
    ASSERT_EQ(import.code, 0) << import.erreurs;
    const Execution exporte = LancerArchive(d, {"exporter", "--csv", "long.csv"});
    ASSERT_EQ(exporte.code, 0) << exporte.erreurs;
    const Execution journee = LancerJournee(d, Avec({"long.txt", "--csv", "journee.csv"}, lyon));
    ASSERT_EQ(journee.code, 0) << journee.erreurs;
    EXPECT_EQ(LireOctets(d.Fichier("long.csv")), LireOctets(d.Fichier("journee.csv")));
    if (Sanitiseurs) GTEST_SKIP() << "the sanitizers' own memory hides the program's";
    // Against solvenare-journee on the same file, which reads it as a
    // stream, started the same way (a child's peak counts what it shares
    // with the test before its exec). The records' recomputed results alone
    // would be some 130 MB.
    EXPECT_LT(exporte.memoireKo, journee.memoireKo + 10 * 1024);
    EXPECT_LT(import.memoireKo, journee.memoireKo + 40 * 1024);
}

}  // namespace
