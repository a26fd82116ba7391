#include "science/nombre_facultatif.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace science {
namespace {

// Each way of making one against the std::optional<double> it stands for.
TEST(NombreFacultatif, BehavesAsTheOptionalItReplaces) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Cas {
        const char* nom;
        NombreFacultatif n;
        std::optional<double> attendu;
    };
    const Cas cas[] = {
        {"default", NombreFacultatif(), std::nullopt},
        {"nullopt", NombreFacultatif(std::nullopt), std::nullopt},
        {"empty optional", NombreFacultatif(std::optional<double>()), std::nullopt},
        {"zero", NombreFacultatif(0.0), 0.0},
        {"negative zero", NombreFacultatif(-0.0), -0.0},
        {"negative", NombreFacultatif(-1.25), -1.25},
        {"from an optional", NombreFacultatif(std::optional<double>(0.1234)), 0.1234},
        {"infinity", NombreFacultatif(inf), inf},
        {"a NaN is nothing", NombreFacultatif(nan), std::nullopt},
        {"an optional NaN is nothing", NombreFacultatif(std::optional<double>(nan)), std::nullopt},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        EXPECT_EQ(c.n.has_value(), c.attendu.has_value());
        EXPECT_EQ(static_cast<bool>(c.n), c.attendu.has_value());
        EXPECT_EQ(c.n.value_or(7.5), c.attendu.value_or(7.5));
        EXPECT_EQ(static_cast<std::optional<double>>(c.n), c.attendu);
        EXPECT_EQ(c.n == std::nullopt, !c.attendu);
        if (c.attendu) {
            EXPECT_EQ(*c.n, *c.attendu);
            EXPECT_EQ(c.n.value(), *c.attendu);
            EXPECT_EQ(std::signbit(*c.n), std::signbit(*c.attendu));
        } else {
            EXPECT_THROW((void)c.n.value(), std::bad_optional_access);
        }
    }
}

TEST(NombreFacultatif, ComparesAndEmptiesAsTheOptional) {
    const NombreFacultatif rien, un(1.0), autreUn(std::optional<double>(1.0)), deux(2.0);
    struct Cas {
        const char* nom;
        NombreFacultatif a, b;
        bool egaux;
    };
    const Cas cas[] = {
        {"nothing and nothing", rien, rien, true}, {"nothing and a number", rien, un, false},
        {"a number and nothing", un, rien, false}, {"the same number", un, autreUn, true},
        {"two numbers", un, deux, false},
    };
    for (const Cas& c : cas) EXPECT_EQ(c.a == c.b, c.egaux) << c.nom;

    NombreFacultatif n = 3.5;
    n = std::nullopt;
    EXPECT_FALSE(n);
    n = std::optional<double>(4.5);
    EXPECT_EQ(*n, 4.5);
    n.reset();
    EXPECT_FALSE(n.has_value());
}

}  // namespace
}  // namespace science
