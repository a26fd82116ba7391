#include <sys/stat.h>

#include <cmath>

#include "tests/app/fond_fixture.h"

using toolkit::crHandPoint;
using toolkit::TControl;

namespace {

std::vector<std::string> Coches(TF_Fond& f) {
    std::vector<std::string> coches;
    for (int i = 0; i < f.PM_PortSerie->Count(); ++i)
        if (f.PM_PortSerie->Items(i)->Checked())
            coches.push_back(f.PM_PortSerie->Items(i)->Caption());
    return coches;
}

}  // namespace

TEST_F(FondTest, StartsOnTheHomeScreen) {
    ports_ = {"ttyS0", "ttyUSB0"};
    TF_Fond& f = Demarrer();
    // Both texts carry the project's version: written out here, so that a
    // wrong substitution shows.
    EXPECT_EQ(f.Caption(), "SOLVENARE v2.10 - Décembre 2010");
    EXPECT_EQ(f.L_Version->Caption(), "Version : 2.10 - Décembre 2010");
    EXPECT_EQ(f.ClientWidth(), 713);
    EXPECT_EQ(f.ClientHeight(), 373);
    EXPECT_EQ(f.Height(), 398);
    for (TControl* visible :
         std::initializer_list<TControl*>{f.IM_Logo, f.IM_Serie, f.IM_Fichiers, f.IM_Informations,
                                          f.L_ComPort, f.L_Date, f.L_Heure})
        EXPECT_TRUE(visible->Visible()) << visible->Name();
    for (TControl* panneau :
         std::initializer_list<TControl*>{f.P_ParametresMesures, f.P_Informations, f.P_Etalonnages,
                                          f.P_MotDePasse, f.P_ReceptionMesures, f.P_Volet})
        EXPECT_FALSE(panneau->Visible()) << panneau->Name();
    EXPECT_EQ(f.L_ComPort->Caption(), "NEANT");
    EXPECT_EQ(f.L_Date->Caption(), "") << "the clock shows nothing before its first second";
    EXPECT_EQ(f.IM_Serie->Hint(), "Choix du port série");
    EXPECT_EQ(f.IM_Serie->Cursor(), crHandPoint);
    EXPECT_TRUE(Coches(f).empty());
    EXPECT_EQ(f.PM_PortSerie->Count(), 2);
    EXPECT_EQ(f.PM_PortSerie->Items(1)->Caption(), "ttyUSB0");
    EXPECT_EQ(f.PM_PortSerie->Items(1)->Tag(), 1);
    EXPECT_EQ(f.ComPort->Port(), "COM1");
    EXPECT_FALSE(f.ComPort->Connected());
    EXPECT_EQ(f.ComPort->BaudRate(), seriallink::br19200);
    EXPECT_EQ(f.ComDataPacket->StartString(), "\xFF");
    EXPECT_EQ(f.ComDataPacket->Size(), 8);
    EXPECT_EQ(f.Etat, EtatRepos);
    EXPECT_FALSE(f.LiaisonOK);
    EXPECT_NEAR(f.DistanceTerreSoleil,
                0.99972111 / (1 + 0.0167 * std::cos(2 * M_PI * 340 / 365.25)), 1e-12)
        << "6 December, day 340";
    EXPECT_TRUE(f.T_Horloge->Enabled());
    EXPECT_FALSE(f.T_LiaisonSerie->Enabled());
    EXPECT_FALSE(f.IM_Arreter->Visible());
    EXPECT_FALSE(f.IM_RAZVert->Enabled());
    EXPECT_TRUE(erreurs_.empty());
}

TEST_F(FondTest, SettingsFileSelectsOnlyAnExactPortOnAnEvenHeaderLine) {
    struct Cas {
        std::string contenu;
        std::string port;  // empty: nothing selected
    } cas[] = {
        {"SOLVENARE V1.0 - Param\xE8tres\r\n[PortSerie]\r\nCOM3\r\n", "COM3"},
        {"SOLVENARE V1.0 - Param\xE8tres\n[PortSerie]\nttyUSB0\n", "ttyUSB0"},
        {"[PortSerie]\r\nCOM3\r\n", ""},
        {"x\r\n[PortSerie]\r\ncom3\r\n", ""},
        {"x\r\n[PortSerie]\r\nCOM9\r\n", ""},
        {"x\r\n[portserie]\r\nCOM3\r\n", ""},
        {"", ""},
    };
    ports_ = {"COM3", "ttyUSB0"};
    for (const auto& c : cas) {
        Ecrire("Parametres.txt", c.contenu);
        TF_Fond& f = Demarrer();
        SCOPED_TRACE(c.contenu);
        if (c.port.empty()) {
            EXPECT_TRUE(Coches(f).empty());
            EXPECT_EQ(f.L_ComPort->Caption(), "NEANT");
            EXPECT_EQ(f.ComPort->Port(), "COM1");
        } else {
            EXPECT_EQ(Coches(f), std::vector<std::string>{c.port});
            EXPECT_EQ(f.L_ComPort->Caption(), c.port);
            EXPECT_EQ(f.ComPort->Port(), c.port);
        }
        EXPECT_EQ(Lire("Parametres.txt"), c.contenu) << "reading never rewrites the file";
    }
}

TEST_F(FondTest, ChoosingAPortSavesTheWholeFile) {
    ports_ = {};  // no serial port: the four fallback entries
    Ecrire("Parametres.txt",
           "ancienne ligne\r\n[PortSerie]\r\nCOM1\r\nencore\r\nune autre ligne\r\n");
    TF_Fond& f = Demarrer();
    ASSERT_EQ(f.PM_PortSerie->Count(), 4);
    EXPECT_EQ(f.PM_PortSerie->Items(0)->Caption(), "COM0");
    EXPECT_EQ(f.PM_PortSerie->Items(3)->Caption(), "COM3");
    EXPECT_EQ(Coches(f), std::vector<std::string>{"COM1"});

    f.PM_PortSerie->Items(2)->Click();
    EXPECT_EQ(Coches(f), std::vector<std::string>{"COM2"});
    EXPECT_EQ(f.ComPort->Port(), "COM2");
    EXPECT_EQ(f.L_ComPort->Caption(), "COM2");
    EXPECT_FALSE(f.ComPort->Connected()) << "choosing a port does not open it";
    EXPECT_EQ(Lire("Parametres.txt"), "SOLVENARE V1.0 - Param\xE8tres\r\n[PortSerie]\r\nCOM2\r\n");

    // The next start finds it again.
    TF_Fond& g = Demarrer();
    EXPECT_EQ(g.ComPort->Port(), "COM2");
}

TEST_F(FondTest, AStartUpStepThatFailsIsShownAndTheOthersStillRun) {
    // A links file that cannot be read: /proc/self/mem refuses a read at 0.
    symlink("/proc/self/mem", "SitesWeb.txt");
    Ecrire("Parametres.txt", "b\r\n[PortSerie]\r\nCOM3\r\n");
    ports_ = {"COM3"};
    TF_Fond& f = Demarrer();
    EXPECT_EQ(erreurs_, std::vector<std::string>{"Erreur E/S 5\n" + dossier_ +
                                                 "/SitesWeb.txt : erreur d'entrée/sortie"})
        << "the file is named";
    EXPECT_EQ(f.PM_PortSerie->Count(), 1) << "the port menu is still built";
    EXPECT_EQ(f.ComPort->Port(), "COM3") << "and the settings still read";
    EXPECT_EQ(f.ComDataPacket->StartString(), "\xFF");
}

TEST_F(FondTest, ClockCaptionsAndTheTimeFollowingTheDate) {
    TF_Fond& f = Demarrer();
    f.T_HorlogeTimer(nullptr);
    EXPECT_EQ(f.L_Date->Caption(), "Lundi 6 Décembre - ");
    EXPECT_EQ(f.L_Heure->Caption(), "09:05:03  ");
    EXPECT_EQ(f.L_Heure->Left(), f.L_Date->Width() + 105);
    const int large = f.L_Date->Width();

    maintenant_ = clock_seam::Make(2011, 2, 1, 0, 0, 0);
    f.T_HorlogeTimer(nullptr);
    EXPECT_EQ(f.L_Date->Caption(), "Mardi 1 Février - ");
    EXPECT_EQ(f.L_Heure->Caption(), "00:00:00  ");
    EXPECT_LT(f.L_Date->Width(), large);
    EXPECT_EQ(f.L_Heure->Left(), f.L_Date->Width() + 105);
    EXPECT_EQ(f.NomJour, "Mardi");
    EXPECT_EQ(f.NomMois, "Février");
}
