// Renders every screen of the window to PNG files under the build folder, for
// people to look at: build/tests/app/captures/*.png.
#include <QDir>
#include <QImage>
#include <cerrno>

#include "tests/app/fond_fixture.h"

namespace {

void Enregistrer(TF_Fond& f, const std::string& nom) {
    QDir().mkpath(CAPTURES_DIR);
    const QImage image = f.Grab();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 713);
    EXPECT_EQ(image.height(), 373);
    ASSERT_TRUE(image.save(QString::fromStdString(std::string(CAPTURES_DIR) + "/" + nom + ".png")));
}

}  // namespace

TEST_F(FondTest, CapturesOfEveryScreen) {
    ports_ = {"ttyUSB0", "ttyS0"};
    Ecrire("SitesWeb.txt", "https://aeronet.gsfc.nasa.gov/\r\nhttps://www.globe.gov/\r\n");
    TF_Fond& f = Demarrer();
    f.T_HorlogeTimer(nullptr);
    Traiter();
    Enregistrer(f, "1_accueil");

    f.P_ParametresMesures->SetVisible(true);
    f.LOKPortSerie->SetCaption("en cours...");
    f.PBPortSerie->SetPosition(4);
    Enregistrer(f, "2_parametres");

    f.P_Etalonnages->SetVisible(true);
    f.LIdentificationPhotometre->SetCaption("12");
    f.LIdentificationLogiciel->SetCaption("1.0");
    f.LV0Vert->SetCaption("2,124");
    f.LVnVert->SetCaption("0,010");
    f.LV0Rouge->SetCaption("2,051");
    f.LVnRouge->SetCaption("0,005");
    Enregistrer(f, "3_etalonnages");

    f.P_MotDePasse->SetVisible(true);
    f.EMotDePasse->SetText("brise");
    Enregistrer(f, "4_mot_de_passe");
    f.P_MotDePasse->SetVisible(false);

    f.P_ReceptionMesures->SetVisible(true);
    f.P_Volet->SetVisible(true);
    f.LVVert->SetCaption("1,953");
    f.LVRouge->SetCaption("1,904");
    f.LEOVert->SetCaption("0,152");
    f.LEORouge->SetCaption("0,087");
    f.LTemperature->SetCaption("21");
    Enregistrer(f, "5_reception_simple");

    f.Etat = EtatContinu;
    f.IM_Demarrer->SetVisible(false);
    f.IM_Ecrire->SetVisible(true);
    f.T_Volet->SetEnabled(true);
    while (f.T_Volet->Enabled()) f.T_VoletTimer(nullptr);
    f.LVMaxVert->SetCaption("2,012");
    f.LVMaxRouge->SetCaption("1,955");
    f.LEOMaxVert->SetCaption("0,128");
    f.LEOMaxRouge->SetCaption("0,071");
    f.G_Vert->SetProgress(412);
    f.G_Rouge->SetProgress(400);
    f.IM_PointeurVert->SetLeft(113 + 52);
    f.IM_PointeurRouge->SetLeft(113 + 50);
    Enregistrer(f, "6_reception_continu");

    f.P_ReceptionMesures->SetVisible(false);
    f.P_Volet->SetVisible(false);
    f.P_Etalonnages->SetVisible(false);
    f.P_ParametresMesures->SetVisible(false);
    f.IM_InformationsClick(nullptr);
    Enregistrer(f, "7_informations");

    // Not one of the designed screens: the advice of a check nobody answers.
    f.IM_OKInformationsClick(nullptr);
    f.P_ParametresMesures->SetVisible(true);
    f.AfficherConseilLiaison(true);
    Enregistrer(f, "8_parametres_sans_reponse");

    // Nor this: the advice for a port refused for permission.
    f.ErreurOuverture = EACCES;
    f.AfficherConseilLiaison(true);
    Enregistrer(f, "9_parametres_port_refuse");
}
