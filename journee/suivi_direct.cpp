#include "journee/suivi_direct.h"

#include <utility>

namespace journee {

namespace {

// The file is read ten times a second while lines come: a line is drawn
// about 100 ms after it is written at the latest (150 ms came close to 200 on
// a busy machine). Asleep, the file's events wake the view.
constexpr int IntervalleEveille = 100, IntervalleEndormi = 2000;

}  // namespace

SuiviDirect::SuiviDirect(std::function<bool()> lire, std::function<bool()> enPanne,
                         std::function<void()> endormie)
    : lire_(std::move(lire)), enPanne_(std::move(enPanne)), endormie_(std::move(endormie)) {
    connect(&minuterie_, &QTimer::timeout, this, [this] { Lire(); });
}

SuiviDirect::~SuiviDirect() = default;

void SuiviDirect::Suivre(const std::string& chemin) {
    reveil_.reset();
    veille_ = std::make_unique<VeilleFichier>(chemin);
    if (veille_->Descripteur() >= 0) {
        reveil_ = std::make_unique<QSocketNotifier>(veille_->Descripteur(), QSocketNotifier::Read);
        reveil_->setEnabled(false);
        connect(reveil_.get(), &QSocketNotifier::activated, this, [this] { Reveiller(); });
    }
    minuterie_.start(IntervalleEveille);
}

void SuiviDirect::Lire() {
    const bool nouveau = lire_();
    if (Endormie()) {
        if (nouveau) Eveiller();
    } else if (!nouveau && !enPanne_()) {
        // A file that cannot be read is tried again at the timer's pace.
        Endormir();
    }
}

void SuiviDirect::Endormir() {
    if (!reveil_ || !veille_->Armer()) return;
    // What was waiting came before the watch; a line written since the last
    // reading is read now, or its event wakes the view.
    veille_->Vider();
    if (lire_()) {
        veille_->Desarmer();
        return;
    }
    endormie_();
    reveil_->setEnabled(true);
    // A file on a shared folder written from another machine raises no
    // event here: it is still looked at, seldom.
    minuterie_.start(IntervalleEndormi);
}

void SuiviDirect::Reveiller() {
    if (!veille_->Vider()) return;
    lire_();
    Eveiller();
}

void SuiviDirect::Eveiller() {
    reveil_->setEnabled(false);
    veille_->Desarmer();
    veille_->Vider();
    minuterie_.start(IntervalleEveille);
}

}  // namespace journee
