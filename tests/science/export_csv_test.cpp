#include "science/export_csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "science/fuseau.h"
#include "science/nombres.h"
#include "tests/science/exemple.h"

namespace science {
namespace {

using namespace exemple;

// RFC 4180 fields of one line (no field here is quoted).
std::vector<std::string> Champs(const std::string& ligne) {
    return Decouper(ligne, ',');
}

std::vector<std::string> Lignes(const std::string& texte) {
    std::vector<std::string> lignes;
    size_t debut = 0;
    for (size_t fin; (fin = texte.find("\r\n", debut)) != std::string::npos; debut = fin + 2)
        lignes.push_back(texte.substr(debut, fin - debut));
    EXPECT_EQ(debut, texte.size()) << "every line ends with CR LF";
    return lignes;
}

TEST(ExportCsv, ReadsBackWithEmptyCellsForUndefinedValues) {
    ReglagesRecalcul reglages;
    reglages.site = {39.742476, -105.1786, 1830.14, "UTC-7"};
    reglages.annee = 2003;
    reglages.deltaT = 67;
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("12:30:30", "1,000", "1,000"),
         recording::LigneEnregistrement(recording::ModeContinu, "23:30:00  ", "---", "---", "0,050",
                                        "------", "----")},
    }));
    std::ostringstream sortie;
    EcrireCsv(sortie, Recalculer(j, reglages), reglages.site);
    const auto lignes = Lignes(sortie.str());
    ASSERT_EQ(lignes.size(), 3u);
    EXPECT_EQ(lignes[0], EnTeteCsv);
    const auto titres = Champs(lignes[0]);
    ASSERT_EQ(titres.size(), 26u);

    const auto jour = Champs(lignes[1]);
    ASSERT_EQ(jour.size(), 26u);
    const std::vector<std::string> attendu = {"2003-10-17T19:30:30Z",
                                              "2003-10-17T12:30:30-07:00",
                                              "39.742476",
                                              "-105.178600",
                                              "1830.1",
                                              "820"};
    for (size_t i = 0; i < attendu.size(); ++i) EXPECT_EQ(jour[i], attendu[i]) << titres[i];
    EXPECT_NEAR(std::stod(jour[6]), 39.8884, 0.01);
    EXPECT_NEAR(std::stod(jour[7]), 1.5570, 5e-4);
    EXPECT_EQ(jour[8], "1.000");
    EXPECT_EQ(jour[9], "1.000");
    EXPECT_NEAR(std::stod(jour[10]), 0.3932, 5e-4);
    EXPECT_NEAR(std::stod(jour[11]), 0.4382, 5e-4);
    EXPECT_NEAR(std::stod(jour[12]), -0.508, 2e-3);
    EXPECT_EQ(jour[13], "21");
    EXPECT_EQ(jour[14], "simple");
    EXPECT_EQ(jour[15], "9");

    const auto nuit = Champs(lignes[2]);
    ASSERT_EQ(nuit.size(), 26u);
    EXPECT_EQ(nuit[1], "2003-10-17T23:30:00-07:00");
    EXPECT_LT(std::stod(nuit[6]), 0);
    for (int vide : {7, 8, 10, 11, 12, 13}) EXPECT_EQ(nuit[vide], "") << titres[vide];
    EXPECT_EQ(nuit[9], "0.050");
    EXPECT_EQ(nuit[14], "continu");
    EXPECT_EQ(nuit[15], "10");
}

TEST(ExportCsv, GasesUncertaintiesAndScreeningAfterTheLine) {
    Resultat r;
    r.utc = 0;
    r.ligne = 12;
    r.ozoneDu = 301.26;
    r.tauRayleighVert = 0.13812;
    r.tauRayleighRouge = 0.05791;
    r.tauOzoneVert = 0.01178;
    r.tauOzoneRouge = 0.03112;
    r.uEoVert = 0.00912;
    r.uEoRouge = 0.00903;
    r.uAngstrom = 0.4567;
    r.critere = Critere::Lissage;
    Resultat vide = r;
    vide.ozoneDu = vide.tauRayleighVert = vide.tauRayleighRouge = vide.tauOzoneVert =
        vide.tauOzoneRouge = vide.uEoVert = vide.uEoRouge = vide.uAngstrom = std::nullopt;
    vide.critere.reset();
    std::ostringstream sortie;
    EcrireCsv(sortie, {r, vide}, {45, 5, 170, "UTC"});
    const auto lignes = Lignes(sortie.str());
    ASSERT_EQ(lignes.size(), 3u);
    const auto titres = Champs(lignes[0]);
    struct Cas {
        const char* titre;
        const char* plein;
    };
    const Cas cas[] = {{"ligne", "12"},
                       {"ozone_du", "301.3"},
                       {"tau_rayleigh_vert", "0.1381"},
                       {"tau_rayleigh_rouge", "0.0579"},
                       {"tau_ozone_vert", "0.0118"},
                       {"tau_ozone_rouge", "0.0311"},
                       {"u_eo_vert", "0.0091"},
                       {"u_eo_rouge", "0.0090"},
                       {"u_angstrom", "0.457"},
                       {"niveau", "1.0"},
                       {"filtre", "lissage"}};
    const auto plein = Champs(lignes[1]);
    const auto creux = Champs(lignes[2]);
    ASSERT_EQ(plein.size(), titres.size());
    ASSERT_EQ(creux.size(), titres.size());
    for (const Cas& c : cas) {
        const auto i = std::find(titres.begin(), titres.end(), c.titre) - titres.begin();
        ASSERT_LT(static_cast<size_t>(i), titres.size()) << c.titre;
        EXPECT_EQ(plein[i], c.plein) << c.titre;
        EXPECT_EQ(creux[i], std::string(c.titre) == "ligne" ? "12" : "") << c.titre;
    }
}

TEST(ExportCsv, IsoTimesAcrossDaysAndOffsets) {
    EXPECT_EQ(IsoUtc(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(IsoLocal(0, 5 * 3600 + 1800), "1970-01-01T05:30:00+05:30");
    EXPECT_EQ(IsoLocal(3600, -7200), "1969-12-31T23:00:00-02:00");
    EXPECT_EQ(IsoUtc(1798761599), "2026-12-31T23:59:59Z");
    // Paris mean time, the zone's offset until 1911, has seconds: they stay.
    EXPECT_EQ(IsoLocal(0, 561), "1970-01-01T00:09:21+00:09:21");
    EXPECT_EQ(IsoLocal(0, -(4 * 3600 + 56 * 60 + 2)), "1969-12-31T19:03:58-04:56:02");
    Fuseau paris("Europe/Paris");
    const int64_t midi1905 = -2051179200;  // 1905-01-01T12:00:00 on the local clock
    EXPECT_EQ(paris.DecalageLocal(midi1905), 561);
    EXPECT_EQ(IsoLocal(paris.VersUtc(midi1905), 561), "1905-01-01T12:00:00+00:09:21");
}

}  // namespace
}  // namespace science
