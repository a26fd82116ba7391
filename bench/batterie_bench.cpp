// A day in the field on one battery: what the program costs at the line's
// 240 frames/s, on X, beside the least a process can do with the same stream.
//
// The bench starts an X server of its own and shows the real window on it,
// with the photometer simulator on a real pseudo-terminal, as app_bench does.
// In each mode it alternates two phases at 240 frames/s: the floor (a minimal
// reader, lecteur_plancher, in a process of its own on a second simulator;
// in single mode it also appends and syncs a line per frame) and the
// program. It prints the program's CPU against the floor's measured in the
// same run, the X server's CPU, the idle program with its port open, and the
// latency from the frame's last byte to the labels set and painted.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/preparation.h"
#include "bench/banc_fenetre.h"
#include "bench/demarrage.h"
#include "bench/histogramme.h"
#include "bench/processus.h"
#include "bench/rapport.h"
#include "bench/serveur_x.h"
#include "link/comport.h"

using namespace banc;
using namespace std::chrono_literals;
using simulateur::Mode;

namespace {

constexpr double CadenceLigne = 240;

struct Options {
    int secondes = 30;
    int tours = 1;
    int reposSecondes = 10;
};

const char* NomMode(Mode mode) {
    return mode == Mode::Simple ? "single" : "continuous";
}

struct Plancher {
    long trames = 0;
    double cpu = 0, secondes = 0;
};

// Starts a floor, whose arguments are given the descriptor it writes its
// figures on, and returns what it wrote; empty when it fails.
std::string LancerPlancher(const std::function<std::vector<std::string>(int)>& arguments,
                           int secondes) {
    int tube[2];
    if (pipe2(tube, O_CLOEXEC) != 0) return {};
    fcntl(tube[1], F_SETFD, 0);
    const pid_t pid = Lancer(arguments(tube[1]), "", {});
    close(tube[1]);
    std::string recu;
    pollfd p{tube[0], POLLIN, 0};
    char octets[256];
    while (pid > 0 && poll(&p, 1, (secondes + 30) * 1000) > 0) {
        const ssize_t n = read(tube[0], octets, sizeof octets);
        if (n <= 0) break;
        recu.append(octets, static_cast<size_t>(n));
    }
    close(tube[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return recu;
}

// The minimal reader on the floor's simulator, for that long from its first
// frame. Nothing when it fails.
std::optional<Plancher> MesurerPlancher(simulateur::TPhotometreSimule& sim, Mode mode, int secondes,
                                        const std::string& dossier) {
    sim.DefinirMode(mode);
    sim.DefinirLot(1);
    sim.DefinirCadence(CadenceLigne);
    const std::string fichier = dossier + "/plancher.txt";
    const std::string recu = LancerPlancher(
        [&](int sortie) {
            std::vector<std::string> arguments{LECTEUR_PLANCHER, sim.CheminEsclave(),
                                               std::to_string(secondes), std::to_string(sortie)};
            if (mode == Mode::Simple) arguments.push_back(fichier);
            return arguments;
        },
        secondes);
    sim.DefinirCadence(0);
    std::filesystem::remove(fichier);
    Plancher r;
    if (std::sscanf(recu.c_str(), "%ld %lf %lf", &r.trames, &r.cpu, &r.secondes) != 3)
        return std::nullopt;
    return r;
}

// The idle floor: a Qt window on the same X server whose only work is a
// clock set once a second, for that long; its share of one core, or nothing.
std::optional<double> MesurerHorloge(int secondes) {
    const std::string recu = LancerPlancher(
        [&](int sortie) {
            return std::vector<std::string>{HORLOGE_PLANCHER, std::to_string(secondes),
                                            std::to_string(sortie)};
        },
        secondes);
    double cpu = 0, mur = 0;
    if (std::sscanf(recu.c_str(), "%lf %lf", &cpu, &mur) != 2 || mur <= 0) return std::nullopt;
    return 100 * cpu / mur;
}

struct Programme {
    int trames = 0;
    double cpu = 0, serveurX = 0, secondes = 0;
    long peintures = 0, reveils = 0;
};

// The simulators' threads, whose CPU is not the program's.
using Simulateurs = std::function<std::vector<pid_t>()>;

Programme MesurerProgramme(BancFenetre& b, Mode mode, int secondes, pid_t serveurX,
                           const Simulateurs& fils, Histogramme& traitement,
                           Histogramme& peinture) {
    auto& sim = b.Photometre();
    sim.DefinirMode(mode);
    sim.DefinirLot(1);
    sim.DefinirCadence(CadenceLigne);
    // The change of mode (and the cover's slide) is not what is measured.
    b.Pendant(1s);
    const std::vector<pid_t> simulateurs = fils();
    b.latencesTraitement = &traitement;
    b.latencesPeinture = &peinture;
    auto cpuProgramme = [&] {
        double cpu = CpuProcessus();
        for (pid_t fil : simulateurs) cpu -= CpuFil(fil);
        return cpu;
    };
    const double cpu0 = cpuProgramme(), x0 = CpuAutreProcessus(serveurX);
    const long reveils0 = ChangementsDeContexte(simulateurs), peintures0 = b.Peintures();
    const int traitees0 = b.Traitees();
    const auto debut = Horloge::now();
    b.Pendant(std::chrono::seconds(secondes));
    Programme r;
    r.secondes = Secondes(Horloge::now() - debut);
    r.cpu = cpuProgramme() - cpu0;
    r.serveurX = CpuAutreProcessus(serveurX) - x0;
    r.reveils = ChangementsDeContexte(simulateurs) - reveils0;
    r.peintures = b.Peintures() - peintures0;
    r.trames = b.Traitees() - traitees0;
    b.latencesTraitement = b.latencesPeinture = nullptr;
    for (const std::string& f : b.VerifierSansPerte()) Faute(std::string(NomMode(mode)) + ": " + f);
    if (mode == Mode::Continu)
        if (const std::string ecarts = b.VerifierAffichage(); !ecarts.empty())
            Faute("the window does not show the last frame:" + ecarts);
    return r;
}

struct Resume {
    double rapport = 0, programme = 0, plancher = 0, serveurX = 0, p99Traitement = 0,
           p99Peinture = 0;
};

Resume Mesurer(BancFenetre& b, simulateur::TPhotometreSimule& simPlancher, Mode mode,
               const Options& o, pid_t serveurX, const Simulateurs& simulateurs,
               const std::string& dossier) {
    std::printf("\n%s mode, %.0f frames/s, %d s a phase, %d round(s)\n",
                mode == Mode::Simple ? "Single" : "Continuous", CadenceLigne, o.secondes, o.tours);
    std::vector<double> rapports, programmes, planchers, serveurs;
    Histogramme traitement, peinture;
    for (int tour = 0; tour < o.tours; ++tour) {
        const auto plancher = MesurerPlancher(simPlancher, mode, o.secondes, dossier);
        if (!plancher || plancher->secondes <= 0 || plancher->cpu <= 0) {
            Faute("the floor's reader gave no figure");
            continue;
        }
        const double pPlancher = 100 * plancher->cpu / plancher->secondes;
        std::printf("  floor:   %6ld frames in %5.1f s (%3.0f/s), CPU %6.3f %% of one core\n",
                    plancher->trames, plancher->secondes, plancher->trames / plancher->secondes,
                    pPlancher);
        const Programme p =
            MesurerProgramme(b, mode, o.secondes, serveurX, simulateurs, traitement, peinture);
        const double pProgramme = 100 * p.cpu / p.secondes, pX = 100 * p.serveurX / p.secondes;
        std::printf(
            "  program: %6d frames in %5.1f s (%3.0f/s), CPU %6.3f %% of one core = %.2f x the "
            "floor;\n"
            "           X server %.2f %%; green voltage label painted %.0f/s; %.0f context "
            "switches/s\n",
            p.trames, p.secondes, p.trames / p.secondes, pProgramme, pProgramme / pPlancher, pX,
            p.peintures / p.secondes, p.reveils / p.secondes);
        std::fflush(stdout);
        rapports.push_back(pProgramme / pPlancher);
        programmes.push_back(pProgramme);
        planchers.push_back(pPlancher);
        serveurs.push_back(pX);
    }
    std::printf(
        "  last byte to labels set%s: median %.0f us, 99th percentile %.0f us (%llu frames)\n",
        mode == Mode::Simple ? " and line synced" : "", traitement.Quantile(0.5),
        traitement.Quantile(0.99), static_cast<unsigned long long>(traitement.Nombre()));
    std::printf(
        "  last byte to the green voltage label's paint: median %.0f us, 99th percentile "
        "%.0f us\n",
        peinture.Quantile(0.5), peinture.Quantile(0.99));
    return {Mediane(rapports), Mediane(programmes),       Mediane(planchers),
            Mediane(serveurs), traitement.Quantile(0.99), peinture.Quantile(0.99)};
}

std::optional<Options> LireOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) {
            o.secondes = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--rounds" && i + 1 < argc) {
            o.tours = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--idle-seconds" && i + 1 < argc) {
            o.reposSecondes = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: batterie_bench [--seconds N] [--rounds N] [--idle-seconds N]\n"
                         "  --seconds N       length of each phase (default 30)\n"
                         "  --rounds N        floor and program phases per mode (default 1)\n"
                         "  --idle-seconds N  length of the idle phase (default 10)\n");
            return std::nullopt;
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = LireOptions(argc, argv);
    if (!options) return 2;
    const Options& o = *options;

    std::string erreur;
    ServeurX serveur(erreur);
    if (serveur.Affichage().empty()) {
        std::fprintf(stderr, "batterie_bench: %s\n", erreur.c_str());
        return 1;
    }
    setenv("DISPLAY", serveur.Affichage().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    std::printf("batterie_bench, %s, %s\nX server: Xvfb on %s\n", DateHeure().c_str(),
                DescriptionMachine().c_str(), serveur.Affichage().c_str());

    const std::string dossier = DossierTemporaire("solvenare-batterie");
    const auto ancien = std::filesystem::current_path();
    std::filesystem::current_path(dossier);
    setenv("XDG_RUNTIME_DIR", dossier.c_str(), 1);

    QApplication application(argc, argv);
    PreparerApplication(application);

    {
        std::atomic<pid_t> filPlancher{0};
        simulateur::Reglages r;
        r.nom = "PLANCHER";
        r.cadence = 0;
        r.silence = 0ms;
        r.mesureEcrite = [&](int, Mode, const simulateur::Comptes&, Horloge::time_point) {
            if (filPlancher.load() == 0) filPlancher = gettid();
        };
        simulateur::TPhotometreSimule simPlancher(r);
        simPlancher.Demarrer();

        BancFenetre b(dossier);
        if (const std::string e = b.AllerJusquALaReception(); !e.empty()) {
            Faute("the road to the reception panel: " + e);
        } else {
            // Known once each has sent a frame: before the program's phase
            // is timed.
            const Simulateurs simulateurs = [&] {
                return std::vector<pid_t>{b.Journal().FilSimulateur(), filPlancher.load()};
            };
            const Resume continu =
                Mesurer(b, simPlancher, Mode::Continu, o, serveur.Pid(), simulateurs, dossier);
            const Resume simple =
                Mesurer(b, simPlancher, Mode::Simple, o, serveur.Pid(), simulateurs, dossier);

            std::printf("\nIdle: port open in reception, simulator silent, %d s\n",
                        o.reposSecondes);
            b.Pendant(1s);
            auto cpu = [&] {
                double c = CpuProcessus();
                for (pid_t fil : simulateurs()) c -= CpuFil(fil);
                return c;
            };
            const double cpu0 = cpu(), x0 = CpuAutreProcessus(serveur.Pid());
            const long peintures0 = b.Peintures(), reveils0 = ChangementsDeContexte(simulateurs());
            const int traitees0 = b.Traitees();
            b.Pendant(std::chrono::seconds(o.reposSecondes));
            const double repos = 100 * (cpu() - cpu0) / o.reposSecondes;
            const double reposX = 100 * (CpuAutreProcessus(serveur.Pid()) - x0) / o.reposSecondes;
            if (!b.Fenetre().ComPort->Connected()) Faute("the port is not open");
            std::printf(
                "  program %.4f %% of one core, X server %.2f %%; %d frames handled, green "
                "voltage label painted %ld times, %.1f context switches/s\n",
                repos, reposX, b.Traitees() - traitees0, b.Peintures() - peintures0,
                static_cast<double>(ChangementsDeContexte(simulateurs()) - reveils0) /
                    o.reposSecondes);

            const auto horloge = MesurerHorloge(o.reposSecondes);
            if (!horloge) Faute("the idle floor gave no figure");
            const double plancherRepos = horloge.value_or(0);
            std::printf(
                "  floor: a Qt window that only sets a clock label once a second: %.4f %% of one "
                "core; the program is %.1f x that\n",
                plancherRepos, repos / std::max(plancherRepos, 1e-6));

            std::printf(
                "\nSummary (medians over the rounds; goals in brackets)\n"
                "  continuous: program %.2f %%, floor %.3f %%: %.1f x the floor (<= 3); X server "
                "%.2f %%\n"
                "  single:     program %.2f %%, floor %.3f %%: %.2f x the floor (<= 1.5); X server "
                "%.2f %%\n"
                "  idle, port open: %.4f %% (< 0.05); a Qt window with a clock: %.4f %%\n"
                "  last byte to labels set, 99th percentile: continuous %.0f us, single %.0f us "
                "(< 2000; single includes the line's fdatasync)\n"
                "  last byte to the label's paint, 99th percentile: continuous %.0f us, single "
                "%.0f us\n",
                continu.programme, continu.plancher, continu.rapport, continu.serveurX,
                simple.programme, simple.plancher, simple.rapport, simple.serveurX, repos,
                plancherRepos,
                continu.p99Traitement, simple.p99Traitement, continu.p99Peinture,
                simple.p99Peinture);
        }
        simPlancher.Arreter();
    }
    std::filesystem::current_path(ancien);
    std::filesystem::remove_all(dossier);
    std::printf("\nAt the end: %s\n", DescriptionMachine().c_str());
    std::printf(Echec() ? "SOME CHECKS FAILED\n" : "Every check passed.\n");
    return Echec() ? 1 : 0;
}
