// Measures the program as a user runs it: the real window on the platform Qt
// is started with, the photometer simulator on a real pseudo-terminal, and
// every frame through the port, the framer, the packet handler and the
// display (and in single mode the data file). Throughput, latency from the
// line to the screen and to the file, a long run at the line's rate, the CPU
// of an idle open port, and the start-up.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/preparation.h"
#include "bench/banc_fenetre.h"
#include "bench/demarrage.h"
#include "bench/histogramme.h"
#include "bench/lecteur_lignes.h"
#include "bench/processus.h"
#include "bench/rapport.h"
#include "link/comport.h"
#include "measurement/calculs.h"
#ifdef BANC_X11
#include "bench/demarrage_x11.h"
#endif

using namespace banc;
using namespace std::chrono_literals;
using simulateur::Mode;

namespace {

// The line's limit: 19200 bit/s, 10 bits a byte, 8 bytes a frame.
constexpr double CadenceLigne = 240;

struct Options {
    bool rapide = false;
    int soakSecondes = 30;
    std::string programme = SOLVENARE_PROGRAMME;
};

// Field i (from 0) of a record line.
std::string ChampLigne(const std::string& ligne, int i) {
    size_t debut = 0;
    for (; i > 0; --i) {
        debut = ligne.find(';', debut);
        if (debut == std::string::npos) return "";
        ++debut;
    }
    return ligne.substr(debut, ligne.find(';', debut) - debut);
}

void ImprimerLatence(const char* quoi, const Histogramme& h, const char* unite = "frames") {
    std::printf("  %-44s %6llu %s: median %7.0f us, 99th percentile %7.0f us, max %7.0f us\n", quoi,
                static_cast<unsigned long long>(h.Nombre()), unite, h.Quantile(0.5),
                h.Quantile(0.99), h.MaxMicrosecondes());
}

// CPU of the process and of the simulator's thread within it.
struct Cpu {
    double processus, simulateur;
    static Cpu Maintenant(const BancFenetre& b) {
        return {CpuProcessus(), CpuFil(b.Journal().FilSimulateur())};
    }
};

void Demarrages(const Options& o) {
    std::printf("\nStart-up (from the spawn of the process)\n");
    std::vector<double> app, fenetre, peinte, rss;
    std::string erreur;
    const int fois = o.rapide ? 3 : 7;
    for (int i = 0; i < fois; ++i) {
        const auto d = DemarrerEnfant(erreur);
        if (!d) {
            Faute("window started in a child: " + erreur);
            break;
        }
        app.push_back(d->application);
        fenetre.push_back(d->fenetre);
        peinte.push_back(d->peinte);
        rss.push_back(static_cast<double>(d->rssKio));
    }
    if (!peinte.empty())
        std::printf(
            "  window in a child (%s, %zu runs, median): Qt application %.0f ms, window built "
            "%.0f ms, shown and painted %.0f ms (min %.0f, max %.0f); VmRSS %.1f MiB\n",
            std::getenv("QT_QPA_PLATFORM"), peinte.size(), Mediane(app) * 1e3,
            Mediane(fenetre) * 1e3, Mediane(peinte) * 1e3,
            *std::min_element(peinte.begin(), peinte.end()) * 1e3,
            *std::max_element(peinte.begin(), peinte.end()) * 1e3, Mediane(rss) / 1024);
#ifdef BANC_X11
    const auto mesures = DemarrerProgrammeSousXvfb(o.programme, fois, erreur);
    if (mesures.empty()) {
        std::printf("  real program under Xvfb: not measured (%s)\n", erreur.c_str());
        return;
    }
    std::vector<double> affichee, peinteX, rssX;
    for (const auto& m : mesures) {
        affichee.push_back(m.affichee);
        peinteX.push_back(m.peinte);
        rssX.push_back(static_cast<double>(m.rssKio));
    }
    std::printf(
        "  real program under Xvfb (%zu runs, median): window mapped %.0f ms, painted %.0f ms "
        "(min %.0f, max %.0f); VmRSS 1 s later %.1f MiB\n",
        mesures.size(), Mediane(affichee) * 1e3, Mediane(peinteX) * 1e3,
        *std::min_element(peinteX.begin(), peinteX.end()) * 1e3,
        *std::max_element(peinteX.begin(), peinteX.end()) * 1e3, Mediane(rssX) / 1024);
    if (static_cast<int>(mesures.size()) < fois)
        std::printf("  (%d runs asked for: %s)\n", fois, erreur.c_str());
#else
    std::printf("  real program under Xvfb: not built (no xcb)\n");
#endif
}

void VerifierSansPerte(BancFenetre& b, const std::string& phase) {
    for (const std::string& f : b.VerifierSansPerte()) Faute(phase + ": " + f);
}

void Latence(BancFenetre& b, Mode mode, int trames) {
    const bool simple = mode == Mode::Simple;
    std::printf("\nLatency, %s mode, %d frames at %.0f frames/s\n",
                simple ? "single" : "continuous", trames, CadenceLigne);
    auto& sim = b.Photometre();
    sim.DefinirMode(mode);
    sim.DefinirLot(1);
    Histogramme traitement, peinture, fichier;
    b.latencesTraitement = &traitement;
    b.latencesPeinture = &peinture;
    const int base = b.Traitees(), sautees0 = sim.MesuresSautees();
    long lignesFausses = 0;
    std::optional<LecteurLignes> lecteur;
    if (simple) {
        // Line k of this phase belongs to frame base + k: in single mode each
        // frame appends one line.
        lecteur.emplace(b.NomFichier(), [&, k = 0](const std::string& ligne,
                                                   Horloge::time_point lue) mutable {
            if (ligne.rfind("Simple;", 0) != 0) return;
            const auto trame = b.Journal().Lire(base + ++k);
            if (!trame ||
                ChampLigne(ligne, 2) !=
                    measurement::TexteTension(simulateur::TensionDeCompte(trame->comptes.vert))) {
                ++lignesFausses;
                return;
            }
            fichier.Ajouter(lue - trame->ecrite);
        });
    }
    sim.DefinirCadence(CadenceLigne);
    // Looked at seldom: the bench's own timer would wake the main thread
    // between frames.
    b.Boucler([&] { return b.Traitees() - base >= trames; },
              std::chrono::seconds(static_cast<int>(trames / CadenceLigne * 3 + 10)), 100ms);
    VerifierSansPerte(b, simple ? "single latency" : "continuous latency");
    if (sim.MesuresSautees() != sautees0) Faute("frames skipped: the program was not reading");
    lecteur.reset();
    b.latencesTraitement = b.latencesPeinture = nullptr;
    ImprimerLatence(simple ? "write to handler done (labels set, line synced)"
                           : "write to handler done (labels set)",
                    traitement);
    ImprimerLatence("write to the green voltage label's paint", peinture);
    if (simple) {
        ImprimerLatence("write to the line readable by another reader", fichier);
        if (lignesFausses != 0 || fichier.Nombre() != traitement.Nombre())
            Faute(std::to_string(fichier.Nombre()) + " lines read for " +
                  std::to_string(traitement.Nombre()) + " frames, " +
                  std::to_string(lignesFausses) + " not as sent");
    }
}

// What the disk under the data file asks for one record line: append it to
// a file of its own in the same folder and wait for fdatasync, as the
// program does for each line in single mode.
void Synchronisations(const std::string& dossier, int fois) {
    const std::string nom = dossier + "/synchronisation.txt";
    const int fd = open(nom.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    Histogramme h;
    const std::string ligne = "Simple;09:05:03  ;1,953;-0,02;1,465;0,32;21\r\n";
    for (int i = 0; i < fois; ++i) {
        const auto debut = Horloge::now();
        if (write(fd, ligne.data(), ligne.size()) != static_cast<ssize_t>(ligne.size()) ||
            fdatasync(fd) != 0)
            break;
        h.Ajouter(Horloge::now() - debut);
    }
    close(fd);
    unlink(nom.c_str());
    ImprimerLatence("disk alone: append a line and fdatasync", h, "lines");
}

void Debit(BancFenetre& b, Mode mode, double cadence, int lot, std::chrono::seconds duree) {
    const bool simple = mode == Mode::Simple;
    auto& sim = b.Photometre();
    std::printf("\nThroughput, %s mode, simulator offering %.0f frames/s in writes of %d frames\n",
                simple ? "single" : "continuous", cadence, lot);
    sim.DefinirMode(mode);
    sim.DefinirLot(lot);
    const int envoyees0 = sim.MesuresEnvoyees(), traitees0 = b.Traitees();
    const int sautees0 = sim.MesuresSautees();
    const long peintures0 = b.Peintures();
    const Cpu cpu0 = Cpu::Maintenant(b);
    const auto debut = Horloge::now();
    sim.DefinirCadence(cadence);
    b.Pendant(duree);
    const double s = Secondes(Horloge::now() - debut);
    const int traitees = b.Traitees() - traitees0, envoyees = sim.MesuresEnvoyees() - envoyees0;
    const int sautees = sim.MesuresSautees() - sautees0;
    const long peintures = b.Peintures() - peintures0;
    const Cpu cpu1 = Cpu::Maintenant(b);
    VerifierSansPerte(b, simple ? "single throughput" : "continuous throughput");
    if (!simple)
        if (const std::string ecarts = b.VerifierAffichage(); !ecarts.empty())
            Faute("the window does not show the last frame:" + ecarts);
    const double simulateur = cpu1.simulateur - cpu0.simulateur;
    std::printf(
        "  handled %d frames in %.2f s = %.0f frames/s (simulator wrote %d = %.0f/s, skipped %d "
        "while the program was not reading); after the run %d written and never handled, %ld in "
        "all not as sent\n"
        "  green voltage label painted %ld times (%.0f/s); CPU: program %.0f %%, simulator "
        "%.0f %% of one core\n",
        traitees, s, traitees / s, envoyees, envoyees / s, sautees,
        sim.MesuresEnvoyees() - b.Traitees(), b.Differences(), peintures, peintures / s,
        100 * (cpu1.processus - cpu0.processus - simulateur) / s, 100 * simulateur / s);
    if (simple) Synchronisations(std::filesystem::path(b.NomFichier()).parent_path(), 500);
}

void Repos(BancFenetre& b, std::chrono::seconds duree) {
    std::printf("\nIdle: port open in reception, simulator silent, window running, %lld s\n",
                static_cast<long long>(duree.count()));
    b.Photometre().DefinirCadence(0);
    b.Pendant(1s);
    const double avant = CpuProcessus();
    b.Pendant(duree);
    const double cpu = CpuProcessus() - avant;
    if (!b.Fenetre().ComPort->Connected()) Faute("the port is not open");
    std::printf("  whole process: %.4f s of CPU = %.4f %% of one core\n", cpu,
                100 * cpu / static_cast<double>(duree.count()));
}

void Endurance(BancFenetre& b, int secondes) {
    std::printf("\nSoak: %d s at %.0f frames/s, continuous mode\n", secondes, CadenceLigne);
    std::fflush(stdout);
    auto& sim = b.Photometre();
    sim.DefinirMode(Mode::Continu);
    sim.DefinirLot(1);
    Histogramme latences;
    b.latencesTraitement = &latences;
    const int envoyees0 = sim.MesuresEnvoyees(), traitees0 = b.Traitees();
    const int sautees0 = sim.MesuresSautees();
    std::vector<long> rss{MemoireKio("VmRSS")};
    const Cpu cpu0 = Cpu::Maintenant(b);
    const auto debut = Horloge::now();
    const auto fin = debut + std::chrono::seconds(secondes);
    sim.DefinirCadence(CadenceLigne);
    for (auto reste = fin - Horloge::now(); reste >= 1ms; reste = fin - Horloge::now()) {
        b.Pendant(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::min<Horloge::duration>(10s, reste)));
        rss.push_back(MemoireKio("VmRSS"));
        std::printf("  %4.0f s: %d frames handled, VmRSS %ld KiB\n",
                    Secondes(Horloge::now() - debut), b.Traitees() - traitees0, rss.back());
        std::fflush(stdout);
    }
    const double s = Secondes(Horloge::now() - debut);
    const Cpu cpu1 = Cpu::Maintenant(b);
    VerifierSansPerte(b, "soak");
    b.latencesTraitement = nullptr;
    const int envoyees = sim.MesuresEnvoyees() - envoyees0, traitees = b.Traitees() - traitees0;
    // A frame the simulator could not send because the program lagged is
    // lost as well.
    const int sautees = sim.MesuresSautees() - sautees0;
    if (sautees != 0)
        Faute(std::to_string(sautees) + " frames skipped: the program was not reading");
    const std::string ecarts = b.VerifierAffichage();
    if (!ecarts.empty()) Faute("the window does not show the last frame:" + ecarts);
    const double simulateur = cpu1.simulateur - cpu0.simulateur;
    std::printf(
        "  %d frames sent (%.1f/s), %d skipped by the simulator while the program was not "
        "reading, %d handled, %d written and never handled, %ld not as sent; the display %s the "
        "last frame sent\n"
        "  VmRSS first %ld KiB, max %ld KiB, last %ld KiB; CPU: program %.2f %%, simulator "
        "%.2f %% of one core\n",
        envoyees, envoyees / s, sautees, traitees, envoyees - traitees, b.Differences(),
        ecarts.empty() ? "shows" : "does NOT show", rss.front(),
        *std::max_element(rss.begin(), rss.end()), rss.back(),
        100 * (cpu1.processus - cpu0.processus - simulateur) / s, 100 * simulateur / s);
    ImprimerLatence("write to handler done, whole soak", latences);
}

std::optional<Options> LireOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--quick") {
            o.rapide = true;
        } else if (a == "--soak-seconds" && i + 1 < argc) {
            o.soakSecondes = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--program" && i + 1 < argc) {
            o.programme = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: app_bench [--quick] [--soak-seconds N] [--program PATH]\n"
                         "  --quick           short phases (latency 500 frames, 3 s throughput, "
                         "2 s idle)\n"
                         "  --soak-seconds N  length of the run at 240 frames/s (default 30; "
                         "600 for the full 10 minutes)\n"
                         "  --program PATH    the solvenare program timed under Xvfb\n");
            return std::nullopt;
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], OptionEnfant) == 0)
        return EnfantDemarrage(argc, argv, std::atoi(argv[2]));
    const auto options = LireOptions(argc, argv);
    if (!options) return 2;
    const Options& o = *options;
    // As the tests: no display needed. QT_QPA_PLATFORM=xcb under a display
    // measures that instead.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::printf("app_bench, %s, %s\n", DateHeure().c_str(), DescriptionMachine().c_str());
    Demarrages(o);

    // The simulator publishes its port in a folder of the bench's own.
    const std::string dossier = DossierTemporaire("solvenare-banc");
    const auto ancien = std::filesystem::current_path();
    std::filesystem::current_path(dossier);
    setenv("XDG_RUNTIME_DIR", dossier.c_str(), 1);

    QApplication application(argc, argv);
    PreparerApplication(application);

    {
        BancFenetre b(dossier);
        std::printf(
            "  window in this process (%s, after the Qt application): built %.1f ms, Show %.1f ms, "
            "first paint %.1f "
            "ms; VmRSS of the bench with the window shown %ld KiB\n",
            QGuiApplication::platformName().toUtf8().constData(), b.ConstructionSecondes * 1e3,
            b.AffichageSecondes * 1e3, b.PremierePeintureSecondes * 1e3, MemoireKio("VmRSS"));
        if (const std::string e = b.AllerJusquALaReception(); !e.empty()) {
            Faute("the road to the reception panel: " + e);
        } else {
            const int trames = o.rapide ? 500 : 2400;
            const auto duree = o.rapide ? 3s : 10s;
            Latence(b, Mode::Simple, trames);
            Debit(b, Mode::Simple, 100 * CadenceLigne, 48, duree);
            Latence(b, Mode::Continu, trames);
            Debit(b, Mode::Continu, 100 * CadenceLigne, 48, duree);
            Debit(b, Mode::Continu, 1000 * CadenceLigne, 512, duree);
            Repos(b, o.rapide ? 2s : 10s);
            Endurance(b, o.soakSecondes);
            std::printf("\nVmHWM of the bench after the soak: %ld KiB (VmRSS %ld KiB)\n",
                        MemoireKio("VmHWM"), MemoireKio("VmRSS"));
        }
    }
    std::filesystem::current_path(ancien);
    std::filesystem::remove_all(dossier);
    std::printf("\nAt the end: %s\n", DescriptionMachine().c_str());
    std::printf(Echec() ? "SOME CHECKS FAILED\n" : "Every check passed.\n");
    return Echec() ? 1 : 0;
}
