#include "measurement/calculs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "measurement/astronomie.h"
#include "platform/numbers.h"

using namespace measurement;

TEST(Calculs, OpticalDepth) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v, v0, vn, tau, distance, rapportPression, masseAir;
        const char* texte;
        double valeur;  // worked out by hand
    } cases[] = {
        {1.00, 2.00, 0.10, TauRayleighVert, 1, 1, 1, "0,66", 0.6605077},  // 90°
        {1.00, 2.00, 0.10, TauRayleighRouge, 1, 1, 1, "0,74", 0.7405077},
        {1.00, 2.00, 0.10, TauRayleighVert, 1, 1, 2, "0,26", 0.2612538},  // 30°
        {1.00, 2.00, 0.10, TauRayleighVert, 0.9833, 900 / 1013.0, 2 / std::sqrt(3.0), "0,60",
         0.5980913},
        {0.92, 1.00, 0.00, TauRayleighVert, 1, 1, 1, "-0,05", -0.0546184},
        {0.8737, 1.00, 0.00, TauRayleighVert, 1, 1, 1, "-0,00", -0.0029818},  // keeps its sign
        {0.8710, 1.00, 0.00, TauRayleighVert, 1, 1, 1, "0,00", 0.0001133},
        {0.8711, 1.00, 0.00, TauRayleighVert, 1, 1, 1, "-0,00", -0.0000015},
        // No value: V not above Vn, V0 of 0, no air mass yet, an elevation of 0.
        {0.10, 2.00, 0.10, TauRayleighVert, 1, 1, 1, "------", NAN},
        {0.05, 2.00, 0.10, TauRayleighVert, 1, 1, 1, "------", NAN},
        {1.00, 0.00, 0.10, TauRayleighVert, 1, 1, 1, "------", NAN},
        {1.00, 2.00, 0.10, TauRayleighVert, 1, 1, 0, "------", NAN},
        {1.00, 2.00, 0.10, TauRayleighVert, 1, 1, inf, "------", NAN},
        {1.00, 2.00, 0.10, TauRayleighVert, 0, 1, 1, "------", NAN},
    };
    for (const auto& c : cases) {
        const auto eo =
            EpaisseurOptique(c.v, c.v0, c.vn, c.tau, c.distance, c.rapportPression, c.masseAir);
        EXPECT_EQ(TexteEO(eo), c.texte) << c.v << " " << c.v0 << " " << c.masseAir;
        EXPECT_EQ(eo.has_value(), !std::isnan(c.valeur));
        if (eo) {
            EXPECT_NEAR(static_cast<double>(*eo), c.valeur, 5e-7);
        }
    }
}

TEST(Calculs, PressureRatioAirMassAndDistance) {
    EXPECT_EQ(RapportPression(1013), 1.0);
    EXPECT_NEAR(RapportPression(900), 0.888450148, 1e-9);
    EXPECT_EQ(MasseAir(90), 1.0);
    EXPECT_NEAR(MasseAir(30), 2.0, 1e-15);
    try {
        MasseAir(0);
        ADD_FAILURE() << "an elevation of 0 has no air mass";
    } catch (const EZeroDivide& e) {
        EXPECT_EQ(e.Message(), "Division par zéro en virgule flottante");
    }
    EXPECT_NEAR(DistanceTerreSoleil(1), 0.98330, 0.000005);
    EXPECT_NEAR(DistanceTerreSoleil(183), 1.01670, 0.000005);
}

TEST(Calculs, Temperature) {
    struct Case {
        int32_t count;
        double degres;
        const char* texte;
    } cases[] = {
        {0, 153.068, "153"},    {512, 67.940, "68"},        {780, 21.461, "21"},
        {901, -0.001, "0"},     {903, -0.358, "0"},         {904, -0.537, "-1"},
        {1023, -21.959, "-22"}, {5051, -1469.540, "-1470"},
    };
    for (const auto& c : cases) {
        const auto t = Temperature(c.count);
        ASSERT_TRUE(t) << c.count;
        EXPECT_NEAR(*t, c.degres, 0.0005) << c.count;
        EXPECT_EQ(TexteTemperature(*t), c.texte) << c.count;
    }
    EXPECT_FALSE(Temperature(5052));  // negative under the root
    EXPECT_FALSE(Temperature(65535));
    // Halves to even, and never "-0".
    const std::pair<double, const char*> moities[] = {
        {0.5, "0"}, {-0.5, "0"}, {1.5, "2"}, {2.5, "2"}};
    for (const auto& [degres, texte] : moities)
        EXPECT_EQ(TexteTemperature(degres), texte) << degres;
}

TEST(Calculs, Voltages) {
    EXPECT_EQ(TexteTension(1.25), "1,250");
    EXPECT_EQ(TexteTension(0.3125), "0,313");  // count 64: halfway
}
