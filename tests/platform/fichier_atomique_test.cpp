#include "platform/fichier_atomique.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/flux_descripteur.h"
#include "tests/support/dossier.h"

using namespace platform;

namespace {

void Ecrire(int fd, const std::string& texte) {
    ASSERT_EQ(EcrireTout(fd, texte), 0);
}

size_t Entrees(const Dossier& d) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(d.chemin)) ++n;
    return n;
}

mode_t Mode(const std::string& chemin) {
    struct stat st {};
    ::stat(chemin.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(FichierAtomique, ReplacesTheFileNamedWholeAndLeavesNothingBeside) {
    const struct {
        const char* nom;
        bool existe, lien;
    } cas[] = {{"nouveau", false, false}, {"ancien", true, false}, {"par un lien", true, true}};
    for (const auto& c : cas) {
        Dossier d;
        const std::string vrai = d.Fichier("export.csv");
        if (c.existe) {
            std::ofstream(vrai) << "ancien contenu";
            chmod(vrai.c_str(), 0640);
        }
        const std::string cible = c.lien ? d.Fichier("lien.csv") : vrai;
        if (c.lien) {
            ASSERT_EQ(symlink("export.csv", cible.c_str()), 0);
        }
        const size_t avant = Entrees(d);
        {
            FichierAtomique f;
            ASSERT_EQ(f.Ouvrir(cible), 0) << c.nom;
            EXPECT_EQ(f.Temporaire().rfind(d.chemin + "/.export.csv.", 0), 0u) << f.Temporaire();
            Ecrire(f.Get(), "nouveau contenu");
            // Until it is put in place the old file is whole.
            EXPECT_EQ(LireOctets(vrai), c.existe ? "ancien contenu" : "") << c.nom;
            ASSERT_EQ(f.Valider(), 0) << c.nom;
        }
        EXPECT_EQ(LireOctets(vrai), "nouveau contenu") << c.nom;
        EXPECT_EQ(Entrees(d), c.existe ? avant : avant + 1) << c.nom;
        if (c.existe) {
            EXPECT_EQ(Mode(vrai), 0640u) << c.nom;
        }
        if (c.lien) {
            EXPECT_TRUE(std::filesystem::is_symlink(cible)) << c.nom;
        }
    }
}

TEST(FichierAtomique, AnExportLeftUnfinishedLeavesTheOldFileWhole) {
    Dossier d;
    const std::string cible = d.Fichier("export.csv");
    std::ofstream(cible) << "ancien contenu";
    {
        FichierAtomique f;
        ASSERT_EQ(f.Ouvrir(cible), 0);
        Ecrire(f.Get(), "à moitié");
    }
    EXPECT_EQ(LireOctets(cible), "ancien contenu");
    EXPECT_EQ(Entrees(d), 1u) << "the temporary file is removed";

    // Killed while writing: no cleanup runs, the old file is still whole.
    const pid_t enfant = fork();
    ASSERT_GE(enfant, 0);
    if (enfant == 0) {
        FichierAtomique f;
        if (f.Ouvrir(cible) != 0) _exit(3);
        EcrireTout(f.Get(), std::string(1 << 20, 'x'));
        kill(getpid(), SIGKILL);
        _exit(4);
    }
    int statut = 0;
    ASSERT_EQ(waitpid(enfant, &statut, 0), enfant);
    ASSERT_TRUE(WIFSIGNALED(statut));
    EXPECT_EQ(LireOctets(cible), "ancien contenu");
}

TEST(FichierAtomique, TargetsThatCannotBeReplacedAreRefusedOrWrittenInPlace) {
    Dossier d;
    const std::string fifo = d.Fichier("tube");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string cible;
        int erreur;
    } cas[] = {
        {d.chemin, EISDIR},
        {d.Fichier("absent/x.csv"), ENOENT},
        {fifo, ENXIO},  // nobody reads it: refused at once, no hang
        {"/dev/null", 0},
    };
    for (const auto& c : cas) {
        FichierAtomique f;
        EXPECT_EQ(f.Ouvrir(c.cible), c.erreur) << c.cible;
        if (c.erreur == 0) {
            EXPECT_EQ(f.Temporaire(), "");
            Ecrire(f.Get(), "rien");
            EXPECT_EQ(f.Valider(), 0);
        }
    }
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device is written to, never replaced";
}

TEST(FluxDescripteur, KeepsTheFirstErrorAndWritesNothingAfterIt) {
    // A full device and a pipe whose reader went away.
    FichierAtomique plein;
    ASSERT_EQ(plein.Ouvrir("/dev/full"), 0);
    {
        FluxDescripteur flux(plein.Get());
        std::ostream sortie(&flux);
        sortie << "quelques octets";
        EXPECT_EQ(flux.Erreur(), 0) << "still in the buffer";
        sortie.flush();
        EXPECT_EQ(flux.Erreur(), ENOSPC);
        EXPECT_TRUE(sortie.bad());
    }

    int tube[2];
    ASSERT_EQ(pipe(tube), 0);
    close(tube[0]);
    const auto ancien = signal(SIGPIPE, SIG_IGN);
    {
        FluxDescripteur flux(tube[1]);
        std::ostream sortie(&flux);
        sortie << std::string(200000, 'y');
        EXPECT_EQ(flux.Erreur(), EPIPE);
        EXPECT_EQ(flux.Vider(), EPIPE);
    }
    signal(SIGPIPE, ancien);
    close(tube[1]);
}

TEST(FluxDescripteur, SmallAndLargeWritesArriveInOrder) {
    Dossier d;
    Descripteur f;
    ASSERT_EQ(Ouvrir(d.Fichier("x"), Acces::Remplacement, f), 0);
    std::string attendu;
    {
        FluxDescripteur flux(f.Get());
        std::ostream sortie(&flux);
        for (size_t taille : {1u, 100u, 65535u, 3u, 200000u, 7u}) {
            const std::string morceau(taille, static_cast<char>('a' + taille % 26));
            sortie << morceau << '\n';
            attendu += morceau + '\n';
        }
        EXPECT_EQ(flux.Vider(), 0);
    }
    EXPECT_EQ(LireOctets(d.Fichier("x")), attendu);
}
