#include "science/verdict_langley.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace science {
namespace {

// One point a minute from air mass `haute` down to `basse`, ln V falling with
// slope −tau, with multiplicative noise and, every `nuage` points, a cloud
// that takes 30 % of the signal.
std::vector<PointLangley> Points(double v0, double tau, double haute, double basse, double pas,
                                 double bruit = 0.002, size_t nuage = 0) {
    std::mt19937 generateur(11);
    std::normal_distribution<double> normale(0, bruit);
    std::vector<PointLangley> points;
    size_t i = 0;
    for (double m = haute; m >= basse; m -= pas, ++i) {
        double v = v0 * std::exp(-tau * m) * (1 + normale(generateur));
        if (nuage != 0 && i % nuage == 0) v *= 0.7;
        points.push_back({m, std::log(v)});
    }
    return points;
}

TEST(VerdictLangley, EachCheckFailsOnTheSkyThatBreaksIt) {
    const struct {
        const char* cas;
        std::vector<PointLangley> points;
        std::string code;
        std::string texte;  // found in the first defect
    } cas[] = {
        {"a clear morning", Points(2.1, 0.25, 6, 2, 0.05), "ok", ""},
        {"too few points", Points(2.1, 0.25, 6, 2, 0.3), "points",
         "14 points retenus (il en faut 20)"},
        {"too narrow an air-mass span", Points(2.1, 0.25, 3.2, 2, 0.02), "etendue",
         "masse d'air de 2,0 à 3,2 seulement"},
        {"a hazy, changing sky", Points(2.1, 0.25, 6, 2, 0.05, 0.06), "r2+dispersion", "R² = "},
        {"passing clouds", Points(2.1, 0.25, 6, 2, 0.05, 0.002, 6), "exclus",
         "points écartés sur 81, passages nuageux"},
        {"a signal that rises with the air mass", Points(2.1, -0.25, 6, 2, 0.05), "pente",
         "le signal ne baisse pas quand la masse d'air croît"},
        {"a V0 beyond what the instrument holds", Points(6.2, 0.25, 6, 2, 0.05), "v0",
         " V dépasse 5,0 V, que le mode expert refuse"},
        {"no fit at all", Points(2.1, 0.25, 1.9, 1.5, 0.05), "points",
         "moins de trois points utilisables entre les masses d'air 2 et 6"},
    };
    for (const auto& c : cas) {
        const VoieLangley ajustee = AjusterVoie(c.points);
        const auto defauts = DefautsLangley(ajustee, "voie verte");
        EXPECT_EQ(CodeVerdict(defauts), c.code) << c.cas;
        if (c.texte.empty()) {
            EXPECT_TRUE(defauts.empty()) << c.cas << ": " << defauts.front().texte;
            continue;
        }
        ASSERT_FALSE(defauts.empty()) << c.cas;
        EXPECT_EQ(defauts.front().texte.rfind("voie verte : ", 0), 0u) << c.cas;
        EXPECT_NE(defauts.front().texte.find(c.texte), std::string::npos)
            << c.cas << ": " << defauts.front().texte;
    }
}

TEST(VerdictLangley, TheCodeNamesEachFailedCheckOnceInItsOrder) {
    using C = CritereLangley;
    const struct {
        std::vector<C> criteres;
        std::string code;
    } cas[] = {
        {{}, "ok"},
        {{C::V0}, "v0"},
        {{C::R2, C::Points, C::R2}, "points+r2"},  // both channels failing alike
        {{C::Pente, C::Dispersion, C::Exclus, C::Etendue}, "etendue+dispersion+exclus+pente"},
        {{C::V0, C::Pente, C::Exclus, C::Dispersion, C::R2, C::Etendue, C::Points},
         "points+etendue+r2+dispersion+exclus+pente+v0"},
    };
    for (const auto& c : cas) {
        std::vector<DefautLangley> defauts;
        for (const C critere : c.criteres) defauts.push_back({critere, "x"});
        EXPECT_EQ(CodeVerdict(defauts), c.code);
    }
}

// What the history's window says of a half-day it keeps with its code only.
TEST(VerdictLangley, ACodeReadsInFrench) {
    const struct {
        std::string code, texte;
    } verdicts[] = {
        {"ok", "toutes les vérifications passées"},
        {"r2+dispersion", "R² trop faible, dispersion trop grande (ciel instable)"},
        {"points+etendue+exclus",
         "trop peu de points, masse d'air trop peu étendue, trop de points écartés (passages "
         "nuageux)"},
        {"pente+v0",
         "le signal ne baisse pas quand la masse d'air croît, V0 au-delà de ce que le mode "
         "expert accepte"},
        // A check this version does not know is named as it is.
        {"inconnu", "inconnu"},
        {"", "—"},
    };
    for (const auto& c : verdicts) EXPECT_EQ(TexteVerdict(c.code), c.texte);
}

TEST(VerdictLangley, ThresholdsAreTheCallersAndTheSpreadIsOfTheKeptPoints) {
    const VoieLangley ajustee = AjusterVoie(Points(2.1, 0.25, 6, 2, 0.05, 0.002, 6));
    ASSERT_TRUE(ajustee.ajustement);
    // The clouds are left out, so what is left lies close to the line.
    EXPECT_LT(ajustee.ecartType, 0.004);
    EXPECT_NEAR(ajustee.masseMin, 2.0, 0.06);
    EXPECT_NEAR(ajustee.masseMax, 6.0, 0.06);
    CriteresLangley tolerants;
    tolerants.exclusMax = 0.5;
    EXPECT_EQ(CodeVerdict(DefautsLangley(ajustee, "voie rouge", tolerants)), "ok");
    CriteresLangley severes;
    severes.pointsMin = 1000;
    severes.v0Max = 2.0;
    const auto defauts = DefautsLangley(ajustee, "voie rouge", severes);
    EXPECT_EQ(CodeVerdict(defauts), "points+exclus+v0");
    EXPECT_EQ(defauts.front().texte.rfind("voie rouge : ", 0), 0u);
}

}  // namespace
}  // namespace science
