#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "archive/etalonnage.h"
#include "journee/lien_v0.h"
#include "saisons/series_etalonnage.h"

class QLabel;
class QPushButton;
class QStackedWidget;

// The seasons window's calibration tab: for one instrument, each channel's
// half-day V0s against the date with their errors, told apart by their
// fate, the recommended V0 and its band in each calibration period, the
// drift; a half-day's fit on hover, its Langley in the day view on a click,
// and the latest recommendation carried to the main window's expert mode.
namespace saisons {

class Barres;
class VueSaisons;

class OngletEtalonnage : public QWidget {
  public:
    explicit OngletEtalonnage(QWidget* parent = nullptr);
    ~OngletEtalonnage() override;

    // One instrument's history; or, without one, the sentence shown instead.
    void Montrer(const archive::HistoriqueInstrument& historique);
    void Expliquer(const QString& pourquoi);

    // A click on a half-day: the integrator opens its Langley.
    std::function<void(const std::string& instrument, const archive::DemiJourneeArchivee&)>
        OnOuvrir;

    // Sends the latest recommended V0s to the main window; the answer is
    // shown under the button when it comes, and kept.
    void Reporter();
    const std::optional<journee::Reponse>& DerniereReponse() const { return reponse_; }

    // The half-day under a point of a chart's view (0 green, 1 red): its
    // tooltip, or its Langley opened.
    void Survoler(int canal, QPoint ici);
    void Cliquer(int canal, QPoint ici);

    // For the window and its tests.
    VueSaisons* Vue(int canal) const;
    const CanalEtalonnage& Canal(int canal) const;
    QString TexteSurvol() const { return survol_; }
    QString TexteMessage() const;  // empty while the charts show
    QPushButton* BoutonReport() const { return bouton_; }
    QLabel* Recommandation() const { return recommandation_; }
    QLabel* TexteReponse() const { return texteReponse_; }
    QString Titre(int canal) const;

  private:
    struct Graphique;

    void Tracer(Graphique& g);
    std::optional<size_t> Sous(int canal, QPoint ici) const;  // in the channel's points
    void AxeTemps(double debut, double fin);
    void Synchroniser(int source);

    std::optional<archive::HistoriqueInstrument> historique_;
    ReportRecommande report_;
    std::optional<journee::Reponse> reponse_;
    QString survol_;
    QStackedWidget* pile_ = nullptr;
    QLabel* message_ = nullptr;
    QWidget* graphiques_ = nullptr;
    QLabel* resume_ = nullptr;
    QLabel* recommandation_ = nullptr;
    QLabel* texteReponse_ = nullptr;
    QPushButton* bouton_ = nullptr;
    Graphique* canaux_[2] = {};
    bool synchronisation_ = false;
};

}  // namespace saisons
