// The main window's ties to the day view, on a real main window: the V0s of a
// Langley fit carried into the expert entries, the sun's elevation in its
// entry, Ctrl+J.

#include "app/journee_lien.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <fstream>
#include <thread>

#include "app/fond.h"
#include "journee/fenetre.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/soleil.h"
#include "tests/journee/vue/outils.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace {

TEST(LienJournee, LangleyV0sFillTheExpertEntriesOnlyWhenTheyAreOpen) {
    MatineeOuverte m;
    journee::FenetreJournee& vue = *m.vue;
    vue.ChoisirDemiJournee(journee::DemiJournee::Matin);
    ASSERT_TRUE(vue.LangleyCourant());
    const double v0Vert = vue.LangleyCourant()->vert.ajustement->v0;
    const double v0Rouge = vue.LangleyCourant()->rouge.ajustement->v0;

    // No main window yet.
    vue.ReporterV0();
    ASSERT_TRUE(Attendre([&] { return vue.DerniereReponse().has_value(); }));
    EXPECT_FALSE(vue.DerniereReponse()->acceptee);
    EXPECT_EQ(vue.DerniereReponse()->texte,
              "La fenêtre principale de Solvenare n'est pas ouverte.");

    TF_Fond f;
    ASSERT_TRUE(f.Journee->Ecoute());
    f.P_Etalonnages->SetVisible(true);
    f.LIdentificationPhotometre->SetCaption("7");
    f.LV0Vert->SetCaption("1,90");
    f.LV0Rouge->SetCaption("1,80");
    const struct {
        const char* cas;
        bool expert;
        const char* photometre;
        bool acceptee;
        std::string texte;  // the start of the answer
        std::string v0Vert, v0Rouge;
    } cas[] = {
        {"the expert entries closed", false, "7", false,
         "La fenêtre principale n'est pas en mode expert", "1,90", "1,80"},
        {"another photometer", true, "8", false,
         "Le fichier vient du photomètre n°7 ; la fenêtre principale est reliée au photomètre n°8",
         "1,90", "1,80"},
        {"expert entries open", true, "7", true, "V0 reportés dans le mode expert : verte ",
         FormatFixe(v0Vert, 2), FormatFixe(v0Rouge, 2)},
    };
    for (const auto& c : cas) {
        f.LIdentificationPhotometre->SetCaption(c.photometre);
        if (c.expert)
            f.OuvrirSaisieEtalonnages();
        else
            f.FermerSaisieEtalonnages();
        f.EV0Vert->SetText("1,90");
        f.EV0Rouge->SetText("1,80");
        vue.ReporterV0();
        ASSERT_TRUE(Attendre([&] { return vue.DerniereReponse().has_value(); })) << c.cas;
        EXPECT_EQ(vue.DerniereReponse()->acceptee, c.acceptee) << c.cas;
        EXPECT_EQ(vue.DerniereReponse()->texte.substr(0, c.texte.size()), c.texte) << c.cas;
        EXPECT_EQ(f.EV0Vert->Text(), c.v0Vert) << c.cas;
        EXPECT_EQ(f.EV0Rouge->Text(), c.v0Rouge) << c.cas;
        // Only the entries: nothing is on its way to the instrument.
        EXPECT_FALSE(f.T_EcriturePhotometre->Enabled()) << c.cas;
        EXPECT_FALSE(f.LEcriturePhotometre->Visible()) << c.cas;
        EXPECT_EQ(f.Etat, c.expert ? EtatExpert : EtatSimple) << c.cas;
    }
    // The Vn entries are the user's: the fit does not touch them.
    EXPECT_EQ(f.EVnVert->Text(), f.LVnVert->Caption());
}

TEST(LienJournee, ValuesOutsideWhatTheExpertEntriesAcceptAreRefused) {
    TF_Fond f;
    f.P_Etalonnages->SetVisible(true);
    f.LIdentificationPhotometre->SetCaption("7");
    f.OuvrirSaisieEtalonnages();
    for (const auto& [vert, rouge] : {std::pair{5.2, 2.0}, {2.0, 0.0}, {2.0, -1.0}}) {
        const auto r = f.Journee->RecevoirV0({"7", vert, rouge});
        EXPECT_FALSE(r.acceptee) << vert << " " << rouge;
        EXPECT_NE(r.texte.find("jusqu'à 5 V"), std::string::npos) << r.texte;
    }
    EXPECT_TRUE(f.Journee->RecevoirV0({"7", 5.0, 0.3}).acceptee);
    EXPECT_EQ(f.EV0Vert->Text(), "5,00");
}

TEST(LienJournee, ElevationIsRoundedAsTheEntryAcceptsIt) {
    const struct {
        double elevation;
        std::optional<int> saisie;
    } cas[] = {{-3, std::nullopt}, {0.4, std::nullopt}, {0.5, 1},           {34.49, 34},
               {34.5, 35},         {89.7, 90},          {NAN, std::nullopt}};
    for (const auto& c : cas) EXPECT_EQ(ElevationSaisie(c.elevation), c.saisie) << c.elevation;
}

TEST(LienJournee, TheSiteGivesTheSunsElevationInTheTooltipAndF2TypesIt) {
    Dossier d;
    TF_Fond f;
    f.DossierProgramme = d.chemin;
    const int64_t utc = 1796641200;  // 2026-12-07 11:00 UTC
    EXPECT_FALSE(f.Journee->InfoBulleElevation(utc)) << "no site, no tooltip";
    EXPECT_FALSE(f.Journee->RemplirElevation(utc));
    EXPECT_EQ(f.EAngleElevation->Text(), "--");

    science::EcrireSite(d.Fichier(science::NomFichierSite), SiteLyon);
    const double attendue =
        science::CalculerPositionSoleil(static_cast<double>(utc), SiteLyon, {}).elevationApparente;
    const auto texte = f.Journee->InfoBulleElevation(utc);
    ASSERT_TRUE(texte);
    EXPECT_EQ(*texte, "Élévation du soleil maintenant : " + FormatFixe(attendue, 1) +
                          "° (F2 inscrit " + std::to_string(std::lround(attendue)) + ").");
    ASSERT_TRUE(f.Journee->RemplirElevation(utc));
    EXPECT_EQ(f.EAngleElevation->Text(), std::to_string(std::lround(attendue)));
    // Night: nothing to type.
    EXPECT_FALSE(f.Journee->RemplirElevation(utc + 10 * 3600));
    EXPECT_NE(f.Journee->InfoBulleElevation(utc + 10 * 3600)->find("trop bas"), std::string::npos);

    // F2 typed in the entry, under a sun that stands high now wherever it is.
    const int64_t maintenant = QDateTime::currentSecsSinceEpoch();
    const double longitude = std::remainder(180.0 - (maintenant % 86400) / 240.0, 360.0);
    science::EcrireSite(d.Fichier(science::NomFichierSite), {0, longitude, 0, "UTC"});
    f.EAngleElevation->SetText("--");
    QTest::keyClick(f.EAngleElevation->LineEdit(), Qt::Key_F2);
    const int tapee = std::stoi(f.EAngleElevation->Text());
    EXPECT_GE(tapee, 60);
    EXPECT_LE(tapee, 90);
}

TEST(LienJournee, CtrlJOpensTheDayViewOnTheDataFileInTheProgramsFolder) {
    Dossier d;
    const std::string script = d.Fichier("vue.sh");
    const std::string trace = d.Fichier("trace.txt");
    {
        std::ofstream s(script);
        s << "#!/bin/sh\npwd > '" << trace << ".tmp'\necho \"$@\" >> '" << trace << ".tmp'\nmv '"
          << trace << ".tmp' '" << trace << "'\n";
    }
    chmod(script.c_str(), 0755);
    TF_Fond f;
    f.Journee->programme = script;
    f.DossierProgramme = d.chemin;
    f.NomFichier = d.Fichier("mesures.txt");
    f.Show();
    QApplication::setActiveWindow(f.Widget());
    QTest::keyClick(f.Widget(), Qt::Key_J, Qt::ControlModifier);
    ASSERT_TRUE(Attendre([&] { return FileExists(trace); }));
    const auto lignes = ReadTextLines(trace);
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_EQ(lignes[0], d.chemin);
    EXPECT_EQ(lignes[1], d.Fichier("mesures.txt"));
}

}  // namespace
