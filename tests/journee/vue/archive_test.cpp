// The day view and the archive, on real files: what it follows is added as
// it comes (and nothing when unchecked, nothing made when there is no
// archive), a busy or read-only archive is said once and the view goes on,
// and a day rebuilt from the archive shows the curves of its file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <filesystem>
#include <fstream>

#include "archive/importation.h"
#include "journee/jour_archive.h"
#include "journee/ligne_etat.h"
#include "platform/textfile.h"
#include "tests/journee/vue/outils.h"

namespace journee {
namespace {

constexpr char VariableEnfant[] = "SOLVENARE_TEST_ARCHIVE_DOSSIER";

int64_t Enregistrements(const std::string& chemin) {
    archive::Archive a(chemin, archive::Acces::Lecture);
    return a.Base().Entier("SELECT count(*) FROM mesures");
}

void CreerArchive(const std::string& chemin) {
    archive::Archive a(chemin, archive::Acces::Ecriture);
}

// The clear morning's header and its first `n` records; the rest to add.
struct FichierQuiGrandit {
    std::string chemin;
    std::vector<std::string> restants;
    size_t ecrits = 0;
    FichierQuiGrandit(std::string c, size_t n) : chemin(std::move(c)) {
        std::vector<std::string> lignes = EnTeteMatineeClaire();
        restants = EnregistrementsMatineeClaire(2.12, 2.05);
        lignes.insert(lignes.end(), restants.begin(), restants.begin() + static_cast<long>(n));
        restants.erase(restants.begin(), restants.begin() + static_cast<long>(n));
        ecrits = n;
        WriteTextFile(chemin, lignes);
    }
    void Ajouter(size_t n) {
        std::ofstream f(chemin, std::ios::binary | std::ios::app);
        for (size_t i = 0; i < n && !restants.empty(); ++i, ++ecrits) {
            const std::string ligne = Utf8ToWindows1252(restants.front()) + "\r\n";
            f << ligne;
            restants.erase(restants.begin());
        }
    }
};

struct VueSuivie {
    Dossier dossier;
    std::string archive = dossier.Fichier("archive.sqlite");
    FichierQuiGrandit fichier{dossier.Fichier("lyon.txt"), 100};
    std::unique_ptr<FenetreJournee> vue;
    explicit VueSuivie(bool avecArchive, bool avecSite = true) {
        if (avecArchive) CreerArchive(archive);
        vue = std::make_unique<FenetreJournee>(ReglagesLyon(avecSite),
                                               QString::fromStdString(dossier.chemin));
        vue->ChoisirArchive(archive, true);
        vue->Ouvrir(QString::fromStdString(fichier.chemin));
        vue->show();
    }
};

TEST(VueEtArchive, CeQuiEstSuiviEstAjouteSaufSiDecoche) {
    VueSuivie v(true);
    EXPECT_TRUE(v.vue->ActionAjoutArchive()->isEnabled());
    EXPECT_TRUE(v.vue->ActionAjoutArchive()->isChecked()) << "on by default";
    EXPECT_EQ(Enregistrements(v.archive), 100) << "the file opened is added at once";

    v.fichier.Ajouter(40);
    ASSERT_TRUE(Attendre([&] { return Enregistrements(v.archive) == 140; }));
    v.fichier.Ajouter(3);
    ASSERT_TRUE(Attendre([&] { return Enregistrements(v.archive) == 143; }));
    EXPECT_TRUE(v.vue->AvisArchive().isEmpty());

    // Unchecked: the view follows, the archive stays as it was.
    v.vue->ActionAjoutArchive()->setChecked(false);
    v.fichier.Ajouter(20);
    ASSERT_TRUE(Attendre([&] { return v.vue->Modele().Points().size() == 163; }));
    Attendre([] { return false; }, 1500);
    EXPECT_EQ(Enregistrements(v.archive), 143);
    // Checked again: what came meanwhile is added.
    v.vue->ActionAjoutArchive()->setChecked(true);
    EXPECT_EQ(Enregistrements(v.archive), 163);

    // What the view added is what the command line would: importing the
    // file again adds nothing.
    archive::Archive a(v.archive, archive::Acces::Ecriture);
    archive::ReglagesImport r;
    r.site = SiteLyon;
    r.annee = 2026;
    EXPECT_EQ(archive::ImporterFichier(a, v.fichier.chemin, r).issue, archive::Issue::DejaLa);
    EXPECT_EQ(v.vue->ArgumentsSaisons(),
              QStringList({"--archive", QString::fromStdString(v.archive)}));
}

TEST(VueEtArchive, SansArchiveRienNEstCree) {
    VueSuivie v(false);
    EXPECT_FALSE(v.vue->ActionAjoutArchive()->isEnabled());
    EXPECT_NE(v.vue->ActionAjoutArchive()->toolTip().indexOf("solvenare-archive importer"), -1);
    v.fichier.Ajouter(30);
    ASSERT_TRUE(Attendre([&] { return v.vue->Modele().Points().size() == 130; }));
    Attendre([] { return false; }, 1200);
    EXPECT_FALSE(std::filesystem::exists(v.archive));
    EXPECT_TRUE(v.vue->AvisArchive().isEmpty());
    EXPECT_TRUE(v.vue->ActionSaisons()->isEnabled());
}

// Something else where the archive should be: said once, left untouched.
TEST(VueEtArchive, PasUneArchiveEstDitEtLaisse) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    EcrireMatineeClaire(chemin, 2.0, 2.0);  // a data file given by mistake
    const std::string avant = LireOctets(chemin);
    FichierQuiGrandit fichier(d.Fichier("lyon.txt"), 50);
    FenetreJournee vue(ReglagesLyon(), QString::fromStdString(d.chemin));
    vue.ChoisirArchive(chemin, true);
    vue.Ouvrir(QString::fromStdString(fichier.chemin));
    vue.show();
    EXPECT_NE(vue.AvisArchive().indexOf("ce n'est pas une archive"), -1)
        << vue.AvisArchive().toStdString();
    fichier.Ajouter(10);
    ASSERT_TRUE(Attendre([&] { return vue.Modele().Points().size() == 60; }));
    Attendre([] { return false; }, 1200);
    EXPECT_EQ(LireOctets(chemin), avant);
}

// The archive dates its records by the site: without one it waits, and
// the site saved in the form brings the lines in without the file growing.
TEST(VueEtArchive, SansSiteLArchiveAttendLeSite) {
    VueSuivie v(true, false);
    EXPECT_NE(v.vue->AvisArchive().indexOf("site de mesure"), -1);
    EXPECT_EQ(Enregistrements(v.archive), 0);
    v.vue->EntreeLatitude()->setText("45,764");
    v.vue->EntreeLongitude()->setText("4,8357");
    v.vue->EntreeAltitude()->setText("170");
    v.vue->EntreeFuseau()->setCurrentText("UTC+1");
    ASSERT_TRUE(v.vue->EnregistrerSite());
    EXPECT_EQ(Enregistrements(v.archive), 100);
    EXPECT_TRUE(v.vue->AvisArchive().isEmpty());
}

// Another program holds the write lock: said once, the view goes on, and
// the lines come in once it lets go.
TEST(VueEtArchive, ArchiveOccupeeDiteUneFoisPuisRattrapee) {
    VueSuivie v(true);
    ASSERT_EQ(Enregistrements(v.archive), 100);
    auto autre = std::make_unique<archive::Archive>(v.archive, archive::Acces::Ecriture);
    auto verrou = std::make_unique<archive::Transaction>(autre->Base());
    v.fichier.Ajouter(10);
    ASSERT_TRUE(Attendre([&] { return !v.vue->AvisArchive().isEmpty(); }));
    EXPECT_NE(v.vue->AvisArchive().indexOf("occupée"), -1) << v.vue->AvisArchive().toStdString();
    EXPECT_EQ(v.vue->statusBar()->currentMessage(), v.vue->AvisArchive());
    v.vue->statusBar()->clearMessage();
    v.fichier.Ajouter(10);
    ASSERT_TRUE(Attendre([&] { return v.vue->Modele().Points().size() == 120; }));
    Attendre([] { return false; }, 1300);
    EXPECT_TRUE(v.vue->statusBar()->currentMessage().isEmpty()) << "said once";
    verrou.reset();
    autre.reset();
    v.fichier.Ajouter(1);
    ASSERT_TRUE(Attendre([&] { return Enregistrements(v.archive) == 121; }));
    EXPECT_TRUE(v.vue->AvisArchive().isEmpty());
}

// Run in a child without root's privileges: the archive's folder and file
// are then truly read-only to it.
TEST(VueEtArchive, ArchiveEnLectureSeule) {
    if (const char* dossier = std::getenv(VariableEnfant)) {
        const std::string archive = std::string(dossier) + "/archive.sqlite";
        FichierQuiGrandit fichier(std::string(dossier) + "/ecrit/lyon.txt", 100);
        FenetreJournee vue(ReglagesLyon(), dossier);
        vue.ChoisirArchive(archive, false);
        vue.Ouvrir(QString::fromStdString(fichier.chemin));
        vue.show();
        EXPECT_NE(vue.AvisArchive().indexOf("lecture seule"), -1)
            << vue.AvisArchive().toStdString();
        fichier.Ajouter(20);
        EXPECT_TRUE(Attendre([&] { return vue.Modele().Points().size() == 120; }))
            << "the view goes on";
        EXPECT_EQ(Enregistrements(archive), 0);
        return;
    }
    if (getuid() != 0) GTEST_SKIP() << "needs root to run the child as another user";
    Dossier d;
    CreerArchive(d.Fichier("archive.sqlite"));
    std::filesystem::create_directories(d.Fichier("ecrit"));
    chmod(d.chemin.c_str(), 0755);
    chmod(d.Fichier("ecrit").c_str(), 0777);
    chmod(d.Fichier("archive.sqlite").c_str(), 0644);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string programme = "/proc/self/exe";
    std::string filtre =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    const std::string erreurs = d.Fichier("ecrit/erreurs.txt");
    const pid_t enfant = fork();
    if (enfant == 0) {
        setenv(VariableEnfant, d.chemin.c_str(), 1);
        setenv("HOME", d.Fichier("ecrit").c_str(), 1);
        const int err = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(err, 1);
        dup2(err, 2);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(123);
        execl(programme.c_str(), programme.c_str(), filtre.c_str(), nullptr);
        _exit(127);
    }
    int statut = 0;
    waitpid(enfant, &statut, 0);
    EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << LireOctets(erreurs);
    EXPECT_NE(LireOctets(erreurs).find("[  PASSED  ] 1 test"), std::string::npos)
        << LireOctets(erreurs);
}

// `--archive A --jour J` shows what opening the file itself shows.
TEST(VueEtArchive, UnJourDeLArchiveMontreLesCourbesDeSonFichier) {
    Dossier d;
    const std::string fichier = d.Fichier("lyon.txt"), chemin = d.Fichier("archive.sqlite");
    EcrireMatineeClaire(fichier, 2.12, 2.05);
    {
        archive::Archive a(chemin, archive::Acces::Ecriture);
        archive::ReglagesImport r;
        r.site = SiteLyon;
        r.annee = 2026;
        r.ozone = 310;
        archive::ImporterFichier(a, fichier, r);
    }
    ReglagesModele reglages = ReglagesLyon();
    reglages.ozone = 310;
    FenetreJournee surLeFichier(reglages, QString::fromStdString(d.chemin));
    surLeFichier.Ouvrir(QString::fromStdString(fichier));
    // The file gone: the archive still holds the day.
    std::filesystem::remove(fichier);
    FenetreJournee depuisArchive(ReglagesModele{}, QString::fromStdString(d.chemin));
    depuisArchive.MontrerJourArchive(
        LireJourArchive(chemin, science::Date{2026, 12, 7}, std::string("7"), std::nullopt),
        QString::fromStdString(chemin));
    surLeFichier.show();
    depuisArchive.show();

    ASSERT_EQ(depuisArchive.Modele().Points().size(), surLeFichier.Modele().Points().size());
    ASSERT_GT(surLeFichier.Modele().Points().size(), 400u);
    for (size_t i = 0; i < surLeFichier.Modele().Points().size(); ++i) {
        const PointJournee& a = surLeFichier.Modele().Points()[i];
        const PointJournee& b = depuisArchive.Modele().Points()[i];
        ASSERT_EQ(a.heure, b.heure) << i;
        ASSERT_EQ(a.eoVert, b.eoVert) << i;
        ASSERT_EQ(a.eoRouge, b.eoRouge) << i;
        ASSERT_EQ(a.angstrom, b.angstrom) << i;
    }
    // Every curve of the plot, point for point.
    const auto courbes = [](FenetreJournee& f) {
        std::vector<std::pair<QString, QList<QPointF>>> c;
        for (QAbstractSeries* s : f.VueJour()->chart()->series())
            if (auto* xy = qobject_cast<QXYSeries*>(s)) c.emplace_back(xy->name(), xy->points());
        // The order the chart was given them in is no part of the picture.
        std::sort(c.begin(), c.end(), [](const auto& a, const auto& b) {
            if (a.first != b.first) return a.first < b.first;
            if (a.second.size() != b.second.size()) return a.second.size() < b.second.size();
            return !a.second.empty() && a.second.front().x() < b.second.front().x();
        });
        return c;
    };
    const auto attendues = courbes(surLeFichier);
    EXPECT_GT(attendues.size(), 2u);
    EXPECT_TRUE(courbes(depuisArchive) == attendues);
    EXPECT_NE(depuisArchive.windowTitle().indexOf("depuis l'archive"), -1);
    EXPECT_NE(depuisArchive.EtatFichier()->text().indexOf("depuis l'archive"), -1);
    EXPECT_FALSE(depuisArchive.ActionAjoutArchive()->isEnabled());

    // A day the archive does not hold: said, the view stays open.
    FenetreJournee absent(ReglagesModele{}, QString::fromStdString(d.chemin));
    try {
        absent.MontrerJourArchive(
            LireJourArchive(chemin, science::Date{2026, 12, 8}, std::nullopt, std::nullopt),
            QString::fromStdString(chemin));
        ADD_FAILURE() << "no such day";
    } catch (const archive::ErreurArchive& e) {
        EXPECT_NE(std::string(e.what()).find("aucune mesure le 2026-12-08"), std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace journee
