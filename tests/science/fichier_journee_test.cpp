#include "science/fichier_journee.h"

#include <gtest/gtest.h>

#include "tests/science/exemple.h"

namespace science {
namespace {

using namespace exemple;

TEST(FichierJournee, ReadsBothHeaderBlocksAndEveryRecordKind) {
    recording::EnTete b = EnTeteExemple("Lundi 6 Décembre - ");
    b.v0Vert = "2,1";  // as typed in expert mode
    b.pression = "1013";
    const auto lignes = Fichier({
        {recording::LigneCreation()},
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("12:30:30", "1,000", "1,250"),
         recording::LigneEnregistrement(recording::ModeSimple, "12:30:31  ", "0,098", "------",
                                        "0,313", "-0,05", "----")},
        recording::LignesEnTeteB(b),
        {recording::LigneEnregistrement(recording::ModeContinu, "09:05:07  ", "---", "---", "---",
                                        "---", "----"),
         recording::LigneEnregistrement(recording::ModeContinu, "09:05:09  ", "0", "0", "0", "0",
                                        "22"),
         recording::LigneEnregistrement(recording::ModeContinu, "09:05:10  ", "2,124", "0,14",
                                        "1,500", "0,08", "-3")},
    });
    const Journee j = LireJournee(lignes);
    EXPECT_TRUE(j.anomalies.empty()) << j.anomalies[0].ligne << " " << j.anomalies[0].message;
    ASSERT_EQ(j.series.size(), 2u);

    const EnTeteSerie& a = j.series[0].enTete;
    EXPECT_EQ(a.ligne, 2u);
    EXPECT_EQ(a.bloc, 'A');
    EXPECT_EQ(a.jourSemaine, 5);
    EXPECT_EQ(a.jour, 17);
    EXPECT_EQ(a.mois, 10);
    EXPECT_EQ(a.photometre, "7");
    EXPECT_EQ(a.logiciel, "1,2");
    EXPECT_EQ(a.pression, 820);
    EXPECT_EQ(a.angle, 40);
    EXPECT_EQ(a.v0Vert, 2.0);
    EXPECT_EQ(a.vnVert, 0.1);
    EXPECT_EQ(a.v0Rouge, 2.0);
    EXPECT_EQ(a.vnRouge, 0.1);
    ASSERT_EQ(j.series[0].enregistrements.size(), 2u);
    const Enregistrement& r = j.series[0].enregistrements[1];
    EXPECT_EQ(r.ligne, 11u);
    EXPECT_EQ(r.mode, Mode::Simple);
    EXPECT_EQ(r.secondes, 12 * 3600 + 30 * 60 + 31);
    EXPECT_EQ(r.vVert, 0.098);
    EXPECT_FALSE(r.eoVert);
    EXPECT_EQ(r.eoRouge, -0.05);
    EXPECT_FALSE(r.temperature);

    const EnTeteSerie& e = j.series[1].enTete;
    EXPECT_EQ(e.bloc, 'B');
    EXPECT_EQ(e.jourSemaine, 1);
    EXPECT_EQ(e.mois, 12);
    EXPECT_EQ(e.v0Vert, 2.1);
    EXPECT_EQ(e.vnVert, 0.1);
    EXPECT_EQ(e.v0Rouge, 2.0);
    EXPECT_EQ(e.pression, 1013);
    const auto& c = j.series[1].enregistrements;
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].mode, Mode::Continu);
    EXPECT_FALSE(c[0].vVert);
    EXPECT_EQ(c[1].vVert, 0.0);
    EXPECT_EQ(c[1].temperature, 22);
    EXPECT_EQ(c[2].vVert, 2.124);
    EXPECT_EQ(c[2].temperature, -3);
}

TEST(FichierJournee, DamagedLinesAreReportedWithTheirNumberAndSkipped) {
    const struct {
        std::string ligne;
        std::string message;
    } cas[] = {
        {"Simple;12:30:3", "enregistrement de 2 champs au lieu de 7"},
        {"Simple;12:30:30  ;1,000;0,50;1,000;0,60;21;",
         "enregistrement de plus de 7 champs au lieu de 7"},
        {"Simple;25:30:30  ;1,000;0,50;1,000;0,60;21", "heure illisible « 25:30:30   »"},
        {"Simple;12:30:30  ;1,0x0;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1,000;0,50;1,000;0,60;2.1e", "valeur illisible dans l'enregistrement"},
        {"Bonjour", "ligne étrangère au fichier de mesures"},
        {"", "ligne vide"},
        {"SOLVENARE", "ligne de création « SOLVENARE » au milieu du fichier"},
        {"-- Pression : mille hPa", "pression illisible « mille »"},
        {"-- V0Vert  = 2,00V", "ligne des constantes d'étalonnage tronquée"},
        {"-- V0Rouge = deuxV VnRouge = 0,10V", "constante d'étalonnage illisible"},
    };
    for (const auto& c : cas) {
        const auto lignes = Fichier({recording::LignesEnTeteA(EnTeteExemple()),
                                     {c.ligne},
                                     {Simple("12:31:00", "1,000", "1,000")}});
        const Journee j = LireJournee(lignes);
        ASSERT_EQ(j.anomalies.size(), 1u) << c.ligne;
        EXPECT_EQ(j.anomalies[0].ligne, 9u) << c.ligne;
        EXPECT_EQ(j.anomalies[0].message, c.message) << c.ligne;
        ASSERT_EQ(j.series.size(), 1u);
        // The good record after the damaged line is still read.
        ASSERT_FALSE(j.series[0].enregistrements.empty()) << c.ligne;
        EXPECT_EQ(j.series[0].enregistrements.back().ligne, 10u) << c.ligne;
    }
}

TEST(FichierJournee, RecordsBeforeAnyHeaderAndUnreadableDatesAreReported) {
    const Journee j = LireJournee(Fichier({
        {Simple("08:00:00", "1,000", "1,000")},
        recording::LignesEnTeteA(EnTeteExemple("Vendredi 17 Brumaire - ")),
        {Simple("08:00:01", "1,000", "1,000")},
    }));
    ASSERT_EQ(j.anomalies.size(), 2u);
    EXPECT_EQ(j.anomalies[0].ligne, 1u);
    EXPECT_EQ(j.anomalies[0].message, "enregistrement avant tout en-tête");
    EXPECT_EQ(j.anomalies[1].ligne, 2u);
    ASSERT_EQ(j.series.size(), 1u);
    EXPECT_EQ(j.series[0].enTete.jour, 0);
    EXPECT_EQ(j.series[0].enregistrements.size(), 1u);
}

TEST(FichierJournee, TornHeaderIsReportedOnce) {
    auto enTete = recording::LignesEnTeteA(EnTeteExemple());
    enTete.resize(3);  // date, photometer, pressure
    const Journee j = LireJournee(Fichier({
        enTete,
        {Simple("08:00:01", "1,000", "1,000")},
        recording::LignesEnTeteB(EnTeteExemple()),
        {Simple("08:00:02", "1,000", "1,000")},
    }));
    ASSERT_EQ(j.anomalies.size(), 1u);
    EXPECT_EQ(j.anomalies[0].ligne, 1u);
    EXPECT_EQ(j.anomalies[0].message, "en-tête incomplet : 3 lignes sur 8");
    ASSERT_EQ(j.series.size(), 2u);
    EXPECT_EQ(j.series[0].enTete.pression, 820);
    EXPECT_FALSE(j.series[0].enTete.v0Vert);
    EXPECT_EQ(j.series[0].enregistrements.size(), 1u);
}

TEST(FichierJournee, SeriesRunningPastMidnightMoveToTheNextDay) {
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("23:59:58", "1,000", "1,000"), Simple("00:00:01", "1,000", "1,000"),
         // A clock set back twenty minutes is not a new day.
         Simple("00:30:00", "1,000", "1,000"), Simple("00:10:00", "1,000", "1,000")},
        LignesEnTeteA(EnTeteExemple()),
        {Simple("00:00:05", "1,000", "1,000")},
    }));
    ASSERT_EQ(j.series.size(), 2u);
    const auto& r = j.series[0].enregistrements;
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].jours, 0);
    EXPECT_EQ(r[1].jours, 1);
    EXPECT_EQ(r[2].jours, 1);
    EXPECT_EQ(r[3].jours, 1);
    EXPECT_EQ(j.series[1].enregistrements[0].jours, 0);
}

}  // namespace
}  // namespace science
