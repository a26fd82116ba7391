// The calibration history on the command line: a synthetic spring imported
// by the real program, its half-days and recommendations printed, checked
// against the truth and against the science's own recommendation on the
// half-days printed; the import report's call for new constants.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "archive/archive.h"
#include "science/historique_etalonnage.h"
#include "tests/archive/outils.h"
#include "tests/archive/saison.h"

namespace {

std::vector<std::string> Champs(const std::string& ligne) {
    std::vector<std::string> c;
    std::stringstream s(ligne);
    for (std::string x; std::getline(s, x, ';');) c.push_back(x);
    if (!ligne.empty() && ligne.back() == ';') c.emplace_back();
    return c;
}

std::vector<std::vector<std::string>> Lignes(const std::string& texte, const std::string& type) {
    std::vector<std::vector<std::string>> lignes;
    std::stringstream s(texte);
    for (std::string l; std::getline(s, l);)
        if (l.starts_with(type + ";")) lignes.push_back(Champs(l));
    return lignes;
}

const std::vector<std::string> Lyon = {"--site", "45.764,4.8357,170", "--fuseau",
                                       "UTC+1",  "--annee",           "2026"};

class EtalonnageArchive : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dossier_ = std::make_unique<Dossier>();
        std::filesystem::create_directories(dossier_->Fichier("mesures"));
        const auto jours = Printemps();
        for (size_t i = 0; i < jours.size(); ++i)
            EcrireJourSaison(dossier_->Fichier("mesures/j" + std::to_string(100 + i) + ".txt"),
                             jours[i], static_cast<unsigned>(100 + i));
        std::vector<std::string> arguments = {"importer", "mesures"};
        arguments.insert(arguments.end(), Lyon.begin(), Lyon.end());
        import_ = LancerArchive(*dossier_, arguments);
    }
    static void TearDownTestSuite() { dossier_.reset(); }
    static std::unique_ptr<Dossier> dossier_;
    static Execution import_;
};

std::unique_ptr<Dossier> EtalonnageArchive::dossier_;
Execution EtalonnageArchive::import_;

TEST_F(EtalonnageArchive, LeRapportDImportDemandeDeNouvellesConstantes) {
    ASSERT_EQ(import_.code, 0) << import_.erreurs;
    // The header holds 2.12 V green; the instrument's true V0 is 2.05 V.
    EXPECT_NE(import_.sortie.find("le photomètre n°7 a besoin de nouvelles constantes (V0 vert "
                                  "2,12 V, recommandé 2,0"),
              std::string::npos)
        << import_.sortie;
    // Said once for the import, not once a file.
    EXPECT_EQ(import_.sortie.find("nouvelles constantes"),
              import_.sortie.rfind("nouvelles constantes"));
    // Nothing new: nothing said.
    std::vector<std::string> arguments = {"importer", "mesures"};
    arguments.insert(arguments.end(), Lyon.begin(), Lyon.end());
    const Execution encore = LancerArchive(*dossier_, arguments);
    EXPECT_EQ(encore.code, 0);
    EXPECT_EQ(encore.sortie.find("nouvelles constantes"), std::string::npos) << encore.sortie;
}

TEST_F(EtalonnageArchive, UneLigneParDemiJourneeEtLaRecommandation) {
    const Execution e = LancerArchive(*dossier_, {"etalonnage"});
    ASSERT_EQ(e.code, 0) << e.erreurs;
    EXPECT_EQ(e.erreurs, "");
    const auto langleys = Lignes(e.sortie, "langley");
    ASSERT_EQ(langleys.size(), 4u * 30);
    const auto jours = Printemps();
    std::vector<science::LangleyDate> historique;
    for (const auto& l : langleys) {
        ASSERT_EQ(l.size(), 13u);
        EXPECT_EQ(l[1], "7");
        const auto demi = l[3] == "matin" ? science::DemiJour::Matin : science::DemiJour::ApresMidi;
        const auto voie = l[4] == "vert" ? science::Voie::Vert : science::Voie::Rouge;
        const science::Date date{std::stoi(l[2].substr(0, 4)), std::stoi(l[2].substr(5, 2)),
                                 std::stoi(l[2].substr(8, 2))};
        const JourSaison* j = nullptr;
        for (const JourSaison& x : jours)
            if (x.date.mois == date.mois && x.date.jour == date.jour) j = &x;
        ASSERT_NE(j, nullptr) << l[2];
        const bool nuageux = demi == science::DemiJour::Matin ? j->nuagesMatin : j->nuagesApresMidi;
        EXPECT_EQ(l[11] == "ok", !nuageux) << l[2] << ' ' << l[3];
        EXPECT_EQ(l[12] == "rejete", nuageux) << l[2] << ' ' << l[3];
        historique.push_back({science::JourDemiJour(date, demi), demi, voie, std::stod(l[5]),
                              std::stod(l[6]), l[11] == "ok", 0});
    }
    const auto recommandes = Lignes(e.sortie, "recommande");
    ASSERT_EQ(recommandes.size(), 2u);
    const JourSaison& dernier = jours.back();
    for (const auto& r : recommandes) {
        ASSERT_EQ(r.size(), 7u);
        SCOPED_TRACE(r[1]);
        const auto voie = r[1] == "vert" ? science::Voie::Vert : science::Voie::Rouge;
        EXPECT_EQ(r[2], "2026-04-29");
        // The science's own recommendation on the half-days printed.
        const auto attendue = science::Recommander(
            historique, voie, science::JourDemiJour(dernier.date, science::DemiJour::ApresMidi), 0);
        ASSERT_TRUE(attendue);
        EXPECT_NEAR(std::stod(r[3]), attendue->v0, 1e-4);
        EXPECT_NEAR(std::stod(r[4]), attendue->ecartType, 1e-4);
        EXPECT_EQ(std::stoul(r[5]), attendue->nombre);
        // And the truth: V0 within 0.5 %, the drift (2 %/year) within 1 %/year
        // on two months.
        const double vrai = voie == science::Voie::Vert ? dernier.v0Vert : dernier.v0Rouge;
        EXPECT_NEAR(std::stod(r[3]), vrai, vrai * 0.005);
        EXPECT_NEAR(std::stod(r[6]), 2, 1);
    }
}

TEST_F(EtalonnageArchive, ChoixEtRefus) {
    const struct {
        std::vector<std::string> arguments;
        int code;
        size_t langleys, recommandes;
        const char* erreur;
    } cas[] = {
        {{"etalonnage", "--canal", "rouge"}, 0, 60, 1, ""},
        {{"etalonnage", "--instrument", "7", "--canal=vert"}, 0, 60, 1, ""},
        {{"etalonnage", "--instrument", "9"},
         0,
         0,
         0,
         "solvenare-archive : aucune demi-journée de Langley dans l'archive pour ce choix\n"},
        {{"etalonnage", "--canal", "bleu"},
         2,
         0,
         0,
         "solvenare-archive : --canal : attendu vert ou rouge, reçu « bleu »"},
        {{"etalonnage", "x"}, 2, 0, 0, "solvenare-archive : etalonnage : « x » en trop"},
        {{"jours", "--canal", "vert"},
         2,
         0,
         0,
         "solvenare-archive : --canal : cette option ne va pas avec la commande jours"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.arguments[1]);
        const Execution e = LancerArchive(*dossier_, c.arguments);
        EXPECT_EQ(e.code, c.code);
        EXPECT_EQ(Lignes(e.sortie, "langley").size(), c.langleys);
        EXPECT_EQ(Lignes(e.sortie, "recommande").size(), c.recommandes);
        EXPECT_TRUE(e.erreurs.starts_with(c.erreur)) << e.erreurs;
        for (const auto& l : Lignes(e.sortie, "langley")) {
            EXPECT_EQ(l[4], c.arguments.back() == "rouge" ? "rouge" : "vert");
        }
    }
}

}  // namespace

namespace {

// `jours` ends each line with the day's count at level 2.0 and the level of
// its values; the season's days between knots are at 2.0.
TEST_F(EtalonnageArchive, JoursAuNiveau2) {
    const Execution e = LancerArchive(*dossier_, {"jours"});
    ASSERT_EQ(e.code, 0) << e.erreurs;
    const auto jours = Lignes(e.sortie, "jour");
    ASSERT_EQ(jours.size(), 30u);
    size_t deux = 0;
    for (const auto& j : jours) {
        ASSERT_EQ(j.size(), 17u);
        const int niveau20 = std::stoi(j[15]);
        EXPECT_EQ(j[16], niveau20 > 0 ? "2.0" : "1.5") << j[1];
        EXPECT_LE(niveau20, std::stoi(j[5]));
        if (niveau20 > 0) ++deux;
    }
    EXPECT_GE(deux, 28u);
    const auto milieu = Lignes(
        LancerArchive(*dossier_, {"jours", "--du", "2026-03-16", "--au", "2026-03-16"}).sortie,
        "jour");
    ASSERT_EQ(milieu.size(), 1u);
    EXPECT_EQ(milieu[0][15], milieu[0][5]);
    EXPECT_NEAR(std::stod(milieu[0][6]), 0.08, 0.01);
}

// The half-days come with a merged station's files; an archive whose
// computation is older has them made again for the reading, untouched.
TEST_F(EtalonnageArchive, FusionEtArchiveAncienne) {
    const Execution reference = LancerArchive(*dossier_, {"etalonnage"});
    ASSERT_EQ(reference.code, 0);
    Dossier d;
    const Execution fusion = LancerArchive(
        d, {"fusionner", dossier_->Fichier("archive.sqlite"), "--archive", "fusion.sqlite"});
    ASSERT_EQ(fusion.code, 0) << fusion.erreurs;
    EXPECT_EQ(LancerArchive(d, {"etalonnage", "--archive", "fusion.sqlite"}).sortie,
              reference.sortie);
    // The merge's report calls for new constants as an import's does, and
    // its days are at level 2.0 as the source's.
    EXPECT_NE(fusion.sortie.find("le photomètre n°7 a besoin de nouvelles constantes"),
              std::string::npos)
        << fusion.sortie;
    EXPECT_EQ(LancerArchive(d, {"jours", "--archive", "fusion.sqlite"}).sortie,
              LancerArchive(*dossier_, {"jours"}).sortie);
    {
        archive::Archive a(d.Fichier("fusion.sqlite"), archive::Acces::Lecture);
        EXPECT_GT(a.Base().Entier("SELECT count(*) FROM noeuds"), 0);
        EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM resumes_jours WHERE a_revoir = 1"), 0);
    }

    {
        archive::Archive a(d.Fichier("fusion.sqlite"), archive::Acces::Ecriture);
        a.Base().Executer(
            "DELETE FROM langleys; UPDATE reglages SET valeur = '1' WHERE cle = "
            "'version_calcul'");
    }
    // Read without being written: made again for the reading, the same.
    const Execution refaite = LancerArchive(d, {"etalonnage", "--archive", "fusion.sqlite"});
    EXPECT_EQ(refaite.code, 0) << refaite.erreurs;
    EXPECT_EQ(refaite.sortie, reference.sortie);
    archive::Archive a(d.Fichier("fusion.sqlite"), archive::Acces::Lecture);
    EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM langleys"), 0);
}

}  // namespace
