// The whole reception road with the photometer simulator on a real
// pseudo-terminal: port menu, link check, header, single and continuous
// frames through the real port and framer, and the data file line by line.
#include <QCoreApplication>
#include <cstdlib>

#include "measurement/calculs.h"
#include "platform/textfile.h"
#include "platform/threads.h"
#include "recording/lignes.h"
#include "tests/app/fond_fixture.h"
#include "tools/simulator/photometre_simule.h"

using toolkit::TEdit;
using toolkit::TMenuItem;
using toolkit::TSaveDialog;

namespace {

using namespace std::chrono_literals;

// Runs the event loop (timers, posted hand-overs) until the condition holds.
bool Attendre(const std::function<bool()>& fait, std::chrono::milliseconds delai = 10s) {
    const auto fin = std::chrono::steady_clock::now() + delai;
    while (!fait()) {
        if (std::chrono::steady_clock::now() > fin) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        threads::WaitAndRunHandOvers(5ms);
    }
    return true;
}

class BoutEnBoutTest : public FondTest {
  protected:
    void SetUp() override {
        FondTest::SetUp();
        setenv("XDG_RUNTIME_DIR", dossier_.c_str(), 1);
        ports::SetListSerialPortsForTests(nullptr);  // the real discovery: it finds the simulator
    }
    void TearDown() override {
        FondTest::TearDown();
        unsetenv("XDG_RUNTIME_DIR");
    }
};

}  // namespace

TEST_F(BoutEnBoutTest, FromThePortMenuToTheRecordedLines) {
    simulateur::Reglages reglages;
    reglages.nom = "SIME2E";
    reglages.cadence = 0;  // frames only when the test asks
    reglages.silence = 0ms;
    simulateur::TPhotometreSimule photometre(reglages);
    photometre.Demarrer();

    TSaveDialog::SetExecuteHook([this](const TSaveDialog&) { return dossier_ + "/mesures.txt"; });
    TF_Fond& f = Demarrer();
    f.T_HorlogeTimer(nullptr);
    TMenuItem* entree = nullptr;
    for (int i = 0; i < f.PM_PortSerie->Count(); ++i)
        if (f.PM_PortSerie->Items(i)->Caption() == "SIME2E") entree = f.PM_PortSerie->Items(i);
    ASSERT_NE(entree, nullptr) << "the menu lists the simulator under its short name";
    entree->Click();
    EXPECT_EQ(Lire("Parametres.txt"),
              "SOLVENARE V1.0 - Param\xE8tres\r\n[PortSerie]\r\nSIME2E\r\n");

    // The data file is chosen: the link check runs until the simulator answers.
    f.IM_Fichiers->Click();
    ASSERT_TRUE(Attendre([&] { return f.LiaisonOK; })) << "the simulator answers FF 40";
    EXPECT_EQ(f.LOKPortSerie->Caption(), "OK !");
    EXPECT_EQ(f.NumeroPhotometre, 7);
    EXPECT_EQ(f.VersionLogiciel, 12);
    EXPECT_DOUBLE_EQ(f.V0Vert, 2.12);
    EXPECT_DOUBLE_EQ(f.VnRouge, 0.01);

    // Parameters typed, then the calibration panel shows what the photometer
    // reported and closes the port; Enter validates it.
    for (char k : std::string("1013\r90\r")) {
        TEdit* champ =
            f.SaisieParametres & calibration::SaisiePression ? f.EAngleElevation : f.EPression;
        champ->KeyPress(k);
    }
    ASSERT_TRUE(f.P_Etalonnages->Visible());
    ASSERT_TRUE(Attendre([&] { return !f.T_Etalonnage->Enabled(); }));
    EXPECT_FALSE(f.ComPort->Connected());
    char enter = 13;
    f.Edit1->KeyPress(enter);
    ASSERT_TRUE(f.P_ReceptionMesures->Visible());

    // Single measurements.
    f.IM_Demarrer->Click();
    ASSERT_TRUE(photometre.AttendrePortOuvert(true, 5s));
    photometre.EnvoyerMesure(simulateur::Mode::Simple, 400, 300, 780);
    photometre.EnvoyerMesure(simulateur::Mode::Simple, 1023, 2, 512);
    ASSERT_TRUE(Attendre([&] { return f.LVVert->Caption() == "4,995"; }));

    // Continuous: the first frame is still recorded as single, then the maxima.
    photometre.EnvoyerMesure(simulateur::Mode::Continu, 410, 320, 780);
    photometre.EnvoyerMesure(simulateur::Mode::Continu, 420, 310, 780);
    photometre.EnvoyerMesure(simulateur::Mode::Continu, 415, 330, 780);
    ASSERT_TRUE(Attendre([&] { return f.LVMaxRouge->Caption() == "1,611"; }));
    f.IM_Ecrire->Click();
    f.IM_Arreter->Click();
    f.IM_FINMesures->Click();
    EXPECT_TRUE(erreurs_.empty()) << (erreurs_.empty() ? "" : erreurs_.front());

    // Worked by hand: d = 0,9848 on 6 December, so ln(V0/d²) is 0,7821 green
    // and 0,7485 red; the air mass is 1 at 90°, the pressure ratio 1.
    const std::vector<std::string> attendu = {
        "SOLVENARE",
        "-- Date     : Lundi 6 Décembre - ",
        "-- Photomètre n°7 Logiciel v1,2",
        "-- Pression : 1013 hPa",
        "-- Angle d'élévation solaire : 90 deg",
        "ETALONNAGE",
        "-- V0Vert  = 2,12V VnVert  = 0,01V",
        "-- V0Rouge = 2,05V VnRouge = 0,01V",
        "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température",
        "Simple;09:05:03  ;1,953;-0,02;1,465;0,32;21",
        "Simple;09:05:03  ;4,995;-0,96;0,010;------;68",
        "Simple;09:05:03  ;2,002;-0,05;1,563;0,25;21",  // the first continuous frame
        "Continu;09:05:03  ;2,051;-0,07;1,611;0,22;21",
    };
    EXPECT_EQ(ReadTextLines(f.NomFichier), attendu);
    const std::string octets = Lire(f.NomFichier);
    EXPECT_EQ(octets.substr(octets.size() - 2), "\r\n");
    EXPECT_NE(octets.find("Photom\xE8tre n\xB0"), std::string::npos) << "Windows-1252 on disk";

    // Expert mode: new constants written into the photometer, which reports
    // them at the next link check.
    f.IM_Xper->Click();
    for (char k : std::string("brisemer\r")) f.EMotDePasse->KeyPress(k);
    ASSERT_EQ(f.Etat, EtatExpert);
    f.EV0Vert->SetText("2,2");
    f.IM_OKEtalonnages->Click();
    ASSERT_TRUE(Attendre([&] { return photometre.EcrituresRecues() == 1; }));
    EXPECT_EQ(photometre.Constantes().v0Vert, 450) << "2,2 V as a count";
    EXPECT_EQ(ReadTextLines(f.NomFichier).back(),
              "Mode;Heure;VVert;EOVert;VRouge;EORouge;Température");
    EXPECT_TRUE(f.ComPort->Connected());
    f.IM_FINMesures->Click();
    f.IM_FINEtalonnages->Click();
    f.IM_Fichiers->Click();
    ASSERT_TRUE(Attendre([&] { return f.LiaisonOK && f.Etat == EtatRepos; }));
    EXPECT_DOUBLE_EQ(f.V0Vert, 2.20);
    EXPECT_TRUE(erreurs_.empty()) << (erreurs_.empty() ? "" : erreurs_.front());
    photometre.Arreter();
    TSaveDialog::SetExecuteHook(nullptr);
}
