#include "measurement/protocole.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/octets.h"

namespace {

using namespace measurement;

// Photometer 200, version 128 (both above a signed char), with four counts.
std::string Identifiant(int a, int b, int c, int d) {
    std::string s = Octets({200, 128});
    for (int n : {a, b, c, d}) s += Octets({n >> 8, n & 0xFF});
    return s;
}

}  // namespace

TEST(Protocole, Identification) {
    const auto id =
        DecoderIdentification(Octets({0x07, 0x0C, 0x01, 0x80, 0x00, 0x40, 0x01, 0xFF, 0x00, 0x20}));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->numero, 7);
    EXPECT_EQ(id->version, 12);
    EXPECT_EQ(id->v0Vert, 1.88);
    EXPECT_EQ(id->vnVert, 0.31);
    EXPECT_EQ(id->v0Rouge, 2.50);
    EXPECT_EQ(id->vnRouge, 0.16);
    EXPECT_TRUE(id->acceptee);

    // To 0.01 V with halves to even; accepted while all four are below 5 V.
    struct Case {
        int count;
        double volts;
        bool acceptee;
    } cases[] = {{128, 0.62, true},  {640, 3.12, true},   {896, 4.38, true},    {434, 2.12, true},
                 {1022, 4.99, true}, {1023, 5.00, false}, {65535, 320.0, false}};
    for (const auto& c : cases) {
        const auto id = DecoderIdentification(Identifiant(c.count, c.count, c.count, c.count));
        ASSERT_TRUE(id);
        EXPECT_EQ(id->numero, 200);
        EXPECT_EQ(id->version, 128);
        for (double v : {id->v0Vert, id->vnVert, id->v0Rouge, id->vnRouge})
            EXPECT_EQ(v, c.volts) << c.count;
        EXPECT_EQ(id->acceptee, c.acceptee) << c.count;
    }
    for (const auto& payload : {Identifiant(1023, 0, 0, 0), Identifiant(0, 1023, 0, 0),
                                Identifiant(0, 0, 1023, 0), Identifiant(0, 0, 0, 1023)})
        EXPECT_FALSE(DecoderIdentification(payload)->acceptee);
}

TEST(Protocole, Measurement) {
    struct Case {
        std::string payload;
        int mode, vert, rouge, temperature;
        double vVert, vRouge;
    } cases[] = {
        {Octets({0xA0, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00}), 0xA0, 256, 128, 512, 1.25, 0.625},
        {Octets({0xF0, 0x03, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x55}), 0xF0, 1023, 255, 65535,
         4.9951171875, 1.2451171875},
    };
    for (const auto& c : cases) {
        const auto m = DecoderMesure(c.payload);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->mode, c.mode);
        EXPECT_EQ(m->compteVert, c.vert);
        EXPECT_EQ(m->compteRouge, c.rouge);
        EXPECT_EQ(m->temperatureBrute, c.temperature);
        EXPECT_EQ(m->vVert, c.vVert);
        EXPECT_EQ(m->vRouge, c.vRouge);
    }
}

TEST(Protocole, PayloadsShorterThanTheirLayoutGiveNothing) {
    EXPECT_FALSE(DecoderMesure(Octets({0xA0, 0x01, 0x00, 0x00, 0x80, 0x02})));
    EXPECT_FALSE(DecoderMesure(""));
    EXPECT_FALSE(DecoderIdentification(Octets({0x22, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00})));
    EXPECT_FALSE(DecoderIdentification(Identifiant(1, 2, 3, 4).substr(0, 9)));
}

TEST(Protocole, WriteCommandCarriesVoltagesAsCounts) {
    EXPECT_EQ(CodeTension(2.12), 434);
    EXPECT_EQ(CodeTension(5.0), 1024);
    EXPECT_EQ(CodeTension(0.01), 2);
    EXPECT_EQ(CodeTension(0.0), 0);
    EXPECT_EQ(CodeTension(1.65), 337);
    EXPECT_EQ(CommandeEcriture(7, 10, 2.12, 0.01, 1.65, 0.02),
              std::string("\xFF\x80\x07\x0A\x01\xB2\x00\x02\x01\x51\x00\x04", 12));
}

TEST(Protocole, RequestAndStartByte) {
    EXPECT_EQ(RequeteIdentification(), std::string("\xFF\x40", 2));
    EXPECT_EQ(ChaineDebut(), std::string("\xFF", 1));
}
