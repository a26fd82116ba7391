#include <cmath>

#include "measurement/calculs.h"
#include "recording/lignes.h"
#include "tests/app/fond_fixture.h"
#include "tests/support/octets.h"
#include "tests/support/pty_pair.h"

#include <filesystem>

namespace {

class ReceptionTest : public FondTest {
  protected:
    // The window as the calibration validation leaves it: header A written,
    // the reception panel open in single mode.
    TF_Fond& Ouvrir() {
        TF_Fond& f = Demarrer();
        f.LiaisonOK = true;
        f.V0Vert = 2.0;
        f.VnVert = 0.1;
        f.V0Rouge = 2.0;
        f.VnRouge = 0.1;
        f.DistanceTerreSoleil = 1.0;
        f.RapportPression = measurement::RapportPression(1013);
        f.MasseAir = measurement::MasseAir(90);
        f.NomFichier = dossier_ + "/mesures.txt";
        f.FichierDonnees.CreerOuSonder(f.NomFichier);
        f.T_HorlogeTimer(nullptr);
        f.FichierDonnees.EcrireEnTeteA(f.NomFichier, recording::LignesEnTeteA(recording::EnTete{}));
        f.FichierOuvert = true;
        f.OuvrirReceptionMesures();
        return f;
    }
    std::vector<std::string> Enregistrements() {
        std::vector<std::string> lignes;
        std::string contenu = Lire(fenetre_->NomFichier), ligne;
        for (size_t i = 0; i + 1 < contenu.size(); ++i) {
            if (contenu[i] == '\r' && contenu[i + 1] == '\n') {
                if (ligne.rfind("Simple;", 0) == 0 || ligne.rfind("Continu;", 0) == 0)
                    lignes.push_back(ligne);
                ligne.clear();
                ++i;
            } else {
                ligne += contenu[i];
            }
        }
        return lignes;
    }
};

}  // namespace

TEST_F(ReceptionTest, IdentificationFramesDuringTheLinkCheck) {
    PtyPair photometre;
    TF_Fond& f = Demarrer();
    f.ComPort->SetPort(photometre.Path());
    f.ComPort->Open();
    f.Etat = EtatVerificationLiaison;
    f.T_LiaisonSerie->SetEnabled(true);
    f.IM_OKParametresDesMesures->SetEnabled(false);

    // Counts of 1023 read as 5.00 V once rounded: refused and asked again.
    f.ComDataPacketPacket(nullptr, Octets({7, 12, 0x03, 0xFF, 0, 0x40, 1, 0xFF, 0, 0x20}));
    EXPECT_FALSE(f.LiaisonOK);
    EXPECT_EQ(f.Etat, EtatVerificationLiaison);
    EXPECT_EQ(photometre.Receive(2), "\xFF\x40");

    f.ComDataPacketPacket(nullptr, Octets({7, 12, 0x03, 0xFE, 0, 0x40, 1, 0xFF, 0, 0x20}));
    EXPECT_TRUE(f.LiaisonOK) << "1022 passes";
    EXPECT_EQ(f.Etat, EtatRepos);
    f.Etat = EtatVerificationLiaison;  // a data file chosen again restarts the check
    f.ComDataPacketPacket(nullptr, Octets({7, 12, 1, 0x80, 0, 0x40, 1, 0xFF, 0, 0x20}));
    EXPECT_EQ(f.NumeroPhotometre, 7);
    EXPECT_EQ(f.VersionLogiciel, 12);
    EXPECT_DOUBLE_EQ(f.V0Vert, 1.88);
    EXPECT_DOUBLE_EQ(f.VnVert, 0.31);
    EXPECT_DOUBLE_EQ(f.V0Rouge, 2.50);
    EXPECT_DOUBLE_EQ(f.VnRouge, 0.16);
    EXPECT_EQ(f.Etat, EtatRepos) << "the photometer's number is not taken for a mode";
    EXPECT_FALSE(f.T_LiaisonSerie->Enabled());
    EXPECT_EQ(f.LOKPortSerie->Caption(), "OK !");
    EXPECT_FALSE(f.PBPortSerie->Visible());
    EXPECT_TRUE(f.IM_OKParametresDesMesures->Enabled());
    EXPECT_EQ(photometre.Receive(2, std::chrono::milliseconds(100)), "")
        << "no request once verified";
}

TEST_F(ReceptionTest, SingleFramesAreShownAndRecordedAndTheModeByteDecidesTheNext) {
    TF_Fond& f = Ouvrir();
    EXPECT_EQ(f.Etat, EtatSimple);
    EXPECT_EQ(f.ComDataPacket->Size(), 8);
    EXPECT_TRUE(f.P_Volet->Visible());

    f.ComDataPacketPacket(nullptr, PayloadMesure(0xA0, 256, 128, 512));
    EXPECT_DOUBLE_EQ(f.VVert, 1.25);
    EXPECT_DOUBLE_EQ(f.VRouge, 0.625);
    EXPECT_EQ(f.TemperatureBrute, 512);
    EXPECT_EQ(f.LVVert->Caption(), "1,250");
    EXPECT_EQ(f.LVRouge->Caption(), "0,625");
    EXPECT_EQ(f.LTemperature->Caption(), "68");
    EXPECT_EQ(f.Etat, EtatSimple);
    EXPECT_TRUE(f.LEcriture->Visible());
    EXPECT_EQ(f.LVMaxVert->Caption(), "---");

    // A continuous frame seen in single mode is still recorded as single;
    // the display switches after it.
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 400, 400, 780));
    EXPECT_EQ(f.Etat, EtatContinu);
    EXPECT_TRUE(f.IM_Ecrire->Visible());
    EXPECT_TRUE(f.IM_RAZVert->Enabled());
    const auto lignes = Enregistrements();
    ASSERT_EQ(lignes.size(), 2u);
    // ln 2 − ln 1,15 − 0,138 = 0,415; ln 2 − ln 0,525 − 0,058 = 1,280.
    EXPECT_EQ(lignes[0], "Simple;09:05:03  ;1,250;0,42;0,625;1,28;68");
    EXPECT_EQ(lignes[1].rfind("Simple;09:05:03  ;1,953;", 0), 0u);

    // The state the window keeps is the one the next packet is read in: an
    // unknown mode shows nothing until a mode byte decides again.
    f.ComDataPacketPacket(nullptr, PayloadMesure(0x55, 500, 500, 780));
    EXPECT_EQ(f.Etat, 0x55);
    const std::string avant = f.LVVert->Caption();
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xA0, 700, 700, 780));
    EXPECT_EQ(f.LVVert->Caption(), avant);
    EXPECT_EQ(Enregistrements().size(), 2u);
    EXPECT_EQ(f.Etat, EtatSimple);
}

// Once the link is verified the port stays open while the calibration panel
// shows its values, and a measuring photometer's frames then arrive cut at
// 11 bytes: their first byte is any byte of a count. Such a byte must not
// take the program into the link check (the next packet read as an
// identification, the constants replaced) nor into expert mode (the
// validation then reading the hidden expert entries, or writing them into
// the photometer).
TEST_F(ReceptionTest, AByteFromTheLineNeverStartsTheLinkCheckOrExpertMode) {
    TF_Fond& f = Demarrer();
    f.LiaisonOK = true;
    f.V0Vert = f.V0Rouge = 2.0;
    f.VnVert = f.VnRouge = 0.1;
    f.Pression = 1013;
    f.AngleElevation = 90;
    f.NomFichier = dossier_ + "/mesures.txt";
    f.FichierDonnees.CreerOuSonder(f.NomFichier);
    f.ComDataPacket->SetSize(11);
    f.Etat = EtatRepos;  // the parameters are validated
    f.P_Etalonnages->SetVisible(true);

    f.ComDataPacketPacket(nullptr, Octets({EtatVerificationLiaison, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    f.ComDataPacketPacket(nullptr, Octets({7, 12, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(f.V0Vert, 2.0) << "a packet taken for an identification";
    EXPECT_TRUE(f.LiaisonOK);

    f.ComDataPacketPacket(nullptr, Octets({EtatExpert, 0x33, 0, 0x33, 0, 0x33, 0, 0x33, 0, 0x33}));
    EXPECT_NE(f.Etat, EtatExpert);
    f.EV0Vert->SetText("4,5");  // left from an earlier expert session
    f.IM_OKEtalonnages->Click();
    EXPECT_TRUE(erreurs_.empty()) << erreurs_.front();
    EXPECT_FALSE(f.T_EcriturePhotometre->Enabled()) << "constants sent to the photometer";
    EXPECT_DOUBLE_EQ(f.V0Vert, 2.0);
    EXPECT_TRUE(f.P_ReceptionMesures->Visible());
    EXPECT_EQ(f.Etat, EtatSimple);
}

// The state the packet leaves is taken only once its line is recorded: a
// continuous frame whose single line fails leaves the panel, and the state,
// in single mode.
TEST_F(ReceptionTest, AFrameWhoseLineFailsLeavesTheModeAsShown) {
    TF_Fond& f = Ouvrir();
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xA0, 256, 128, 512));
    std::filesystem::remove(f.NomFichier);
    EXPECT_ANY_THROW(f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 400, 400, 780)));
    EXPECT_EQ(f.Etat, EtatSimple);
    EXPECT_FALSE(f.IM_Ecrire->Visible());
    EXPECT_EQ(f.LVVert->Caption(), "1,953") << "shown before its line failed";
    EXPECT_EQ(f.VMaxVert, 0);
}

TEST_F(ReceptionTest, ContinuousFramesMaxima) {
    TF_Fond& f = Ouvrir();
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 0, 0, 780));  // switches to continuous
    ASSERT_EQ(f.Etat, EtatContinu);
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 1023, 400, 780));
    EXPECT_EQ(f.IM_PointeurVert->Left(), 240);
    EXPECT_EQ(f.IM_PointeurRouge->Left(), 113 + 50);
    EXPECT_EQ(f.LVMaxVert->Caption(), "4,995");
    EXPECT_EQ(f.G_Vert->Progress(), 1023);
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 1023, 300, 780));
    EXPECT_EQ(f.LVMaxRouge->Caption(), "1,953") << "a lower voltage keeps the maximum";
    EXPECT_EQ(f.IM_PointeurRouge->Left(), 113 + 50);
    EXPECT_EQ(f.G_Rouge->Progress(), 300);

    f.IM_RAZVertClick(nullptr);
    EXPECT_EQ(f.G_Vert->Progress(), 0);
    EXPECT_EQ(f.IM_PointeurVert->Left(), 113);
    EXPECT_EQ(f.LVMaxVert->Caption(), "0");
    EXPECT_EQ(f.LEOMaxVert->Caption(), "0");
    EXPECT_EQ(f.LVMaxRouge->Caption(), "1,953") << "the other channel keeps its maximum";
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 1, 300, 780));
    EXPECT_EQ(f.LVMaxVert->Caption(), "0,005");

    // The mean of 100 frames is kept in the window's state: its 100th frame
    // shows it and flips the mirror.
    f.NombreTemperatures = 99;
    f.SommeTemperatures = 99 * 30.0;
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 10, 10, 512));
    EXPECT_EQ(f.LTemperature->Caption(), "30");  // (2970 + 67,94) / 100
    EXPECT_TRUE(f.IM_ThermometreMiroir->Visible());
    EXPECT_EQ(f.NombreTemperatures, 0);
    EXPECT_EQ(f.SommeTemperatures, 0);

    // A count whose temperature has no value leaves the label and the mean.
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 10, 10, 6000));
    EXPECT_EQ(f.NombreTemperatures, 0);
}

TEST_F(ReceptionTest, ContinuousRecordLines) {
    TF_Fond& f = Ouvrir();
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 0, 0, 780));
    // Before any positive voltage: "---".
    f.IM_Ecrire->Click();
    // After that click the maxima read "0" until a frame raises them.
    f.IM_Ecrire->Click();
    f.ComDataPacketPacket(nullptr, PayloadMesure(0xF0, 400, 300, 780));
    f.IM_Ecrire->Click();
    const auto lignes = Enregistrements();
    ASSERT_EQ(lignes.size(), 4u);
    EXPECT_EQ(lignes[1], "Continu;09:05:03  ;---;---;---;---;21");
    EXPECT_EQ(lignes[2], "Continu;09:05:03  ;0;0;0;0;21") << "the temperature repeats";
    EXPECT_EQ(lignes[3].rfind("Continu;09:05:03  ;1,953;", 0), 0u);
    EXPECT_EQ(f.LVMaxVert->Caption(), "0") << "recording resets the maxima";
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(ReceptionTest, StartStopAndClose) {
    PtyPair photometre;
    TF_Fond& f = Ouvrir();
    f.ComPort->SetPort(photometre.Path());
    f.IM_Demarrer->Click();
    f.IM_Demarrer->Click();
    EXPECT_TRUE(f.ComPort->Connected());
    EXPECT_TRUE(f.IM_Arreter->Visible());
    f.IM_Arreter->Click();
    EXPECT_FALSE(f.ComPort->Connected());
    EXPECT_FALSE(f.IM_Arreter->Visible());
    f.IM_FINMesures->Click();
    EXPECT_FALSE(f.P_ReceptionMesures->Visible());
    EXPECT_FALSE(f.P_Volet->Visible());
    EXPECT_FALSE(f.FichierDonnees.Ouvert());
    EXPECT_TRUE(f.FichierOuvert) << "the flag keeps its value";
}

TEST_F(ReceptionTest, AnErrorWritingALineEndsReceptionAndIsShownOnce) {
    PtyPair photometre;
    TF_Fond& f = Ouvrir();
    toolkit::InstallHandOverPump();
    f.ComPort->SetPort(photometre.Path());
    f.IM_Demarrer->Click();
    photometre.Send("\xFF" + PayloadMesure(0xA0, 400, 300, 780));
    ASSERT_TRUE(PumpUntil([&] { return Enregistrements().size() == 1; }));

    // The data file is removed under the program: the next line cannot be written.
    std::filesystem::remove(f.NomFichier);
    photometre.Send("\xFF" + PayloadMesure(0xA0, 500, 300, 780));
    ASSERT_TRUE(PumpUntil([&] {
        Traiter();
        return !erreurs_.empty();
    }));
    photometre.Send("\xFF" + PayloadMesure(0xA0, 600, 300, 780));
    PumpFor(std::chrono::milliseconds(200));
    Traiter();
    EXPECT_EQ(erreurs_, std::vector<std::string>{"Fichier introuvable\n" + f.NomFichier +
                                                 " : aucun fichier ou dossier de ce type"});
    EXPECT_EQ(f.LVVert->Caption(), "2,441") << "the frame was shown before its line failed";
    EXPECT_TRUE(f.ComPort->Connected());

    // Stopping and starting again resumes reception (the line is lost, the
    // error shown again).
    f.IM_Arreter->Click();
    f.IM_Demarrer->Click();
    photometre.Send("\xFF" + PayloadMesure(0xA0, 700, 300, 780));
    ASSERT_TRUE(PumpUntil([&] {
        Traiter();
        return erreurs_.size() == 2;
    }));
    EXPECT_EQ(f.LVVert->Caption(), "3,418");
}
