#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Numbers, FixedDecimalsRoundTheExactValueHalvesAwayFromZero) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        // Exactly halfway (counts 64 and 320, ...): away from zero.
        {0.3125, 3, "0,313"},
        {1.5625, 3, "1,563"},
        {1.875, 2, "1,88"},
        {-0.625, 2, "-0,63"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {999.5, 0, "1000"},
        {9.9996, 3, "10,000"},
        // Stored just below or above the half: the stored value decides.
        {0.015, 2, "0,01"},
        {1.005, 2, "1,00"},
        {4.995, 2, "5,00"},
        {-0.005, 2, "-0,01"},
        {4.9951171875, 3, "4,995"},
        {0.1, 20, "0,10000000000000000555"},
        {1e20, 2, "100000000000000000000,00"},
        {7, -1, "7"},
        // All digits zero: no sign.
        {-0.004, 2, "0,00"},
        {-0.0, 2, "0,00"},
        {-0.4, 0, "0"},
        {-5e-324, 1, "0,0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFixe(c.value, c.decimals), c.text) << c.value << " to " << c.decimals;
    }
    const std::string max = FormatFixe(std::numeric_limits<double>::max(), 0);
    EXPECT_EQ(max.size(), 309u);
    EXPECT_EQ(max.substr(0, 17), "17976931348623157");
    // Just under a half in extended precision; the nearest double is the half.
    EXPECT_EQ(FormatFixeEtendu(0.125L - 0x1p-60L, 2), "0,12");
    EXPECT_EQ(FormatFixe(static_cast<double>(0.125L - 0x1p-60L), 2), "0,13");
}

TEST(Numbers, ReadingNumbers) {
    EXPECT_EQ(StrToInt("1013"), 1013);
    EXPECT_EQ(StrToInt(" +7 "), 7);
    EXPECT_EQ(StrToInt("-22"), -22);
    EXPECT_EQ(StrToInt("9223372036854775807"), std::numeric_limits<long long>::max());
    for (const char* text : {"", "-", "12a", "1,5", "+-1", "1 2", "9223372036854775808"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      "'" + std::string(text) + "' n'est pas une valeur entière correcte");
        }
    }

    struct Case {
        const char* text;
        double value;
    } good[] = {{"2,124", 2.124}, {"-0,05", -0.05}, {"5", 5.0},      {",5", 0.5},
                {"5,", 5.0},      {" 2,12 ", 2.12}, {"1,5e3", 1500}, {"0,1", 0.1}};
    for (const auto& c : good) EXPECT_EQ(StrToFloat(c.text), c.value) << c.text;
    for (const char* text : {"", ",", "2.5", "1,2,3", "1e", "1e999", "nan", "2,5 V"}) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + std::string(text) +
                                       "' n'est pas une valeur en virgule flottante correcte");
        }
    }
}
