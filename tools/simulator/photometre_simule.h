#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/descripteur.h"
#include "platform/port_publication.h"
#include "tools/simulator/ciel.h"
#include "tools/simulator/protocole.h"

namespace simulateur {

struct Reglages {
    // The short name the port is published under.
    std::string nom = "SIM0";
    // What the identification frame reports until a write command changes it;
    // also the true response of the detectors under the clear sky.
    Identification identification;
    Mode mode = Mode::Simple;
    // Measurement frames per second while the port is open; 0 sends only
    // those asked for with EnvoyerMesure.
    double cadence = 1.0;
    // Automatic frames go out this many at a time, in one write, when the
    // last of them is due: one wake-up per frame cannot keep a rate of tens
    // of thousands a second.
    int lot = 1;
    // Counts sent in turn, over and over; empty: the clear sky.
    std::vector<Comptes> comptes;
    Site site;
    // The clear sky is computed for the present moment shifted by this much.
    std::chrono::seconds decalageHorloge{0};
    // Up to this many garbage bytes (never FF) before each frame.
    int bruit = 0;
    // Each frame goes out in two to four pieces, written apart.
    bool decoupe = false;
    // Measurement frames hold off this long after the port opens and after
    // each request, so that the program's identification frames come alone.
    std::chrono::milliseconds silence{1000};
    // Told what happens, in French, on the simulator's own thread.
    std::function<void(const std::string&)> journal;
    // Told on the simulator's own thread, once the write that carried the
    // last byte of a measurement frame has returned: its number among the
    // measurement frames sent (from 1), what it carried, and when that write
    // began. For timing the road from the line to the screen.
    std::function<void(int numero, Mode mode, const Comptes& comptes,
                       std::chrono::steady_clock::time_point ecrite)>
        mesureEcrite;
};

// A frame in two to four pieces, cut at random, none empty, to be written
// apart as a slow or noisy line delivers it.
std::vector<std::string> Decouper(const std::string& trame, std::mt19937& alea);

// The photometer on a pseudo-terminal, with its own thread. The program
// opens the published name; the simulator sends only while the port is open
// and never holds the program's end itself.
class TPhotometreSimule {
  public:
    explicit TPhotometreSimule(Reglages reglages = {});
    ~TPhotometreSimule();
    TPhotometreSimule(const TPhotometreSimule&) = delete;
    TPhotometreSimule& operator=(const TPhotometreSimule&) = delete;

    // Creates and publishes the port, then starts the thread. Failures raise
    // std::runtime_error with a French text.
    void Demarrer();
    // Stops the thread, withdraws the published name and closes the terminal.
    void Arreter();
    bool Actif() const { return fil_.joinable(); }

    const std::string& Nom() const { return reglages_.nom; }
    // The device the program opens; empty before Demarrer.
    const std::string& CheminEsclave() const { return esclave_; }
    // The symbolic link that publishes the port.
    std::string CheminPublie() const;

    bool PortOuvert() const;
    // Waits until the simulator sees the port open (or closed); false on time-out.
    bool AttendrePortOuvert(bool ouvert, std::chrono::milliseconds delai) const;
    // How many times the program has opened the port.
    int Ouvertures() const;

    void DefinirMode(Mode mode);
    Mode ModeCourant() const;
    void DefinirCadence(double tramesParSeconde);
    double Cadence() const;
    void DefinirLot(int trames);
    int Lot() const;
    void DefinirBruit(int octetsMax);
    void DefinirDecoupe(bool decoupe);

    // Queues one measurement frame; it goes out as soon as the port is open.
    void EnvoyerMesure(Mode mode, uint16_t vert, uint16_t rouge, uint16_t temperature);

    // What the next identification frame will report: the start values, or
    // the fields of the last write command.
    Identification Constantes() const;
    int DemandesIdentification() const;
    int EcrituresRecues() const;
    int IdentificationsEnvoyees() const;
    int MesuresEnvoyees() const;
    // Automatic frames that were due but not made because the program was
    // not reading the ones before.
    int MesuresSautees() const;
    // The counts of the last measurement frame sent; zeros before the first.
    Comptes DerniereMesure() const;
    // Waits until that many measurement frames have gone out in all.
    bool AttendreMesures(int nombre, std::chrono::milliseconds delai) const;

  private:
    enum class Fin { Rien, Mesure, Identification };
    struct Trame {
        Mode mode;
        Comptes comptes;
    };
    struct Morceau {
        std::string octets;
        std::chrono::microseconds pause{0};  // before the next piece
        Fin fin = Fin::Rien;
        std::vector<Trame> mesures;  // the measurement frames it ends
    };

    void Publier();
    void Retirer();
    void Boucle();
    void Reveiller();
    void Journal(const std::string& texte) const;
    void LireRequetes(bool ouvert, std::deque<Morceau>& sortie, bool& ferme);
    // Up to the chosen number of garbage bytes.
    std::string Parasites();
    void AjouterTrame(std::deque<Morceau>& sortie, const std::string& trame, Fin fin,
                      std::vector<Trame> mesures = {});
    void AjouterMesures(std::deque<Morceau>& sortie, std::vector<Trame> mesures);
    void ViderEntreeEsclave() const;

    Reglages reglages_;
    std::string esclave_;
    platform::Descripteur maitre_;
    platform::Descripteur reveil_;
    std::unique_ptr<ports::PortPublication> publication_;
    std::thread fil_;

    mutable std::mutex m_;
    mutable std::condition_variable changement_;
    bool arret_ = false;
    bool ouvert_ = false;
    Identification constantes_;
    std::vector<Trame> demandes_;
    int ouvertures_ = 0;
    int demandesIdentification_ = 0;
    int ecritures_ = 0;
    int identifications_ = 0;
    int mesures_ = 0;
    int sautees_ = 0;
    Comptes derniereMesure_;

    // The thread's own.
    TLecteurRequetes lecteur_;
    std::mt19937 alea_{std::random_device{}()};
    bool requeteRecue_ = false;
};

}  // namespace simulateur
