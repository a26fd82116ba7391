#include "platform/descripteur.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/dossier.h"

using namespace platform;

TEST(Descripteur, InterruptedCallsAreRetriedAndOtherFailuresReturned) {
    struct Cas {
        int interruptions;  // EINTR before the outcome
        int resultat, erreur;
        int appels;
    } cas[] = {{0, 5, 0, 1}, {3, 5, 0, 4}, {2, -1, EIO, 3}, {0, -1, EAGAIN, 1}};
    for (const Cas& c : cas) {
        int appels = 0;
        const int r = SansInterruption([&] {
            ++appels;
            errno = appels <= c.interruptions ? EINTR : c.erreur;
            return appels <= c.interruptions ? -1 : c.resultat;
        });
        EXPECT_EQ(r, c.resultat);
        EXPECT_EQ(appels, c.appels);
        if (r < 0) {
            EXPECT_EQ(errno, c.erreur);
        }
    }
}

TEST(Descripteur, OwnsItsDescriptorOnce) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        Descripteur lecture(fds[0]);
        Descripteur autre(std::move(lecture));
        EXPECT_FALSE(lecture.Valide());
        EXPECT_EQ(autre.Get(), fds[0]);
        Descripteur ecriture(fds[1]);
        EXPECT_EQ(ecriture.Fermer(), 0);
        EXPECT_EQ(ecriture.Fermer(), 0) << "closing twice closes nothing";
        EXPECT_EQ(fcntl(fds[1], F_GETFD), -1);
        EXPECT_NE(fcntl(fds[0], F_GETFD), -1) << "still open while owned";
    }
    EXPECT_EQ(fcntl(fds[0], F_GETFD), -1) << "closed when its owner goes";
}

TEST(Descripteur, FilesOpenWriteReadAndTruncate) {
    Dossier d;
    const std::string nom = d.Fichier("donnees.txt");
    struct Cas {
        Acces acces;
        int erreur;  // with no file yet, then with one
    } cas[] = {
        {Acces::Lecture, ENOENT},           {Acces::Ajout, ENOENT}, {Acces::CreationExclusive, 0},
        {Acces::CreationExclusive, EEXIST}, {Acces::Ajout, 0},      {Acces::Lecture, 0}};
    for (const Cas& c : cas) {
        Descripteur f;
        EXPECT_EQ(Ouvrir(nom, c.acces, f), c.erreur) << static_cast<int>(c.acces);
        EXPECT_EQ(f.Valide(), c.erreur == 0);
        if (f.Valide()) {
            EXPECT_NE(fcntl(f.Get(), F_GETFD) & FD_CLOEXEC, 0);
        }
    }

    Descripteur ajout;
    ASSERT_EQ(Ouvrir(nom, Acces::Ajout, ajout), 0);
    const std::string octets("SOLVENARE\r\n\0\xE9", 13);
    EXPECT_EQ(EcrireTout(ajout.Get(), octets), 0);
    EXPECT_EQ(EcrireTout(ajout.Get(), "fin"), 0);
    EXPECT_EQ(Synchroniser(ajout.Get()), 0);
    EXPECT_EQ(TailleReguliere(ajout.Get()), 16);
    EXPECT_EQ(Tronquer(ajout.Get(), 13), 0);
    EXPECT_EQ(ajout.Fermer(), 0);

    Descripteur lecture;
    ASSERT_EQ(Ouvrir(nom, Acces::Lecture, lecture), 0);
    std::string lu;
    EXPECT_EQ(LireTout(lecture.Get(), lu), 0);
    EXPECT_EQ(lu, octets);
    EXPECT_EQ(EcrireTout(lecture.Get(), "x"), EBADF) << "not open for writing";

    Descripteur nul;
    ASSERT_EQ(Ouvrir("/dev/null", Acces::Ajout, nul), 0);
    EXPECT_EQ(Synchroniser(nul.Get()), 0) << "a device has nothing to synchronise";
    EXPECT_FALSE(TailleReguliere(nul.Get()));

    EXPECT_EQ(Supprimer(nom), 0);
    EXPECT_EQ(Supprimer(nom), ENOENT);
}

// The folder never shows the file, whatever becomes of its descriptor.
TEST(Descripteur, AnUnnamedFileLeavesNothingBehind) {
    Dossier d;
    const auto entrees = [&] {
        return std::distance(std::filesystem::directory_iterator(d.chemin),
                             std::filesystem::directory_iterator());
    };
    {
        Descripteur f;
        ASSERT_EQ(OuvrirAnonyme(d.chemin, f), 0);
        EXPECT_NE(fcntl(f.Get(), F_GETFD) & FD_CLOEXEC, 0);
        EXPECT_EQ(entrees(), 0);
        EXPECT_EQ(EcrireTout(f.Get(), "rangs\r\n"), 0);
        ASSERT_EQ(lseek(f.Get(), 0, SEEK_SET), 0);
        std::string lu;
        EXPECT_EQ(LireTout(f.Get(), lu), 0);
        EXPECT_EQ(lu, "rangs\r\n");
    }
    EXPECT_EQ(entrees(), 0);

    Descripteur fichier;
    ASSERT_EQ(Ouvrir(d.Fichier("fichier"), Acces::CreationExclusive, fichier), 0);
    struct Cas {
        std::string dossier;
        int erreur;
    } cas[] = {{d.Fichier("absent"), ENOENT}, {d.Fichier("fichier"), ENOTDIR}};
    for (const Cas& c : cas) {
        Descripteur f;
        EXPECT_EQ(OuvrirAnonyme(c.dossier, f), c.erreur) << c.dossier;
        EXPECT_FALSE(f.Valide());
    }
}
