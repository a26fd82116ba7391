#include "science/fichier_journee.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "platform/textfile.h"
#include "science/recalcul.h"
#include "tests/science/exemple.h"
#include "tests/support/dossier.h"
#include "tests/support/sanitiseurs.h"

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
        // Nothing the program writes has an exponent, a '+', or seven digits.
        {"Simple;12:30:30  ;1e308;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1,000;1E3;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1,000;0,50;+1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1,000;0,50;1,000;inf;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;0x1p3;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1 000;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1000000;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;1,;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"Simple;12:30:30  ;,5;0,50;1,000;0,60;21", "valeur illisible dans l'enregistrement"},
        {"-- V0Vert  = 2e0V VnVert  = 0,10V", "constante d'étalonnage illisible"},
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

TEST(FichierJournee, AHeaderLineAfterTheRecordsChangesNothing) {
    // What was read is computed as it was read, by the day view as it
    // follows the file and by the command line as it streams it.
    const Journee j = LireJournee(Fichier({
        recording::LignesEnTeteA(EnTeteExemple()),
        {Simple("08:00:01", "1,000", "1,000"), "-- Pression : 1013 hPa",
         Simple("08:00:02", "1,000", "1,000")},
    }));
    ASSERT_EQ(j.anomalies.size(), 1u);
    EXPECT_EQ(j.anomalies[0].ligne, 10u);
    EXPECT_EQ(j.anomalies[0].message,
              "ligne d'en-tête après les enregistrements de la série : ignorée");
    EXPECT_EQ(j.series[0].enTete.pression, 820);
    EXPECT_EQ(j.series[0].enregistrements.size(), 2u);
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

TEST(FichierJournee, NumbersAsTheProgramHasWrittenThemAreRead) {
    const struct {
        std::string vVert, eoVert, temperature;
        double v, eo;
    } cas[] = {
        {"0", "0", "22", 0, 0},  // the maxima reset in continuous mode
        {"2,124", "-0,05", "-3", 2.124, -0.05},
        {"0,098", "-0,00", "0", 0.098, 0},
        {"4,999", "12,34", "45", 4.999, 12.34},
        {"1.500", "0.25", "21", 1.5, 0.25},  // a full stop, as a spreadsheet saves it
    };
    for (const auto& c : cas) {
        const Journee j = LireJournee(Fichier({
            recording::LignesEnTeteA(EnTeteExemple()),
            {recording::LigneEnregistrement(recording::ModeContinu, "09:05:10  ", c.vVert, c.eoVert,
                                            "1,500", "0,08", c.temperature)},
        }));
        EXPECT_TRUE(j.anomalies.empty()) << c.vVert << " " << j.anomalies[0].message;
        ASSERT_EQ(j.series.at(0).enregistrements.size(), 1u) << c.vVert;
        EXPECT_EQ(j.series[0].enregistrements[0].vVert, c.v);
        EXPECT_EQ(j.series[0].enregistrements[0].eoVert, c.eo);
    }
}

TEST(FichierJournee, HeadersOutOfRangeAreReportedOnceAndTheirRecordsKeepOnlyTheirVoltages) {
    const struct {
        const char* cas;
        std::string date, pression, v0Vert, vnVert;
        size_t ligne;         // of the report; 0 for none
        std::string message;  // its beginning
        bool refusee;
        bool datee;
    } cas[] = {
        {"a sound header", "Vendredi 17 Octobre - ", "820", "2,00", "0,10", 0, "", false, true},
        {"the lowest pressure", "Vendredi 17 Octobre - ", "300", "2,00", "0,10", 0, "", false,
         true},
        {"the highest", "Vendredi 17 Octobre - ", "1100", "2,00", "0,10", 0, "", false, true},
        {"a pressure too high", "Vendredi 17 Octobre - ", "99999", "2,00", "0,10", 3,
         "pression de 99999 hPa hors de 300 à 1100 hPa", true, true},
        {"a pressure below zero", "Vendredi 17 Octobre - ", "-5", "2,00", "0,10", 3,
         "pression de -5 hPa hors de 300 à 1100 hPa", true, true},
        {"just below the range", "Vendredi 17 Octobre - ", "299", "2,00", "0,10", 3,
         "pression de 299 hPa", true, true},
        {"V0 nought", "Vendredi 17 Octobre - ", "820", "0", "0,10", 6,
         "V0 vert de 0,00 V non supérieur à Vn (0,10 V)", true, true},
        {"V0 equal to Vn", "Vendredi 17 Octobre - ", "820", "0,10", "0,10", 6,
         "V0 vert de 0,10 V non supérieur à Vn (0,10 V)", true, true},
        {"V0 above 5 V", "Vendredi 17 Octobre - ", "820", "5,01", "0,10", 6,
         "V0 vert de 5,01 V au-dessus de 5 V", true, true},
        {"V0 at 5 V", "Vendredi 17 Octobre - ", "820", "5,00", "0,10", 0, "", false, true},
        {"31 February", "Mardi 31 Février - ", "820", "2,00", "0,10", 1,
         "date impossible « 31 Février » : la série ne peut être datée", false, false},
        {"31 April", "Jeudi 31 Avril - ", "820", "2,00", "0,10", 1, "date impossible « 31 Avril »",
         false, false},
        {"29 February, for a leap year", "Jeudi 29 Février - ", "820", "2,00", "0,10", 0, "", false,
         true},
    };
    for (const auto& c : cas) {
        recording::EnTete e = EnTeteExemple(c.date);
        e.pression = c.pression;
        e.v0Vert = c.v0Vert;
        e.vnVert = c.vnVert;
        const Journee j = LireJournee(Fichier({
            recording::LignesEnTeteA(e),
            {Simple("12:30:30", "1,000", "1,000"), Simple("12:30:31", "1,100", "1,000")},
        }));
        if (c.ligne == 0) {
            EXPECT_TRUE(j.anomalies.empty()) << c.cas << ": " << j.anomalies[0].message;
        } else {
            ASSERT_EQ(j.anomalies.size(), 1u) << c.cas;
            EXPECT_EQ(j.anomalies[0].ligne, c.ligne) << c.cas;
            EXPECT_EQ(j.anomalies[0].message.rfind(c.message, 0), 0u)
                << c.cas << ": " << j.anomalies[0].message;
        }
        ASSERT_EQ(j.series.size(), 1u);
        EXPECT_EQ(j.series[0].enTete.valeursRefusees, c.refusee) << c.cas;
        ReglagesRecalcul reglages;
        reglages.site = {45.76, 4.84, 170, "UTC+2"};
        reglages.annee = 2024;  // 29 February 2024 was a Thursday
        const auto r = Recalculer(j, reglages);
        ASSERT_EQ(r.size(), 2u) << c.cas;
        for (const Resultat& x : r) {
            EXPECT_EQ(x.vVert, x.ligne == 9 ? 1.0 : 1.1) << c.cas;
            EXPECT_EQ(x.utc.has_value(), c.datee) << c.cas;
            const bool profondeurs = c.datee && !c.refusee;
            EXPECT_EQ(x.eoVert.has_value(), profondeurs) << c.cas;
            EXPECT_EQ(x.eoRouge.has_value(), profondeurs) << c.cas;
            EXPECT_EQ(x.angstrom.has_value(), profondeurs) << c.cas;
        }
    }
}

TEST(FichierJournee, AClockGoingBackMoreThanThreeHoursHasPassedMidnight) {
    const struct {
        const char* cas;
        std::vector<std::string> heures;
        std::vector<int> jours;
    } cas[] = {
        {"midnight", {"23:59:58", "00:00:01", "00:30:00"}, {0, 1, 1}},
        {"left on overnight", {"16:00:00", "17:00:00", "09:00:00", "10:00:00"}, {0, 0, 1, 1}},
        {"two nights", {"17:00:00", "09:00:00", "17:00:00", "09:00:00"}, {0, 1, 1, 2}},
        {"a clock set back twenty minutes", {"00:30:00", "00:10:00"}, {0, 0}},
        {"summer time ending", {"02:50:00", "02:05:00", "03:10:00"}, {0, 0, 0}},
        {"three hours back exactly", {"12:00:00", "09:00:00"}, {0, 0}},
        {"a second more", {"12:00:00", "08:59:59"}, {0, 1}},
    };
    for (const auto& c : cas) {
        std::vector<std::string> lignes = recording::LignesEnTeteA(EnTeteExemple());
        for (const auto& h : c.heures) lignes.push_back(Simple(h, "1,000", "1,000"));
        const Journee j = LireJournee(lignes);
        ASSERT_EQ(j.series.size(), 1u);
        std::vector<int> jours;
        for (const auto& r : j.series[0].enregistrements) jours.push_back(r.jours);
        EXPECT_EQ(jours, c.jours) << c.cas;
    }
}

// --- The file on disk ---

TEST(FichierJournee, AnythingButARegularFileIsRefusedWithoutWaiting) {
    Dossier d;
    const std::string tube = d.Fichier("tube");
    ASSERT_EQ(mkfifo(tube.c_str(), 0600), 0);
    const struct {
        std::string chemin;
        std::string message;
    } cas[] = {
        {tube, "n'est pas un fichier ordinaire (tube nommé)"},  // no writer: must not block
        {"/dev/zero", "n'est pas un fichier ordinaire (périphérique)"},
        {d.chemin, "n'est pas un fichier ordinaire (dossier)"},
        {d.Fichier("absent.txt"), "Fichier introuvable"},
    };
    for (const auto& c : cas) {
        const auto debut = std::chrono::steady_clock::now();
        try {
            LireFichierJournee(c.chemin);
            ADD_FAILURE() << c.chemin << " was read";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.chemin;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(2)) << c.chemin;
    }
}

TEST(FichierJournee, AFileReadAsAStreamGivesWhatTheWholeReadingKeeps) {
    Dossier d;
    const std::string chemin = d.Fichier("mesures.txt");
    // CR LF as the program writes, a line too long, and a last line without its end.
    std::string octets;
    for (const auto& l : Fichier({{recording::LigneCreation()},
                                  recording::LignesEnTeteA(EnTeteExemple()),
                                  {Simple("12:30:30", "1,000", "1,250")},
                                  {std::string(5000, 'z')},
                                  recording::LignesEnTeteB(EnTeteExemple("Lundi 6 Décembre - ")),
                                  {Simple("09:00:00", "1,500", "1,250")}}))
        octets += Utf8ToWindows1252(l) + "\r\n";
    octets += "Simple;09:00:01  ;1,600;0,50;1,300;0,60;21";
    std::ofstream(chemin, std::ios::binary) << octets;

    const Journee entiere = LireFichierJournee(chemin);
    ASSERT_EQ(entiere.series.size(), 2u);
    EXPECT_EQ(entiere.series[1].enregistrements.size(), 2u);
    ASSERT_EQ(entiere.anomalies.size(), 1u);
    EXPECT_EQ(entiere.anomalies[0].ligne, 11u);

    LecteurJournee lecteur;
    std::vector<std::pair<size_t, size_t>> enregistrements;  // series, line
    std::vector<size_t> anomalies;
    lecteur.OnEnregistrement = [&](size_t s, const Enregistrement& r) {
        // The header is complete by the series' first record.
        EXPECT_TRUE(lecteur.journee.series[s].enTete.v0Rouge);
        enregistrements.push_back({s, r.ligne});
    };
    lecteur.OnAnomalie = [&](const Anomalie& a) { anomalies.push_back(a.ligne); };
    LireFichierJournee(chemin, lecteur);
    EXPECT_EQ(enregistrements, (std::vector<std::pair<size_t, size_t>>{{0, 10}, {1, 20}, {1, 21}}));
    EXPECT_EQ(anomalies, std::vector<size_t>{11});
    ASSERT_EQ(lecteur.journee.series.size(), 2u);
    EXPECT_TRUE(lecteur.journee.series[1].enregistrements.empty());
    EXPECT_TRUE(lecteur.journee.anomalies.empty());
    EXPECT_EQ(lecteur.journee.series[1].enTete.date, "Lundi 6 Décembre - ");
}

long PicMemoireKo() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

TEST(FichierJournee, AStreamedReadingKeepsNoMoreMemoryForALargerFile) {
    if (Sanitiseurs) GTEST_SKIP() << "the sanitizers' memory hides the reader's";
    Dossier d;
    const std::string chemin = d.Fichier("grand.txt");
    {
        // About 40 MB: 900,000 records, a few of them damaged.
        std::ofstream f(chemin, std::ios::binary);
        for (const auto& l : recording::LignesEnTeteA(EnTeteExemple()))
            f << Utf8ToWindows1252(l) << "\r\n";
        const std::string ligne = Simple("12:30:30", "1,000", "1,250") + "\r\n";
        for (int i = 0; i < 900000; ++i) f << (i % 1000 == 0 ? "abimee\r\n" : ligne);
    }
    const long avant = PicMemoireKo();
    LecteurJournee lecteur;
    size_t enregistrements = 0, anomalies = 0;
    lecteur.OnEnregistrement = [&](size_t, const Enregistrement&) { ++enregistrements; };
    lecteur.OnAnomalie = [&](const Anomalie&) { ++anomalies; };
    LireFichierJournee(chemin, lecteur);
    EXPECT_EQ(enregistrements, 899100u);
    EXPECT_EQ(anomalies, 900u);
    // Kept whole, the records alone would take over 60 MB.
    EXPECT_LT(PicMemoireKo() - avant, 8 * 1024);
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
