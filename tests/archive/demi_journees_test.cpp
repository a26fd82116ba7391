// The half-days' Langleys kept at import: a synthetic spring of data files
// (a drifting V0, cloudy half-days) imported through the real import, the
// fits stored once, kept when nothing is new, replaced with their file, and
// built for an archive made before they were kept.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "archive/archive.h"
#include "archive/demi_journees.h"
#include "archive/etalonnage.h"
#include "archive/importation.h"
#include "archive/jours.h"
#include "archive/lecture.h"
#include "archive/resumes.h"
#include "archive/schema.h"
#include "science/langley_demi_journee.h"
#include "tests/archive/outils.h"
#include "tests/archive/saison.h"
#include "tests/support/dossier.h"

namespace {

using namespace archive;

// The spring's files, written once for the suite.
class Saison : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dossier_ = std::make_unique<Dossier>();
        std::filesystem::create_directories(dossier_->Fichier("mesures"));
        const auto jours = Printemps();
        for (size_t i = 0; i < jours.size(); ++i) {
            char nom[64];
            std::snprintf(nom, sizeof nom, "mesures/%04d-%02d-%02d.txt", jours[i].date.annee,
                          jours[i].date.mois, jours[i].date.jour);
            EcrireJourSaison(dossier_->Fichier(nom), jours[i], static_cast<unsigned>(100 + i));
            fichiers_.push_back(dossier_->Fichier(nom));
        }
    }
    static void TearDownTestSuite() { dossier_.reset(); }

    static void ImporterTout(Archive& a) {
        for (const std::string& f : fichiers_) ImporterFichier(a, f, Lyon());
    }

    static std::unique_ptr<Dossier> dossier_;
    static std::vector<std::string> fichiers_;
};

std::unique_ptr<Dossier> Saison::dossier_;
std::vector<std::string> Saison::fichiers_;

int64_t Compter(Archive& a, const std::string& sql) {
    return a.Base().Entier(sql);
}

double V0VertDuMatin(Archive& a) {
    Requete r(a.Base(), "SELECT v0 FROM langleys WHERE canal = 'vert' AND demi = 'matin'");
    return r.Pas() ? r.Reel(0) : 0;
}

TEST_F(Saison, ChaqueDemiJourneeGardeeUneFois) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    ImporterTout(a);
    // Two half-days, two channels, every day of the spring.
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 4 * 30);
    EXPECT_EQ(Compter(a, "SELECT count(DISTINCT jour) FROM langleys"), 30);
    // The clear half-days pass, the cloudy ones fail.
    const auto jours = Printemps();
    Requete r(a.Base(), "SELECT jour, demi, canal, accepte, verdict, v0, points FROM langleys");
    size_t clairs = 0;
    while (r.Pas()) {
        const auto date = LireDate(r.Texte(0));
        ASSERT_TRUE(date);
        const JourSaison* j = nullptr;
        for (const JourSaison& x : jours)
            if (x.date.mois == date->mois && x.date.jour == date->jour) j = &x;
        ASSERT_NE(j, nullptr) << r.Texte(0);
        const bool matin = r.Texte(1) == "matin";
        const bool nuageux = matin ? j->nuagesMatin : j->nuagesApresMidi;
        SCOPED_TRACE(r.Texte(0) + " " + r.Texte(1) + " " + r.Texte(2));
        EXPECT_EQ(r.Entier(3) == 1, !nuageux) << r.Texte(4);
        EXPECT_GT(r.Entier(6), 10);
        if (nuageux) continue;
        ++clairs;
        const double vrai = r.Texte(2) == "vert" ? j->v0Vert : j->v0Rouge;
        EXPECT_NEAR(r.Reel(5), vrai, vrai * 0.01);
    }
    EXPECT_GT(clairs, 70u);

    // Imported again: nothing new, the same rows.
    const int64_t avant = Compter(a, "SELECT sum(rowid) FROM langleys");
    for (const std::string& f : fichiers_)
        EXPECT_EQ(ImporterFichier(a, f, Lyon()).issue, Issue::DejaLa);
    EXPECT_EQ(Compter(a, "SELECT sum(rowid) FROM langleys"), avant);
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 4 * 30);
}

TEST_F(Saison, RemplaceesAvecLeurFichier) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    const std::string copie = d.Fichier("jour.txt");
    JourSaison j = Printemps()[0];
    EcrireJourSaison(copie, j, 1);
    EXPECT_EQ(ImporterFichier(a, copie, Lyon()).issue, Issue::Nouveau);
    ASSERT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 4);
    EXPECT_NEAR(V0VertDuMatin(a), 2.05, 0.02);
    // The same day written again with an instrument 5 % brighter.
    j.v0Vert *= 1.05;
    j.v0Rouge *= 1.05;
    EcrireJourSaison(copie, j, 1);
    const BilanImport b = ImporterFichier(a, copie, Lyon());
    EXPECT_EQ(b.issue, Issue::Remplace);
    EXPECT_EQ(b.instruments, std::vector<std::string>{"7"});
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 4);
    EXPECT_NEAR(V0VertDuMatin(a), 2.05 * 1.05, 0.02);
    // The file's series gone, its half-days with them.
    a.Base().Executer("DELETE FROM fichiers");
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 0);
}

// An archive made before the half-days were kept: schema 1, its summaries
// stamped by the computation before. The table comes with the migration;
// the half-days of the files already there are made with the summaries.
TEST_F(Saison, ArchiveDuSchemaPrecedent) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    {
        Archive a(chemin, Acces::Ecriture);
        for (size_t i = 0; i < 4; ++i) ImporterFichier(a, fichiers_[i], Lyon());
        SchemaPrecedent(a.Base(), 1);
    }
    Archive a(chemin, Acces::Ecriture);
    EXPECT_EQ(VersionFichier(a.Base()), VersionSchema());
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 0);
    // The next import makes the others' half-days again.
    ImporterFichier(a, fichiers_[4], Lyon());
    EXPECT_EQ(Compter(a, "SELECT count(*) FROM langleys"), 4 * 5);
    EXPECT_EQ(Compter(a, "SELECT count(DISTINCT jour) FROM langleys"), 5);
    EXPECT_EQ(Compter(a, "SELECT valeur FROM reglages WHERE cle = 'version_calcul'"),
              VersionCalcul);
}

}  // namespace

namespace {

// What the import keeps of a series (the records in the fit's air-mass
// range and those that bound its half-days) fits as the whole series does,
// a winter day whose highest sun is in the range included.
TEST_F(Saison, LesEnregistrementsGardesDonnentLeMemeAjustement) {
    for (const science::Date date : {science::Date{2026, 3, 2}, science::Date{2026, 12, 21}}) {
        Dossier d;
        JourSaison j;
        j.date = date;
        j.v0Vert = 2.05;
        j.v0Rouge = 2.0;
        EcrireJourSaison(d.Fichier("jour.txt"), j, 5);
        Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
        ImporterFichier(a, d.Fichier("jour.txt"), Lyon());
        const FichierArchive f = Fichiers(a).at(0);
        const science::Journee journee = JourneeDe(a, f.id);
        const auto tous = Resultats(f, journee);
        CalculDemiJournees calcul(SiteLyon.altitude);
        for (const auto& r : tous) calcul.Ajouter(r);
        const auto faites = calcul.Conclure(journee);
        ASSERT_EQ(faites.size(), 4u);
        for (const DemiJournee& x : faites) {
            const auto attendu =
                science::LangleyDemiJournee(tous, 0, x.demi, x.voie, SiteLyon.altitude);
            ASSERT_TRUE(attendu);
            EXPECT_EQ(x.langley.v0, attendu->v0);
            EXPECT_EQ(x.langley.points, attendu->points);
            EXPECT_EQ(x.langley.verdict, attendu->verdict);
        }
    }
}

}  // namespace

namespace {

// The call for new constants: only beyond twice the recommendation's
// standard deviation, per channel, and never without a recommendation.
TEST(ArchiveEtalonnage, AvisDeNouvellesConstantes) {
    const auto historique = [](double enTeteVert, double enTeteRouge, size_t demiJournees) {
        archive::HistoriqueInstrument h;
        h.instrument = "7";
        for (size_t i = 0; i < demiJournees; ++i)
            for (const science::Voie voie : {science::Voie::Vert, science::Voie::Rouge}) {
                archive::DemiJourneeArchivee d;
                d.date = {2026, 3, static_cast<int>(1 + i)};
                d.voie = voie;
                d.enTete = {enTeteVert, enTeteRouge, 0.01, 0.01};
                const double v0 =
                    (voie == science::Voie::Vert ? 2.05 : 2.0) + (i % 2 == 0 ? 0.004 : -0.004);
                h.demiJournees.push_back(d);
                h.historique.push_back(
                    {science::JourDemiJour(d.date, d.demi), d.demi, voie, v0, 0.002, true, 0});
            }
        return h;
    };
    const struct {
        double vert, rouge;
        size_t demiJournees;
        std::optional<std::string> avis;
    } cas[] = {
        {2.05, 2.0, 6, std::nullopt},
        {2.057, 2.0, 6, std::nullopt},  // within twice the 0.004 V spread
        {2.12, 2.0, 6,
         "le photomètre n°7 a besoin de nouvelles constantes (V0 vert 2,12 V, recommandé 2,05 ± "
         "0,004 V)"},
        {2.12, 2.1, 6,
         "le photomètre n°7 a besoin de nouvelles constantes (V0 vert 2,12 V, recommandé 2,05 ± "
         "0,004 V ; V0 rouge 2,10 V, recommandé 2,00 ± 0,004 V)"},
        {2.12, 2.1, 2, std::nullopt},  // no recommendation from two half-days
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.vert);
        EXPECT_EQ(archive::AvisConstantes(historique(c.vert, c.rouge, c.demiJournees)), c.avis);
    }
}

}  // namespace
