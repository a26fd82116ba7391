#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "journee/veille.h"

// The pace at which a followed file is read: ten times a second while lines
// come; once a reading finds nothing, asleep until the file or its folder
// changes (and every 2 s, for the changes no event tells).
namespace journee {

class SuiviDirect : public QObject {
  public:
    // lire: takes what the file gained; true when it gained anything.
    // enPanne: the last reading failed (the file is then tried again at the
    // waking pace). endormie: called as the follow goes to sleep.
    SuiviDirect(std::function<bool()> lire, std::function<bool()> enPanne,
                std::function<void()> endormie);
    ~SuiviDirect() override;

    // Follows this file from now on, awake.
    void Suivre(const std::string& chemin);
    bool Endormie() const { return reveil_ != nullptr && reveil_->isEnabled(); }

  private:
    void Lire();
    void Endormir();
    void Reveiller();
    void Eveiller();

    std::function<bool()> lire_, enPanne_;
    std::function<void()> endormie_;
    QTimer minuterie_;
    std::unique_ptr<VeilleFichier> veille_;
    std::unique_ptr<QSocketNotifier> reveil_;
};

}  // namespace journee
