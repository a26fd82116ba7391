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

#include "archivage/saisons_archive.h"
#include "archive/importation.h"
#include "platform/textfile.h"
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

}  // namespace
