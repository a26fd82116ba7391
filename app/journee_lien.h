#pragma once

#include <QLocalServer>
#include <QObject>
#include <cstdint>
#include <optional>
#include <string>

#include "journee/lien_v0.h"

class TF_Fond;
class QShortcut;

// The main window's ties to the day view, none of which changes a pixel of
// it: Ctrl+J opens the day view on the data file; where a site is known the
// elevation entry's tooltip gives the sun's elevation now and F2 there types
// it in; V0s sent by the day view's Langley fit fill the expert entries while
// they are open. Nothing here writes to the instrument: the user still
// validates the expert entries.
class LienJournee : public QObject {
  public:
    explicit LienJournee(TF_Fond& fond);
    ~LienJournee() override;

    // Listens on the user's channel, unless another main window does.
    bool Ecouter(const std::string& nom);
    bool Ecoute() const { return serveur_.isListening(); }

    journee::Reponse RecevoirV0(const journee::ReportV0& report);

    // The sun's apparent elevation, degrees, from the site file beside the
    // settings; nothing without a readable site.
    std::optional<double> ElevationMaintenant(int64_t utc) const;
    // The sun's elevation now, or what is wrong with a site file that gives
    // none; nothing where there is no site file, which the window does not
    // need.
    std::optional<std::string> InfoBulleElevation(int64_t utc) const;
    // F2 in the elevation entry: types the elevation, or says why it cannot.
    bool RemplirElevation(int64_t utc);
    std::string RaisonSansElevation(int64_t utc) const;

    // Starts the day view on the current data file.
    bool OuvrirJournee();
    // The program started by OuvrirJournee; found beside this one by default.
    std::string programme;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

  private:
    void Connexion();
    std::string CheminSite() const;
    // What is wrong with the site file, when there is one that gives no site.
    std::optional<std::string> ErreurSite() const;

    TF_Fond& fond_;
    QLocalServer serveur_;
    QShortcut* raccourci_ = nullptr;
};

// What the elevation entry accepts (two digits, 1 to 90), rounded as people
// round; nothing when the sun is too low for it.
std::optional<int> ElevationSaisie(double elevation);
