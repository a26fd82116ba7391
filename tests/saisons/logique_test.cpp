// The seasons window's pure logic: the days, the spans and filters, the
// hover's text, the CSV rows and the time axis's marks.

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "saisons/csv_saisons.h"
#include "saisons/graduations.h"
#include "saisons/selection.h"
#include "saisons/texte_jour.h"
#include "tests/saisons/annee.h"

using namespace saisons;

namespace {

archive::ResumeJour Avril15() {
    archive::ResumeJour j;
    j.jour = {2026, 4, 15};
    j.site = "Lyon";
    j.instrument = "12";
    j.enregistrements = 412;
    j.niveau15 = 398;
    j.vert = archive::Plage{0.102, 0.095, 0.110};
    j.rouge = archive::Plage{0.081, 0.0704, 0.0896};
    j.angstrom = archive::Plage{1.05, 0.98, 1.12};
    return j;
}

}  // namespace

TEST(Saisons, NumerosDesJours) {
    const struct {
        science::Date date;
        int numero;
    } cas[] = {
        {{1970, 1, 1}, 0},     {{1969, 12, 31}, -1},   {{2000, 2, 29}, 11016},
        {{2000, 3, 1}, 11017}, {{2026, 4, 15}, 20558}, {{2100, 3, 1}, 47541},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(NumeroJour(c.date), c.numero) << c.date.annee << "-" << c.date.mois;
        const science::Date d = DateDuNumero(c.numero);
        EXPECT_EQ(std::tie(d.annee, d.mois, d.jour),
                  std::tie(c.date.annee, c.date.mois, c.date.jour));
    }
}

TEST(Saisons, PeriodesDuCalendrier) {
    const auto n = [](int a, int m, int j) { return NumeroJour({a, m, j}); };
    const struct {
        Etendue etendue;
        science::Date jour;
        Periode attendue;
    } cas[] = {
        // Wednesday and Sunday of the same week; a week across the new year.
        {Etendue::Semaines, {2026, 4, 15}, {n(2026, 4, 13), n(2026, 4, 20)}},
        {Etendue::Semaines, {2026, 4, 19}, {n(2026, 4, 13), n(2026, 4, 20)}},
        {Etendue::Semaines, {2026, 4, 20}, {n(2026, 4, 20), n(2026, 4, 27)}},
        {Etendue::Semaines, {2027, 1, 1}, {n(2026, 12, 28), n(2027, 1, 4)}},
        {Etendue::Semaines, {1969, 12, 29}, {n(1969, 12, 29), n(1970, 1, 5)}},
        {Etendue::Mois, {2024, 2, 29}, {n(2024, 2, 1), n(2024, 3, 1)}},
        {Etendue::Mois, {2026, 12, 31}, {n(2026, 12, 1), n(2027, 1, 1)}},
        {Etendue::Annees, {2026, 7, 14}, {n(2026, 1, 1), n(2027, 1, 1)}},
    };
    for (const auto& c : cas) {
        const Periode p = PeriodeDe(c.etendue, NumeroJour(c.jour));
        EXPECT_EQ(p, c.attendue) << c.jour.annee << "-" << c.jour.mois << "-" << c.jour.jour;
    }
    // Stepping crosses months of every length and the years' ends.
    EXPECT_EQ(PeriodeVoisine(Etendue::Mois, PeriodeDe(Etendue::Mois, n(2026, 1, 10)), -1),
              (Periode{n(2025, 12, 1), n(2026, 1, 1)}));
    EXPECT_EQ(PeriodeVoisine(Etendue::Mois, PeriodeDe(Etendue::Mois, n(2026, 1, 31)), 1),
              (Periode{n(2026, 2, 1), n(2026, 3, 1)}));
    EXPECT_EQ(PeriodeVoisine(Etendue::Semaines, PeriodeDe(Etendue::Semaines, n(2026, 12, 30)), 1),
              (Periode{n(2027, 1, 4), n(2027, 1, 11)}));
    EXPECT_EQ(PeriodeVoisine(Etendue::Annees, PeriodeDe(Etendue::Annees, n(2026, 1, 1)), -1),
              (Periode{n(2025, 1, 1), n(2026, 1, 1)}));
}

TEST(Saisons, FiltresDuSiteEtDeLInstrument) {
    const auto annee = AnneeSynthetique();
    size_t lyon = 0, brest = 0;
    for (const auto& j : annee) (j.site == "Lyon" ? lyon : brest) += 1;
    ASSERT_GT(brest, 50u);
    const auto choix = [](std::optional<std::string> site, std::optional<std::string> instrument,
                          std::optional<science::Date> du = {},
                          std::optional<science::Date> au = {}) {
        archive::ChoixJours c;
        c.site = site;
        c.instrument = instrument;
        c.du = du;
        c.au = au;
        return c;
    };
    const struct {
        archive::ChoixJours choix;
        size_t attendus;
    } cas[] = {
        {choix({}, {}), annee.size()},
        {choix("Lyon", {}), lyon},
        {choix({}, "7"), brest},
        {choix("Brest", "7"), brest},
        {choix("Brest", "12"), 0},
        {choix("lyon", {}), 0},  // names are exact
        {choix("Brest", {}, science::Date{2026, 3, 2}, science::Date{2026, 3, 2}), 1},
        {choix("Lyon", {}, science::Date{2026, 2, 5}, science::Date{2026, 2, 24}), 0},
        {choix({}, {}, science::Date{2026, 12, 1}),
         Filtrer(annee, choix({}, {}, science::Date{2026, 12, 1}, science::Date{2026, 12, 31}))
             .size()},
    };
    for (const auto& c : cas) {
        const auto gardes = Filtrer(annee, c.choix);
        EXPECT_EQ(gardes.size(), c.attendus)
            << c.choix.site.value_or("*") << " / " << c.choix.instrument.value_or("*");
        for (const auto& j : gardes) {
            if (c.choix.site) {
                EXPECT_EQ(j.site, *c.choix.site);
            }
            if (c.choix.instrument) {
                EXPECT_EQ(j.instrument, *c.choix.instrument);
            }
        }
    }
    EXPECT_EQ(Sites(annee), (std::vector<std::string>{"Brest", "Lyon"}));
    std::vector<archive::ResumeJour> numeros(4);
    numeros[0].instrument = "12";
    numeros[1].instrument = "B2";
    numeros[2].instrument = "9";
    numeros[3].instrument = "12";
    EXPECT_EQ(Instruments(numeros), (std::vector<std::string>{"9", "12", "B2"}));
    // Both sites measured on 2 March; Lyon alone on 3 March.
    EXPECT_EQ(JoursDuNumero(annee, NumeroJour({2026, 3, 2})).size(), 2u);
    EXPECT_EQ(JoursDuNumero(annee, NumeroJour({2026, 3, 3})).size(), 1u);
    EXPECT_TRUE(JoursDuNumero(annee, NumeroJour({2026, 2, 10})).empty());
}

TEST(Saisons, TexteDuJour) {
    archive::ResumeJour sansAlpha = Avril15();
    sansAlpha.angstrom.reset();
    archive::ResumeJour couvert = Avril15();
    couvert.jour = {2026, 5, 1};
    couvert.enregistrements = 1;
    couvert.niveau15 = 0;
    couvert.vert = couvert.rouge = couvert.angstrom = std::nullopt;
    archive::ResumeJour deux = Avril15();
    deux.niveau20 = 350;
    const struct {
        archive::ResumeJour jour;
        std::string texte;
    } cas[] = {
        {Avril15(),
         "15 avril 2026 — niveau 1,5 : vert 0,102 (0,095–0,110), rouge 0,081 (0,070–0,090), "
         "α 1,05 (0,98–1,12), 412 mesures dont 398 de niveau 1,5"},
        {sansAlpha,
         "15 avril 2026 — niveau 1,5 : vert 0,102 (0,095–0,110), rouge 0,081 (0,070–0,090), "
         "α —, 412 mesures dont 398 de niveau 1,5"},
        // The values' level is the day's best: 2.0 once any record has it.
        {deux,
         "15 avril 2026 — niveau 2,0 : vert 0,102 (0,095–0,110), rouge 0,081 (0,070–0,090), "
         "α 1,05 (0,98–1,12), 412 mesures dont 398 de niveau 1,5 et 350 de niveau 2,0"},
        {couvert, "1er mai 2026 — aucune valeur de niveau 1,5, 1 mesure dont 0 de niveau 1,5"},
    };
    for (const auto& c : cas) EXPECT_EQ(TexteJour(c.jour), c.texte);

    archive::ResumeJour brest = Avril15();
    brest.site = "Brest";
    brest.instrument = "7";
    brest.angstrom = archive::Plage{-0.125, -0.5, 0.3};
    EXPECT_EQ(TexteJours({Avril15(), brest}),
              "15 avril 2026\nLyon, n° 12 — niveau 1,5 : vert 0,102 (0,095–0,110), rouge 0,081 "
              "(0,070–0,090), α 1,05 (0,98–1,12), 412 mesures dont 398 de niveau 1,5\nBrest, n° 7 "
              "— niveau 1,5 : vert 0,102 (0,095–0,110), rouge 0,081 (0,070–0,090), α -0,13 "
              "(-0,50–0,30), 412 mesures dont 398 de niveau 1,5");
    EXPECT_EQ(TexteJours({}), "");
    EXPECT_EQ(DateEnFrancais({2026, 8, 31}), "31 août 2026");
    EXPECT_EQ(DateEnFrancais({2027, 2, 1}), "1er février 2027");
}

TEST(Saisons, LignesCsv) {
    archive::ResumeJour couvert = Avril15();
    couvert.jour = {2026, 1, 2};
    couvert.niveau15 = 0;
    couvert.vert = couvert.rouge = couvert.angstrom = std::nullopt;
    archive::ResumeJour cite = Avril15();
    cite.site = "Mont \"Aigoual\", sommet";
    cite.angstrom = archive::Plage{-0.0001, -0.25, 0.00049};
    archive::ResumeJour deux = Avril15();
    deux.niveau20 = 350;
    const struct {
        archive::ResumeJour jour;
        std::string ligne;
    } cas[] = {
        {Avril15(),
         "2026-04-15,Lyon,12,412,398,0.1020,0.0950,0.1100,0.0810,0.0704,0.0896,1.050,0.980,1.120,"
         "0,1.5"},
        // No value, no level.
        {couvert, "2026-01-02,Lyon,12,412,0,,,,,,,,,,0,"},
        // A name with a comma and quotes is quoted; "-0.000" is written "0.000".
        {cite,
         "2026-04-15,\"Mont \"\"Aigoual\"\", sommet\",12,412,398,0.1020,0.0950,0.1100,0.0810,"
         "0.0704,0.0896,0.000,-0.250,0.000,0,1.5"},
        // The last two columns: the count at level 2.0, and the values' level.
        {deux,
         "2026-04-15,Lyon,12,412,398,0.1020,0.0950,0.1100,0.0810,0.0704,0.0896,1.050,0.980,1.120,"
         "350,2.0"},
    };
    const std::string entete = EnTeteCsvSaisons;
    const size_t colonnes = std::count(entete.begin(), entete.end(), ',');
    for (const auto& c : cas) {
        EXPECT_EQ(LigneCsvSaisons(c.jour), c.ligne);
        if (c.jour.site == "Lyon") {
            EXPECT_EQ(static_cast<size_t>(std::count(c.ligne.begin(), c.ligne.end(), ',')),
                      colonnes);
        }
    }
    std::ostringstream sortie;
    EcrireCsvSaisons(sortie, {Avril15(), couvert});
    EXPECT_EQ(sortie.str(), entete + "\r\n" + cas[0].ligne + "\r\n" + cas[1].ligne + "\r\n");
}

TEST(Saisons, GraduationsDuTemps) {
    const auto n = [](int a, int m, int j) { return double(NumeroJour({a, m, j})); };
    const struct {
        double debut, fin;
        std::vector<std::string> premieres;
        size_t nombre;
    } cas[] = {
        // A week: every day.
        {n(2026, 4, 13), n(2026, 4, 20), {"13 avr.", "14 avr.", "15 avr."}, 7},
        // A month: the weeks from Monday, the ends' more than a third in view.
        {n(2026, 4, 1), n(2026, 5, 1), {"30 mars", "6 avr.", "13 avr."}, 5},
        // A year: every month, the first and every January with its year.
        {n(2026, 1, 1), n(2027, 1, 1), {"janv. 2026", "févr.", "mars"}, 12},
        {n(2026, 3, 25), n(2026, 11, 1), {"avr. 2026", "mai", "juin"}, 7},
        // More than a year meets a month twice: every month says its year.
        {n(2026, 3, 15), n(2027, 4, 15), {"mars 2026", "avr. 2026", "mai 2026"}, 14},
        // Three years: quarters.
        {n(2024, 1, 1), n(2027, 1, 1), {"janv. 2024", "avr. 2024", "juil. 2024"}, 12},
        // Ten years: years.
        {n(2016, 6, 1), n(2026, 6, 1), {"2016", "2017", "2018"}, 11},
        // A century: nine years at a time, about a dozen.
        {n(1950, 1, 1), n(2050, 1, 1), {"1944–1952", "1953–1961", "1962–1970"}, 12},
    };
    for (const auto& c : cas) {
        const auto unites = Graduations(c.debut, c.fin);
        ASSERT_EQ(unites.size(), c.nombre) << c.premieres[0];
        for (size_t i = 0; i < c.premieres.size(); ++i) EXPECT_EQ(unites[i].texte, c.premieres[i]);
        for (size_t i = 1; i < unites.size(); ++i)
            EXPECT_EQ(unites[i].debut, unites[i - 1].fin) << unites[i].texte;
    }
    EXPECT_TRUE(Graduations(10.0, 10.2).empty());
    EXPECT_EQ(Graduations(10.0, 10.4), (std::vector<Graduation>{{10, 11, "11 janv."}}));
    EXPECT_TRUE(Graduations(5, 5).empty());
    // Any window, zoomed anywhere: every unit in view, the texts all different.
    for (double largeur : {5.5, 30.0, 200.0, 400.0, 449.0, 800.0, 1499.0, 4000.0})
        for (double debut = n(2020, 1, 1); debut < n(2024, 1, 1); debut += 37) {
            std::set<std::string> textes;
            for (const auto& g : Graduations(debut + 0.3, debut + 0.3 + largeur)) {
                EXPECT_TRUE(textes.insert(g.texte).second) << largeur << " " << g.texte;
                EXPECT_LT(g.debut, debut + 0.3 + largeur);
                EXPECT_GT(g.fin, debut + 0.3);
            }
        }
}
