// Faults users met in the field: a French keyboard in the filtered entries, a
// photometer measuring before the reception panel opens, an elevation of 0,
// the stop button over a closed port, the program's own files taken as data.
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QWidget>

#include "platform/textfile.h"
#include "tests/app/pannes_fixture.h"
#include "toolkit/qtconvert.h"

using toolkit::TControl;
using toolkit::TEdit;
using toolkit::TSaveDialog;

namespace {

using namespace std::chrono_literals;

class CorrectionsTest : public PannesTest {
  protected:
    static simulateur::Reglages Reglages() { return ReglagesSimulateur("SIMCORR"); }
    void TearDown() override {
        TSaveDialog::SetExecuteHook(nullptr);
        PannesTest::TearDown();
    }
};

void EnvoyerTexte(QWidget* w, const QString& texte) {
    for (const QChar c : texte) {
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &appui);
    }
}

}  // namespace

TEST_F(CorrectionsTest, AFrenchKeyboardTypesOnlyWhatEachFilterTakes) {
    TF_Fond& f = Demarrer();
    f.P_ParametresMesures->SetVisible(true);
    f.P_Etalonnages->SetVisible(true);
    f.OuvrirSaisieEtalonnages();
    // The unshifted digit row of AZERTY, the keys around it, and a dead key
    // composing a letter through the input method.
    const QString azerty = QString::fromUtf8("&é\"'(-è_çà)=²€µ§ù£¤°¨^");
    const struct {
        TEdit* entree;
        const char* attendu;
    } entrees[] = {
        {f.EPression, "12"},
        {f.EAngleElevation, "12"},
        {f.EIdentificationPhotometre, "12"},
        {f.EIdentificationLogiciel, "1,2"},
        {f.EV0Vert, "1,2"},
        {f.EVnVert, "1,2"},
        {f.EV0Rouge, "1,2"},
        {f.EVnRouge, "1,2"},
    };
    for (const auto& e : entrees) {
        e.entree->SetText("");
        QWidget* w = e.entree->Widget();
        EnvoyerTexte(w, azerty);
        EnvoyerTexte(w, "1");
        QInputMethodEvent compose;
        compose.setCommitString(QString::fromUtf8("ê"));
        QApplication::sendEvent(w, &compose);
        // A full stop where the entry takes a decimal separator.
        QKeyEvent point(QEvent::KeyPress, Qt::Key_Period, Qt::ShiftModifier, ".");
        QApplication::sendEvent(w, &point);
        EnvoyerTexte(w, QString::fromUtf8("2à"));
        EXPECT_EQ(e.entree->Text(), e.attendu) << e.entree->Name();
    }
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(CorrectionsTest, FramesBeforeTheReceptionPanelAreNeitherShownNorRecorded) {
    // A photometer left measuring: frames from the first request on, mixed
    // with its answers during the link check.
    simulateur::Reglages reglages = Reglages();
    reglages.cadence = 40;
    reglages.silence = 0ms;
    simulateur::TPhotometreSimule photometre(reglages);
    photometre.Demarrer();
    TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return dossier_ + "/mesures.txt"; });
    TF_Fond& f = Demarrer();
    f.T_HorlogeTimer(nullptr);
    f.ComPort->SetPort(photometre.Nom());
    f.IM_Fichiers->Click();
    ASSERT_TRUE(Attendre([&] { return f.LiaisonOK; }, 20s));
    const int avant = photometre.MesuresEnvoyees();
    ASSERT_TRUE(Attendre([&] { return photometre.MesuresEnvoyees() > avant + 5; }));
    EXPECT_EQ(f.Etat, EtatRepos) << "no mode taken from frames the panel does not show";

    for (char k : std::string("1013\r90\r")) {
        TEdit* champ =
            f.SaisieParametres & calibration::SaisiePression ? f.EAngleElevation : f.EPression;
        champ->KeyPress(k);
    }
    ASSERT_TRUE(f.P_Etalonnages->Visible());
    // The calibration panel reads out what the photometer reported while
    // frames keep coming, then closes the port.
    Attendre([] { return false; }, 300ms);
    ASSERT_TRUE(Attendre([&] { return !f.T_Etalonnage->Enabled(); }));
    EXPECT_EQ(Lire(f.NomFichier), "SOLVENARE\r\n") << "no record line before the header";
    EXPECT_EQ(f.LVVert->Caption(), "------");

    f.IM_OKEtalonnages->Click();
    CliquerBouton(f);  // DEMARRER
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() >= 3; }));
    CliquerBouton(f);  // ARRETER
    const std::vector<std::string> lignes = ReadTextLines(f.NomFichier);
    ASSERT_GE(lignes.size(), 12u);
    EXPECT_EQ(lignes[8], "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température");
    for (size_t i = 9; i < lignes.size(); ++i)
        EXPECT_EQ(lignes[i].rfind("Simple;", 0), 0u) << lignes[i];
    EXPECT_TRUE(erreurs_.empty()) << (erreurs_.empty() ? "" : erreurs_.front());
}

TEST_F(CorrectionsTest, AnElevationOfZeroIsRefusedLikeAMissingOne) {
    TF_Fond& f = Demarrer();
    f.NomFichier = dossier_ + "/mesures.txt";
    f.P_ParametresMesures->SetVisible(true);
    f.IM_OKParametresDesMesures->SetEnabled(true);
    f.EPression->SetText("1013");
    for (const char* angle : {"0", "00"}) {
        messages_.clear();
        f.EPression->SetFocus();
        f.EAngleElevation->SetText(angle);
        f.IM_OKParametresDesMesuresClick(nullptr);
        EXPECT_EQ(messages_, std::vector<std::string>{
                                 "L'angle d'élévation solaire doit être compris entre 1 et 90 "
                                 "degrés !"});
        EXPECT_TRUE(erreurs_.empty()) << "no division by zero";
        EXPECT_FALSE(f.P_Etalonnages->Visible());
        EXPECT_TRUE(f.EAngleElevation->Focused());
    }
    messages_.clear();
    f.EAngleElevation->SetText("1");
    f.IM_OKParametresDesMesuresClick(nullptr);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(f.P_Etalonnages->Visible());
    EXPECT_EQ(f.AngleElevation, 1);
}

TEST_F(CorrectionsTest, TheReceptionPanelAlwaysOpensOnItsStartButton) {
    simulateur::Reglages reglages = Reglages();
    simulateur::TPhotometreSimule photometre(reglages);
    photometre.Demarrer();
    TF_Fond& f = Ouvrir(photometre.Nom());
    CliquerBouton(f);  // DEMARRER
    ASSERT_TRUE(f.IM_Arreter->Visible());
    // Closed without stopping; the port closes when another file is chosen.
    f.IM_FINMesures->Click();
    f.IM_FINEtalonnages->Click();
    f.ComPort->Close();
    f.P_Etalonnages->SetVisible(true);
    f.IM_OKEtalonnagesClick(nullptr);
    ASSERT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_FALSE(f.IM_Arreter->Visible()) << "no stop button over a closed port";
    CliquerBouton(f);
    EXPECT_TRUE(f.ComPort->Connected()) << "the button seen starts the reception";
}

TEST_F(CorrectionsTest, TheProgramsOwnFilesAreNeverDataFiles) {
    Ecrire("Parametres.txt", "SOLVENARE V1.0 - Param\xE8tres\r\n[PortSerie]\r\nSIM0\r\n");
    Ecrire("SitesWeb.txt", "https://exemple.org\r\n");
    std::filesystem::create_directory("ailleurs");
    std::filesystem::create_symlink(dossier_ + "/SitesWeb.txt", "ailleurs/lien.txt");
    const std::string liens = Lire("SitesWeb.txt");
    const std::string parametres = Lire("Parametres.txt");

    std::string choix = dossier_ + "/mesures.txt";
    TSaveDialog::SetExecuteHook([&](const TSaveDialog&) { return choix; });
    TF_Fond& f = Demarrer();
    f.IM_Fichiers->Click();
    ASSERT_EQ(f.NomFichier, dossier_ + "/mesures.txt");
    f.P_ParametresMesures->SetVisible(false);
    for (const std::string& propre :
         {dossier_ + "/SitesWeb.txt", dossier_ + "/./Parametres.txt",
          dossier_ + "/ailleurs/lien.txt", dossier_ + "/ailleurs/../Doc_Solvenare.pdf"}) {
        messages_.clear();
        choix = propre;
        f.IM_Fichiers->Click();
        ASSERT_EQ(messages_.size(), 1u) << propre;
        EXPECT_NE(messages_[0].find("est un fichier du programme"), std::string::npos);
        EXPECT_EQ(f.NomFichier, dossier_ + "/mesures.txt") << "the file chosen before stays";
        EXPECT_FALSE(f.P_ParametresMesures->Visible());
    }
    EXPECT_EQ(Lire("SitesWeb.txt"), liens);
    EXPECT_EQ(Lire("Parametres.txt"), parametres);
    EXPECT_FALSE(std::filesystem::exists("Doc_Solvenare.pdf"));

    // A file of the same name elsewhere is an ordinary data file.
    messages_.clear();
    choix = dossier_ + "/ailleurs/SitesWeb.txt";
    f.IM_Fichiers->Click();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(f.NomFichier, choix);
}

TEST_F(CorrectionsTest, TheSpaceBarPressesTheButtonTheReceptionPanelShows) {
    simulateur::TPhotometreSimule photometre(Reglages());
    photometre.Demarrer();
    TF_Fond& f = Ouvrir(photometre.Nom());
    f.Show();
    f.Edit1->SetFocus();
    const auto espace = [&] {
        QWidget* cible = QApplication::focusWidget() ? QApplication::focusWidget() : f.Widget();
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(cible, &appui);
    };
    espace();
    EXPECT_TRUE(f.ComPort->Connected()) << "DEMARRER";
    EXPECT_TRUE(f.IM_Arreter->Visible());
    espace();
    EXPECT_FALSE(f.ComPort->Connected()) << "ARRETER";
    espace();
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.EnvoyerMesure(simulateur::Mode::Continu, 410, 320, 780);
    photometre.EnvoyerMesure(simulateur::Mode::Continu, 420, 310, 780);
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,051"; }));
    espace();
    EXPECT_EQ(Tensions().back(), Attendues(420, 310)) << "ECRIRE recorded the maxima";
    EXPECT_EQ(f.Edit1->Text(), "Edit1") << "the hidden entry took no space";

    // Without the reception panel the space goes where it always went.
    f.IM_FINMesures->Click();
    f.Edit1->SetFocus();
    const bool connecte = f.ComPort->Connected();
    espace();
    EXPECT_EQ(f.ComPort->Connected(), connecte);
    EXPECT_EQ(f.Edit1->Text(), " ");
    EXPECT_TRUE(erreurs_.empty()) << (erreurs_.empty() ? "" : erreurs_.front());

    // Each picture and value a newcomer may wonder about says what it is.
    for (const TControl* c :
         std::initializer_list<const TControl*>{f.IM_Xper, f.IM_Identification, f.G_Vert, f.G_Rouge,
                                                f.LEOVert, f.LEORouge, f.LEOMaxVert, f.LEOMaxRouge})
        EXPECT_FALSE(c->Widget()->toolTip().isEmpty()) << c->Name();
}
