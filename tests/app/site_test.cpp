// The measuring site beside the settings, as the elevation entry uses it: a
// site file that gives no site says what is wrong with it, in the entry's
// tooltip and when F2 is pressed there.
#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

#include "app/journee_lien.h"
#include "tests/app/fond_fixture.h"

namespace {

const std::string Corriger =
    "Élévation du soleil inconnue : Site.txt est à corriger (vue de la journée, Ctrl+J, onglet "
    "Site).\n";

void F2(TF_Fond& f) {
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(f.EAngleElevation->LineEdit(), &appui);
}

}  // namespace

TEST_F(FondTest, ASiteFileThatGivesNoSiteSaysWhatIsWrongWithIt) {
    const int64_t utc = 1796641200;  // 2026-12-07 11:00 UTC
    const struct {
        const char* quoi;
        std::string octets;
        std::string raison;
    } cas[] = {
        {"empty", "", "Fichier du site : la latitude manque"},
        {"latitude 95", "Site de mesure Solvenare\r\n[Site]\r\nLatitude=95\r\nLongitude=4,8\r\n",
         "Latitude hors limites (-90 à 90 degrés) : 95"},
        {"no longitude", "Latitude=45\r\n", "Fichier du site : la longitude manque"},
        {"not a number", "Latitude=quarante\r\nLongitude=4\r\n",
         "Fichier du site, ligne 1 : « quarante » n'est pas un nombre"},
        {"not a key and value", "[Site]\r\n45,7 4,8\r\n",
         "Fichier du site, ligne 2 : « 45,7 4,8 » n'est pas de la forme Clé=valeur"},
        {"a folder", "", ""},
    };
    TF_Fond& f = Demarrer();
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        std::filesystem::remove_all("Site.txt");
        std::string attendu = Corriger + c.raison + ".";
        if (c.raison.empty()) {
            std::filesystem::create_directory("Site.txt");
            attendu = Corriger + "Fichier du site « " + dossier_ +
                      "/Site.txt » illisible : Erreur E/S 21.";
        } else {
            Ecrire("Site.txt", c.octets);
        }
        EXPECT_EQ(f.Journee->InfoBulleElevation(utc), attendu);
        messages_.clear();
        F2(f);
        EXPECT_EQ(messages_, std::vector<std::string>{attendu}) << "F2 says so too";
        EXPECT_EQ(f.EAngleElevation->Text(), "--") << "and types nothing";
    }
}

TEST_F(FondTest, F2WithoutAnElevationToTypeSaysWhy) {
    TF_Fond& f = Demarrer();
    // No site file: the window works without one; the tooltip stays quiet,
    // F2 tells how to get one.
    EXPECT_FALSE(f.Journee->InfoBulleElevation(1796641200));
    F2(f);
    EXPECT_EQ(messages_, std::vector<std::string>{
                             "Aucun site de mesure : enregistrez-le dans la vue de la journée "
                             "(Ctrl+J, onglet Site), et F2 inscrira l'élévation du soleil."});

    // A site where it is midnight now: the sun is too low for a measurement.
    const int64_t maintenant = QDateTime::currentSecsSinceEpoch();
    const double longitude = std::remainder(-(maintenant % 86400) / 240.0, 360.0);
    Ecrire("Site.txt", "Latitude=0\r\nLongitude=" + std::to_string(longitude) + "\r\n");
    std::string virgule = Lire("Site.txt");
    for (char& c : virgule)
        if (c == '.') c = ',';
    Ecrire("Site.txt", virgule);
    messages_.clear();
    F2(f);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].rfind("Soleil à -", 0), 0u) << messages_[0];
    EXPECT_NE(messages_[0].find("° : trop bas pour une mesure."), std::string::npos);
    EXPECT_EQ(f.EAngleElevation->Text(), "--");
}
