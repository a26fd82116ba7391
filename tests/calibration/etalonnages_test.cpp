#include "calibration/etalonnages.h"

#include <gtest/gtest.h>

using namespace calibration;

TEST(Etalonnages, EnterValidatesOnceInBothParameters) {
    struct Cas {
        std::vector<uint32_t> entrees;
        bool valide;  // after the last one
    } cas[] = {
        {{SaisiePression}, false},
        {{SaisieAngle}, false},
        {{SaisiePression, SaisiePression}, false},
        {{SaisiePression, SaisieAngle}, true},
        {{SaisieAngle, SaisiePression}, true},
        {{SaisieAngle, SaisiePression, SaisieAngle}, true},  // stays validated
    };
    for (const Cas& c : cas) {
        uint32_t saisie = 0;
        bool valide = false;
        for (uint32_t drapeau : c.entrees) valide = EntreeParametre(saisie, drapeau);
        EXPECT_EQ(valide, c.valide) << c.entrees.size();
    }
}

TEST(Etalonnages, DisplaySequenceShowsOneValueATick) {
    const Constantes rapportees{7, 10, 2.12, 0.01, 2.05, 0.01};
    struct Cas {
        int32_t etape;
        Champ champ;
        const char* texte;
        int32_t suivante;
        bool finie;
    } cas[] = {
        {0, Champ::Aucun, "", 1, false},      {1, Champ::Numero, "7", 2, false},
        {2, Champ::Version, "1,0", 3, false}, {3, Champ::V0Vert, "2,12", 4, false},
        {4, Champ::VnVert, "0,01", 5, false}, {5, Champ::V0Rouge, "2,05", 6, false},
        {6, Champ::VnRouge, "0,01", 0, true},
    };
    for (const Cas& c : cas) {
        const Etape e = EtapeAffichage(c.etape, rapportees);
        EXPECT_EQ(e.champ, c.champ) << c.etape;
        EXPECT_EQ(e.texte, c.texte) << c.etape;
        EXPECT_EQ(e.suivante, c.suivante) << c.etape;
        EXPECT_EQ(e.finie, c.finie) << c.etape;
    }
    EXPECT_EQ(EtapeAffichage(1, {200, 255}).texte, "200");
    EXPECT_EQ(EtapeAffichage(2, {200, 255}).texte, "25,5");
}

TEST(Etalonnages, ExpertEntriesBelowFiveVoltsAndWithinAByte) {
    const std::string incoherentes =
        "Valeurs d'étalonnages incohérentes. Revenez en mode simple ou vérifiez votre câble.";
    using E = Entree;
    struct Cas {
        SaisieExpert saisie;
        std::string message;  // empty: accepted
        std::vector<Entree> focus;
    } cas[] = {
        {{7, 1.0, 2.12, 0.01, 1.65, 0.02}, "", {}},
        {{7, 1.0, 4.99, 4.99, 4.99, 4.99}, "", {}},
        {{0, 0.0, 0, 0, 0, 0}, "", {}},
        {{255, 25.5, 1, 0, 1, 0}, "", {}},
        // 5 V would come back as 5,00 V and never be accepted again.
        {{7, 1.0, 2.12, 0.01, 5.0, 0.02}, incoherentes, {E::V0Rouge}},
        {{7, 1.0, 5.01, 0.01, 1.65, 7}, incoherentes, {E::V0Vert, E::VnRouge}},
        {{7, 1.0, 9, 9, 9, 9}, incoherentes, {E::V0Vert, E::VnVert, E::V0Rouge, E::VnRouge}},
        // The constants are judged first.
        {{256, 30, 5, 0, 0, 0}, incoherentes, {E::V0Vert}},
        {{256, 1.0, 1, 0, 1, 0}, "Numéro de photomètre incorrect (0 à 255) !", {E::Numero}},
        {{-1, 1.0, 1, 0, 1, 0}, "Numéro de photomètre incorrect (0 à 255) !", {E::Numero}},
        {{7, 25.6, 1, 0, 1, 0}, "Version incorrecte (0,0 à 25,5) !", {E::Version}},
        {{7, -0.1, 1, 0, 1, 0}, "Version incorrecte (0,0 à 25,5) !", {E::Version}},
    };
    for (const Cas& c : cas) {
        const Jugement j = JugerSaisieExpert(c.saisie);
        EXPECT_EQ(j.acceptees.has_value(), c.message.empty()) << c.message;
        EXPECT_EQ(j.refus.has_value(), !c.message.empty());
        if (j.refus) {
            EXPECT_EQ(j.refus->message, c.message);
            EXPECT_EQ(j.refus->focus, c.focus) << c.message;
        }
    }
    // What is written: the number, the version's tenths truncated, the constants.
    const auto ecrites = JugerSaisieExpert({200, 1.29, 2.12, 0.01, 1.65, 0.02}).acceptees;
    ASSERT_TRUE(ecrites);
    EXPECT_EQ(ecrites->numero, 200);
    EXPECT_EQ(ecrites->versionFois10, 12);
    EXPECT_EQ(ecrites->v0Rouge, 1.65);
}

TEST(Etalonnages, ParametersAreJudgedEveryCheckInTurn) {
    using C = ChampParametre;
    const RefusParametre fichier{"Vous devez choisir ou crée un fichier !", {}};
    const RefusParametre pression{"Vous devez entrer la pression atmosphérique !", C::Pression};
    const RefusParametre angle{"Vous devez entrer l'angle d'élévation solaire !", C::Angle};
    const RefusParametre horizon{
        "L'angle d'élévation solaire doit être compris entre 1 et 90 degrés !", C::Angle};
    const RefusParametre hors{
        "La pression atmosphérique doit être comprise entre 300 et 1100 hPa !", C::Pression};
    const struct {
        bool fichier;
        const char *pression, *angle;
        std::vector<RefusParametre> refus;
        std::optional<std::string> angleEcrit;
    } cas[] = {
        {true, "1013", "45", {}, {}},
        {true, "1013", "1", {}, {}},
        {true, "1013", "90", {}, {}},
        {true, "1013", "95", {}, "90"},
        {false, "----", "--", {fichier, pression, angle}, {}},
        {true, "", "", {pression, angle}, {}},
        {true, "1013", "0", {horizon}, {}},
        {true, "1013", "00", {horizon}, {}},
        {false, "1013", "0", {fichier, horizon}, {}},
        // A pressure the air cannot have is a typo.
        {true, "300", "45", {}, {}},
        {true, "1100", "45", {}, {}},
        {true, "0300", "45", {}, {}},
        {true, "299", "45", {hors}, {}},
        {true, "1101", "45", {hors}, {}},
        {true, "0", "45", {hors}, {}},
        {true, "9", "45", {hors}, {}},
        {true, "99", "45", {hors}, {}},
        {true, "9999", "45", {hors}, {}},
        {false, "99", "--", {fichier, hors, angle}, {}},
        {true, "99", "95", {hors}, "90"},
        {true, "2000", "0", {hors, horizon}, {}},
    };
    for (const auto& c : cas) {
        const JugementParametres j = JugerParametres(c.fichier, c.pression, c.angle);
        EXPECT_EQ(j.refus, c.refus) << c.pression << " " << c.angle;
        EXPECT_EQ(j.angleEcrit, c.angleEcrit) << c.angle;
        EXPECT_EQ(j.accepte, c.refus.empty()) << c.angle;
        EXPECT_FALSE(j.erreurConversion);
    }
    // Text that the key filter keeps out but the clipboard can bring in.
    const JugementParametres colle = JugerParametres(false, "", "4²");
    EXPECT_EQ(colle.refus, (std::vector<RefusParametre>{fichier, pression}));
    EXPECT_EQ(colle.erreurConversion, "'4²' n'est pas une valeur entière correcte");
    EXPECT_FALSE(colle.accepte);
    const JugementParametres pressionCollee = JugerParametres(true, "1e3", "--");
    EXPECT_TRUE(pressionCollee.refus.empty()) << "judged no further";
    EXPECT_EQ(pressionCollee.erreurConversion, "'1e3' n'est pas une valeur entière correcte");
    EXPECT_FALSE(pressionCollee.accepte);
}
