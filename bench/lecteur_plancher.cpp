// The floor that the program is measured against: the least a process can do
// to take the photometer's frames off the line. It opens the device as the
// program does, reads the bytes as they come and counts 8-byte frames; given
// a file, it also appends one record line per frame and waits for fdatasync,
// as the program does in single mode.
//
//   lecteur_plancher DEVICE SECONDS FD [FILE]
//
// It times SECONDS from the first frame, then writes on FD: frames read, CPU
// seconds and wall seconds over that time.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "bench/horloges.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: lecteur_plancher DEVICE SECONDS FD [FILE]\n");
        return 2;
    }
    const double duree = std::atof(argv[2]);
    const int sortie = std::atoi(argv[3]);
    const int port = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port < 0) return 1;
    termios t{};
    if (tcgetattr(port, &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, B19200);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(port, TCSANOW, &t);
    }
    int fichier = -1;
    if (argc > 4) {
        fichier = open(argv[4], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fichier < 0) return 1;
    }
    static const char ligne[] = "Simple;09:05:03  ;1,953;-0,02;1,465;0,32;21\r\n";

    long octets = 0, trames = 0;
    double debut = -1, cpuDebut = 0, fin = 0;
    char tampon[4096];
    pollfd p{port, POLLIN, 0};
    for (;;) {
        const int attente =
            debut < 0 ? 30000 : static_cast<int>((fin - SecondesHorloge(CLOCK_MONOTONIC)) * 1e3) + 1;
        if (debut >= 0 && attente <= 0) break;
        const int n = poll(&p, 1, attente);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return 1;
        if (n == 0) {
            if (debut < 0) return 1;  // no frame came
            continue;
        }
        const ssize_t lus = read(port, tampon, sizeof tampon);
        if (lus < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (lus <= 0) return 1;
        if (debut < 0) {
            debut = SecondesHorloge(CLOCK_MONOTONIC);
            cpuDebut = SecondesHorloge(CLOCK_PROCESS_CPUTIME_ID);
            fin = debut + duree;
        }
        octets += lus;
        for (; trames < octets / 8; ++trames) {
            if (fichier < 0) continue;
            if (write(fichier, ligne, sizeof ligne - 1) != sizeof ligne - 1 ||
                fdatasync(fichier) != 0)
                return 1;
        }
    }
    const double cpu = SecondesHorloge(CLOCK_PROCESS_CPUTIME_ID) - cpuDebut;
    const double mur = SecondesHorloge(CLOCK_MONOTONIC) - debut;
    dprintf(sortie, "%ld %.6f %.6f\n", trames, cpu, mur);
    return 0;
}
