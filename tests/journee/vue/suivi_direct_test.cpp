// The live follow's pace on a real file and real inotify: awake while lines
// come, asleep once a reading finds nothing, woken by a write.

#include "journee/suivi_direct.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "tests/journee/vue/outils.h"

namespace journee {
namespace {

TEST(SuiviDirect, SleepsWhenNothingComesWakesOnAWriteAndKeepsTryingAFailingFile) {
    Dossier d;
    const std::string chemin = d.Fichier("f.txt");
    std::ofstream(chemin) << "une\n";
    off_t lu = -1;
    bool panne = false;
    int endormies = 0;
    const auto ajouter = [&] { std::ofstream(chemin, std::ios::app) << "ligne\n"; };
    SuiviDirect suivi(
        [&] {
            struct stat st {};
            if (panne || stat(chemin.c_str(), &st) != 0) return false;
            const bool nouveau = st.st_size != lu;
            lu = st.st_size;
            return nouveau;
        },
        [&] { return panne; }, [&] { ++endormies; });
    suivi.Suivre(chemin);
    EXPECT_FALSE(suivi.Endormie());
    ASSERT_TRUE(Attendre([&] { return suivi.Endormie(); }));
    EXPECT_EQ(endormies, 1);
    EXPECT_EQ(lu, 4);

    ajouter();
    ASSERT_TRUE(Attendre([&] { return !suivi.Endormie(); }));
    EXPECT_EQ(lu, 10) << "the line that woke it is read";
    ASSERT_TRUE(Attendre([&] { return suivi.Endormie(); }));
    EXPECT_EQ(endormies, 2);

    // A file that cannot be read is read again at the waking pace: the
    // follow does not go to sleep on a failure.
    panne = true;
    ajouter();
    ASSERT_TRUE(Attendre([&] { return !suivi.Endormie(); }));
    Attendre([] { return false; }, 600);
    EXPECT_FALSE(suivi.Endormie());
    EXPECT_EQ(endormies, 2);
    panne = false;
    ASSERT_TRUE(Attendre([&] { return suivi.Endormie(); }));
    EXPECT_EQ(lu, 16);
}

}  // namespace
}  // namespace journee
