#include "journee/veille.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "tests/support/dossier.h"

namespace journee {
namespace {

void Ajouter(const std::string& chemin, const std::string& texte) {
    std::ofstream(chemin, std::ios::binary | std::ios::app) << texte;
}

TEST(VeilleFichier, WakesForWhatConcernsTheFileAndNotForItsNeighbours) {
    Dossier d;
    const std::string chemin = d.Fichier("jour.txt");
    Ajouter(chemin, "en-tête\r\n");
    VeilleFichier veille(chemin);
    ASSERT_GE(veille.Descripteur(), 0);
    ASSERT_TRUE(veille.Armer());
    EXPECT_FALSE(veille.Vider()) << "nothing happened yet";

    struct Cas {
        const char* quoi;
        std::function<void()> faire;
        bool concerne;
    };
    const Cas cas[] = {
        {"a line appended", [&] { Ajouter(chemin, "ligne\r\n"); }, true},
        {"another file of the folder written", [&] { Ajouter(d.Fichier("autre.txt"), "x"); },
         false},
        {"another file removed", [&] { std::remove(d.Fichier("autre.txt").c_str()); }, false},
        {"truncated", [&] { EXPECT_EQ(truncate(chemin.c_str(), 3), 0); }, true},
        {"replaced by a file moved in under its name",
         [&] {
             Ajouter(d.Fichier("neuf.txt"), "neuf\r\n");
             std::rename(d.Fichier("neuf.txt").c_str(), chemin.c_str());
         },
         true},
        {"removed", [&] { std::remove(chemin.c_str()); }, true},
        {"created again", [&] { Ajouter(chemin, "de nouveau\r\n"); }, true},
    };
    for (const Cas& c : cas) {
        // Watched again as the window does each time it falls asleep: the
        // name may stand for another file by now.
        veille.Desarmer();
        veille.Vider();
        ASSERT_TRUE(veille.Armer()) << c.quoi;
        veille.Vider();
        c.faire();
        EXPECT_EQ(veille.Vider(), c.concerne) << c.quoi;
    }

    // Disarmed, a file written at a fast pace raises nothing.
    veille.Desarmer();
    veille.Vider();
    Ajouter(chemin, "ligne\r\n");
    EXPECT_FALSE(veille.Vider());
}

TEST(VeilleFichier, AFileOrFolderThatCannotBeWatchedIsSaidSo) {
    VeilleFichier veille("/dossier-qui-n-existe-pas/jour.txt");
    EXPECT_FALSE(veille.Armer());
}

}  // namespace
}  // namespace journee
