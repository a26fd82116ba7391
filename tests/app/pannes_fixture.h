#pragma once

#include <time.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "measurement/calculs.h"
#include "platform/threads.h"
#include "tests/app/fond_fixture.h"
#include "tools/simulator/photometre_simule.h"
#include "tools/simulator/protocole.h"

// The window as the calibration validation leaves it, measuring through a
// real port: header A written, the reception panel open in single mode, the
// calibration panel beneath it. Hand-overs from the port's thread reach the
// window through Qt's loop, as in the program.
class PannesTest : public FondTest {
  protected:
    void SetUp() override {
        FondTest::SetUp();
        // The simulator publishes its port in the test's own folder.
        setenv("XDG_RUNTIME_DIR", dossier_.c_str(), 1);
        toolkit::InstallHandOverPump();
    }
    void TearDown() override {
        // What the port's thread queued before it ended (the simulator is
        // gone before the window) stays with this test.
        fenetre_.reset();
        threads::CheckSynchronize();
        toolkit::TSaveDialog::SetExecuteHook(nullptr);
        FondTest::TearDown();
        threads::SetWakeMainThread(nullptr);
        unsetenv("XDG_RUNTIME_DIR");
    }

    // The photometer on a published name; frames only when asked for.
    static simulateur::Reglages ReglagesSimulateur(const std::string& nom) {
        simulateur::Reglages r;
        r.nom = nom;
        r.cadence = 0;
        r.silence = std::chrono::milliseconds(0);
        return r;
    }

    TF_Fond& Ouvrir(const std::string& port, const std::string& fichier = "mesures.txt") {
        TF_Fond& f = Demarrer();
        f.ComPort->SetPort(port);
        f.LiaisonOK = true;
        f.V0Vert = 2.12;
        f.VnVert = 0.01;
        f.V0Rouge = 2.05;
        f.VnRouge = 0.01;
        f.Pression = 1013;
        f.AngleElevation = 90;
        f.NomFichier = dossier_ + "/" + fichier;
        f.FichierDonnees.CreerOuSonder(f.NomFichier);
        f.T_HorlogeTimer(nullptr);
        f.P_Etalonnages->SetVisible(true);
        f.IM_OKEtalonnagesClick(nullptr);
        return f;
    }

    // The spot where DEMARRER, ARRETER and ECRIRE lie on one another: a click
    // there reaches whichever the user sees.
    static void CliquerBouton(TF_Fond& f) { f.ClickAt(372 + 28 + 40, 56 + 10); }

    // The record lines of the data file, as written.
    std::vector<std::string> Enregistrements() const {
        std::vector<std::string> lignes;
        const std::string contenu = Lire(fenetre_->NomFichier);
        size_t debut = 0;
        for (size_t fin; (fin = contenu.find("\r\n", debut)) != std::string::npos;
             debut = fin + 2) {
            const std::string ligne = contenu.substr(debut, fin - debut);
            if (ligne.rfind("Simple;", 0) == 0 || ligne.rfind("Continu;", 0) == 0)
                lignes.push_back(ligne);
        }
        return lignes;
    }

    // The voltage fields of the record lines: what the photometer sent, as
    // the file keeps it.
    std::vector<std::string> Tensions() const {
        std::vector<std::string> tensions;
        for (const std::string& ligne : Enregistrements()) {
            std::vector<std::string> champs;
            size_t debut = 0;
            for (size_t fin; (fin = ligne.find(';', debut)) != std::string::npos; debut = fin + 1)
                champs.push_back(ligne.substr(debut, fin - debut));
            champs.push_back(ligne.substr(debut));
            tensions.push_back(champs.size() == 7 ? champs[2] + " " + champs[4] : "?" + ligne);
        }
        return tensions;
    }

    // "vert rouge" as Tensions gives them, for counts sent.
    static std::string Attendues(int vert, int rouge) {
        return measurement::TexteTension(vert * 5.0 / 1024) + " " +
               measurement::TexteTension(rouge * 5.0 / 1024);
    }

    // Runs the window's loop and the hand-overs until the condition holds.
    static bool Attendre(const std::function<bool()>& fait,
                         std::chrono::milliseconds delai = std::chrono::seconds(10)) {
        const auto fin = std::chrono::steady_clock::now() + delai;
        while (!fait()) {
            if (std::chrono::steady_clock::now() > fin) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            threads::WaitAndRunHandOvers(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Runs the window's own event loop for a while, idle as the program is
    // between events.
    static void Boucler(std::chrono::milliseconds duree) {
        QEventLoop boucle;
        QTimer::singleShot(static_cast<int>(duree.count()), &boucle, &QEventLoop::quit);
        boucle.exec();
    }

    // The share of one processor the whole process used while its loop ran
    // for that long: near 0 when nothing spins.
    static double PartProcesseur(std::chrono::milliseconds duree) {
        const auto avant = std::chrono::steady_clock::now();
        const double cpuAvant = SecondesProcesseur();
        Boucler(duree);
        const double cpu = SecondesProcesseur() - cpuAvant;
        const std::chrono::duration<double> mur = std::chrono::steady_clock::now() - avant;
        return cpu / mur.count();
    }

    static double SecondesProcesseur() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
};
