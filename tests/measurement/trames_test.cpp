#include "trames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Octets(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

// Photometer 200, version 128 (both above a signed char), with four counts.
std::string Identifiant(int a, int b, int c, int d) {
    std::string s = Octets({200, 128});
    for (int n : {a, b, c, d}) s += Octets({n >> 8, n & 0xFF});
    return s;
}

}  // namespace

TEST(Trames, Identification) {
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

TEST(Trames, Measurement) {
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

TEST(Trames, PayloadsShorterThanTheirLayoutGiveNothing) {
    EXPECT_FALSE(DecoderMesure(Octets({0xA0, 0x01, 0x00, 0x00, 0x80, 0x02})));
    EXPECT_FALSE(DecoderMesure(""));
    EXPECT_FALSE(DecoderIdentification(Octets({0x22, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00})));
    EXPECT_FALSE(DecoderIdentification(Identifiant(1, 2, 3, 4).substr(0, 9)));
}
