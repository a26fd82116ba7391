// The seasons window on a real archive file, as solvenare-archive opens it
// without a command: nothing created by looking, F5 reading a new import, and
// the program itself opening on the offscreen platform.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <filesystem>
#include <fstream>
#include <functional>

#include "archivage/ouverture_jour.h"
#include "archivage/saisons_archive.h"
#include "archive/importation.h"
#include "journee/options.h"
#include "platform/textfile.h"
#include "science/site.h"
#include "tests/support/dossier.h"
#include "tests/support/matinee.h"

using namespace saisons;

namespace {

// The clear morning, dated `date` ("Mardi 8 Décembre").
void EcrireJour(const std::string& chemin, const std::string& date) {
    std::vector<std::string> lignes = EnTeteMatineeClaire();
    lignes[0] = "-- Date     : " + date + " - ";
    for (auto& l : EnregistrementsMatineeClaire(2.12, 2.05)) lignes.push_back(std::move(l));
    WriteTextFile(chemin, lignes);
}

void Importer(const std::string& archive, const std::string& fichier) {
    archive::Archive a(archive, archive::Acces::Ecriture);
    archive::ReglagesImport r;
    r.site = SiteLyon;
    r.annee = 2026;
    archive::ImporterFichier(a, fichier, r);
}

TEST(SaisonsDeLArchive, RienNEstCreeEnRegardantEtF5RelitLArchive) {
    Dossier d;
    const std::string chemin = d.Fichier("archive.sqlite");
    FenetreSaisons f(archivage::SourceArchive(chemin));
    EXPECT_NE(f.TexteVide().indexOf("Pas encore d'archive"), -1) << f.TexteVide().toStdString();
    EXPECT_NE(f.TexteVide().indexOf(QString::fromStdString(chemin)), -1)
        << "the sentence says where the archive would be";
    EXPECT_FALSE(std::filesystem::exists(chemin));

    EcrireJour(d.Fichier("j7.txt"), "Lundi 7 Décembre");
    Importer(chemin, d.Fichier("j7.txt"));
    f.show();
    // Fichier, Actualiser: its shortcut is F5.
    QAction* actualiser = nullptr;
    for (QAction* action : f.findChildren<QAction*>())
        if (action->shortcut() == QKeySequence(Qt::Key_F5)) actualiser = action;
    ASSERT_NE(actualiser, nullptr);
    actualiser->trigger();
    ASSERT_EQ(f.JoursMontres().size(), 1u);
    EXPECT_EQ(f.JoursMontres()[0].jour.jour, 7);
    EXPECT_TRUE(f.TexteVide().isEmpty());

    EcrireJour(d.Fichier("j8.txt"), "Mardi 8 Décembre");
    Importer(chemin, d.Fichier("j8.txt"));
    f.Actualiser();
    ASSERT_EQ(f.JoursMontres().size(), 2u);
    EXPECT_EQ(f.JoursMontres()[1].jour.jour, 8);
    EXPECT_EQ(f.JoursMontres()[1].instrument, "7");

    // Something else in its place: said, and left as it is.
    std::filesystem::remove(chemin);
    WriteTextFile(chemin, std::vector<std::string>(10, "pas une archive du tout, des mots"));
    const std::string avant = LireOctets(chemin);
    f.Actualiser();
    EXPECT_NE(f.TexteVide().indexOf("Impossible de lire l'archive"), -1);
    EXPECT_EQ(LireOctets(chemin), avant);
}

// solvenare-archive with no command, on the offscreen platform: it opens its
// window and runs until told to stop; no archive is made.
TEST(SaisonsDeLArchive, LeProgrammeSansCommandeOuvreLaFenetre) {
    for (const bool avecArchive : {false, true}) {
        Dossier d;
        const std::string chemin = d.Fichier("a.sqlite");
        if (avecArchive) {
            EcrireJour(d.Fichier("j7.txt"), "Lundi 7 Décembre");
            Importer(chemin, d.Fichier("j7.txt"));
        }
        const std::string erreurs = d.Fichier("erreurs.txt");
        const pid_t enfant = fork();
        if (enfant == 0) {
            if (chdir(d.chemin.c_str()) != 0) _exit(120);
            const int err = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", d.chemin.c_str(), 1);
            execl(SOLVENARE_ARCHIVE, SOLVENARE_ARCHIVE, "--archive", chemin.c_str(), nullptr);
            _exit(122);
        }
        // Still there after a while: its window is open and waiting.
        int statut = 0;
        pid_t fini = 0;
        for (int i = 0; i < 30 && fini == 0; ++i) {
            usleep(50000);
            fini = waitpid(enfant, &statut, WNOHANG);
        }
        EXPECT_EQ(fini, 0) << "ended early: " << LireOctets(erreurs);
        if (fini == 0) {
            kill(enfant, SIGTERM);
            waitpid(enfant, &statut, 0);
            EXPECT_TRUE(WIFSIGNALED(statut) && WTERMSIG(statut) == SIGTERM);
        }
        EXPECT_EQ(std::filesystem::exists(chemin), avecArchive);
        EXPECT_EQ(LireOctets(erreurs).find("solvenare-archive :"), std::string::npos)
            << LireOctets(erreurs);
    }
}

// The command a click starts, on real files: the file itself while it holds
// the bytes imported, else the day rebuilt from the archive; the real day
// view then opens on it and, on the file, adds nothing twice.
TEST(SaisonsDeLArchive, CommandeDUnClic) {
    const struct {
        const char* quoi;
        std::function<void(const std::string&)> changer;
        bool fichier;
    } cas[] = {
        {"présent", [](const std::string&) {}, true},
        {"agrandi",
         [](const std::string& f) {
             std::ofstream(f, std::ios::binary | std::ios::app)
                 << "Simple;12:00:30  ;1,000;0,20;1,000;0,10;21\r\n";
         },
         true},
        {"changé",
         [](const std::string& f) {
             std::string octets = LireOctets(f);
             octets[octets.size() / 2] = octets[octets.size() / 2] == '1' ? '2' : '1';
             std::ofstream(f, std::ios::binary | std::ios::trunc) << octets;
         },
         false},
        {"disparu", [](const std::string& f) { std::filesystem::remove(f); }, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        Dossier d;
        const std::string fichier = d.Fichier("j7.txt"), chemin = d.Fichier("a.sqlite");
        EcrireJour(fichier, "Lundi 7 Décembre");
        {
            archive::Archive a(chemin, archive::Acces::Ecriture);
            archive::ReglagesImport r;
            r.site = science::Site{45.764, 4.8357, 170.5, "Europe/Paris"};
            r.annee = 2026;
            r.ozone = 312.25;
            archive::ImporterFichier(a, fichier, r);
        }
        c.changer(fichier);
        archive::Archive a(chemin, archive::Acces::Lecture);
        const auto jours = archive::Jours(a, {});
        ASSERT_EQ(jours.size(), 1u);
        const archivage::SourceJour source = archivage::TrouverSource(a, jours[0]);
        const std::vector<std::string> commande = archivage::CommandeJour(chemin, jours[0], source);
        ASSERT_FALSE(commande.empty());
        const journee::Options o = journee::LireOptions(commande);
        EXPECT_TRUE(journee::VueJournee(o));
        EXPECT_EQ(o.archive, chemin);
        if (c.fichier) {
            EXPECT_EQ(o.fichier, std::filesystem::weakly_canonical(fichier).string());
            EXPECT_FALSE(o.jour);
            // The settings read back exactly as they were imported.
            const science::Site site = science::SiteDepuisArgument(*o.site);
            EXPECT_EQ(site.latitude, 45.764);
            EXPECT_EQ(site.longitude, 4.8357);
            EXPECT_EQ(site.altitude, 170.5);
            EXPECT_EQ(o.fuseau, "Europe/Paris");
            EXPECT_EQ(o.annee, 2026);
            EXPECT_EQ(o.ozone, 312.25);
        } else {
            EXPECT_TRUE(o.fichier.empty());
            EXPECT_EQ(o.jour, "2026-12-07");
            EXPECT_EQ(o.instrument, "7");
            EXPECT_EQ(o.site, jours[0].site);
        }
        // A half-day of the calibration tab: the same, on its Langley; dated
        // for a file, which may hold several days.
        const std::vector<std::string> commandeDemi =
            archivage::CommandeJour(chemin, jours[0], source, science::DemiJour::ApresMidi);
        const journee::Options od = journee::LireOptions(commandeDemi);
        EXPECT_EQ(std::vector(commandeDemi.begin(), commandeDemi.end() - 2), commande);
        EXPECT_EQ(od.demiJournee, "apres-midi");
        EXPECT_EQ(od.jourDemiJournee,
                  c.fichier ? std::optional<std::string>("2026-12-07") : std::nullopt);

        // The real day view on that command stays open; on the file, what it
        // adds to the archive is only what the file gained.
        const int64_t series = a.Base().Entier("SELECT max(id) FROM series");
        const std::string erreurs = d.Fichier("erreurs.txt");
        const pid_t enfant = fork();
        if (enfant == 0) {
            if (chdir(d.chemin.c_str()) != 0) _exit(120);
            const int err = open(erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(err, 2);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", d.chemin.c_str(), 1);
            std::vector<char*> argv = {const_cast<char*>(SOLVENARE_JOURNEE)};
            // Every other case on a half-day: the real view takes that command too.
            const bool demi = (&c - cas) % 2 == 1;
            for (const auto& x : demi ? commandeDemi : commande)
                argv.push_back(const_cast<char*>(x.c_str()));
            argv.push_back(nullptr);
            execv(SOLVENARE_JOURNEE, argv.data());
            _exit(122);
        }
        int statut = 0;
        pid_t fini = 0;
        for (int i = 0; i < 30 && fini == 0; ++i) {
            usleep(50000);
            fini = waitpid(enfant, &statut, WNOHANG);
        }
        EXPECT_EQ(fini, 0) << "ended early: " << LireOctets(erreurs);
        if (fini == 0) {
            kill(enfant, SIGTERM);
            waitpid(enfant, &statut, 0);
        }
        EXPECT_EQ(a.Base().Entier("SELECT max(id) FROM series"), series)
            << "the file was not imported again whole";
        EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM fichiers"), 1);
        if (std::string(c.quoi) == "agrandi") {
            EXPECT_EQ(a.Base().Entier("SELECT count(*) FROM mesures"),
                      jours[0].enregistrements + 1);
        }
    }
}

}  // namespace
