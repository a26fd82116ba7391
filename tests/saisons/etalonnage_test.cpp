// The calibration tab's pure parts on histories made here: what each
// channel draws and the axis it needs, the hover's words, the drift, the
// V0s the button carries and why it cannot, the new-constants warning.

#include <gtest/gtest.h>

#include <cmath>

#include "saisons/series_etalonnage.h"

using namespace saisons;

namespace {

using science::DemiJour;
using science::StatutLangley;
using science::Voie;

struct DemiFaite {
    science::Date date;
    DemiJour demi;
    Voie voie;
    double v0;
    bool accepte;
    science::ConstantesEtalonnage enTete{2.12, 2.05, 0.01, 0.01};
};

// A history as archive::Historiques builds it: the science's periods and fates.
archive::HistoriqueInstrument Historique(const std::vector<DemiFaite>& demis,
                                         const std::string& instrument = "7") {
    archive::HistoriqueInstrument h;
    h.instrument = instrument;
    std::vector<science::ConstantesEtalonnage> constantes;
    for (const DemiFaite& d : demis) constantes.push_back(d.enTete);
    const std::vector<int> periodes = science::NumeroterPeriodes(constantes);
    for (size_t i = 0; i < demis.size(); ++i) {
        const DemiFaite& d = demis[i];
        archive::DemiJourneeArchivee a;
        a.date = d.date;
        a.demi = d.demi;
        a.voie = d.voie;
        a.langley = {d.v0,
                     0.004,
                     -0.31,
                     d.accepte ? 0.9991 : 0.962,
                     48,
                     3,
                     d.accepte ? "ok" : "r2+dispersion",
                     d.accepte};
        a.enTete = d.enTete;
        h.demiJournees.push_back(a);
        h.historique.push_back({science::JourDemiJour(d.date, d.demi), d.demi, d.voie, d.v0, 0.004,
                                d.accepte, periodes[i]});
    }
    h.statuts = science::Statuts(h.historique);
    return h;
}

// Twelve mornings of both channels near 2.05 V and 2.00 V, a cloudy one
// (rejected, far off) and a hazy one (accepted by its verdict, far off).
std::vector<DemiFaite> Printemps() {
    std::vector<DemiFaite> d;
    for (int j = 1; j <= 12; ++j) {
        const double bruit = 0.003 * std::sin(j * 1.7);
        const bool nuage = j == 5, brume = j == 8;
        const double vert = nuage ? 1.70 : brume ? 1.83 : 2.05 + bruit;
        const double rouge = nuage ? 1.62 : brume ? 1.79 : 2.00 + bruit;
        d.push_back({{2026, 3, j}, DemiJour::Matin, Voie::Vert, vert, !nuage});
        d.push_back({{2026, 3, j}, DemiJour::Matin, Voie::Rouge, rouge, !nuage});
    }
    return d;
}

TEST(Etalonnage, CeQueChaqueVoieTrace) {
    const auto h = Historique(Printemps());
    for (const Voie voie : {Voie::Vert, Voie::Rouge}) {
        const CanalEtalonnage c = SeriesEtalonnage(h, voie);
        ASSERT_EQ(c.points.size(), 12u);
        size_t comptes[3] = {};
        for (const PointV0& p : c.points) {
            ++comptes[static_cast<int>(p.statut)];
            EXPECT_EQ(h.historique[p.indice].voie, voie) << "each point is its channel's";
            EXPECT_EQ(h.historique[p.indice].v0, p.v0);
        }
        EXPECT_EQ(comptes[static_cast<int>(StatutLangley::Rejete)], 1u);
        EXPECT_EQ(comptes[static_cast<int>(StatutLangley::Aberrant)], 1u);
        EXPECT_EQ(comptes[static_cast<int>(StatutLangley::Accepte)], 10u);
        // One period: one line, a knot at every accepted half-day.
        ASSERT_EQ(c.periodes.size(), 1u);
        EXPECT_EQ(c.periodes[0].noeuds.size(), 11u);
        // The scale is the accepted ones' and the band's: the cloudy and
        // hazy half-days fall outside it, every accepted one inside.
        for (const PointV0& p : c.points) {
            const bool dedans = p.v0 - p.erreurType >= c.yMin && p.v0 + p.erreurType <= c.yMax;
            EXPECT_EQ(dedans, p.statut == StatutLangley::Accepte) << p.v0;
        }
        for (const NoeudV0& n : c.periodes[0].noeuds) {
            EXPECT_GE(n.v0 - n.ecartType, c.yMin);
            EXPECT_LE(n.v0 + n.ecartType, c.yMax);
        }
        EXPECT_LT(c.yMax - c.yMin, 0.1) << "millivolts, not the haze's 10 %";
        EXPECT_DOUBLE_EQ(c.xMin, science::JourDemiJour({2026, 3, 1}, DemiJour::Matin));
        EXPECT_DOUBLE_EQ(c.xMax, science::JourDemiJour({2026, 3, 12}, DemiJour::Matin));
    }
}

TEST(Etalonnage, LesPeriodesCoupentLaLigne) {
    std::vector<DemiFaite> d = Printemps();
    // New constants from 7 March: a second period, its own line and drift.
    for (DemiFaite& x : d)
        if (x.date.jour >= 7) x.enTete = {2.06, 2.01, 0.01, 0.01};
    const CanalEtalonnage c = SeriesEtalonnage(Historique(d), Voie::Vert);
    ASSERT_EQ(c.periodes.size(), 2u);
    EXPECT_LT(c.periodes[0].fin, c.periodes[1].debut);
    for (const PeriodeV0& p : c.periodes)
        for (const NoeudV0& n : p.noeuds) EXPECT_TRUE(n.x >= p.debut && n.x <= p.fin);

    // Nothing accepted: the scale holds every half-day rather than none.
    std::vector<DemiFaite> rejetes = {{{2026, 3, 1}, DemiJour::Matin, Voie::Vert, 1.7, false},
                                      {{2026, 3, 2}, DemiJour::Matin, Voie::Vert, 2.1, false}};
    const CanalEtalonnage r = SeriesEtalonnage(Historique(rejetes), Voie::Vert);
    EXPECT_TRUE(r.periodes.empty());
    EXPECT_LT(r.yMin, 1.7 - 0.004);
    EXPECT_GT(r.yMax, 2.1 + 0.004);
    // A steady instrument still gets a readable scale, not a flat line.
    std::vector<DemiFaite> stable;
    for (int j = 1; j <= 5; ++j)
        stable.push_back({{2026, 3, j}, DemiJour::Matin, Voie::Vert, 2.05, true});
    archive::HistoriqueInstrument h = Historique(stable);
    for (auto& l : h.historique) l.erreurTypeV0 = 0;
    const CanalEtalonnage s = SeriesEtalonnage(h, Voie::Vert);
    EXPECT_GE(s.yMax - s.yMin, 0.02);
}

TEST(Etalonnage, TextesEnFrancais) {
    const struct {
        std::optional<science::Derive> derive;
        std::string texte;
    } derives[] = {
        {science::Derive{0.04, 1.94, 20}, "dérive : +1,9 %/an"},
        {science::Derive{-0.02, -0.96, 20}, "dérive : −1,0 %/an"},
        {science::Derive{0, -0.01, 20}, "dérive : 0,0 %/an"},
        {std::nullopt, "dérive : —"},
    };
    for (const auto& c : derives) EXPECT_EQ(TexteDerive(c.derive), c.texte);

    const auto h = Historique(Printemps());
    const struct {
        size_t indice;
        std::string texte;
    } survols[] = {
        {0,
         "1er mars 2026, matin — voie verte\nV0 = 2,053 ± 0,004 V (à 1 UA)\npente -0,310, "
         "R² = 0,9991\n48 points retenus, 3 écartés\nverdict : toutes les vérifications "
         "passées\naccepté"},
        {9,
         "5 mars 2026, matin — voie rouge\nV0 = 1,620 ± 0,004 V (à 1 UA)\npente -0,310, "
         "R² = 0,9620\n48 points retenus, 3 écartés\nverdict : R² trop faible, dispersion trop "
         "grande (ciel instable)\nrejeté : le verdict a échoué"},
        {14,
         "8 mars 2026, matin — voie verte\nV0 = 1,830 ± 0,004 V (à 1 UA)\npente -0,310, "
         "R² = 0,9991\n48 points retenus, 3 écartés\nverdict : toutes les vérifications "
         "passées\naberrant : trop loin du V0 recommandé, laissé hors de la moyenne"},
    };
    for (const auto& c : survols)
        EXPECT_EQ(TexteDemiJournee(h.demiJournees[c.indice], h.statuts[c.indice]), c.texte);
}

TEST(Etalonnage, LesV0QueLeBoutonReporte) {
    std::vector<DemiFaite> sansRouge;
    for (const DemiFaite& d : Printemps())
        if (d.voie == Voie::Vert) sansRouge.push_back(d);
    // The red channel's last half-days too few for a recommendation.
    std::vector<DemiFaite> rougeSeul = Printemps();
    rougeSeul.push_back({{2026, 7, 1}, DemiJour::Matin, Voie::Rouge, 2.0, true});
    const struct {
        std::vector<DemiFaite> demis;
        bool report;
        std::string texte;
    } cas[] = {
        {Printemps(), true, "V0 recommandés au 12 mars 2026 : vert 2,0"},
        {sansRouge, false,
         "Aucun V0 à reporter : pas de demi-journée de Langley pour la voie rouge."},
        {rougeSeul, false,
         "Aucun V0 à reporter : pas de V0 recommandé pour la voie rouge au 1er juillet 2026 (il "
         "faut trois demi-journées acceptées de la même période dans les 60 jours)."},
        {{}, false, "Aucun V0 à reporter : pas de demi-journée de Langley pour la voie verte."},
    };
    for (const auto& c : cas) {
        const auto h = Historique(c.demis, "12");
        const ReportRecommande r = V0ARecommander(h);
        EXPECT_EQ(r.report.has_value(), c.report) << c.texte;
        EXPECT_EQ(r.texte.substr(0, c.texte.size()), c.texte);
        if (!r.report) continue;
        // The latest recommendation of each channel, with the instrument's number.
        EXPECT_EQ(r.report->photometre, "12");
        EXPECT_DOUBLE_EQ(r.report->v0Vert, archive::EtatRecent(h, Voie::Vert)->recommandation->v0);
        EXPECT_DOUBLE_EQ(r.report->v0Rouge,
                         archive::EtatRecent(h, Voie::Rouge)->recommandation->v0);
        EXPECT_NEAR(r.report->v0Vert, 2.05, 0.005);
        EXPECT_NEAR(r.report->v0Rouge, 2.00, 0.005);
    }
}

TEST(Etalonnage, AvisDeNouvellesConstantes) {
    // Instrument 7 holds 2.12 V for a true 2.05 V; instrument 9 holds the truth.
    std::vector<DemiFaite> juste = Printemps();
    for (DemiFaite& d : juste) d.enTete = {2.05, 2.00, 0.01, 0.01};
    const std::vector<archive::HistoriqueInstrument> deux = {Historique(Printemps(), "7"),
                                                             Historique(juste, "9")};
    const std::string sept = AvisInstruments(deux, std::nullopt);
    EXPECT_TRUE(
        sept.starts_with("Le photomètre n°7 a besoin de nouvelles constantes (V0 vert "
                         "2,12 V, recommandé 2,05"))
        << sept;
    EXPECT_TRUE(sept.ends_with(").")) << sept;
    EXPECT_EQ(sept.find('\n'), std::string::npos) << "instrument 9 needs nothing";
    EXPECT_EQ(AvisInstruments(deux, std::string("7")), sept);
    EXPECT_EQ(AvisInstruments(deux, std::string("9")), "");
    EXPECT_EQ(AvisInstruments({}, std::nullopt), "");
}

TEST(Etalonnage, LePointSousLaSouris) {
    const std::vector<PointV0> points = {{100.25, 2.05, 0.004, StatutLangley::Accepte, 0},
                                         {100.75, 2.06, 0.004, StatutLangley::Accepte, 1},
                                         {101.25, 1.70, 0.004, StatutLangley::Rejete, 2}};
    // 100 pixels a day, 1000 pixels a volt, within 8 pixels.
    const struct {
        double x, y;
        std::optional<size_t> point;
    } cas[] = {
        {100.25, 2.05, 0},  {100.30, 2.052, 0},
        {100.70, 2.058, 1}, {100.50, 2.055, {}},  // between the two, 25 px from each
        {101.25, 1.706, 2}, {101.25, 1.72, {}},   // 20 mV off: 20 px
    };
    for (const auto& c : cas)
        EXPECT_EQ(PointProche(points, c.x, c.y, 100, 1000, 8), c.point) << c.x << " " << c.y;
}

}  // namespace

namespace {

TEST(Etalonnage, LeHistoriqueMontre) {
    const std::vector<archive::HistoriqueInstrument> un = {Historique(Printemps(), "7")};
    const std::vector<archive::HistoriqueInstrument> deux = {Historique(Printemps(), "7"),
                                                             Historique(Printemps(), "9")};
    const struct {
        const std::vector<archive::HistoriqueInstrument>* historiques;
        std::optional<std::string> instrument;
        std::optional<std::string> montre;  // the instrument shown, or the sentence instead
        std::string pourquoi;
    } cas[] = {
        {&un, std::nullopt, "7", ""},  // the only one needs no choosing
        {&deux, std::nullopt, std::nullopt,
         "L'étalonnage est celui d'un photomètre : choisissez un instrument (liste Instrument, "
         "en haut)."},
        {&deux, "9", "9", ""},
        {&deux, "12", std::nullopt,
         "Aucune demi-journée de Langley pour le photomètre n°12 dans l'archive."},
        {nullptr, std::nullopt, std::nullopt,
         "L'archive ne contient encore aucune demi-journée de Langley."},
    };
    const std::vector<archive::HistoriqueInstrument> aucun;
    for (const auto& c : cas) {
        const HistoriqueChoisi h =
            ChoisirHistorique(c.historiques ? *c.historiques : aucun, c.instrument);
        EXPECT_EQ(h.historique ? std::optional(h.historique->instrument) : std::nullopt, c.montre);
        EXPECT_EQ(h.pourquoi, c.pourquoi);
    }
}

}  // namespace
