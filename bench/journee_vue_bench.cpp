// The day view measured: a file of 100,000 records opened and drawn, beside
// reading and computing the same file without a window; and the CPU of
// following a file that another process appends to at the line's 240 frames/s,
// beside a minimal reader of the same file. Offscreen unless QT_QPA_PLATFORM
// says otherwise. Not run by ctest: build/bench/journee_vue_bench [--quick] [--tours N].

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "journee/fenetre.h"
#include "platform/textfile.h"
#include "recording/lignes.h"
#include "science/fichier_journee.h"
#include "science/recalcul.h"

namespace {

using Horloge = std::chrono::steady_clock;
constexpr int Cadence = 240;  // lines a second, the instrument's frame rate
const science::Site Lyon{45.764, 4.8357, 170, "Europe/Paris"};

double Secondes(Horloge::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Cpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<std::string> LignesEnTete() {
    return recording::LignesEnTeteA(
        {"Lundi 15 Juin - ", "7", "1,2", "1013", "40", "2,12", "0,01", "2,05", "0,01"});
}

// Records of a June day from 06:00, n of them spread over twelve hours, with
// voltages that change as a clear day's do.
std::vector<std::string> Enregistrements(int n, int debut = 6 * 3600, double pas = 0.43) {
    std::vector<std::string> lignes;
    lignes.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const int t = debut + static_cast<int>(i * pas);
        const double x = std::sin(M_PI * (t - 6 * 3600) / (12 * 3600.0));
        char heure[16], vert[16], rouge[16];
        std::snprintf(heure, sizeof heure, "%02d:%02d:%02d  ", t / 3600 % 24, t / 60 % 60, t % 60);
        std::snprintf(vert, sizeof vert, "%.3f", 0.3 + 1.6 * x + 0.002 * (i % 7));
        std::snprintf(rouge, sizeof rouge, "%.3f", 0.4 + 1.5 * x + 0.002 * (i % 5));
        for (char* c : {vert, rouge}) *std::strchr(c, '.') = ',';
        lignes.push_back(recording::LigneEnregistrement(recording::ModeSimple, heure, vert, "0,21",
                                                        rouge, "0,11", "24"));
    }
    return lignes;
}

double Mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

journee::ReglagesModele Reglages() {
    journee::ReglagesModele r;
    r.site = Lyon;
    r.annee = 2026;
    return r;
}

// The lines the writer appends: records from 18:00, one per frame, after
// those of a file of 100,000 records (06:00 to 17:57), as the day goes on.
std::vector<std::string> Nouvelles(int nombre) {
    return Enregistrements(nombre, 18 * 3600, 1.0 / Cadence);
}

// The writer, run as a program of its own (this one, started again with
// --ecrivain): line k is appended at t0 + k/240 s, each in its own write, as
// the main window appends its lines. A process of its own, not a fork: a
// forked child would share the reader's pages, and the reader would pay a
// copy for each page it then writes to.
int Ecrire(const std::string& chemin, int nombre, Horloge::time_point t0) {
    const auto lignes = Nouvelles(nombre);
    FILE* f = std::fopen(chemin.c_str(), "ab");
    if (f == nullptr) return 1;
    for (size_t k = 0; k < lignes.size(); ++k) {
        std::this_thread::sleep_until(t0 + std::chrono::microseconds(k * 1000000 / Cadence));
        const std::string octets = Utf8ToWindows1252(lignes[k]) + "\r\n";
        std::fwrite(octets.data(), 1, octets.size(), f);
        std::fflush(f);
    }
    std::fclose(f);
    return 0;
}

pid_t LancerEcrivain(const std::string& chemin, int nombre, Horloge::time_point t0) {
    const std::string n = std::to_string(nombre);
    const std::string debut = std::to_string(t0.time_since_epoch().count());
    const char* arguments[] = {"journee_vue_bench", "--ecrivain",  chemin.c_str(),
                               n.c_str(),           debut.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, const_cast<char**>(arguments),
                    environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    return pid;
}

struct Suivi {
    double cpu = 0;    // share of one core
    double repos = 0;  // the same with nothing written (the day view only)
    double latenceMediane = 0, latence99 = 0, latenceMax = 0;  // seconds
    size_t lignes = 0;
};

// The baseline: every 100 ms, the new bytes read and their lines counted.
Suivi LecteurMinimal(const std::string& chemin, int lignes, double duree) {
    const auto t0 = Horloge::now() + std::chrono::milliseconds(100);
    const pid_t ecrivain = LancerEcrivain(chemin, lignes, t0);
    const double cpu0 = Cpu();
    const auto debut = Horloge::now();
    FILE* f = std::fopen(chemin.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    Suivi s;
    std::vector<char> tampon(1 << 16);
    while (Secondes(Horloge::now() - debut) < duree) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::clearerr(f);
        size_t n;
        while ((n = std::fread(tampon.data(), 1, tampon.size(), f)) > 0)
            s.lignes += static_cast<size_t>(std::count(tampon.begin(), tampon.begin() + n, '\n'));
    }
    s.cpu = (Cpu() - cpu0) / Secondes(Horloge::now() - debut);
    std::fclose(f);
    kill(ecrivain, SIGTERM);
    waitpid(ecrivain, nullptr, 0);
    return s;
}

Suivi Vue(const std::string& chemin, int lignes, double duree) {
    journee::FenetreJournee vue(
        Reglages(), QString::fromStdString(std::filesystem::path(chemin).parent_path()));
    vue.Ouvrir(QString::fromStdString(chemin));
    vue.show();
    // The first paint and the first readings done, the view open on the file
    // with nothing written: what following costs before any line comes.
    {
        QEventLoop premier;
        QTimer::singleShot(1000, &premier, &QEventLoop::quit);
        premier.exec();
    }
    Suivi s;
    {
        const double c0 = Cpu();
        const auto a = Horloge::now();
        QEventLoop repos;
        QTimer::singleShot(5000, &repos, &QEventLoop::quit);
        repos.exec();
        s.repos = (Cpu() - c0) / Secondes(Horloge::now() - a);
    }
    const size_t avant = vue.Modele().Points().size();
    const auto t0 = Horloge::now() + std::chrono::milliseconds(100);
    std::vector<double> latences;
    vue.OnNouveauxPoints = [&](size_t n) {
        const auto maintenant = Horloge::now();
        // Line k (from 0) was written at t0 + k/240 s.
        for (size_t k = avant + latences.size(); k < n; ++k)
            latences.push_back(Secondes(
                maintenant - (t0 + std::chrono::microseconds((k - avant) * 1000000 / Cadence))));
    };
    const pid_t ecrivain = LancerEcrivain(chemin, lignes, t0);
    const double cpu0 = Cpu();
    const auto debut = Horloge::now();
    QEventLoop boucle;
    QTimer::singleShot(static_cast<int>(duree * 1000), &boucle, &QEventLoop::quit);
    boucle.exec();
    s.cpu = (Cpu() - cpu0) / Secondes(Horloge::now() - debut);
    kill(ecrivain, SIGTERM);
    waitpid(ecrivain, nullptr, 0);
    s.lignes = latences.size();
    if (!latences.empty()) {
        std::sort(latences.begin(), latences.end());
        s.latenceMediane = latences[latences.size() / 2];
        s.latence99 = latences[latences.size() * 99 / 100];
        s.latenceMax = latences.back();
    }
    return s;
}

// A second baseline: a window of the view's size that reads nothing, with a
// timer that wakes it as often as the view reads the file. What any Qt
// program polling at that rate costs on this machine.
double FenetreQuiVeille(double duree) {
    QWidget fenetre;
    fenetre.resize(1000, 640);
    fenetre.show();
    QApplication::processEvents();
    QTimer reveil;
    reveil.setInterval(100);
    reveil.start();
    const double cpu0 = Cpu();
    const auto debut = Horloge::now();
    QEventLoop boucle;
    QTimer::singleShot(static_cast<int>(duree * 1000), &boucle, &QEventLoop::quit);
    boucle.exec();
    return (Cpu() - cpu0) / Secondes(Horloge::now() - debut);
}

double Charge() {
    double charge[1] = {0};
    getloadavg(charge, 1);
    return charge[0];
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 4 && arguments[0] == "--ecrivain")
        return Ecrire(arguments[1], std::stoi(arguments[2]),
                      Horloge::time_point(Horloge::duration(std::stoll(arguments[3]))));
    const auto option = [&](const char* nom) {
        return std::find(arguments.begin(), arguments.end(), nom) != arguments.end();
    };
    const bool rapide = option("--quick");
    // --suivi: only the live follow (for a profiler).
    const bool suiviSeul = option("--suivi");
    // --tours N: the live part N times over, with medians.
    int nombreTours = 1;
    if (const auto i = std::find(arguments.begin(), arguments.end(), "--tours");
        i != arguments.end() && i + 1 != arguments.end())
        nombreTours = std::max(1, std::atoi((i + 1)->c_str()));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    char modele[] = "/tmp/solvenare-banc-XXXXXX";
    const std::string dossier = mkdtemp(modele);
    const double chargeAvant = Charge();
    const time_t date = std::time(nullptr);
    std::printf("journee_vue_bench, %s", std::ctime(&date));
    std::printf("load average before: %.2f\n\n", chargeAvant);

    // --- 100,000 records opened and drawn ---
    const std::string gros = dossier + "/cent_mille.txt";
    {
        auto lignes = LignesEnTete();
        for (auto& l : Enregistrements(100000)) lignes.push_back(std::move(l));
        WriteTextFile(gros, lignes);
    }
    const int essais = suiviSeul ? 0 : rapide ? 3 : 5;
    std::vector<double> calcul, fenetre;
    for (int i = 0; i < essais; ++i) {
        auto a = Horloge::now();
        const science::Journee j = science::LireFichierJournee(gros);
        science::ReglagesRecalcul r;
        r.site = Lyon;
        r.annee = 2026;
        const auto resultats = science::Recalculer(j, r);
        calcul.push_back(Secondes(Horloge::now() - a));
        if (resultats.size() != 100000) std::printf("baseline: %zu results!\n", resultats.size());

        a = Horloge::now();
        journee::FenetreJournee vue(Reglages(), QString::fromStdString(dossier));
        vue.Ouvrir(QString::fromStdString(gros));
        vue.show();
        // The first paint, whole: what the user waits for.
        const QPixmap image = vue.grab();
        fenetre.push_back(Secondes(Horloge::now() - a));
        if (vue.Modele().Points().size() != 100000u || image.isNull())
            std::printf("window: %zu records!\n", vue.Modele().Points().size());
    }
    if (essais > 0) {
        std::printf("100,000 records (median of %d)\n", essais);
        std::printf("  read + recompute, no window (baseline): %7.1f ms\n", Mediane(calcul) * 1e3);
        std::printf("  day view opened and drawn:              %7.1f ms  (%.2f x baseline)\n\n",
                    Mediane(fenetre) * 1e3, Mediane(fenetre) / Mediane(calcul));
    }

    // --- following a file written at 240 lines/s ---
    const double duree = rapide ? 5 : 20;
    const int nouvelles = static_cast<int>(duree * Cadence) + Cadence;
    const auto suivre = [&](const std::string& nom, bool plein, bool vue) {
        const std::string chemin = dossier + "/" + nom;
        auto lignes = LignesEnTete();
        if (plein)
            for (auto& l : Enregistrements(100000)) lignes.push_back(std::move(l));
        WriteTextFile(chemin, lignes);
        return vue ? Vue(chemin, nouvelles, duree) : LecteurMinimal(chemin, nouvelles, duree);
    };
    // Each round runs the baselines and the views one after the other, so
    // that a round's ratios compare figures taken within the same minute.
    struct Tour {
        Suivi base, neuf, plein;
        double veille = 0;
    };
    std::vector<Tour> tours;
    for (int t = 0; t < nombreTours; ++t) {
        Tour tour;
        tour.base = suivre("base.txt", false, false);
        tour.veille = FenetreQuiVeille(duree);
        if (!suiviSeul) tour.neuf = suivre("neuf.txt", false, true);
        tour.plein = suivre("plein.txt", true, true);
        tours.push_back(tour);
    }
    std::printf("following a file appended at %d lines/s for %.0f s (CPU, share of one core)\n",
                Cadence, duree);
    for (size_t t = 0; t < tours.size(); ++t) {
        const Tour& tour = tours[t];
        if (tours.size() > 1) std::printf(" round %zu\n", t + 1);
        std::printf("  minimal reader, every 100 ms (baseline): %6.3f %%  (%zu lines)\n",
                    tour.base.cpu * 100, tour.base.lignes);
        std::printf("  a Qt window woken every 100 ms, no reading (second baseline): %6.3f %%\n",
                    tour.veille * 100);
        for (const auto& [nom, s] : {std::pair{"day view, file new", tour.neuf},
                                     std::pair{"day view, file of 100,000 records", tour.plein}})
            std::printf(
                "  %-34s %6.3f %%  (%.1f x baseline; %zu lines; written to drawn: median "
                "%.0f ms, 99th %.0f ms, max %.0f ms; open with nothing written: %.3f %%; %.1f "
                "x the Qt window)\n",
                nom, s.cpu * 100, s.cpu / std::max(tour.base.cpu, 1e-6), s.lignes,
                s.latenceMediane * 1e3, s.latence99 * 1e3, s.latenceMax * 1e3, s.repos * 100,
                s.cpu / std::max(tour.veille, 1e-6));
    }
    if (tours.size() > 1) {
        const auto mediane = [&](auto valeur) {
            std::vector<double> v;
            for (const Tour& tour : tours) v.push_back(valeur(tour));
            return Mediane(v);
        };
        std::printf(" medians over %zu rounds\n", tours.size());
        for (const auto& [nom, quoi] :
             {std::pair{"day view, file new", &Tour::neuf},
              std::pair{"day view, file of 100,000 records", &Tour::plein}}) {
            if (suiviSeul && quoi == &Tour::neuf) continue;
            std::printf(
                "  %-34s %6.3f %%  (%.1f x the minimal reader, %.1f x the Qt window; "
                "written to drawn, max over the rounds: %.0f ms)\n",
                nom, mediane([&](const Tour& x) { return (x.*quoi).cpu; }) * 100,
                mediane([&](const Tour& x) { return (x.*quoi).cpu / std::max(x.base.cpu, 1e-6); }),
                mediane([&](const Tour& x) { return (x.*quoi).cpu / std::max(x.veille, 1e-6); }),
                [&] {
                    double m = 0;
                    for (const Tour& x : tours) m = std::max(m, (x.*quoi).latenceMax);
                    return m * 1e3;
                }());
        }
    }
    std::printf("\nload average after: %.2f\n", Charge());
    std::filesystem::remove_all(dossier);
    return 0;
}
