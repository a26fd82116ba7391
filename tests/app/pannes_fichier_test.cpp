// Faults of the data file while measuring: its folder turns read-only, the
// file is removed, the disk is full. Real file systems: a read-only bind
// mount and a small tmpfs, in a mount namespace of the test's own.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <cstring>

#include "platform/textfile.h"
#include "tests/app/pannes_fixture.h"
#include "tests/support/pty_pair.h"

using toolkit::TSaveDialog;

namespace {

using namespace std::chrono_literals;
using simulateur::Mode;

// The system's French texts the messages quote.
const std::string Plein = "aucun espace disponible sur le périphérique";
const std::string LectureSeule = "système de fichiers accessible en lecture seulement";

// Set in the child that runs a test again inside its own mount namespace.
const char* const VariableEspacePrive = "SOLVENARE_ESPACE_PRIVE";
constexpr int SansEspacePrive = 97;

bool EcrireFichier(const char* chemin, const char* texte) {
    const int fd = open(chemin, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const auto longueur = static_cast<ssize_t>(std::strlen(texte));
    const bool fait = write(fd, texte, static_cast<size_t>(longueur)) == longueur;
    close(fd);
    return fait;
}

// How the child that runs a test again in its own mount namespace ended.
struct Relance {
    int statut = -1;  // its exit status, -1 when killed or not started
    int erreur = 0;   // where the namespace was refused: the errno of that call
    const char* appel = "";
};

// Runs the current test again in a child process with a mount namespace of
// its own, where mounts are seen by nobody else and vanish with it. Root
// needs only the namespace; another user gets it inside a user namespace of
// its own, where it is root.
Relance RelancerDansUnEspacePrive() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // Everything the child uses is prepared before the fork: the process has
    // threads, so the child may only make async-signal-safe calls until exec.
    std::string programme = "/proc/self/exe";
    std::string filtre =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    char* const argv[] = {programme.data(), filtre.data(), nullptr};
    std::vector<std::string> environnement = {std::string(VariableEspacePrive) + "=1"};
    for (char** e = environ; *e != nullptr; ++e) environnement.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : environnement) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string uid = "0 " + std::to_string(getuid()) + " 1";
    const std::string gid = "0 " + std::to_string(getgid()) + " 1";
    const bool root = geteuid() == 0;
    // The child tells which call was refused, and why, through a pipe.
    int tube[2];
    if (pipe2(tube, O_CLOEXEC) != 0) return {};

    const pid_t enfant = fork();
    if (enfant == 0) {
        int refus[2] = {0, 0};  // the call (1 unshare, 2 mount) and its errno
        if (!(root ? unshare(CLONE_NEWNS) == 0
                   : unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 &&
                         EcrireFichier("/proc/self/setgroups", "deny") &&
                         EcrireFichier("/proc/self/uid_map", uid.c_str()) &&
                         EcrireFichier("/proc/self/gid_map", gid.c_str())))
            refus[0] = 1, refus[1] = errno;
        // Mounts made in the child must not travel back to the system's.
        else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            refus[0] = 2, refus[1] = errno;
        if (refus[0] != 0) {
            [[maybe_unused]] const ssize_t n = write(tube[1], refus, sizeof refus);
            _exit(SansEspacePrive);
        }
        execve(programme.c_str(), argv, envp.data());
        _exit(127);
    }
    close(tube[1]);
    Relance relance;
    if (enfant < 0) {
        close(tube[0]);
        return relance;
    }
    const auto fin = std::chrono::steady_clock::now() + 240s;
    int statut = 0;
    while (waitpid(enfant, &statut, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > fin) {
            kill(enfant, SIGKILL);
            waitpid(enfant, &statut, 0);
            close(tube[0]);
            return relance;
        }
        std::this_thread::sleep_for(20ms);
    }
    int refus[2] = {0, 0};
    if (read(tube[0], refus, sizeof refus) == sizeof refus) {
        relance.appel = refus[0] == 1 ? "unshare" : "mount";
        relance.erreur = refus[1];
    }
    close(tube[0]);
    relance.statut = WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    return relance;
}

// The test's verdict from its run in a mount namespace. A system that
// refuses one even to root (a chroot, a container without the right to
// mount) cannot run it: the test is skipped there, with that reason, unless
// SOLVENARE_EXIGER_MONTAGES is set, as CI does, where it must run.
void JugerLaRelance() {
    const Relance r = RelancerDansUnEspacePrive();
    if (r.statut == SansEspacePrive) {
        const std::string raison =
            std::string(r.appel) + " refused (" + std::strerror(r.erreur) + ")";
        if (geteuid() != 0)
            FAIL() << "No mount namespace of its own could be made for this test: " << raison
                   << ". It needs root, or user namespaces for other users.";
        if (std::getenv("SOLVENARE_EXIGER_MONTAGES") != nullptr)
            FAIL() << "This system refuses a mount namespace even to root: " << raison
                   << "; SOLVENARE_EXIGER_MONTAGES asks for this test to run.";
        GTEST_SKIP() << "This system refuses a mount namespace even to root (a chroot or a "
                        "container without the right to mount): "
                     << raison;
    }
    ASSERT_EQ(r.statut, 0) << "the test failed in its own mount namespace (output above)";
}

bool DansUnEspacePrive() {
    return std::getenv(VariableEspacePrive) != nullptr;
}

class PannesFichierTest : public PannesTest {
  protected:
    void TearDown() override {
        fenetre_.reset();
        // The folder is removed after the test: what is mounted in it first.
        for (auto it = montages_.rbegin(); it != montages_.rend(); ++it)
            umount2(it->c_str(), MNT_DETACH);
        PannesTest::TearDown();
    }

    std::string Monter(const std::string& nom, const char* type, const char* options,
                       unsigned long drapeaux = 0) {
        const std::string chemin = dossier_ + "/" + nom;
        std::filesystem::create_directory(chemin);
        const char* source = type != nullptr ? type : chemin.c_str();
        if (mount(source, chemin.c_str(), type, drapeaux, options) != 0)
            ADD_FAILURE() << "mount " << chemin << ": " << std::strerror(errno);
        montages_.push_back(chemin);
        return chemin;
    }

    // Sends single frames until one cannot be recorded. The file's bytes
    // before that frame, or nothing when every frame was recorded.
    std::optional<std::string> EnvoyerJusquALaPanne(PtyPair& photometre, int maximum) {
        const TF_Fond& f = *fenetre_;
        for (int i = 0; i < maximum; ++i) {
            const std::string avant = Lire(f.NomFichier);
            const size_t lignes = Enregistrements().size();
            photometre.Send(
                simulateur::TrameMesure(Mode::Simple, {static_cast<uint16_t>(i), 300, 780}));
            if (!Attendre([&] { return Enregistrements().size() > lignes || !erreurs_.empty(); }))
                return std::nullopt;
            if (!erreurs_.empty()) return avant;
        }
        return std::nullopt;
    }

    std::vector<std::string> montages_;
};

// A file that takes every block left on the file system that holds it.
void Remplir(const std::string& chemin) {
    const int fd = open(chemin.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const std::string bloc(512, 'x');
    while (write(fd, bloc.data(), bloc.size()) > 0) {
    }
    const std::string octet(1, 'x');
    while (write(fd, octet.data(), 1) > 0) {
    }
    close(fd);
}

}  // namespace

TEST_F(PannesFichierTest, AFullDiskIsShownOnceAndEveryEarlierLineStaysWhole) {
    if (!DansUnEspacePrive()) {
        JugerLaRelance();
        return;
    }
    // A disk of four pages; filled but for the data file's own pages.
    const std::string disque = Monter("disque", "tmpfs", "size=16k,mode=0700");
    PtyPair photometre;
    TF_Fond& f = Ouvrir(photometre.Path(), "disque/mesures.txt");
    Remplir(disque + "/autre");
    CliquerBouton(f);  // DEMARRER

    const auto avant = EnvoyerJusquALaPanne(photometre, 200);
    ASSERT_TRUE(avant.has_value()) << "the disk never filled";
    Attendre([] { return false; }, 100ms);
    // The error names the file and says why.
    const std::string plein = "Erreur E/S 28\n" + f.NomFichier + " : " + Plein;
    EXPECT_EQ(erreurs_, std::vector<std::string>{plein});
    EXPECT_EQ(Lire(f.NomFichier), *avant) << "no part of the line that failed is left";
    const size_t enregistrees = Enregistrements().size();
    EXPECT_GT(enregistrees, 10u);

    // Space again: stop and start, and the next line follows the last whole one.
    std::filesystem::remove(disque + "/autre");
    CliquerBouton(f);  // ARRETER
    CliquerBouton(f);  // DEMARRER
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {1000, 300, 780}));
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == enregistrees + 1; }));
    EXPECT_EQ(Lire(f.NomFichier).rfind(*avant, 0), 0u);
    EXPECT_EQ(Tensions().back(), Attendues(1000, 300));

    // Continuous mode on a full disk: ECRIRE fails, and the maxima it could
    // not record stay on screen.
    photometre.Send(simulateur::TrameMesure(Mode::Continu, {10, 10, 780}));
    ASSERT_TRUE(Attendre([&] { return f.Etat == EtatContinu; }));
    Remplir(disque + "/autre");
    std::string avantClic;
    for (int i = 0; i < 200 && erreurs_.size() < 2; ++i) {
        photometre.Send(simulateur::TrameMesure(Mode::Continu, {430, 200, 780}));
        ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,100"; }));
        avantClic = Lire(f.NomFichier);
        CliquerBouton(f);  // ECRIRE
    }
    EXPECT_EQ(erreurs_, (std::vector<std::string>{plein, plein}));
    EXPECT_EQ(Lire(f.NomFichier), avantClic);
    EXPECT_EQ(f.LVMaxVert->Caption(), "2,100") << "not reset: they were not recorded";
    EXPECT_EQ(f.LVMaxRouge->Caption(), "0,977");
    EXPECT_EQ(Tensions().back(), Attendues(430, 200)) << "the last click that could write";
    f.IM_FINMesures->Click();
    EXPECT_FALSE(f.P_ReceptionMesures->Visible());
    EXPECT_EQ(erreurs_.size(), 2u);
}

TEST_F(PannesFichierTest, AFolderTurnedReadOnlyIsShownOnceAndNothingIsLost) {
    if (!DansUnEspacePrive()) {
        JugerLaRelance();
        return;
    }
    // A read-only mount laid over a folder: no one writes there any more,
    // root included. (The files the program holds open stay on the mount
    // beneath, which is why the folder is not simply remounted.)
    const auto lectureSeule = [&](const std::string& nom, bool oui) {
        const std::string dossier = dossier_ + "/" + nom;
        if (!oui) {
            ASSERT_EQ(umount2(dossier.c_str(), 0), 0) << std::strerror(errno);
            montages_.pop_back();
            return;
        }
        Monter(nom, nullptr, nullptr, MS_BIND);
        ASSERT_EQ(
            mount(nullptr, dossier.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0)
            << std::strerror(errno);
    };
    std::filesystem::create_directory(dossier_ + "/donnees");
    PtyPair photometre;
    TF_Fond& f = Ouvrir(photometre.Path(), "donnees/mesures.txt");
    CliquerBouton(f);  // DEMARRER
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {400, 300, 780}));
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {500, 300, 780}));
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 2; }));
    const std::string avant = Lire(f.NomFichier);

    lectureSeule("donnees", true);
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {600, 300, 780}));
    ASSERT_TRUE(Attendre([&] { return !erreurs_.empty(); }));
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {700, 300, 780}));
    Attendre([] { return false; }, 200ms);
    const std::string lectureSeuleFichier = "Erreur E/S 30\n" + f.NomFichier + " : " + LectureSeule;
    EXPECT_EQ(erreurs_, std::vector<std::string>{lectureSeuleFichier});
    EXPECT_EQ(Lire(f.NomFichier), avant);

    // Writable again: stop and start, and the lines follow the intact ones.
    lectureSeule("donnees", false);
    CliquerBouton(f);  // ARRETER
    CliquerBouton(f);  // DEMARRER
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {800, 300, 780}));
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 3; }));
    EXPECT_EQ(Lire(f.NomFichier).rfind(avant, 0), 0u);
    EXPECT_EQ(Tensions(), (std::vector<std::string>{Attendues(400, 300), Attendues(500, 300),
                                                    Attendues(800, 300)}));
    EXPECT_EQ(erreurs_.size(), 1u);

    // A new data file cannot be made in a read-only folder. The choice is
    // refused as a whole: the file chosen before stays the data file, and the
    // frames that still arrive (the panel is closed, the port open) are
    // recorded there.
    std::filesystem::create_directory(dossier_ + "/ailleurs");
    lectureSeule("ailleurs", true);
    TSaveDialog::SetExecuteHook(
        [&](const TSaveDialog&) { return dossier_ + "/ailleurs/nouveau.txt"; });
    f.IM_FINMesures->Click();
    f.IM_FINEtalonnages->Click();
    f.IM_Fichiers->Click();
    EXPECT_EQ(erreurs_, (std::vector<std::string>{lectureSeuleFichier,
                                                  "Erreur E/S 30\n" + dossier_ +
                                                      "/ailleurs/nouveau.txt : " + LectureSeule}));
    EXPECT_EQ(f.NomFichier, dossier_ + "/donnees/mesures.txt");
    EXPECT_FALSE(f.P_ParametresMesures->Visible());
    photometre.Send(simulateur::TrameMesure(Mode::Simple, {900, 300, 780}));
    ASSERT_TRUE(Attendre([&] { return Enregistrements().size() == 4; }));
    EXPECT_EQ(Tensions().back(), Attendues(900, 300));
    EXPECT_EQ(erreurs_.size(), 2u);
    lectureSeule("ailleurs", false);
}

TEST_F(PannesFichierTest, AFileRemovedInContinuousModeIsShownAtEachRecordAndTheMaximaStay) {
    PtyPair photometre;
    TF_Fond& f = Ouvrir(photometre.Path());
    CliquerBouton(f);  // DEMARRER
    photometre.Send(simulateur::TrameMesure(Mode::Continu, {10, 10, 780}));
    photometre.Send(simulateur::TrameMesure(Mode::Continu, {430, 200, 780}));
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,100"; }));

    std::filesystem::remove(f.NomFichier);
    CliquerBouton(f);  // ECRIRE
    EXPECT_EQ(erreurs_, std::vector<std::string>{"Fichier introuvable\n" + f.NomFichier + " : " +
                                                 "aucun fichier ou dossier de ce type"});
    EXPECT_EQ(f.LVMaxVert->Caption(), "2,100") << "not reset: they were not recorded";
    EXPECT_FALSE(FileExists(f.NomFichier)) << "appending never makes the file anew";

    // Reception goes on: frames still reach the screen.
    photometre.Send(simulateur::TrameMesure(Mode::Continu, {500, 250, 780}));
    ASSERT_TRUE(Attendre([&] { return f.LVMaxVert->Caption() == "2,441"; }));
    EXPECT_EQ(erreurs_.size(), 1u);
    f.IM_FINMesures->Click();
    EXPECT_EQ(erreurs_.size(), 1u);
}
