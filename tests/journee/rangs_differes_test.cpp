#include "journee/rangs_differes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "science/export_csv.h"
#include "tests/support/dossier.h"

namespace journee {
namespace {

using science::Resultat;

// Two interleaved series a minute apart: steady depths, a few spikes, a few
// records without one, so that every verdict turns up.
std::vector<Resultat> Journee(size_t n) {
    std::vector<Resultat> r(n);
    for (size_t i = 0; i < n; ++i) {
        r[i].serie = i % 3 == 2 ? 1 : 0;
        r[i].ligne = 10 + i;
        r[i].secondesHorloge = static_cast<int>(30 * i % 86400);
        r[i].utc = 1776240000 + 30 * static_cast<int64_t>(i);
        r[i].decalage = 7200;
        r[i].pression = 1008;
        r[i].elevation = 20 + 0.01 * static_cast<double>(i % 500);
        r[i].masseAir = 2.9;
        r[i].vVert = 1.2;
        r[i].temperature = 21;
        if (i % 17 != 5)
            r[i].eoVert = 0.12 + (i % 41 == 0 ? 0.4 : 0.001 * static_cast<double>(i % 7));
        r[i].uEoVert = 0.009;
        r[i].ozoneDu = 310;
    }
    return r;
}

// The rows copied out with their verdicts are the whole-vector screening's
// CSV, byte for byte, across batches and read blocks.
TEST(RangsDifferes, TheSameBytesAsTheWholeTableScreened) {
    const science::Site site{45.764, 4.8357, 170, "UTC+1"};
    for (const size_t n : {0u, 1u, 255u, 256u, 257u, 5000u}) {
        Dossier d;
        const std::vector<Resultat> resultats = Journee(n);
        auto marques = resultats;
        science::MarquerNiveaux(marques);
        std::ostringstream attendu;
        science::EcrireCsv(attendu, marques, site);

        RangsDifferes rangs(site);
        ASSERT_EQ(rangs.Ouvrir(d.chemin), 0);
        for (const Resultat& r : resultats) ASSERT_EQ(rangs.Ajouter(r), 0);
        std::ostringstream sortie;
        size_t blocs = 0;
        EXPECT_EQ(rangs.Recopier(sortie, [&] { ++blocs; }), 0);
        EXPECT_EQ(sortie.str(), attendu.str()) << n << " records";
        EXPECT_GE(blocs, n > 0 ? 2u : 1u) << "the header, then each block";
        EXPECT_TRUE(std::filesystem::is_empty(d.chemin));
        if (n == 5000) {
            for (const char* verdict : {",1.5,\r\n", ",sans_valeur\r\n", ",triplet\r\n"}) {
                EXPECT_NE(attendu.str().find(verdict), std::string::npos) << verdict;
            }
        }
    }
}

TEST(RangsDifferes, AFolderThatCannotHoldTheRowsIsSaid) {
    Dossier d;
    RangsDifferes rangs({45.764, 4.8357, 170, "UTC+1"});
    EXPECT_EQ(rangs.Ouvrir(d.Fichier("absent")), ENOENT);
}

}  // namespace
}  // namespace journee
