// The days' summaries on a small known archive, their cache kept right as
// files come and change, and the merge of two stations' archives with
// overlapping days.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "archive/archive.h"
#include "archive/fusion.h"
#include "archive/importation.h"
#include "archive/jours.h"
#include "archive/resumes.h"
#include "platform/textfile.h"
#include "tests/archive/outils.h"
#include "tests/support/matinee.h"

namespace {

using namespace archive;

void EcrireJour(const std::string& chemin, const std::string& date, const std::string& numero,
                double v0Vert) {
    auto l = EnTeteMatineeClaire();
    l[0] = "-- Date     : " + date + " - ";
    l[1] = "-- Photomètre n°" + numero + " Logiciel v1,2";
    for (auto& e : EnregistrementsMatineeClaire(v0Vert, 2.05)) l.push_back(e);
    WriteTextFile(chemin, l);
}

// The level-1.5 green depths of solvenare-journee's CSV for the file.
std::vector<double> VertsNiveau15(const Dossier& d, const std::string& fichier) {
    const Execution r = LancerJournee(d, {fichier, "--csv", "-", "--site", "45.764,4.8357,170",
                                          "--fuseau", "UTC+1", "--annee", "2026"});
    std::istringstream lignes(r.sortie);
    std::string ligne;
    std::getline(lignes, ligne);
    std::vector<double> verts;
    while (std::getline(lignes, ligne)) {
        std::vector<std::string> champs(1);
        for (char c : ligne)
            if (c == ',')
                champs.emplace_back();
            else
                champs.back().push_back(c);
        if (champs[24] == "1.5") verts.push_back(std::stod(champs[10]));
    }
    return verts;
}

TEST(ArchiveJours, UneArchiveConnue) {
    Dossier d;
    EcrireJour(d.Fichier("lundi.txt"), "Lundi 7 Décembre", "7", 2.12);
    EcrireJour(d.Fichier("lundi9.txt"), "Lundi 7 Décembre", "9", 2.12);
    EcrireJour(d.Fichier("mardi.txt"), "Mardi 8 Décembre", "7", 2.00);
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    for (const char* f : {"lundi.txt", "lundi9.txt", "mardi.txt"})
        ImporterFichier(a, d.Fichier(f), Lyon());

    std::vector<double> verts = VertsNiveau15(d, "lundi.txt");
    ASSERT_GT(verts.size(), 100u);
    std::sort(verts.begin(), verts.end());

    const auto tous = Jours(a, {});
    ASSERT_EQ(tous.size(), 3u);
    const ResumeJour& j = tous[0];
    EXPECT_EQ(j.jour.annee, 2026);
    EXPECT_EQ(j.jour.mois, 12);
    EXPECT_EQ(j.jour.jour, 7);
    EXPECT_EQ(j.site, "45.764000,4.835700,170");
    EXPECT_EQ(j.instrument, "7");
    EXPECT_EQ(j.enregistrements, 441);
    EXPECT_EQ(j.niveau15, static_cast<int>(verts.size()));
    ASSERT_TRUE(j.vert && j.rouge && j.angstrom);
    // The CSV's depths have four decimals.
    EXPECT_NEAR(j.vert->min, verts.front(), 5e-5);
    EXPECT_NEAR(j.vert->max, verts.back(), 5e-5);
    const size_t n = verts.size();
    EXPECT_NEAR(j.vert->mediane, n % 2 ? verts[n / 2] : (verts[n / 2 - 1] + verts[n / 2]) / 2,
                5e-5);
    EXPECT_EQ(tous[1].instrument, "9");
    EXPECT_EQ(tous[2].jour.jour, 8);

    const struct {
        ChoixJours choix;
        size_t n;
    } cas[] = {
        {{science::Date{2026, 12, 8}, std::nullopt, std::nullopt, std::nullopt}, 1},
        {{std::nullopt, science::Date{2026, 12, 7}, std::nullopt, std::nullopt}, 2},
        {{std::nullopt, std::nullopt, std::string("7"), std::nullopt}, 2},
        {{std::nullopt, std::nullopt, std::nullopt, std::string("45.764000,4.835700,170")}, 3},
        {{std::nullopt, std::nullopt, std::nullopt, std::string("ailleurs")}, 0},
    };
    for (const auto& c : cas) EXPECT_EQ(Jours(a, c.choix).size(), c.n);
}

TEST(ArchiveJours, LeCacheSuitLesFichiersEtLaVersion) {
    Dossier d;
    Archive a(d.Fichier("archive.sqlite"), Acces::Ecriture);
    EcrireJour(d.Fichier("a.txt"), "Lundi 7 Décembre", "7", 2.12);
    ImporterFichier(a, d.Fichier("a.txt"), Lyon());
    // A second file of the same day and instrument: the day holds both. A
    // copy of a would add nothing: the same bytes are counted once.
    EcrireJour(d.Fichier("copie.txt"), "Lundi 7 Décembre", "7", 2.12);
    const BilanImport copie = ImporterFichier(a, d.Fichier("copie.txt"), Lyon());
    EXPECT_EQ(copie.issue, archive::Issue::DejaLa);
    EXPECT_EQ(copie.raison,
              "les mêmes octets sont déjà importés de « " + d.Fichier("a.txt") + " »");
    EcrireJour(d.Fichier("b.txt"), "Lundi 7 Décembre", "7", 2.10);
    ImporterFichier(a, d.Fichier("b.txt"), Lyon());
    ASSERT_EQ(Jours(a, {}).size(), 1u);
    EXPECT_EQ(Jours(a, {})[0].enregistrements, 882);
    // b now holds another day: Monday keeps a's records only.
    EcrireJour(d.Fichier("b.txt"), "Mardi 8 Décembre", "7", 2.12);
    EXPECT_EQ(ImporterFichier(a, d.Fichier("b.txt"), Lyon()).issue, archive::Issue::Remplace);
    auto jours = Jours(a, {});
    ASSERT_EQ(jours.size(), 2u);
    EXPECT_EQ(jours[0].enregistrements, 441);
    EXPECT_EQ(jours[1].enregistrements, 441);
    // Summaries of another computation's version are made again.
    a.Base().Executer("UPDATE reglages SET valeur = '0' WHERE cle = 'version_calcul'");
    a.Base().Executer("UPDATE resumes_jours SET enregistrements = 1");
    {
        // Read-only, they are computed for the reading alone.
        Archive lecture(d.Fichier("archive.sqlite"), Acces::Lecture);
        const auto calcules = Jours(lecture, {});
        ASSERT_EQ(calcules.size(), 2u);
        EXPECT_EQ(calcules[0].enregistrements, 441);
        EXPECT_EQ(calcules[1].jour.jour, 8);
        EXPECT_EQ(
            Jours(lecture, {std::nullopt, science::Date{2026, 12, 7}, std::nullopt, std::nullopt})
                .size(),
            1u);
        EXPECT_EQ(calcules[0].vert->mediane, jours[0].vert->mediane);
    }
    jours = Jours(a, {});
    ASSERT_EQ(jours.size(), 2u);
    EXPECT_EQ(jours[0].enregistrements, 441);
    EXPECT_EQ(a.Base().Entier("SELECT valeur FROM reglages WHERE cle = 'version_calcul'"),
              VersionCalcul);
    // An import into an archive of another version makes every day again,
    // its own file's with the others.
    a.Base().Executer("UPDATE reglages SET valeur = '0' WHERE cle = 'version_calcul'");
    a.Base().Executer("UPDATE resumes_jours SET enregistrements = 1");
    EcrireJour(d.Fichier("c.txt"), "Lundi 7 Décembre", "7", 2.05);
    ImporterFichier(a, d.Fichier("c.txt"), Lyon());
    jours = Jours(a, {});
    ASSERT_EQ(jours.size(), 2u);
    EXPECT_EQ(jours[0].enregistrements, 882);
    EXPECT_EQ(jours[1].enregistrements, 441);
    EXPECT_EQ(a.Base().Entier("SELECT valeur FROM reglages WHERE cle = 'version_calcul'"),
              VersionCalcul);
}

TEST(ArchiveFusion, DeuxStationsAuxJoursCommuns) {
    Dossier d;
    EcrireJour(d.Fichier("commun.txt"), "Lundi 7 Décembre", "7", 2.12);
    EcrireJour(d.Fichier("ici.txt"), "Mardi 8 Décembre", "7", 2.12);
    EcrireJour(d.Fichier("la-bas.txt"), "Lundi 7 Décembre", "7", 2.00);
    {
        Archive ici(d.Fichier("ici.sqlite"), Acces::Ecriture);
        ImporterFichier(ici, d.Fichier("commun.txt"), Lyon());
        ImporterFichier(ici, d.Fichier("ici.txt"), Lyon());
        Archive laBas(d.Fichier("labas.sqlite"), Acces::Ecriture);
        ImporterFichier(laBas, d.Fichier("commun.txt"), Lyon());
        ImporterFichier(laBas, d.Fichier("la-bas.txt"), Lyon());
        // Row numbers differ between the two: identity is by content.
        laBas.Base().Executer("UPDATE mesures SET serie = serie");
    }
    Archive ici(d.Fichier("ici.sqlite"), Acces::Ecriture);
    const struct { size_t ajoutes, dejaLa, enregistrements; } fois[] = {{1, 1, 441}, {0, 2, 0}};
    for (const auto& f : fois) {
        Archive laBas(d.Fichier("labas.sqlite"), Acces::Lecture);
        const BilanFusion b = Fusionner(ici, laBas);
        EXPECT_EQ(b.fichiers, f.ajoutes);
        EXPECT_EQ(b.dejaLa, f.dejaLa);
        EXPECT_EQ(b.enregistrements, f.enregistrements);
        const auto jours = Jours(ici, {});
        ASSERT_EQ(jours.size(), 2u);
        EXPECT_EQ(jours[0].enregistrements, 882);
        EXPECT_EQ(jours[1].enregistrements, 441);
        EXPECT_EQ(ici.Base().Entier("SELECT count(*) FROM mesures"), 3 * 441);
    }
    // The merged file's origin is the other archive; the same bytes
    // imported here are not counted twice.
    EXPECT_EQ(ici.Base().Entier("SELECT count(*) FROM fichiers WHERE origine = 'labas.sqlite'"), 1);
    const BilanImport deja = ImporterFichier(ici, d.Fichier("la-bas.txt"), Lyon());
    EXPECT_EQ(deja.issue, archive::Issue::DejaLa);
    EXPECT_EQ(deja.raison, "les mêmes octets viennent de l'archive « labas.sqlite »");
    EXPECT_EQ(ici.Base().Entier("SELECT count(*) FROM mesures"), 3 * 441);
}

}  // namespace
