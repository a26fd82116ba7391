// The archive's export against solvenare-journee's on the same file with
// the same settings: the same bytes. The real programs on real files.

#include <gtest/gtest.h>
#include <utime.h>

#include "platform/textfile.h"
#include "tests/archive/outils.h"
#include "tests/support/matinee.h"

namespace {

std::vector<std::string> Avec(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Export, LesOctetsDeSolvenareJournee) {
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

TEST(Export, ChoixDesJoursEtDesInstruments) {
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
}

}  // namespace
