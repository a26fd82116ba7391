// The data-file choice, the measurement parameters, the calibration panel,
// the expert mode and the write into the photometer, driven as a user would.
#include "platform/textfile.h"
#include "tests/app/fond_fixture.h"
#include "tests/support/pty_pair.h"

using toolkit::crNo;
using toolkit::taLeftJustify;
using toolkit::taRightJustify;
using toolkit::TEdit;
using toolkit::TLabel;
using toolkit::TSaveDialog;

namespace {

void Taper(TEdit* edit, const std::string& touches) {
    for (char t : touches) {
        char k = t;
        edit->KeyPress(k);
    }
}

class SaisieTest : public FondTest {
  protected:
    void SetUp() override {
        FondTest::SetUp();
        TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return reponseDialogue_; });
    }
    void TearDown() override {
        TSaveDialog::SetExecuteHook(nullptr);
        FondTest::TearDown();
    }
    // A data file chosen with the port on the photometer's line.
    TF_Fond& Choisir(PtyPair& photometre) {
        TF_Fond& f = Demarrer();
        f.T_HorlogeTimer(nullptr);
        f.ComPort->SetPort(photometre.Path());
        reponseDialogue_ = dossier_ + "/mesures.txt";
        f.IM_Fichiers->Click();
        return f;
    }
    // The identification frame of the example: number 7, version 1,0,
    // V0 green 434 counts (2,12 V).
    static void Identifier(TF_Fond& f) {
        const char id[] = {
            7, 10, 0x01, static_cast<char>(0xB2), 0, 2, 0x01, static_cast<char>(0xA4), 0, 2};
        f.ComDataPacketPacket(nullptr, std::string(id, 10));
    }
    std::optional<std::string> reponseDialogue_;
};

}  // namespace

TEST_F(SaisieTest, ChoosingTheDataFileStartsTheLinkCheck) {
    PtyPair photometre;
    TF_Fond& f = Demarrer();
    f.ComPort->SetPort(photometre.Path());
    f.IM_Fichiers->Click();
    EXPECT_FALSE(f.P_ParametresMesures->Visible()) << "cancelled at the first choice: nothing";

    reponseDialogue_ = dossier_ + "/mesures";
    f.IM_Fichiers->Click();
    EXPECT_EQ(f.NomFichier, dossier_ + "/mesures.txt") << "the default extension";
    EXPECT_EQ(Lire(f.NomFichier), "SOLVENARE\r\n");
    EXPECT_TRUE(f.P_ParametresMesures->Visible());
    EXPECT_EQ(f.LNomFichier->Caption(), f.NomFichier);
    EXPECT_EQ(f.Etat, EtatVerificationLiaison);
    EXPECT_EQ(f.ComDataPacket->Size(), 11);
    EXPECT_TRUE(f.T_LiaisonSerie->Enabled());
    EXPECT_TRUE(f.ComPort->Connected());
    EXPECT_FALSE(f.IM_OKParametresDesMesures->Enabled());
    EXPECT_EQ(f.LOKPortSerie->Caption(), "en cours...");

    // Cancelled later: the same file again, no second creation line.
    reponseDialogue_.reset();
    f.IM_Fichiers->Click();
    EXPECT_EQ(Lire(f.NomFichier), "SOLVENARE\r\n");

    f.LNomFichier->Click();
    EXPECT_EQ(f.LNomFichier->Alignment(), taRightJustify);
    f.LNomFichier->Click();
    EXPECT_EQ(f.LNomFichier->Alignment(), taLeftJustify);
}

TEST_F(SaisieTest, ParameterKeysAndTheEnterCycle) {
    PtyPair photometre;
    TF_Fond& f = Choisir(photometre);
    Taper(f.EPression, "1a0.1-3 ");
    EXPECT_EQ(f.EPression->Text(), "1013") << "only digits reach the field";
    Taper(f.EPression, "\r");
    EXPECT_EQ(f.SaisieParametres, calibration::SaisiePression);
    EXPECT_TRUE(f.EAngleElevation->Focused());
    Taper(f.EAngleElevation, "9x5");
    EXPECT_EQ(f.EAngleElevation->Text(), "95");
    Identifier(f);
    Taper(f.EAngleElevation, "\r");
    EXPECT_EQ(f.SaisieParametres, calibration::SaisieComplete);
    EXPECT_TRUE(f.P_Etalonnages->Visible()) << "Enter in both fields validates";
    EXPECT_EQ(f.EAngleElevation->Text(), "90");
    EXPECT_EQ(f.AngleElevation, 90);
    EXPECT_EQ(f.Pression, 1013);
    EXPECT_TRUE(f.Edit1->Focused());
    EXPECT_TRUE(f.T_Etalonnage->Enabled());
    EXPECT_EQ(f.IM_Serie->Cursor(), crNo);
    EXPECT_EQ(f.IM_Fichiers->Hint(), "Fermer Etalonnages pour changer de fichier.");
    f.IM_Fichiers->Click();
    EXPECT_EQ(Lire(f.NomFichier), "SOLVENARE\r\n") << "no file choice while calibrating";
}

TEST_F(SaisieTest, ValidationMessagesAndTheLinkNotYetVerified) {
    TF_Fond& f = Demarrer();
    f.P_ParametresMesures->SetVisible(true);
    f.IM_OKParametresDesMesures->Click();
    EXPECT_EQ(messages_,
              (std::vector<std::string>{"Vous devez choisir ou crée un fichier !",
                                        "Vous devez entrer la pression atmosphérique !",
                                        "Vous devez entrer l'angle d'élévation solaire !"}));
    EXPECT_TRUE(f.EAngleElevation->Focused());

    // Before the link is verified: no message, nothing changes.
    PtyPair photometre;
    messages_.clear();
    TF_Fond& g = Choisir(photometre);
    g.EPression->SetText("1013");
    g.EAngleElevation->SetText("45");
    g.IM_OKParametresDesMesures->Click();  // disabled: the click cannot reach it
    char entree = 13;
    g.SaisieParametres = calibration::SaisieComplete;
    g.EPressionKeyPress(nullptr, entree);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(g.P_Etalonnages->Visible());
    EXPECT_EQ(g.Etat, EtatVerificationLiaison) << "the link check goes on";
    EXPECT_TRUE(g.T_LiaisonSerie->Enabled());

    g.EPression->SetText("");
    g.IM_OKParametresDesMesuresClick(nullptr);
    EXPECT_EQ(messages_, std::vector<std::string>{"Vous devez entrer la pression atmosphérique !"});
}

TEST_F(SaisieTest, CalibrationDisplaySequenceAndHeaderA) {
    PtyPair photometre;
    TF_Fond& f = Choisir(photometre);
    Identifier(f);
    f.EPression->SetText("1013");
    f.EAngleElevation->SetText("30");
    f.IM_OKParametresDesMesures->Click();
    ASSERT_TRUE(f.P_Etalonnages->Visible());
    char entree = 13;
    f.Edit1->KeyPress(entree);
    EXPECT_FALSE(f.P_ReceptionMesures->Visible()) << "Enter waits for the sequence to end";

    const std::vector<std::string> attendu = {"7", "1,0", "2,12", "0,01", "2,05", "0,01"};
    TLabel* labels[] = {f.LIdentificationPhotometre,
                        f.LIdentificationLogiciel,
                        f.LV0Vert,
                        f.LVnVert,
                        f.LV0Rouge,
                        f.LVnRouge};
    f.T_EtalonnageTimer(nullptr);
    EXPECT_EQ(f.LIdentificationPhotometre->Caption(), "007") << "the first tick shows nothing";
    for (int i = 0; i < 6; ++i) {
        f.T_EtalonnageTimer(nullptr);
        EXPECT_EQ(labels[i]->Caption(), attendu[static_cast<size_t>(i)]);
        EXPECT_EQ(f.ComPort->Connected(), i < 5) << "the port closes after the seventh tick";
    }
    EXPECT_FALSE(f.T_Etalonnage->Enabled());
    EXPECT_EQ(f.EtapeEtalonnage, 0);

    entree = 13;
    f.Edit1->KeyPress(entree);
    entree = 13;
    f.Edit1->KeyPress(entree);
    EXPECT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_EQ(f.Etat, EtatSimple);
    EXPECT_NEAR(f.MasseAir, 2.0, 1e-12);
    const std::string bloc =
        "-- Date     : Lundi 6 D\xE9"
        "cembre - \r\n"
        "-- Photom\xE8tre n\xB0"
        "7 Logiciel v1,0\r\n"
        "-- Pression : 1013 hPa\r\n"
        "-- Angle d'\xE9l\xE9vation solaire : 30 deg\r\n"
        "ETALONNAGE\r\n"
        "-- V0Vert  = 2,12V VnVert  = 0,01V\r\n"
        "-- V0Rouge = 2,05V VnRouge = 0,01V\r\n"
        "Mode;Heure;VVert;EOVert;VRouge;EORouge;Temp\xE9rature\r\n";
    EXPECT_EQ(Lire(f.NomFichier), "SOLVENARE\r\n" + bloc + bloc) << "Enter twice: two headers";
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(SaisieTest, Password) {
    TF_Fond& f = Demarrer();
    f.P_Etalonnages->SetVisible(true);
    f.IM_Xper->Click();
    ASSERT_TRUE(f.P_MotDePasse->Visible());
    for (const char* faux : {"Brisemer", " brisemer"}) {
        Taper(f.EMotDePasse, std::string(faux) + "\r");
        EXPECT_EQ(f.EMotDePasse->Text(), "");
    }
    EXPECT_EQ(f.EssaisMotDePasse, 2);
    Taper(f.EMotDePasse, "brisemer\r");
    EXPECT_FALSE(f.P_MotDePasse->Visible());
    EXPECT_EQ(f.Etat, EtatExpert);
    EXPECT_TRUE(f.EV0Vert->Visible());
    EXPECT_EQ(f.EV0Vert->Text(), "-------");
    EXPECT_TRUE(messages_.empty()) << "no message on a wrong password";

    f.IM_FINEtalonnagesClick(nullptr);
    EXPECT_EQ(f.Etat, EtatSimple);
    f.P_Etalonnages->SetVisible(true);
    f.IM_Xper->Click();
    EXPECT_EQ(f.EMotDePasse->Text(), "brisemer") << "kept after a success";
    for (int i = 0; i < 3; ++i) f.IM_OKMotDePasse->Click(), f.EMotDePasse->SetText("x");
    EXPECT_FALSE(f.P_MotDePasse->Visible()) << "three wrong passwords close the panel";
    f.IM_Xper->Click();
    EXPECT_EQ(f.EssaisMotDePasse, 0);
}

TEST_F(SaisieTest, ExpertEntriesAndTheWriteCommand) {
    PtyPair photometre;
    TF_Fond& f = Choisir(photometre);
    Identifier(f);
    f.EPression->SetText("1013");
    f.EAngleElevation->SetText("90");
    f.IM_OKParametresDesMesures->Click();
    for (int i = 0; i < 7; ++i) f.T_EtalonnageTimer(nullptr);
    f.OuvrirSaisieEtalonnages();

    // Separators: one comma per entry, typed as a full stop too.
    f.EV0Vert->SetText("");
    Taper(f.EV0Vert, "2.1.2");
    EXPECT_EQ(f.EV0Vert->Text(), "2,12");
    Taper(f.EV0Vert, "\r");
    EXPECT_TRUE(f.EVnVert->Focused());
    f.EVnVert->SetText("");
    Taper(f.EVnVert, "0,01");
    Taper(f.EVnRouge, "\r");
    EXPECT_TRUE(f.EIdentificationPhotometre->Focused());

    struct Refus {
        const char* numero;
        const char* version;
        const char* v0Rouge;
        const char* message;
        TEdit* focus;
    } refus[] = {
        {"7", "1,0", "5,0",
         "Valeurs d'étalonnages incohérentes. Revenez en mode simple ou vérifiez votre câble.",
         f.EV0Rouge},
        {"7", "1,0", "5,01",
         "Valeurs d'étalonnages incohérentes. Revenez en mode simple ou vérifiez votre câble.",
         f.EV0Rouge},
        {"256", "1,0", "1,65", "Numéro de photomètre incorrect (0 à 255) !",
         f.EIdentificationPhotometre},
        {"7", "25,6", "1,65", "Version incorrecte (0,0 à 25,5) !", f.EIdentificationLogiciel},
        {"", "1,0", "1,65", "'' n'est pas une valeur entière correcte", nullptr},
        {"7", ",", "1,65", "',' n'est pas une valeur en virgule flottante correcte", nullptr},
    };
    for (const auto& r : refus) {
        messages_.clear();
        erreurs_.clear();
        f.EIdentificationPhotometre->SetText(r.numero);
        f.EIdentificationLogiciel->SetText(r.version);
        f.EV0Rouge->SetText(r.v0Rouge);
        f.EVnRouge->SetText("0,02");
        f.IM_OKEtalonnages->Click();
        std::vector<std::string> dits = messages_;
        dits.insert(dits.end(), erreurs_.begin(), erreurs_.end());
        EXPECT_EQ(dits, std::vector<std::string>{r.message});
        EXPECT_FALSE(f.T_EcriturePhotometre->Enabled());
        EXPECT_EQ(f.Etat, EtatExpert);
        EXPECT_DOUBLE_EQ(f.V0Rouge, 2.05) << "a refused value is not stored";
        if (r.focus != nullptr) {
            EXPECT_TRUE(r.focus->Focused()) << r.message;
        }
        f.EV0Vert->SetFocus();
    }
    EXPECT_EQ(photometre.Receive(1, std::chrono::milliseconds(100)), "") << "nothing sent";

    f.EIdentificationPhotometre->SetText("7");
    f.EIdentificationLogiciel->SetText("1,0");
    f.EV0Rouge->SetText("1,65");
    f.IM_OKEtalonnages->Click();
    EXPECT_TRUE(f.LEcriturePhotometre->Visible());
    EXPECT_TRUE(f.T_EcriturePhotometre->Enabled());
    f.T_EcriturePhotometreTimer(nullptr);
    EXPECT_EQ(photometre.Receive(12),
              std::string("\xFF\x80\x07\x0A\x01\xB2\x00\x02\x01\x51\x00\x04", 12));
    EXPECT_TRUE(f.ComPort->Connected()) << "the port stays open";
    EXPECT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_TRUE(f.IM_Arreter->Visible()) << "the button says the port is open";
    EXPECT_EQ(f.Etat, EtatSimple);
    EXPECT_EQ(f.ComDataPacket->Size(), 8);
    EXPECT_EQ(f.LV0Rouge->Caption(), "1,65") << "the labels keep what was typed";
    const auto lignes = ReadTextLines(f.NomFichier);
    ASSERT_EQ(lignes.size(), 9u);
    EXPECT_EQ(lignes[4], "-- Angle d'élévation solaire : 90deg");
    EXPECT_EQ(lignes[6], "-- V0Vert = 2,12V-- VnVert = 0,01V");
    EXPECT_EQ(lignes[7], "-- V0Rouge= 1,65V-- VnRouge= 0,02V");

    // ARRETER stops what the write started; the panel opened again by the
    // calibration beneath it shows DEMARRER over the closed port.
    f.IM_Arreter->Click();
    EXPECT_FALSE(f.ComPort->Connected());
    EXPECT_FALSE(f.IM_Arreter->Visible());
    f.IM_FINMesures->Click();
    f.IM_OKEtalonnages->Click();
    ASSERT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_FALSE(f.IM_Arreter->Visible());
    EXPECT_FALSE(f.ComPort->Connected());
}
