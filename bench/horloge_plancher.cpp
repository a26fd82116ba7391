// The floor for the program at rest: the least a Qt program with a clock on
// screen does. A window of the main window's size shows one label whose text
// is set to the time once a second, as the main window's clock is; nothing
// else runs.
//
//   horloge_plancher SECONDS FD
//
// After two seconds to settle it times SECONDS, then writes on FD its CPU
// seconds and wall seconds over that time.
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "bench/horloges.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: horloge_plancher SECONDS FD\n");
        return 2;
    }
    const int duree = std::atoi(argv[1]);
    const int sortie = std::atoi(argv[2]);
    QApplication application(argc, argv);
    QWidget fenetre;
    fenetre.resize(713, 372);
    // Where the main window shows its time, and as large.
    auto* heure = new QLabel(&fenetre);
    heure->setGeometry(216, 355, 60, 15);
    fenetre.show();
    QTimer horloge;
    horloge.setInterval(1000);
    QObject::connect(&horloge, &QTimer::timeout, heure,
                     [&] { heure->setText(QTime::currentTime().toString("HH:mm:ss")); });
    horloge.start();
    // Fonts are found and loaded at the first text: before the timing.
    heure->setText(QTime::currentTime().toString("HH:mm:ss"));

    double cpu0 = 0, mur0 = 0;
    QTimer::singleShot(2000, [&] {
        cpu0 = SecondesHorloge(CLOCK_PROCESS_CPUTIME_ID);
        mur0 = SecondesHorloge(CLOCK_MONOTONIC);
        QTimer::singleShot(duree * 1000, [&] {
            const std::string texte =
                std::to_string(SecondesHorloge(CLOCK_PROCESS_CPUTIME_ID) - cpu0) + " " +
                std::to_string(SecondesHorloge(CLOCK_MONOTONIC) - mur0) + "\n";
            if (write(sortie, texte.data(), texte.size()) < 0) std::perror("write");
            application.quit();
        });
    });
    return application.exec();
}
