#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "journee/langley.h"
#include "journee/lien_v0.h"
#include "journee/modele.h"

class QChart;
class QColor;
class QComboBox;
class QLabel;
class QPushButton;

// The Langley page: a series and a range chosen (a half-day, or hours
// dragged on the day plot), both channels' points and lines, the verdict,
// and the button that sends the V0s to the main window.
namespace journee {

class OngletLangley : public QWidget {
  public:
    explicit OngletLangley(const ModeleJournee& modele, QWidget* parent = nullptr);

    void ChoisirDemiJournee(DemiJournee demi);
    // The half-day of the series holding that local date (the last series
    // without one), as the seasons window asks; said when there is none.
    void ChoisirDemiJourneeDu(DemiJournee demi, const std::optional<science::Date>& jour);
    // A range of the plot's hours.
    void ChoisirPlage(double debut, double fin);
    // The file's series in the chooser, the one chosen kept.
    void ListerSeries();
    // Nothing chosen yet.
    void Oublier();
    // The model's points changed (another site): the same range fitted again.
    void Recalculer();

    const std::optional<Langley>& Courant() const { return langley_; }
    // The current fit's V0s, with the photometer's number; nothing without
    // a fit on both channels.
    std::optional<ReportV0> Report() const;

    // The page asks to be shown: a range was chosen.
    std::function<void()> OnMontrer;
    // The report button was pressed.
    std::function<void()> OnReporter;

    QLabel* Verdict() const { return verdict_; }
    QPushButton* BoutonReport() const { return boutonReport_; }

  private:
    void Montrer();
    void Tracer(QChart* graphique, const VoieLangley& voie, const QColor& couleur);
    void Afficher();

    const ModeleJournee& modele_;
    QComboBox* serie_ = nullptr;
    QChart* graphiqueVert_ = nullptr;
    QChart* graphiqueRouge_ = nullptr;
    QLabel* resultatVert_ = nullptr;
    QLabel* resultatRouge_ = nullptr;
    QLabel* verdict_ = nullptr;
    QPushButton* boutonReport_ = nullptr;
    std::optional<Langley> langley_;
};

}  // namespace journee
