// The photometer simulator, the real program in a process of its own, stopped
// while the window records: by a normal stop (SIGTERM) and killed outright
// (SIGKILL), as a user's session or an out-of-memory killer would.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/ports.h"
#include "tests/app/pannes_fixture.h"

using toolkit::TLabel;

extern char** environ;

namespace {

using namespace std::chrono_literals;

class Simulateur {
  public:
    explicit Simulateur(const std::string& nom) {
        std::vector<std::string> arguments = {
            SIMULATEUR_PROGRAMME, "--nom", nom, "--cadence", "20", "--silence", "0", "--discret"};
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        // No keyboard: it would read the developer's terminal.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Simulateur() { Arreter(SIGKILL); }
    Simulateur(const Simulateur&) = delete;
    Simulateur& operator=(const Simulateur&) = delete;

    bool Lance() const { return pid_ > 0; }
    void Arreter(int signal) {
        if (pid_ <= 0) return;
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

class SimulateurArreteTest : public PannesTest {};

}  // namespace

TEST_F(SimulateurArreteTest, StoppedOrKilledWhileRecordingTheWindowShowsTheTruth) {
    const struct {
        const char* nom;
        int signal;
    } cas[] = {{"SIMTERM", SIGTERM}, {"SIMKILL", SIGKILL}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        erreurs_.clear();
        Simulateur simulateur(c.nom);
        ASSERT_TRUE(simulateur.Lance());
        ASSERT_TRUE(Attendre([&] { return !ports::PublishedPortPath(c.nom).empty(); }))
            << "the simulator publishes its port";
        TF_Fond& f = Ouvrir(c.nom, std::string(c.nom) + ".txt");
        CliquerBouton(f);  // DEMARRER
        ASSERT_TRUE(f.ComPort->Connected());
        ASSERT_TRUE(Attendre([&] { return Enregistrements().size() >= 5; })) << "recording";
        const std::string avant = Lire(f.NomFichier);
        const size_t enregistrees = Enregistrements().size();

        simulateur.Arreter(c.signal);
        ASSERT_TRUE(Attendre([&] { return !erreurs_.empty(); })) << "the loss is shown";
        Attendre([] { return false; }, 300ms);
        EXPECT_EQ(erreurs_,
                  std::vector<std::string>{"ReadFile function failed (win error code: 5)"})
            << "once";

        // The button and the values say what is true: nothing runs.
        EXPECT_FALSE(f.ComPort->Connected());
        EXPECT_FALSE(f.IM_Arreter->Visible());
        EXPECT_TRUE(f.IM_Demarrer->Visible());
        EXPECT_FALSE(f.IM_Ecrire->Visible());
        for (TLabel* l : {f.LVVert, f.LEOVert, f.LVRouge, f.LEORouge})
            EXPECT_EQ(l->Caption(), "------") << l->Name();
        EXPECT_EQ(f.LTemperature->Caption(), "----");

        // Every line recorded before is there, whole, and nothing came after.
        const std::string apres = Lire(f.NomFichier);
        EXPECT_EQ(apres.rfind(avant, 0), 0u);
        EXPECT_GE(Enregistrements().size(), enregistrees);
        EXPECT_EQ(apres.substr(apres.size() - 2), "\r\n");
        for (const std::string& t : Tensions()) EXPECT_NE(t[0], '?') << t;
        Attendre([] { return false; }, 300ms);
        EXPECT_EQ(Lire(f.NomFichier), apres);

        // A start without the simulator is refused, and leaves DEMARRER. (A
        // killed one leaves its name behind, on a terminal number the system
        // may give to another program: not tried.)
        if (c.signal != SIGTERM) continue;
        CliquerBouton(f);
        EXPECT_EQ(erreurs_.size(), 2u);
        EXPECT_FALSE(f.ComPort->Connected());
        EXPECT_FALSE(f.IM_Arreter->Visible());
        EXPECT_EQ(Lire(f.NomFichier), apres);
    }
}
