#include "bench/processus.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace banc {

long MemoireKio(const std::string& champ, pid_t pid) {
    const std::string chemin =
        pid == 0 ? "/proc/self/status" : "/proc/" + std::to_string(pid) + "/status";
    std::ifstream in(chemin);
    std::string ligne;
    while (std::getline(in, ligne)) {
        if (ligne.rfind(champ + ":", 0) != 0) continue;
        return std::stol(ligne.substr(champ.size() + 1));
    }
    return -1;
}

double CpuProcessus() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

namespace {

// utime + stime of a /proc stat file, in seconds; 0 when it cannot be read.
double CpuStat(const std::string& chemin) {
    std::ifstream in(chemin);
    std::string tout;
    std::getline(in, tout);
    // The name, in parentheses, may hold blanks: count the fields after it.
    const auto fin = tout.rfind(')');
    if (fin == std::string::npos) return 0;
    std::istringstream champs(tout.substr(fin + 2));
    std::string champ;
    long utime = 0, stime = 0;
    // Fields 3 to 15 of stat(5); utime and stime are the 14th and 15th.
    for (int i = 3; i <= 15 && champs >> champ; ++i) {
        if (i == 14) utime = std::stol(champ);
        if (i == 15) stime = std::stol(champ);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

double CpuFil(pid_t tid) {
    if (tid <= 0) return 0;
    // The kernel's own clock of the thread, to the nanosecond, named as
    // pthread_getcpuclockid names it (by thread id, per-thread, scheduler
    // time); /proc counts in ticks of 10 ms, too coarse for an idle second.
    const clockid_t horloge = (~static_cast<clockid_t>(tid) << 3) | 4 | 2;
    timespec t{};
    if (clock_gettime(horloge, &t) == 0)
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    return CpuStat("/proc/self/task/" + std::to_string(tid) + "/stat");
}

double CpuAutreProcessus(pid_t pid) {
    if (pid <= 0) return 0;
    clockid_t horloge;
    timespec t{};
    if (clock_getcpuclockid(pid, &horloge) == 0 && clock_gettime(horloge, &t) == 0)
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    return CpuStat("/proc/" + std::to_string(pid) + "/stat");
}

long ChangementsDeContexte(const std::vector<pid_t>& sauf) {
    long total = 0;
    for (const auto& tache : std::filesystem::directory_iterator("/proc/self/task")) {
        const pid_t tid = std::atoi(tache.path().filename().c_str());
        if (std::find(sauf.begin(), sauf.end(), tid) != sauf.end()) continue;
        std::ifstream in(tache.path() / "status");
        for (std::string ligne; std::getline(in, ligne);)
            if (ligne.find("ctxt_switches:") != std::string::npos)
                total += std::stol(ligne.substr(ligne.find(':') + 1));
    }
    return total;
}

double Secondes(Horloge::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Microsecondes(Horloge::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

std::string DescriptionMachine() {
    std::string modele;
    std::ifstream cpu("/proc/cpuinfo");
    for (std::string ligne; std::getline(cpu, ligne);) {
        if (ligne.rfind("model name", 0) == 0) {
            modele = ligne.substr(ligne.find(':') + 2);
            break;
        }
    }
    double charge[3] = {};
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf %lf %lf", &charge[0], &charge[1], &charge[2]) != 3) charge[0] = -1;
        std::fclose(f);
    }
    utsname u{};
    uname(&u);
    char texte[512];
    std::snprintf(texte, sizeof texte, "%u processors (%s), Linux %s, load average %.2f %.2f %.2f",
                  std::thread::hardware_concurrency(), modele.c_str(), u.release, charge[0],
                  charge[1], charge[2]);
    return texte;
}

}  // namespace banc
