#include "measurement/reception.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/octets.h"

namespace {

using namespace measurement;

std::string Identifiant(int compte) {
    return Octets({7, 12, compte >> 8, compte & 0xFF, 0, 0x40, 1, 0xFF, 0, 0x20});
}

// V0 2 V and Vn 0,1 V on both channels, the sun at the zenith, standard
// pressure, the Earth at 1 AU.
Conditions Calibrees() {
    Conditions c;
    c.v0Vert = c.v0Rouge = 2.0;
    c.vnVert = c.vnRouge = 0.1;
    c.distanceTerreSoleil = 1;
    c.rapportPression = 1;
    c.masseAir = 1;
    return c;
}

enum Lecture { Rien, Identif, Simple, Continu };

Lecture LectureDe(const Decision& d) {
    if (d.identification) return Identif;
    if (!d.affichage) return Rien;
    return d.enregistrer ? Simple : Continu;
}

}  // namespace

TEST(Reception, StateAndReadingOfEachPacket) {
    const int inconnu = 0x55;
    struct Cas {
        const char* quoi;
        int32_t etat;
        bool liaison, ouverte;
        std::string paquet;
        Lecture lecture;
        int32_t etatApres;
        bool liaisonApres, demande;
    } cas[] = {
        {"identification accepted", EtatVerificationLiaison, false, false, Identifiant(1022),
         Identif, EtatRepos, true, false},
        {"identification refused (1023 reads 5,00 V)", EtatVerificationLiaison, false, false,
         Identifiant(1023), Identif, EtatVerificationLiaison, false, true},
        {"identification after a verified link", EtatVerificationLiaison, true, false,
         Identifiant(384), Identif, EtatRepos, true, false},
        {"short packet in the link check", EtatVerificationLiaison, false, false,
         PayloadMesure(0xA0, 1, 1, 1), Rien, EtatVerificationLiaison, false, true},
        {"single frame, single mode", EtatSimple, true, true, PayloadMesure(0xA0, 256, 128, 512),
         Simple, EtatSimple, true, false},
        {"continuous frame, single mode: recorded, then continuous", EtatSimple, true, true,
         PayloadMesure(0xF0, 256, 128, 512), Simple, EtatContinu, true, false},
        {"single frame, continuous mode", EtatContinu, true, true,
         PayloadMesure(0xA0, 256, 128, 512), Continu, EtatSimple, true, false},
        {"unknown mode byte kept", EtatContinu, true, true, PayloadMesure(inconnu, 1, 1, 1),
         Continu, inconnu, true, false},
        {"after an unknown mode nothing is shown", inconnu, true, true,
         PayloadMesure(0xA0, 1, 1, 1), Rien, EtatSimple, true, false},
        {"mode byte 34 is an unknown mode", EtatSimple, true, true, PayloadMesure(34, 1, 1, 1),
         Simple, EtatRepos, true, false},
        {"mode byte 51 is an unknown mode", EtatContinu, true, true, PayloadMesure(51, 1, 1, 1),
         Continu, EtatRepos, true, false},
        {"frame before the panel opened", EtatSimple, true, false, PayloadMesure(0xF0, 1, 1, 1),
         Rien, EtatSimple, true, false},
        {"frame at rest before the panel opened", EtatRepos, true, false,
         PayloadMesure(0xA0, 1, 1, 1), Rien, EtatRepos, true, false},
        {"frame before the link is verified", EtatSimple, false, true, PayloadMesure(0xA0, 1, 1, 1),
         Rien, EtatSimple, false, true},
        {"short frame: not shown, its mode byte still counts", EtatSimple, true, true,
         PayloadMesure(0xF0, 1, 1, 1).substr(0, 6), Rien, EtatContinu, true, false},
        {"empty packet", EtatContinu, true, true, "", Rien, EtatContinu, true, false},
    };
    for (const Cas& c : cas) {
        EtatReception e{c.etat, c.liaison, c.ouverte};
        const Decision d = RecevoirPaquet(e, Calibrees(), c.paquet);
        EXPECT_EQ(LectureDe(d), c.lecture) << c.quoi;
        EXPECT_EQ(e.etat, c.etatApres) << c.quoi;
        EXPECT_EQ(e.liaisonOK, c.liaisonApres) << c.quoi;
        EXPECT_EQ(d.demanderIdentification, c.demande) << c.quoi;
        EXPECT_EQ(d.liaisonEtablie, c.lecture == Identif && c.liaisonApres) << c.quoi;
        // The panel follows the state: the mode it takes before showing the
        // frame is the one the frame was read in, the one after is the new one.
        if (d.affichage) {
            EXPECT_EQ(d.modeAvant, c.etat) << c.quoi;
        }
        if (d.modeApres) {
            EXPECT_EQ(*d.modeApres, c.etatApres) << c.quoi;
        }
        if (!c.ouverte && c.lecture != Identif) {
            EXPECT_FALSE(d.modeApres) << c.quoi;
        }
    }
}

TEST(Reception, SingleFrameTextsAndRecord) {
    EtatReception e{EtatSimple, true, true, 3.0, 3.0};
    const Decision d = RecevoirPaquet(e, Calibrees(), PayloadMesure(0xA0, 256, 128, 512));
    ASSERT_TRUE(d.affichage);
    // ln 2 − ln 1,15 − 0,138 = 0,415; ln 2 − ln 0,525 − 0,058 = 1,280.
    EXPECT_EQ(d.affichage->vert.tension, "1,250");
    EXPECT_EQ(d.affichage->vert.eo, "0,42");
    EXPECT_EQ(d.affichage->rouge.tension, "0,625");
    EXPECT_EQ(d.affichage->rouge.eo, "1,28");
    EXPECT_EQ(d.affichage->temperature, "68");
    EXPECT_TRUE(d.enregistrer);
    EXPECT_EQ(e.vMaxVert, 0) << "single mode resets the maxima";
    EXPECT_EQ(e.vMaxRouge, 0);

    // The dark voltage at or above the signal has no optical depth; a
    // temperature without a value leaves the label as it is.
    const Decision noir = RecevoirPaquet(e, Calibrees(), PayloadMesure(0xA0, 20, 20, 6000));
    EXPECT_EQ(noir.affichage->vert.eo, "------");
    EXPECT_EQ(noir.affichage->rouge.eo, "------");
    EXPECT_FALSE(noir.affichage->temperature);
}

TEST(Reception, ContinuousMaxima) {
    struct Pas {
        int vert, rouge;
        bool maxVert, maxRouge;
    } pas[] = {
        {0, 0, false, false},       // 0 V is not above a maximum of 0
        {1023, 400, true, true},    //
        {1023, 300, false, false},  // equal or lower keeps the maximum
        {1024, 401, true, true},    // a count past the gauge's end still counts
        {8, 402, false, true},      //
    };
    EtatReception e{EtatContinu, true, true};
    for (const Pas& p : pas) {
        const Decision d =
            RecevoirPaquet(e, Calibrees(), PayloadMesure(0xF0, p.vert, p.rouge, 780));
        ASSERT_TRUE(d.affichage);
        EXPECT_FALSE(d.enregistrer);
        EXPECT_EQ(d.affichage->vert.compte, p.vert);
        EXPECT_EQ(d.affichage->rouge.compte, p.rouge);
        EXPECT_EQ(d.affichage->vert.maximum.has_value(), p.maxVert) << p.vert;
        EXPECT_EQ(d.affichage->rouge.maximum.has_value(), p.maxRouge) << p.rouge;
        if (p.maxVert) {
            EXPECT_EQ(d.affichage->vert.maximum->tension, d.affichage->vert.tension);
            EXPECT_EQ(d.affichage->vert.maximum->eo, d.affichage->vert.eo);
        }
        if (p.maxRouge) {
            EXPECT_EQ(d.affichage->rouge.maximum->tension, d.affichage->rouge.tension);
        }
    }
    EXPECT_DOUBLE_EQ(e.vMaxVert, 1024 * VoltsParCompte);
    EXPECT_DOUBLE_EQ(e.vMaxRouge, 402 * VoltsParCompte);

    // A single frame's mode byte returns to single mode: the maxima go.
    RecevoirPaquet(e, Calibrees(), PayloadMesure(0xA0, 1, 1, 780));
    EXPECT_EQ(e.vMaxVert, 0);
    EXPECT_EQ(e.vMaxRouge, 0);
}

TEST(Reception, TemperatureIsTheMeanOfAHundredContinuousFrames) {
    EtatReception e{EtatContinu, true, true};
    e.nombreTemperatures = 97;
    e.sommeTemperatures = 97 * 100.0;
    struct Pas {
        int compte;
        std::optional<std::string> texte;
        int nombre;
    } pas[] = {
        {6000, std::nullopt, 97},  // no value: not counted
        {780, std::nullopt, 98},   //
        {780, std::nullopt, 99},   //
        {512, "98", 0},            // (9700 + 21,46 + 21,46 + 67,94) / 100
        {780, std::nullopt, 1},    //
    };
    for (const Pas& p : pas) {
        const Decision d = RecevoirPaquet(e, Calibrees(), PayloadMesure(0xF0, 10, 10, p.compte));
        EXPECT_EQ(d.affichage->temperature, p.texte) << p.compte;
        EXPECT_EQ(d.affichage->basculerThermometre, p.texte.has_value());
        EXPECT_EQ(e.nombreTemperatures, p.nombre);
    }
    // Read in continuous mode, then a frame read in single mode: the sum
    // survives, and a single frame leaves it alone.
    RecevoirPaquet(e, Calibrees(), PayloadMesure(0xA0, 10, 10, 780));
    RecevoirPaquet(e, Calibrees(), PayloadMesure(0xF0, 10, 10, 780));
    EXPECT_EQ(e.nombreTemperatures, 2);
}
