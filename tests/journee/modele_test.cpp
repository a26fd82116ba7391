// The day view's model on real files: what it plots, how it follows a file
// that grows, is replaced or truncated.

#include "journee/modele.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "journee/langley.h"
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
    // The file was written with an aerosol depth of 0.098, and 0.003 more
    // of haze at dawn; the 7 mV over Vn written to the millivolt are good to
    // 7 %, 0.003 at an air mass of 23.
    EXPECT_NEAR(*p.eoVert, 0.101, 0.004);
    EXPECT_GT(*p.elevation, 0);
    EXPECT_LT(*p.elevation, 10);

    ReglagesModele sans;
    sans.annee = 2026;
    ModeleJournee sansSite(sans);
    sansSite.Ouvrir(chemin);
    ASSERT_EQ(sansSite.Points().size(), 441u);
    const PointJournee& q = sansSite.Points().front();
    // As the instrument wrote them, with the elevation typed (15°) for a sun
    // at 1.3°: ln(2.12/d² / 0.007)/3.864 − 0.137 with d² = 0.970, and
    // ln(2.05/d² / 0.051)/3.864 − 0.058 red.
    EXPECT_EQ(q.eoVert, 1.35);
    EXPECT_EQ(q.eoRouge, 0.91);
    EXPECT_FALSE(q.elevation);
    EXPECT_FALSE(sansSite.Resultats().front().masseAir);
    EXPECT_FALSE(PlageDemiJournee(sansSite.Resultats(), 0, DemiJournee::Matin));

    // Giving the site later computes everything again, reading nothing.
    sansSite.ChangerSite(SiteLyon);
    ASSERT_TRUE(sansSite.Points().front().elevation);
    EXPECT_DOUBLE_EQ(*sansSite.Points().front().elevation, *p.elevation);

    // The station's pressure in place of the header's, as on the command line.
    ReglagesModele station = AvecSite();
    station.pression = 845;
    ModeleJournee aLaStation(station);
    aLaStation.Ouvrir(chemin);
    const auto& r = aLaStation.Resultats().front();
    ASSERT_TRUE(r.tauRayleighVert && avec.Resultats().front().tauRayleighVert);
    EXPECT_NEAR(*r.tauRayleighVert / *avec.Resultats().front().tauRayleighVert, 845.0 / 1008, 1e-9);
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

TEST(ModeleJournee, ScreeningLevelsFollowTheGrowingSeries) {
    Dossier d;
    const std::string chemin = d.Fichier("direct.txt");
    const auto enregistrements = EnregistrementsMatineeClaire(2.12, 2.05, 0.002);
    std::vector<std::string> lignes = {"SOLVENARE"};
    for (const auto& l : EnTeteMatineeClaire()) lignes.push_back(l);
    for (const auto& l : Tranche(enregistrements, 0, 100)) lignes.push_back(l);
    WriteTextFile(chemin, lignes);
    ModeleJournee m(AvecSite());
    m.Ouvrir(chemin);
    ASSERT_EQ(m.Resultats().size(), 100u);
    // A clear morning: only the three-sigma rule's tail of the noise is left out.
    size_t gardes = 0;
    for (const auto& r : m.Resultats()) {
        gardes += r.Niveau() == "1.5";
        if (r.Niveau() != "1.5") {
            EXPECT_EQ(r.Niveau() + "," + r.Filtre(), "1.0,trois_sigma");
        }
    }
    EXPECT_GE(gardes, 98u);

    // A second series, its 31st reading through a wisp of cloud (the green
    // voltage read as 1,000 V, the day's being above 1,4 V).
    Ajouter(chemin, EnTeteMatineeClaire());
    auto suite = Tranche(enregistrements, 100, 200);
    suite[30].replace(suite[30].find(";", 8) + 1, 5, "1,000");
    Ajouter(chemin, Tranche(suite, 0, 50));
    auto c = m.Actualiser();
    EXPECT_EQ(c.niveaux, 100u) << "the first series is left as it was";
    EXPECT_EQ(m.Resultats()[130].Filtre(), "triplet");
    EXPECT_EQ(m.Resultats()[130].Niveau(), "1.0");
    Ajouter(chemin, Tranche(suite, 50, 100));
    c = m.Actualiser();
    EXPECT_EQ(c.debut, 150u);
    EXPECT_EQ(c.niveaux, 100u) << "the growing series is screened again whole";

    // The same as a reading of the finished file.
    ModeleJournee entier(AvecSite());
    entier.Ouvrir(chemin);
    ASSERT_EQ(m.Resultats().size(), entier.Resultats().size());
    for (size_t i = 0; i < m.Resultats().size(); ++i) {
        EXPECT_EQ(m.Resultats()[i].Niveau(), entier.Resultats()[i].Niveau()) << i;
        EXPECT_EQ(m.Resultats()[i].Filtre(), entier.Resultats()[i].Filtre()) << i;
    }

    // Without a site there is no recomputed depth to screen.
    ReglagesModele sans;
    sans.annee = 2026;
    ModeleJournee sansSite(sans);
    sansSite.Ouvrir(chemin);
    for (const auto& r : sansSite.Resultats())
        EXPECT_EQ(r.Niveau() + "," + r.Filtre(), "1.0,sans_valeur") << r.ligne;
}

}  // namespace
}  // namespace journee
