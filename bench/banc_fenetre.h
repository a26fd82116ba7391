#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/fond.h"
#include "bench/histogramme.h"
#include "bench/journal_trames.h"
#include "bench/processus.h"
#include "tools/simulator/photometre_simule.h"

namespace banc {

// Counts the paint events of one widget, and times each from the last frame
// the program handled.
class CompteurPeintures : public QObject {
  public:
    explicit CompteurPeintures(std::function<void()> peinte) : peinte_(std::move(peinte)) {}

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    std::function<void()> peinte_;
};

// The real window on the platform Qt was started with, and the simulator on
// a real pseudo-terminal, published under a name of the bench's own. Every
// measurement frame the program handles is checked against what the
// simulator wrote, in order, and timed from that write.
class BancFenetre {
  public:
    // Publishes the simulator in `dossier`, builds the window there and shows
    // it; the construction, showing and first paint are timed.
    explicit BancFenetre(const std::string& dossier);
    ~BancFenetre();

    // The user's road up to the reception panel in single mode, the port
    // open: port menu, data file, parameters, calibration, DEMARRER.
    // Returns an explanation when a step does not happen.
    std::string AllerJusquALaReception();

    // Runs the real event loop (timers, hand-overs, painting) until the
    // condition holds or the time is up; the condition is looked at every `pas`.
    bool Boucler(const std::function<bool()>& fait, std::chrono::milliseconds delai,
                 std::chrono::milliseconds pas = std::chrono::milliseconds(5));
    // Runs the event loop for that long, waking only for the window's own events.
    void Pendant(std::chrono::milliseconds duree);
    // Stops the automatic frames and waits until every frame written has
    // been handled; false if some never came.
    bool Vider(std::chrono::milliseconds delai = std::chrono::seconds(30));

    TF_Fond& Fenetre() { return *fenetre_; }
    simulateur::TPhotometreSimule& Photometre() { return *photometre_; }
    const JournalTrames& Journal() const { return journal_; }
    const std::string& NomFichier() const { return nomFichier_; }

    // The number (in the simulator's count) of the last frame handled.
    int Traitees() const { return traitees_; }
    // Frames that were not what the simulator wrote, or came out of order.
    long Differences() const { return differences_; }
    Horloge::time_point DerniereTraitee() const { return derniereTraitee_; }
    long Peintures() const { return peintures_; }
    // Whether the window shows what the last frame sent carried, in
    // continuous mode: voltages and gauges. Empty when it does.
    std::string VerifierAffichage();
    // Stops the frames, waits for the last and tells what went wrong since
    // the last call: frames never handled or not as sent, the program's
    // messages. Empty when nothing did.
    std::vector<std::string> VerifierSansPerte();

    // When set, the time from the frame's write to the handler's return
    // (labels set; in single mode the line also written and synced).
    Histogramme* latencesTraitement = nullptr;
    // When set, the time from the write of the last frame handled to the
    // next paint event of the green voltage label.
    Histogramme* latencesPeinture = nullptr;

    double ConstructionSecondes = 0, AffichageSecondes = 0, PremierePeintureSecondes = 0;
    std::vector<std::string> erreurs;

  private:
    void PaquetTraite();

    std::string dossier_;
    std::string nomFichier_;
    JournalTrames journal_;
    std::unique_ptr<simulateur::TPhotometreSimule> photometre_;
    std::unique_ptr<TF_Fond> fenetre_;
    std::unique_ptr<CompteurPeintures> peintureFenetre_, peintureLabel_;
    bool arme_ = false;
    int traitees_ = 0;
    long differences_ = 0;
    long peintures_ = 0;
    int dernierePeinte_ = 0;
    bool fenetrePeinte_ = false;
    Horloge::time_point derniereTraitee_{};
};

}  // namespace banc
