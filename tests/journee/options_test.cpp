#include "journee/options.h"

#include <gtest/gtest.h>

namespace journee {
namespace {

TEST(Options, ReadsEveryOptionInBothSpellings) {
    const Options o =
        LireOptions({"mesures.txt", "--site", "-33.9,18.4,12", "--annee=2025", "--fuseau",
                     "Africa/Johannesburg", "--csv=-", "--langley", "06:30-09:45"});
    EXPECT_EQ(o.fichier, "mesures.txt");
    EXPECT_EQ(o.site, "-33.9,18.4,12");
    EXPECT_EQ(o.annee, 2025);
    EXPECT_EQ(o.fuseau, "Africa/Johannesburg");
    EXPECT_EQ(o.csv, "-");
    ASSERT_TRUE(o.langley);
    EXPECT_EQ(o.langley->first, 6 * 3600 + 30 * 60);
    EXPECT_EQ(o.langley->second, 9 * 3600 + 45 * 60);
    EXPECT_EQ(o.lambdaVert, 505);
    EXPECT_EQ(o.lambdaRouge, 625);
    const Options l = LireOptions({"a.txt", "--longueurs-onde", "500,670.5"});
    EXPECT_EQ(l.lambdaVert, 500);
    EXPECT_EQ(l.lambdaRouge, 670.5);
    const Options a =
        LireOptions({"a.txt", "--pression=845,5", "--ozone", "290", "--formule-programme"});
    EXPECT_EQ(a.pression, 845.5);
    EXPECT_EQ(a.ozone, 290);
    EXPECT_TRUE(a.formuleProgramme);
    EXPECT_FALSE(l.pression || l.ozone || l.formuleProgramme);
    EXPECT_TRUE(LireOptions({"--aide"}).aide);
    // Without an output option the day view opens, with or without a file.
    EXPECT_TRUE(VueJournee(LireOptions({})));
    EXPECT_FALSE(VueJournee(LireOptions({"a.txt", "--resume"})));
    // A day of the archive: the view, without a file.
    const Options j = LireOptions(
        {"--archive", "a.sqlite", "--jour=2026-12-07", "--instrument", "7", "--site", "45,4,170"});
    EXPECT_EQ(j.archive, "a.sqlite");
    EXPECT_EQ(j.jour, "2026-12-07");
    EXPECT_EQ(j.instrument, "7");
    EXPECT_TRUE(VueJournee(j) && j.fichier.empty());
    EXPECT_EQ(LireOptions({"a.txt", "--archive", "b.sqlite"}).archive, "b.sqlite");
    // A half-day's Langley: of the archive's day, or of a file's, dated or not.
    const struct {
        std::vector<std::string> arguments;
        std::string demi;
        std::optional<std::string> jour;
    } demis[] = {
        {{"--jour", "2026-12-07", "--demi-journee", "matin"}, "matin", std::nullopt},
        {{"--jour", "2026-12-07", "--demi-journee=2026-12-07,apres-midi"},
         "apres-midi",
         "2026-12-07"},
        {{"a.txt", "--demi-journee", "après-midi"}, "apres-midi", std::nullopt},
        {{"a.txt", "--demi-journee", "2026-04-12,matin"}, "matin", "2026-04-12"},
    };
    for (const auto& d : demis) {
        const Options o = LireOptions(d.arguments);
        EXPECT_EQ(o.demiJournee, d.demi);
        EXPECT_EQ(o.jourDemiJournee, d.jour);
    }
}

TEST(Options, BadCommandLinesAreNamedInFrench) {
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cas[] = {
        {{"--resume"}, "fichier de mesures manquant"},
        {{"a.txt", "b.txt"}, "un seul fichier de mesures : « b.txt » en trop"},
        {{"a.txt", "--vitesse", "3"}, "option inconnue : --vitesse"},
        {{"a.txt", "--csv"}, "--csv : valeur manquante"},
        {{"a.txt", "--csv="}, "--csv : nom de fichier vide"},
        {{"a.txt", "--annee", "03"}, "--annee : attendu AAAA, reçu « 03 »"},
        {{"a.txt", "--annee", "20x3"}, "--annee : « 20x3 » n'est pas de la forme attendue"},
        {{"a.txt", "--annee", "1899"}, "--annee : 1899 est trop ancienne"},
        {{"a.txt", "--longueurs-onde", "505"},
         "--longueurs-onde : attendu VERT,ROUGE en nm (505,625), reçu « 505 »"},
        {{"a.txt", "--longueurs-onde=505,505"},
         "--longueurs-onde : attendu VERT,ROUGE en nm (505,625), reçu « 505,505 »"},
        {{"a.txt", "--langley", "0630"}, "--langley : attendu HH:MM-HH:MM, reçu « 0630 »"},
        {{"a.txt", "--langley", "06:30-24:00"}, "--langley : « 24:00 » n'est pas une heure HH:MM"},
        {{"a.txt", "--langley", "6:30-09:00"}, "--langley : « 6:30 » n'est pas une heure HH:MM"},
        {{"a.txt", "--langley", "12:00-08:00"},
         "--langley : la plage « 12:00-08:00 » doit aller d'une heure à une heure plus tardive"},
        {{"a.txt", "--langley=09:15-09:15"},
         "--langley : la plage « 09:15-09:15 » doit aller d'une heure à une heure plus tardive"},
        {{"a.txt", "--pression", "250"},
         "--pression : attendu une pression de 300 à 1100 hPa, reçu « 250 »"},
        {{"a.txt", "--pression=mille"},
         "--pression : attendu une pression de 300 à 1100 hPa, reçu « mille »"},
        {{"a.txt", "--ozone", "900"},
         "--ozone : attendu une colonne d'ozone de 50 à 800 unités Dobson, reçu « 900 »"},
        {{"a.txt", "--longueurs-onde", "505,1100"},
         "--longueurs-onde : « 505,1100 » hors de 400 à 1000 nm"},
        {{"a.txt", "--longueurs-onde", "670,500"},
         "--longueurs-onde : la longueur d'onde du vert (670) doit être plus courte que celle du "
         "rouge (500)"},
        {{"--jour", "2026-02-30"}, "--jour : attendu une date AAAA-MM-JJ, reçu « 2026-02-30 »"},
        {{"--jour", "7/12/2026"}, "--jour : attendu une date AAAA-MM-JJ, reçu « 7/12/2026 »"},
        {{"--jour", "2026-1a-07"}, "--jour : « 2026-1a-07 » n'est pas de la forme attendue"},
        {{"a.txt", "--jour", "2026-12-07"},
         "--jour : le jour vient de l'archive, « a.txt » est en trop"},
        {{"--jour", "2026-12-07", "--resume"},
         "--jour : seulement pour la vue de la journée (solvenare-archive exporter donne le CSV "
         "de l'archive)"},
        {{"a.txt", "--csv", "-", "--archive", "b.sqlite"},
         "--archive : seulement pour la vue de la journée"},
        {{"a.txt", "--instrument", "7"}, "--instrument : seulement avec --jour"},
        {{"--archive="}, "--archive : valeur vide"},
        {{"a.txt", "--demi-journee", "soir"},
         "--demi-journee : attendu matin ou apres-midi (précédé de AAAA-MM-JJ, pour un fichier "
         "de plusieurs jours), reçu « soir »"},
        {{"a.txt", "--demi-journee", "2026-02-30,matin"},
         "--demi-journee : attendu une date AAAA-MM-JJ, reçu « 2026-02-30 »"},
        {{"a.txt", "--langley", "08:00-11:00", "--demi-journee", "matin"},
         "--demi-journee : seulement pour la vue de la journée (--langley HH:MM-HH:MM donne une "
         "droite sans fenêtre)"},
        {{"--demi-journee", "matin"},
         "--demi-journee : seulement avec un jour ouvert dans la vue (FICHIER ou --jour)"},
        {{"--jour", "2026-12-07", "--demi-journee", "2026-12-08,matin"},
         "--demi-journee : le 2026-12-08 n'est pas le jour de --jour (2026-12-07)"},
    };
    for (const auto& c : cas) {
        try {
            LireOptions(c.arguments);
            ADD_FAILURE() << c.message;
        } catch (const ErreurArguments& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

}  // namespace
}  // namespace journee
