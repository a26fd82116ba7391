#include <QMenu>
#include <algorithm>
#include <memory>

#include "app/parametres.h"
#include "platform/port_publication.h"
#include "platform/textfile.h"
#include "platform/threads.h"
#include "tests/app/fond_fixture.h"
#include "tests/support/pty_pair.h"
#include "tools/simulator/protocole.h"

using toolkit::mbLeft;
using toolkit::TMenuItem;

namespace {

// What the data-file choice does to start a link check, up to opening the port.
void DebuterVerification(TF_Fond& f) {
    f.P_ParametresMesures->SetVisible(true);
    f.PBPortSerie->SetVisible(true);
    f.PBPortSerie->SetPosition(0);
    f.LOKPortSerie->SetCaption("en cours...");
    f.ComDataPacket->SetSize(11);
    f.ComDataPacket->SetStartString(std::string(1, '\xFF'));
    f.Etat = EtatVerificationLiaison;
    f.IM_OKParametresDesMesures->SetEnabled(false);
    f.T_LiaisonSerie->SetEnabled(true);
    f.ComPort->Open();
}

}  // namespace

TEST_F(FondTest, LinkCheckAsksForTheIdentificationOnEightTicksOfTen) {
    PtyPair photometre;
    TF_Fond& f = Demarrer();
    f.ComPort->SetPort(photometre.Path());
    DebuterVerification(f);
    std::string demandes;
    for (int tick = 1; tick <= 20; ++tick) {
        f.T_LiaisonSerieTimer(nullptr);
        const std::string recu = photometre.Receive(2, std::chrono::milliseconds(100));
        const int position = f.PBPortSerie->Position();
        const bool attendue = tick % 10 >= 3 || tick % 10 == 0;
        EXPECT_EQ(recu, attendue ? "\xFF\x40" : "") << "tick " << tick;
        EXPECT_EQ(position, tick % 10);
        demandes += recu;
    }
    EXPECT_EQ(demandes.size(), 32u);
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(FondTest, LinkCheckOnAPortThatCannotOpenWaitsForAnotherPort) {
    PtyPair photometre;
    ports_ = {"ttyAbsent9"};
    TF_Fond& f = Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    try {
        DebuterVerification(f);
        FAIL() << "opened a port that does not exist";
    } catch (const seriallink::EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
    }
    for (int tick = 0; tick < 12; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_TRUE(erreurs_.empty()) << "no error box every half second";
    EXPECT_EQ(f.LOKPortSerie->Caption(), "en cours...");

    // A port chosen while the check waits is opened, and the check goes on.
    auto entree = std::make_unique<TMenuItem>();
    entree->SetCaption(photometre.Path());
    entree->SetTag(1);
    entree->OnClick = [&f](TObject* s) { f.PM_PortSerieClick(s); };
    f.PM_PortSerie->Add(std::move(entree))->Click();
    EXPECT_TRUE(f.ComPort->Connected());
    f.PBPortSerie->SetPosition(5);
    f.T_LiaisonSerieTimer(nullptr);
    EXPECT_EQ(photometre.Receive(2), "\xFF\x40");
}

TEST_F(FondTest, PortMenuOpensOncePerPressAndOnlyFromTheHomeOrParameters) {
    ports_ = {"COM3"};
    TF_Fond& f = Demarrer();
    Traiter();
    f.ClickAt(450, 40);  // on the cable
    EXPECT_EQ(f.PM_PortSerie->PopupCount(), 1) << "the release does not pop it again";

    f.P_ParametresMesures->SetVisible(true);
    f.PBPortSerie->SetVisible(false);
    f.LOKPortSerie->SetCaption("OK !");
    f.ClickAt(450, 40);
    EXPECT_EQ(f.PM_PortSerie->PopupCount(), 2);
    EXPECT_EQ(f.LOKPortSerie->Caption(), "en cours...");
    EXPECT_TRUE(f.PBPortSerie->Visible());
    EXPECT_EQ(f.PBPortSerie->Position(), 1);

    // The reception panel leaves a 16-pixel strip of the cable uncovered: a
    // press there reaches the picture, which then does nothing.
    f.P_ReceptionMesures->SetVisible(true);
    EXPECT_EQ(f.ControlAt(360, 40), f.IM_Serie);
    EXPECT_NE(f.ControlAt(380, 40), f.IM_Serie);
    f.ClickAt(360, 40);
    EXPECT_EQ(f.PM_PortSerie->PopupCount(), 2);
    f.P_ReceptionMesures->SetVisible(false);
    f.P_Etalonnages->SetVisible(true);
    f.ClickAt(360, 40);
    EXPECT_EQ(f.PM_PortSerie->PopupCount(), 2);
}

TEST_F(FondTest, ClicksReachTheTopmostVisibleEnabledControl) {
    TF_Fond& f = Demarrer();
    Traiter();
    // The reset square of the green gauge, once the cover is out of the way.
    f.P_ReceptionMesures->SetVisible(true);
    f.P_Volet->SetVisible(true);
    const int x = 372 + 100 + 6, y = 252 + 6;
    EXPECT_EQ(f.ControlAt(x, y), f.P_Volet) << "the cover lies over the maxima";
    f.P_Volet->SetTop(372);
    EXPECT_EQ(f.ControlAt(x, y), f.P_ReceptionMesures)
        << "a disabled picture lets the click through";
    f.IM_RAZVert->SetEnabled(true);
    EXPECT_EQ(f.ControlAt(x, y), f.IM_RAZVert);

    // Three buttons on one spot: the topmost visible one takes the click.
    EXPECT_EQ(f.ControlAt(372 + 40, 56 + 10), f.IM_Demarrer);
    f.IM_Arreter->SetVisible(true);
    EXPECT_EQ(f.ControlAt(372 + 40, 56 + 10), f.IM_Arreter);
    f.P_ReceptionMesures->SetVisible(false);
    f.P_Volet->SetVisible(false);

    // The information panel lies beneath the calibration panel.
    f.P_Etalonnages->SetVisible(true);
    f.IM_InformationsClick(nullptr);
    EXPECT_EQ(f.ControlAt(372 + 300, 140), f.P_Etalonnages);
    EXPECT_EQ(f.ControlAt(372 + 300, 100), f.P_Informations);
    f.ClickAt(372 + 298 + 20, 321 + 20);  // its thumb is under the calibration panel
    EXPECT_TRUE(f.P_Informations->Visible());
    f.P_Etalonnages->SetVisible(false);
    f.ClickAt(372 + 298 + 20, 321 + 20);
    EXPECT_FALSE(f.P_Informations->Visible());
}

TEST_F(FondTest, PortChosenWhileTheCheckWaitsIsSavedEvenWhenItCannotOpen) {
    ports_ = {"ttyAbsent8", "ttyAbsent9"};
    TF_Fond& f = Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    EXPECT_THROW(DebuterVerification(f), seriallink::EComPort);

    f.PM_PortSerie->Items(1)->Click();
    EXPECT_EQ(erreurs_.size(), 1u) << "the failed open is still shown";
    EXPECT_EQ(PortsEnregistres(ReadTextLines("Parametres.txt")),
              std::vector<std::string>{"ttyAbsent9"});
    EXPECT_EQ(f.L_ComPort->Caption(), "ttyAbsent9");
    EXPECT_TRUE(f.PM_PortSerie->Items(1)->Checked());
}

TEST_F(FondTest, SilentPhotometerGetsAdviceThatGoesWhenItAnswers) {
    PtyPair photometre;
    TF_Fond& f = Demarrer();
    f.ComPort->SetPort(photometre.Path());
    DebuterVerification(f);
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
    // The first request goes out on the third tick; the advice comes a whole
    // cycle of requests later, 6.5 s after the check started.
    for (int tick = 1; tick <= 12; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
    f.T_LiaisonSerieTimer(nullptr);
    EXPECT_TRUE(f.L_ConseilLiaison->Visible());
    EXPECT_TRUE(f.L_ConseilLiaisonSuite->Visible());
    EXPECT_TRUE(messages_.empty() && erreurs_.empty()) << "no box";
    for (int tick = 0; tick < 20; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_TRUE(f.L_ConseilLiaison->Visible());
    EXPECT_EQ(f.LOKPortSerie->Caption(), "en cours...") << "the check goes on";
    EXPECT_EQ(photometre.Receive(2).substr(0, 2), "\xFF\x40") << "the requests go on";

    photometre.Send(simulateur::TrameIdentification(simulateur::Identification{}));
    for (int i = 0; i < 500 && f.LOKPortSerie->Caption() != "OK !"; ++i) {
        Traiter();
        threads::WaitAndRunHandOvers(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(f.LOKPortSerie->Caption(), "OK !");
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
    EXPECT_FALSE(f.L_ConseilLiaisonSuite->Visible());

    // A new check starts counting afresh.
    DebuterVerification(f);
    for (int tick = 1; tick <= 12; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
}

TEST_F(FondTest, PortChosenDuringTheCheckGetsItsOwnTimeBeforeTheAdvice) {
    PtyPair photometre;
    ports_ = {photometre.Path()};
    TF_Fond& f = Demarrer();
    f.PM_PortSerie->Items(0)->Click();
    DebuterVerification(f);
    for (int tick = 0; tick < 13; ++tick) f.T_LiaisonSerieTimer(nullptr);
    ASSERT_TRUE(f.L_ConseilLiaison->Visible());
    f.PM_PortSerie->Items(0)->Click();
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
    for (int tick = 0; tick < 12; ++tick) f.T_LiaisonSerieTimer(nullptr);
    EXPECT_FALSE(f.L_ConseilLiaison->Visible());
}

TEST_F(FondTest, PortMenuIsBuiltAnewAtEachOpening) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/solvenare-runtime-XXXXXX";
    const std::string runtime = mkdtemp(tmpl);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ports::SetListSerialPortsForTests(nullptr);  // the real discovery
    WriteTextFile("Parametres.txt", LignesParametres("SIM7"));
    TF_Fond& f = Demarrer();
    auto Legendes = [&f] {
        std::vector<std::string> legendes;
        for (int i = 0; i < f.PM_PortSerie->Count(); ++i)
            legendes.push_back(f.PM_PortSerie->Items(i)->Caption());
        return legendes;
    };
    auto Entree = [&](const std::string& nom) -> TMenuItem* {
        const auto legendes = Legendes();
        const auto it = std::find(legendes.begin(), legendes.end(), nom);
        return it == legendes.end()
                   ? nullptr
                   : f.PM_PortSerie->Items(static_cast<int>(it - legendes.begin()));
    };
    EXPECT_EQ(Entree("SIM7"), nullptr);
    EXPECT_EQ(f.L_ComPort->Caption(), "NEANT") << "the remembered port is not there yet";

    // The remembered port and another one appear after start-up.
    PtyPair sim7, sim8;
    ports::PortPublication publie7("SIM7", sim7.Path());
    auto publie8 = std::make_unique<ports::PortPublication>("SIM8", sim8.Path());
    f.IM_SerieMouseDown(nullptr, mbLeft, {}, 5, 5);
    ASSERT_NE(Entree("SIM7"), nullptr);
    ASSERT_NE(Entree("SIM8"), nullptr);
    EXPECT_EQ(Entree("SIM8")->Hint(), "Port publié par un programme : " + sim8.Path());
    Entree("SIM7")->Click();
    EXPECT_EQ(f.ComPort->Port(), "SIM7");
    EXPECT_EQ(f.L_ComPort->Caption(), "SIM7");
    EXPECT_EQ(ReadTextLines("Parametres.txt"), LignesParametres("SIM7")) << "the name alone";

    // The next opening keeps the chosen port checked; a port gone is gone.
    publie8.reset();
    f.IM_SerieMouseDown(nullptr, mbLeft, {}, 5, 5);
    EXPECT_EQ(Entree("SIM8"), nullptr);
    ASSERT_NE(Entree("SIM7"), nullptr);
    EXPECT_TRUE(Entree("SIM7")->Checked());
    for (int i = 0; i < f.PM_PortSerie->Count(); ++i) {
        EXPECT_EQ(f.PM_PortSerie->Items(i)->Tag(), i);
        EXPECT_EQ(f.PM_PortSerie->Items(i)->Checked(), f.PM_PortSerie->Items(i) == Entree("SIM7"));
    }
    EXPECT_EQ(f.PM_PortSerie->PopupCount(), 2);

    f.PM_PortSerie->Menu()->hide();
    unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(runtime);
}
