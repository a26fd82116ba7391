#include <gtest/gtest.h>

#include "calibration/saisie.h"

using namespace calibration;

TEST(Saisie, KeyFilters) {
    struct Cas {
        char touche;
        std::string texte;
        char decimal;   // what the decimal filter leaves
        char chiffres;  // what the digit filter leaves
    } cas[] = {
        {'7', "", '7', '7'}, {'.', "1", ',', 0}, {',', "1", ',', 0}, {'.', "1,2", 0, 0},
        {',', "1,", 0, 0},   {8, "1,2", 8, 8},   {13, "", 0, 0},     {'a', "", 0, 0},
        {'-', "", 0, 0},     {' ', "12", 0, 0},  {'e', "1", 0, 0},   {27, "", 0, 0},
    };
    for (const auto& c : cas) {
        char d = c.touche, e = c.touche;
        FiltrerDecimal(d, c.texte);
        FiltrerChiffres(e);
        EXPECT_EQ(d, c.decimal) << int(c.touche) << " in " << c.texte;
        EXPECT_EQ(e, c.chiffres) << int(c.touche);
    }
}
