// The simulator program itself, started as a user starts it, and stopped in
// each way it can be: its published port must never outlive it in the menu.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/port_publication.h"
#include "platform/ports.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Only a simulator that is stuck takes this long, however loaded the machine.
constexpr auto Genereux = 30s;

bool Listed(const std::string& name) {
    const auto listed = ports::ListSerialPorts();
    return std::find(listed.begin(), listed.end(), name) != listed.end();
}

// The simulator in a process of its own, its input and output on pipes.
class Simulateur {
  public:
    explicit Simulateur(std::vector<std::string> arguments) {
        int entree[2], sortie[2];
        if (pipe(entree) != 0 || pipe(sortie) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(entree[0], STDIN_FILENO);
            dup2(sortie[1], STDOUT_FILENO);
            close(entree[1]);
            close(sortie[0]);
            std::vector<char*> argv{const_cast<char*>(SOLVENARE_SIMULATEUR)};
            for (auto& a : arguments) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(entree[0]);
        close(sortie[1]);
        entree_ = entree[1];
        sortie_ = sortie[0];
    }
    ~Simulateur() {
        if (pid_ > 0 && !fini_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (entree_ >= 0) close(entree_);
        if (sortie_ >= 0) close(sortie_);
    }
    pid_t Pid() const { return pid_; }
    void Taper(const std::string& texte) {
        [[maybe_unused]] const ssize_t n = write(entree_, texte.data(), texte.size());
    }
    // Waits for the end; its exit code, or -signal.
    int Attendre() {
        int statut = 0;
        waitpid(pid_, &statut, 0);
        fini_ = true;
        return WIFEXITED(statut) ? WEXITSTATUS(statut) : -WTERMSIG(statut);
    }
    // What it printed until `texte` appears or the time is up.
    std::string LireJusqua(const std::string& texte, std::chrono::milliseconds delai = Genereux) {
        const auto fin = std::chrono::steady_clock::now() + delai;
        while (lu_.find(texte) == std::string::npos && std::chrono::steady_clock::now() < fin) {
            // Woken by the output, or to look at the time again.
            pollfd p{sortie_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char octets[1024];
            const ssize_t n = read(sortie_, octets, sizeof octets);
            if (n <= 0) break;
            lu_.append(octets, static_cast<size_t>(n));
        }
        return lu_;
    }

  private:
    pid_t pid_ = -1;
    int entree_ = -1;
    int sortie_ = -1;
    bool fini_ = false;
    std::string lu_;
};

bool AttendreListe(const std::string& nom, bool liste) {
    for (auto fin = std::chrono::steady_clock::now() + Genereux;
         std::chrono::steady_clock::now() < fin; std::this_thread::sleep_for(10ms))
        if (Listed(nom) == liste) return true;
    return false;
}

}  // namespace

TEST(Processus, ThePortIsListedOnlyWhileTheSimulatorHoldsItAndANormalStopLeavesNothing) {
    char modele[] = "/tmp/solvenare-processus-XXXXXX";
    const std::string dossier = mkdtemp(modele);
    const std::string avant = getenv("XDG_RUNTIME_DIR") ? getenv("XDG_RUNTIME_DIR") : "";
    setenv("XDG_RUNTIME_DIR", dossier.c_str(), 1);
    const struct {
        const char* comment;
        int signal;  // 0: "q" typed
        bool discret;
    } cas[] = {
        {"SIGTERM", SIGTERM, true},
        {"SIGINT (Ctrl+C)", SIGINT, false},
        {"SIGHUP (terminal closed)", SIGHUP, true},
        {"q typed", 0, false},
        {"SIGKILL", SIGKILL, true},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.comment);
        std::vector<std::string> arguments{"--nom", "SIMP", "--midi", "--cadence", "0"};
        if (c.discret) arguments.push_back("--discret");
        Simulateur sim(arguments);
        ASSERT_GT(sim.Pid(), 0);
        ASSERT_TRUE(AttendreListe("SIMP", true));
        const std::string lien = ports::PublishedPortsDirectory() + "/SIMP";
        const std::string cible = ports::PublishedPortPath("SIMP");
        EXPECT_EQ(cible.rfind("/dev/pts/", 0), 0u) << cible;
        // Said even when discreet: at the site's noon the sun is up.
        EXPECT_NE(
            sim.LireJusqua("en ce moment").find("Angle d'élévation à taper dans Solvenare : "),
            std::string::npos);

        if (c.signal == 0)
            sim.Taper("q\n");
        else
            kill(sim.Pid(), c.signal);
        const int fin = sim.Attendre();
        EXPECT_FALSE(Listed("SIMP"));
        EXPECT_EQ(ports::PublishedPortPath("SIMP"), "");
        if (c.signal == SIGKILL) {
            EXPECT_EQ(fin, -SIGKILL);
            // Left behind, but no longer taken for a port, even once its
            // terminal is someone else's.
            EXPECT_TRUE(fs::is_symlink(lien));
            EXPECT_TRUE(fs::exists(ports::PublishedPortLockPath("SIMP")));
        } else {
            EXPECT_EQ(fin, 0);
            EXPECT_FALSE(fs::exists(fs::symlink_status(lien)));
            EXPECT_FALSE(fs::exists(ports::PublishedPortLockPath("SIMP")));
        }
    }
    // The next simulator takes the name over from the killed one.
    Simulateur suivant({"--nom", "SIMP", "--discret"});
    EXPECT_TRUE(AttendreListe("SIMP", true));
    kill(suivant.Pid(), SIGTERM);
    EXPECT_EQ(suivant.Attendre(), 0);
    EXPECT_TRUE(fs::is_empty(ports::PublishedPortsDirectory()));
    setenv("XDG_RUNTIME_DIR", avant.c_str(), 1);
    fs::remove_all(dossier);
}
