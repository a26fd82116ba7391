// The day view's model on real files: what it plots, how it follows a file
// that grows, is replaced or truncated, and the Langley verdict.

#include "journee/modele.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "journee/canal.h"
#include "platform/textfile.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

namespace journee {
namespace {

// Appends lines as the main window does: Windows-1252, CR LF, flushed.
void Ajouter(const std::string& chemin, const std::vector<std::string>& lignes,
             const std::string& fin = "\r\n") {
    std::ofstream f(chemin, std::ios::binary | std::ios::app);
    for (const auto& l : lignes) f << Utf8ToWindows1252(l) << fin;
}

std::vector<std::string> Tranche(const std::vector<std::string>& v, size_t debut, size_t fin) {
    return {v.begin() + static_cast<long>(debut), v.begin() + static_cast<long>(fin)};
}

ReglagesModele AvecSite() {
    ReglagesModele r;
    r.site = SiteLyon;
    r.annee = 2026;
    return r;
}

TEST(ModeleJournee, WithASiteDepthsAreRecomputedAndTheSunShownWithoutOneTheRecordedOnes) {
    Dossier d;
    const std::string chemin = d.Fichier("lyon.txt");
    EcrireMatineeClaire(chemin, 2.12, 2.05);
    ModeleJournee avec(AvecSite());
    avec.Ouvrir(chemin);
    ASSERT_EQ(avec.Points().size(), 441u);
    const PointJournee& p = avec.Points().front();
    EXPECT_EQ(p.ligne, 9u);
    EXPECT_NEAR(p.heure, 8 + 20.0 / 60, 1e-9);  // local time, the clock's
    ASSERT_TRUE(p.elevation && p.eoVert && p.angstrom);
    // The file was written with τ 0.25 and 0.13 over the Rayleigh part.
    EXPECT_NEAR(*p.eoVert, 0.25 - 0.14, 0.03);
    EXPECT_GT(*p.elevation, 0);
    EXPECT_LT(*p.elevation, 10);

    ReglagesModele sans;
    sans.annee = 2026;
    ModeleJournee sansSite(sans);
    sansSite.Ouvrir(chemin);
    ASSERT_EQ(sansSite.Points().size(), 441u);
    const PointJournee& q = sansSite.Points().front();
    EXPECT_EQ(q.eoVert, 0.20);
    EXPECT_EQ(q.eoRouge, 0.10);
    EXPECT_FALSE(q.elevation);
    EXPECT_FALSE(sansSite.Resultats().front().masseAir);
    EXPECT_FALSE(PlageDemiJournee(sansSite.Resultats(), 0, DemiJournee::Matin));

    // Giving the site later computes everything again, reading nothing.
    sansSite.ChangerSite(SiteLyon);
    ASSERT_TRUE(sansSite.Points().front().elevation);
    EXPECT_DOUBLE_EQ(*sansSite.Points().front().elevation, *p.elevation);
}

TEST(ModeleJournee, SeriesAndModesAreToldApart) {
    Dossier d;
    const std::string chemin = d.Fichier("deux.txt");
    std::vector<std::string> lignes = {"SOLVENARE"};
    for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
    lignes.push_back("Simple;09:00:00  ;1,500;0,20;1,600;0,10;21");
    lignes.push_back("Continu;09:00:30  ;1,510;0,21;1,610;0,11;21");
    for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
    lignes.push_back("Simple;10:00:00  ;1,700;0,15;1,800;0,08;22");
    WriteTextFile(chemin, lignes);
    ModeleJournee m(AvecSite());
    m.Ouvrir(chemin);
    ASSERT_EQ(m.Points().size(), 3u);
    const struct {
        size_t serie;
        science::Mode mode;
        size_t ligne;
    } attendus[] = {{0, science::Mode::Simple, 10},
                    {0, science::Mode::Continu, 11},
                    {1, science::Mode::Simple, 20}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(m.Points()[i].serie, attendus[i].serie) << i;
        EXPECT_EQ(m.Points()[i].mode, attendus[i].mode) << i;
        EXPECT_EQ(m.Points()[i].ligne, attendus[i].ligne) << i;
    }
}

TEST(ModeleJournee, AGrowingFileIsReadOnlyWhereItGrew) {
    Dossier d;
    const std::string chemin = d.Fichier("direct.txt");
    const auto enregistrements = EnregistrementsMatineeClaire(2.12, 2.05);
    WriteTextFile(chemin, EnTeteMatineeClaire());
    ModeleJournee m(AvecSite());
    m.Ouvrir(chemin);
    EXPECT_TRUE(m.Points().empty());

    // Whole lines, then a line torn in two writes: it counts once, whole.
    Ajouter(chemin, Tranche(enregistrements, 0, 10));
    auto c = m.Actualiser();
    EXPECT_FALSE(c.tout);
    EXPECT_EQ(c.debut, 0u);
    EXPECT_EQ(m.Points().size(), 10u);
    const std::string moitie = enregistrements[10].substr(0, 15);
    Ajouter(chemin, {moitie}, "");
    c = m.Actualiser();
    EXPECT_EQ(c.debut, 10u);
    EXPECT_EQ(m.Points().size(), 10u) << "a torn line waits for its end";
    Ajouter(chemin, {enregistrements[10].substr(15)});
    Ajouter(chemin, Tranche(enregistrements, 11, enregistrements.size()));
    c = m.Actualiser();
    EXPECT_FALSE(c.tout);
    EXPECT_EQ(c.debut, 10u);

    // The same as a reading of the finished file.
    ModeleJournee entier(AvecSite());
    entier.Ouvrir(chemin);
    ASSERT_EQ(m.Points().size(), entier.Points().size());
    for (size_t i = 0; i < m.Points().size(); ++i) {
        EXPECT_EQ(m.Points()[i].ligne, entier.Points()[i].ligne);
        EXPECT_EQ(m.Points()[i].eoVert, entier.Points()[i].eoVert);
    }
    EXPECT_EQ(m.Journee().anomalies.size(), 0u);
    // Nothing new: nothing changes.
    c = m.Actualiser();
    EXPECT_FALSE(c.tout);
    EXPECT_EQ(c.debut, m.Points().size());
}

TEST(ModeleJournee, AFileReplacedTruncatedOrRewrittenUnderTheViewIsReadAgainWhole) {
    Dossier d;
    const std::string chemin = d.Fichier("f.txt");
    const auto enregistrements = EnregistrementsMatineeClaire(2.12, 2.05);
    auto avec = [&](size_t n) {
        auto l = EnTeteMatineeClaire();
        for (size_t i = 0; i < n; ++i) l.push_back(enregistrements[i]);
        return l;
    };
    const struct {
        const char* cas;
        std::function<void()> changer;
        size_t points;
    } cas[] = {
        {"replaced by another file",
         [&] {
             WriteTextFile(d.Fichier("autre.txt"), avec(5));
             std::rename(d.Fichier("autre.txt").c_str(), chemin.c_str());
         },
         5},
        {"truncated then written again", [&] { WriteTextFile(chemin, avec(3)); }, 3},
        {"emptied", [&] { WriteTextFile(chemin, {}); }, 0},
        {"rewritten in place, longer, from another first line",
         [&] {
             auto l = avec(60);
             l[0] = "-- Date     : Mardi 8 Décembre - ";
             WriteTextFile(chemin, l);
         },
         60},
    };
    for (const auto& c : cas) {
        WriteTextFile(chemin, avec(50));
        ModeleJournee m(AvecSite());
        m.Ouvrir(chemin);
        ASSERT_EQ(m.Points().size(), 50u);
        c.changer();
        const auto changement = m.Actualiser();
        EXPECT_TRUE(changement.tout) << c.cas;
        EXPECT_EQ(m.Points().size(), c.points) << c.cas;
        EXPECT_TRUE(m.Journee().anomalies.empty()) << c.cas;
    }
}

TEST(ModeleJournee, AFileThatDisappearsIsReportedAndFollowedAgainWhenBack) {
    Dossier d;
    const std::string chemin = d.Fichier("f.txt");
    EcrireMatineeClaire(chemin, 2.12, 2.05);
    ModeleJournee m(AvecSite());
    m.Ouvrir(chemin);
    std::remove(chemin.c_str());
    EXPECT_THROW(m.Actualiser(), EInOutError);
    EXPECT_EQ(m.Points().size(), 441u) << "what was shown stays";
    WriteTextFile(chemin, EnTeteMatineeClaire());
    EXPECT_TRUE(m.Actualiser().tout);
    EXPECT_TRUE(m.Points().empty());
}

TEST(ModeleJournee, TheBytesOfAFileAreReadAsTheCommandLineReadsThem) {
    Dossier d;
    const std::string chemin = d.Fichier("f.txt");
    // Saved again by an editor in UTF-8, the first record line cut by the
    // writer between two readings, then a line too long.
    std::string texte;
    for (const auto& l : EnTeteMatineeClaire()) texte += l + "\r\n";
    texte += "Simple;09:00:00  ;1,500;0,20;1,6";
    std::ofstream(chemin, std::ios::binary) << texte;
    ModeleJournee m(AvecSite());
    m.Ouvrir(chemin);
    EXPECT_TRUE(m.Points().empty());
    Ajouter(chemin,
            {"00;0,10;21", std::string(5000, 'x'), "Simple;09:00:30  ;1,500;0,20;1,600;0,10;21"},
            "\n");
    m.Actualiser();
    ASSERT_EQ(m.Points().size(), 2u);
    EXPECT_EQ(m.Points()[1].ligne, 11u);
    const auto& anomalies = m.Journee().anomalies;
    ASSERT_EQ(anomalies.size(), 2u);
    EXPECT_EQ(anomalies[0].ligne, 1u);  // "Décembre"
    EXPECT_EQ(anomalies[0].message, "fichier en UTF-8 : lu comme tel");
    EXPECT_EQ(anomalies[1].ligne, 10u);
    EXPECT_EQ(anomalies[1].message.rfind("ligne de plus de 4096 octets", 0), 0u);
}

TEST(ModeleJournee, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
    Dossier d;
    const std::string tube = d.Fichier("tube");
    ASSERT_EQ(mkfifo(tube.c_str(), 0600), 0);
    ModeleJournee m(AvecSite());
    try {
        m.Ouvrir(tube);
        ADD_FAILURE() << "a pipe was opened";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "n'est pas un fichier ordinaire (tube nommé)");
    }
}

TEST(ModeleJournee, ARefusedHeaderLeavesTheRecordedDepthsUnshown) {
    Dossier d;
    const std::string chemin = d.Fichier("f.txt");
    auto lignes = EnTeteMatineeClaire();
    lignes[2] = "-- Pression : 99999 hPa";
    lignes.push_back("Simple;09:00:00  ;1,500;0,20;1,600;0,10;21");
    WriteTextFile(chemin, lignes);
    for (const bool site : {true, false}) {
        ReglagesModele r = AvecSite();
        if (!site) r.site.reset();
        ModeleJournee m(r);
        m.Ouvrir(chemin);
        ASSERT_EQ(m.Points().size(), 1u);
        EXPECT_FALSE(m.Points()[0].eoVert) << site;
        EXPECT_FALSE(m.Points()[0].angstrom) << site;
        EXPECT_EQ(m.Resultats()[0].vVert, 1.5) << site;
        ASSERT_EQ(m.Journee().anomalies.size(), 1u);
        EXPECT_EQ(m.Journee().anomalies[0].ligne, 3u);
    }
}

TEST(Langley, AClearMorningIsGoodAndGivesItsV0Back) {
    Dossier d;
    EcrireMatineeClaire(d.Fichier("lyon.txt"), 2.12, 2.05);
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("lyon.txt"));
    const auto plage = PlageDemiJournee(m.Resultats(), 0, DemiJournee::Matin);
    ASSERT_TRUE(plage);
    EXPECT_EQ(plage->debut, 8 * 3600 + 1200);
    const Langley l = CalculerLangley(m.Resultats(), *plage);
    ASSERT_TRUE(l.vert.ajustement && l.rouge.ajustement);
    EXPECT_NEAR(l.vert.ajustement->v0, 2.12, 0.02);
    EXPECT_NEAR(l.rouge.ajustement->v0, 2.05, 0.02);
    EXPECT_TRUE(l.verdict.bon) << l.verdict.titre << " " << l.verdict.raisons.front();
    EXPECT_EQ(l.verdict.code, "ok");
    EXPECT_EQ(l.verdict.titre.rfind("Ciel assez stable de 08:20:00 à ", 0), 0u) << l.verdict.titre;
    EXPECT_EQ(l.verdict.raisons.size(), 2u);
    EXPECT_GE(l.vert.masseMax - l.vert.masseMin, 2);
}

TEST(Langley, TheVerdictSaysWhyARangeWillNotDo) {
    Dossier d;
    const struct {
        const char* cas;
        double bruit;
        double debut, fin;   // hours on the plot
        std::string raison;  // found in one of the reasons
        std::string code;
    } cas[] = {
        {"too short a range", 0.005, 10.0, 10.4, "étendue", "etendue+r2"},
        {"a hazy, changing sky", 0.06, 8.3, 12.0, "dispersion", "r2+dispersion"},
        {"only a sun too low", 0.005, 8.3, 8.8, "moins de trois points", "points"},
    };
    for (const auto& c : cas) {
        EcrireMatineeClaire(d.Fichier("m.txt"), 2.12, 2.05, c.bruit);
        ModeleJournee m(AvecSite());
        m.Ouvrir(d.Fichier("m.txt"));
        const auto plage = PlageHeures(m.Points(), m.Resultats(), c.debut, c.fin);
        ASSERT_TRUE(plage) << c.cas;
        const Langley l = CalculerLangley(m.Resultats(), *plage);
        EXPECT_FALSE(l.verdict.bon) << c.cas;
        EXPECT_EQ(l.verdict.code, c.code) << c.cas;
        EXPECT_NE(l.verdict.titre.find("insuffisante pour étalonner"), std::string::npos);
        bool trouve = false;
        for (const auto& r : l.verdict.raisons) trouve |= r.find(c.raison) != std::string::npos;
        EXPECT_TRUE(trouve) << c.cas << ": " << l.verdict.raisons.front();
    }
}

TEST(Langley, ADraggedRangeBelongsToTheSeriesWithMostRecordsInIt) {
    Dossier d;
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    lignes.push_back("Simple;09:00:00  ;1,500;0,20;1,600;0,10;21");
    for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
    lignes.push_back("Simple;09:10:00  ;1,500;0,20;1,600;0,10;21");
    lignes.push_back("Simple;09:20:00  ;1,500;0,20;1,600;0,10;21");
    WriteTextFile(d.Fichier("f.txt"), lignes);
    ModeleJournee m(AvecSite());
    m.Ouvrir(d.Fichier("f.txt"));
    const auto plage = PlageHeures(m.Points(), m.Resultats(), 9.5, 8.5);  // dragged leftwards
    ASSERT_TRUE(plage);
    EXPECT_EQ(plage->serie, 1u);
    EXPECT_EQ(plage->debut, 9 * 3600 + 600);
    EXPECT_EQ(plage->fin, 9 * 3600 + 1200);
    EXPECT_FALSE(PlageHeures(m.Points(), m.Resultats(), 13, 14));
}

TEST(Canal, MessagesReadBackAndForeignOnesAreRefused) {
    const ReportV0 r{"7", 2.1234, 1.98766};
    EXPECT_EQ(MessageV0(r), "V0;7;2.1234;1.9877\n");
    const auto lu = LireMessageV0(MessageV0(r));
    ASSERT_TRUE(lu);
    EXPECT_EQ(lu->photometre, "7");
    EXPECT_DOUBLE_EQ(lu->v0Vert, 2.1234);
    for (const char* mauvais : {"", "V0;7;2.1\n", "V1;7;2;2\n", "V0;7;deux;2\n", "V0;7;2;2;2\n"})
        EXPECT_FALSE(LireMessageV0(mauvais)) << mauvais;
    const auto ok = LireReponse(MessageReponse({true, "ligne\nunique"}));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->acceptee);
    EXPECT_EQ(ok->texte, "ligne unique");
    EXPECT_FALSE(LireReponse(MessageReponse({false, "non"}))->acceptee);
    EXPECT_FALSE(LireReponse("PEUT-ETRE;x\n"));
}

}  // namespace
}  // namespace journee

namespace journee {
namespace {

TEST(PointsADessiner, EachSliceKeepsItsFirstLowestHighestAndLastAndTheLineReachesTheEdges) {
    // 1,000 points over [0, 10): a sawtooth with one spike.
    std::vector<double> x, y;
    for (int i = 0; i < 1000; ++i) {
        x.push_back(i / 100.0);
        y.push_back(i == 555 ? 50 : i % 10);
    }
    const auto garde = PointsADessiner(x, y, 2, 8, 10);
    ASSERT_FALSE(garde.empty());
    EXPECT_EQ(garde.front(), 199u) << "the point before the range";
    EXPECT_EQ(garde.back(), 801u) << "the point after it";
    EXPECT_TRUE(std::is_sorted(garde.begin(), garde.end()));
    EXPECT_LE(garde.size(), 2 + 4 * 10u);
    EXPECT_NE(std::find(garde.begin(), garde.end(), 555u), garde.end()) << "the spike is drawn";
    // Every slice shows its lowest (0) and highest (9) values.
    for (int tranche = 0; tranche < 10; ++tranche) {
        bool bas = false, haut = false;
        for (size_t i : garde) {
            if (x[i] < 2 + tranche * 0.6 || x[i] >= 2 + (tranche + 1) * 0.6) continue;
            bas |= y[i] == 0;
            haut |= y[i] >= 9;
        }
        EXPECT_TRUE(bas && haut) << tranche;
    }
    // Few points: all of them; an empty range or curve: none.
    EXPECT_EQ(PointsADessiner(x, y, 2, 2.2, 10).size(), 21u + 2u);
    EXPECT_TRUE(PointsADessiner({}, {}, 0, 1, 10).empty());
    EXPECT_TRUE(PointsADessiner(x, y, 5, 5, 10).empty());
}

TEST(Eclaircie, AFollowedCurveIsThinnedAsIfWholeAtEveryStep) {
    // A curve growing by bursts, as a followed file does: before, inside and
    // beyond the range, across the count where every point stops being
    // drawn, with repeated instants, and with the range changed on the way.
    std::srand(7);
    std::vector<double> x, y;
    Eclaircie eclaircie;
    double t = 0, v = 0;
    double xmin = 2, xmax = 8;
    for (int rafale = 0; rafale < 400; ++rafale) {
        const int n = 1 + std::rand() % 40;
        for (int k = 0; k < n; ++k) {
            t += (std::rand() % 4) * 0.01;  // a quarter of the instants repeat
            v += (std::rand() % 21 - 10) * 0.1;
            x.push_back(t);
            y.push_back(v);
        }
        if (rafale == 250) {
            xmin = 1;
            xmax = 30;
        }
        const auto& suivie = eclaircie.Points(x, y, xmin, xmax, 12);
        ASSERT_EQ(suivie, PointsADessiner(x, y, xmin, xmax, 12))
            << "burst " << rafale << ", " << x.size() << " points";
    }
    EXPECT_GT(t, 30) << "the curve ran past the range";
}

}  // namespace
}  // namespace journee
