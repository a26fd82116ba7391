// The archive's level 2.0: a synthetic spring whose headers hold V0s 3 %
// off the instrument's truth, imported through the real import; the days
// between calibration knots brought to the truth, the edges left at level
// 1.5, the knots' changes reaching the days near them, an interrupted step
// finished by the next reading, and an archive of the previous schema.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "archive/archive.h"
#include "archive/export.h"
#include "archive/importation.h"
#include "archive/jours.h"
#include "archive/lecture.h"
#include "archive/niveau2.h"
#include "archive/resumes.h"
#include "archive/schema.h"
#include "science/export_csv.h"
#include "tests/archive/outils.h"
#include "tests/archive/saison.h"

namespace {

using namespace archive;

// The truth of the season's aerosol (tests/archive/saison.h).
constexpr double AerosolVert = 0.08;

class Niveau2Saison : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dossier_ = std::make_unique<Dossier>();
        const auto jours = Printemps();
        for (size_t i = 0; i < jours.size(); ++i) {
            const std::string nom = dossier_->Fichier("j" + std::to_string(100 + i) + ".txt");
            EcrireJourSaison(nom, jours[i], static_cast<unsigned>(100 + i));
            fichiers_.push_back(nom);
        }
        // Day 16 recalibrated: a new period of its own, two half-days long.
        JourSaison j = jours[16];
        j.v0VertEnTete = 2.06;
        j.v0RougeEnTete = 2.01;
        EcrireJourSaison(dossier_->Fichier("recalibre.txt"), j, 116);
    }
    static void TearDownTestSuite() { dossier_.reset(); }

    // Days 0 to 14 (2 to 30 March) but those left out; no level-2.0 step.
    static void Importer(Archive& a, const std::vector<size_t>& sauf = {}) {
        for (size_t i = 0; i < 15; ++i)
            if (std::find(sauf.begin(), sauf.end(), i) == sauf.end())
                ImporterFichier(a, fichiers_[i], Lyon());
    }

    static std::unique_ptr<Dossier> dossier_;
    static std::vector<std::string> fichiers_;
};

std::unique_ptr<Dossier> Niveau2Saison::dossier_;
std::vector<std::string> Niveau2Saison::fichiers_;

std::string Cliche(Archive& a, const std::string& sql) {
    std::string texte;
    Requete r(a.Base(), sql);
    while (r.Pas()) {
        for (int c = 0; c < r.Colonnes(); ++c) texte += (r.Nul(c) ? "-" : r.Texte(c)) + "|";
        texte += "\n";
    }
    return texte;
}

std::string Resumes(Archive& a) {
    return Cliche(a, "SELECT * FROM resumes_jours ORDER BY jour, site, instrument");
}

ResumeJour Jour(Archive& a, int mois, int jour) {
    const science::Date d{2026, mois, jour};
    const auto j = Jours(a, {d, d, std::nullopt, std::nullopt});
    return j.size() == 1 ? j[0] : ResumeJour{};
}

std::vector<std::vector<std::string>> Cellules(const std::string& csv) {
    std::vector<std::vector<std::string>> lignes;
    std::stringstream s(csv);
    for (std::string l; std::getline(s, l);) {
        std::vector<std::string> c;
        std::stringstream champs(l);
        for (std::string x; std::getline(champs, x, ',');) c.push_back(x);
        lignes.push_back(c);
    }
    return lignes;
}

std::string Exporter(Archive& a, const science::Date& d) {
    std::ostringstream csv;
    archive::Exporter(a, {d, d, std::nullopt}, csv, [] {});
    return csv.str();
}

// The file's records as one file alone gives them (solvenare-journee's
// CSV), on that day.
std::string Reference(Archive& a, const science::Date& d) {
    for (const FichierArchive& f : Fichiers(a)) {
        const science::Journee j = JourneeDe(a, f.id);
        std::vector<science::Resultat> r;
        for (const science::Resultat& x : Resultats(f, j)) {
            const auto date = DateLocale(x);
            if (date && date->mois == d.mois && date->jour == d.jour) r.push_back(x);
        }
        if (r.empty()) continue;
        std::ostringstream csv;
        science::EcrireCsv(csv, r, f.reglages.site);
        return csv.str();
    }
    return "";
}

TEST_F(Niveau2Saison, LesJoursEntreDesNoeudsPassentAuNiveau2) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    Importer(a);
    ImporterFichier(a, dossier_->Fichier("recalibre.txt"), Lyon());
    Requete r(a.Base(), "SELECT vert_mediane FROM resumes_jours WHERE jour = '2026-03-16'");
    ASSERT_TRUE(r.Pas());
    const double niveau15 = r.Reel(0);
    r.Reprendre();
    ActualiserNiveau2(a);
    EXPECT_FALSE(Niveau2ARevoir(a));
    struct Cas {
        int mois, jour;
        bool tous, aucun;  // every level-1.5 record at 2.0; none
    };
    const Cas cas[] = {
        {3, 16, true, false},   // knots on both sides, all day
        {3, 30, false, false},  // the last knot at 18 h: the evening stays 1.5
        {4, 3, false, true},    // a period of two half-days: no knot
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.jour);
        const ResumeJour j = Jour(a, c.mois, c.jour);
        ASSERT_GT(j.niveau15, 0);
        if (c.tous) {
            EXPECT_EQ(j.niveau20, j.niveau15);
        }
        if (c.aucun) {
            EXPECT_EQ(j.niveau20, 0);
        }
        if (!c.tous && !c.aucun) {
            EXPECT_GT(j.niveau20, 0);
            EXPECT_LT(j.niveau20, j.niveau15);
        }
        EXPECT_EQ(j.NiveauDeux(), !c.aucun);
    }
    // The header's V0 3 % high biases level 1.5; level 2.0 finds the truth.
    const ResumeJour milieu = Jour(a, 3, 16);
    EXPECT_GT(std::abs(niveau15 - AerosolVert), 0.01);
    EXPECT_LT(std::abs(milieu.vert->mediane - AerosolVert), 0.01);
    EXPECT_NEAR(milieu.angstrom->mediane, -std::log(0.08 / 0.065) / std::log(505.0 / 625), 0.15);

    // The export: level 2.0's rows change their depths, α and
    // uncertainties only; the others' bytes stay solvenare-journee's.
    const auto exportees = Cellules(Exporter(a, {2026, 3, 16}));
    const auto reference = Cellules(Reference(a, {2026, 3, 16}));
    ASSERT_EQ(exportees.size(), reference.size());
    size_t deux = 0, incertitudes = 0;
    for (size_t i = 1; i < exportees.size(); ++i) {
        const auto& x = exportees[i];
        const auto& y = reference[i];
        ASSERT_EQ(x.size(), 26u);
        if (x[24] != "2.0") {
            EXPECT_EQ(x, y);
            continue;
        }
        ++deux;
        EXPECT_EQ(y[24], "1.5");
        for (const size_t c : {10, 11}) EXPECT_NE(x[c], y[c]) << c;
        // The uncertainties move by a little, at their rounding's edge.
        if (x[21] != y[21] && x[22] != y[22]) ++incertitudes;
        for (size_t c = 0; c < 26; ++c)
            if (c < 10 || (c > 12 && c < 21) || c == 25) {
                EXPECT_EQ(x[c], y[c]) << c;
            }
    }
    EXPECT_EQ(deux, static_cast<size_t>(milieu.niveau20));
    EXPECT_GT(incertitudes, deux / 2);
    EXPECT_EQ(Exporter(a, {2026, 4, 3}), Reference(a, {2026, 4, 3}));

    // Nothing new, nothing moves.
    const std::string avant = Resumes(a) + Cliche(a, "SELECT * FROM noeuds ORDER BY 1, 2, 3, 4");
    Importer(a);
    EXPECT_FALSE(Niveau2ARevoir(a));
    ActualiserNiveau2(a);
    EXPECT_EQ(Resumes(a) + Cliche(a, "SELECT * FROM noeuds ORDER BY 1, 2, 3, 4"), avant);
    EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM resumes_jours WHERE a_revoir = 1"), 0);
}

// A step interrupted (the files imported, the knots never computed): a
// reading that cannot write computes the level 2.0 for itself and leaves
// the archive as it is; the next writer stores it.
TEST_F(Niveau2Saison, UnePasseInterrompueEstFinieParLaSuivante) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    std::string avant;
    {
        Archive a(chemin, Acces::Ecriture);
        Importer(a);
        avant = Resumes(a);
        EXPECT_TRUE(Niveau2ARevoir(a));
    }
    ResumeJour lu;
    {
        Archive lecture(chemin, Acces::Lecture);
        lu = Jour(lecture, 3, 16);
        EXPECT_GT(lu.niveau20, 0);
        EXPECT_EQ(Jours(lecture, {}).size(), 15u);
        EXPECT_EQ(Resumes(lecture), avant);
        EXPECT_TRUE(Niveau2ARevoir(lecture));
    }
    Archive a(chemin, Acces::Ecriture);
    const ResumeJour ecrit = Jour(a, 3, 16);
    EXPECT_EQ(ecrit.niveau20, lu.niveau20);
    EXPECT_EQ(ecrit.vert->mediane, lu.vert->mediane);
    EXPECT_FALSE(Niveau2ARevoir(a));
    EXPECT_EQ(a.Base().Entier("SELECT niveau20 FROM resumes_jours WHERE jour = '2026-03-16'"),
              lu.niveau20);
}

// A file that brings half-days moves the knots near it: the days around
// are computed again though no file of theirs changed.
TEST_F(Niveau2Saison, UnNouveauFichierRevoitLesJoursVoisins) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    Importer(a, {8});
    ActualiserNiveau2(a);
    const ResumeJour avant = Jour(a, 3, 16);
    ImporterFichier(a, fichiers_[8], Lyon());
    ActualiserNiveau2(a);
    const ResumeJour apres = Jour(a, 3, 16);
    EXPECT_EQ(apres.niveau20, avant.niveau20);
    EXPECT_NE(apres.vert->mediane, avant.vert->mediane);
    // The same as an archive that had every file from the start.
    Dossier e;
    Archive tout(e.Fichier("archive.sqlite"), Acces::Ecriture);
    Importer(tout);
    ActualiserNiveau2(tout);
    EXPECT_EQ(Resumes(a), Resumes(tout));
}

// A file without a half-day of its own (its sun never low enough) changes
// no knot, yet its day lies between knots: the import leaves it to review.
TEST_F(Niveau2Saison, UnJourSansDemiJourneeEntreDesNoeuds) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    Importer(a, {8});
    ActualiserNiveau2(a);
    std::vector<std::string> midi;
    for (const std::string& l : LignesJourSaison(Printemps()[8], 108))
        if (!l.starts_with("Simple;") || (l.substr(7, 2) >= "11" && l.substr(7, 2) < "14"))
            midi.push_back(l);
    WriteTextFile(d.Fichier("midi.txt"), midi);
    ImporterFichier(a, d.Fichier("midi.txt"), Lyon());
    EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM langleys l JOIN series s ON s.id = l.serie "
                              "WHERE s.fichier = (SELECT max(id) FROM fichiers) AND accepte = 1"),
              0);
    const std::string noeuds = Cliche(a, "SELECT * FROM noeuds ORDER BY 1, 2, 3, 4");
    ActualiserNiveau2(a);
    EXPECT_EQ(Cliche(a, "SELECT * FROM noeuds ORDER BY 1, 2, 3, 4"), noeuds);
    const ResumeJour j = Jour(a, 3, 18);
    EXPECT_GT(j.niveau15, 0);
    EXPECT_EQ(j.niveau20, j.niveau15);
}

TEST_F(Niveau2Saison, ArchiveDuSchema2) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    {
        Archive a(chemin, Acces::Ecriture);
        Importer(a);
        SchemaPrecedent(a.Base(), 2);
    }
    Archive a(chemin, Acces::Ecriture);
    EXPECT_EQ(VersionFichier(a.Base()), VersionSchema());
    EXPECT_GT(Jour(a, 3, 16).niveau20, 0);
    EXPECT_GT(a.Base().Entier("SELECT count(*) FROM noeuds"), 0);
    EXPECT_FALSE(Niveau2ARevoir(a));
}

}  // namespace
