#pragma once

#include <QMainWindow>
#include <functional>
#include <string>
#include <vector>

#include "archive/etalonnage.h"
#include "archive/jours.h"
#include "saisons/selection.h"

class QCategoryAxis;
class QChart;
class QComboBox;
class QLabel;
class QMenu;
class QScatterSeries;
class QStackedWidget;
class QTabWidget;
class QValueAxis;

// The seasons window: each day of the archive, its depths and α (median
// and range, level 1.5 or 2.0) and its count of records, a week, a month or
// a year at a time, for one site and instrument or all; in a second tab an
// instrument's calibration history; above both, the instruments that need
// new constants.
namespace saisons {

class Barres;
class OngletEtalonnage;
class VueSaisons;

// Where the days come from: the archive, or a test's vector.
using SourceJours = std::function<std::vector<archive::ResumeJour>(const archive::ChoixJours&)>;
// Every instrument's calibration history, read with the days.
using SourceHistoriques = std::function<std::vector<archive::HistoriqueInstrument>()>;

// Thrown by a source whose archive is not there yet: no failure, the window
// says where the first import will make it.
struct ArchiveAbsente {
    std::string chemin;
};

class FenetreSaisons : public QMainWindow {
  public:
    explicit FenetreSaisons(SourceJours source, SourceHistoriques historiques = {},
                            QWidget* parent = nullptr);
    ~FenetreSaisons() override;

    // A click on a day: the integrator opens it in the day view.
    std::function<void(const archive::ResumeJour&)> OnOuvrirJour;
    // A half-day clicked in the calibration tab: its day (site and
    // instrument) and its half, for the day view's Langley page.
    std::function<void(const archive::ResumeJour&, science::DemiJour)> OnOuvrirDemiJournee;

    // Reads the days again from the source (F5).
    void Actualiser();

    void ChoisirEtendue(Etendue etendue);
    void ChoisirSite(const QString& site);              // "" for every site
    void ChoisirInstrument(const QString& instrument);  // "" for every instrument
    void MontrerPeriode(const Periode& periode);
    void PeriodeVoisine(int sens);
    void VueEnsemble();

    bool EnregistrerImage(const QString& chemin);  // PNG, or SVG by its extension
    bool ExporterCsv(const QString& chemin);

    // What the window holds, for its tests.
    const std::vector<archive::ResumeJour>& JoursMontres() const { return jours_; }
    Periode PeriodeVisible() const;
    QString TexteSurvol() const { return survol_; }
    QString TexteEtat() const;
    QString TexteVide() const;  // empty while the charts show
    VueSaisons* VueEpaisseurs() const { return vues_[0]; }
    VueSaisons* VueAngstrom() const { return vues_[1]; }
    VueSaisons* VueMesures() const { return vues_[2]; }
    QComboBox* ChoixEtendue() const { return etendue_; }
    QComboBox* ChoixSite() const { return site_; }
    QComboBox* ChoixInstrument() const { return instrument_; }
    QTabWidget* Onglets() const { return onglets_; }
    OngletEtalonnage* Etalonnage() const { return etalonnage_; }
    QString TexteAvis() const;  // the new-constants warning, empty when hidden

  private:
    struct Graphique;

    void CreerMenus();
    QWidget* CreerBarreChoix();
    void CreerGraphiques();
    void Filtrer();
    void Retracer();
    void Synchroniser(const VueSaisons* source);
    void AxesApresZoom();
    void Aligner();
    void TaillerMarques();
    void Survoler(double x, QPoint ou);
    void Cliquer(double x);
    void Etat();
    void MontrerEtalonnage();
    void OuvrirDemiJournee(const std::string& instrument, const archive::DemiJourneeArchivee& d);

    SourceJours source_;
    SourceHistoriques sourceHistoriques_;
    std::vector<archive::HistoriqueInstrument> historiques_;
    QString erreurHistoriques_;
    std::vector<archive::ResumeJour> tous_;   // every day the source gave
    std::vector<archive::ResumeJour> jours_;  // those the filters keep
    QString erreur_;
    QString absente_;  // the archive's path, while it does not exist
    QString survol_;
    Etendue etendueChoisie_ = Etendue::Annees;

    QComboBox* etendue_ = nullptr;
    QComboBox* site_ = nullptr;
    QComboBox* instrument_ = nullptr;
    QLabel* periode_ = nullptr;
    QStackedWidget* pile_ = nullptr;
    QLabel* vide_ = nullptr;
    QWidget* graphiques_ = nullptr;
    QLabel* etat_ = nullptr;
    QLabel* avis_ = nullptr;
    QTabWidget* onglets_ = nullptr;
    OngletEtalonnage* etalonnage_ = nullptr;
    VueSaisons* vues_[3] = {};
    QCategoryAxis* axesX_[3] = {};
    QValueAxis* axesY_[3] = {};
    Barres* barres_[3] = {};
    QScatterSeries* medianeVert_ = nullptr;
    QScatterSeries* medianeRouge_ = nullptr;
    QScatterSeries* medianeAngstrom_ = nullptr;
    // The days at level 2.0, drawn apart.
    QScatterSeries* deuxVert_ = nullptr;
    QScatterSeries* deuxRouge_ = nullptr;
    QScatterSeries* deuxAngstrom_ = nullptr;
    QScatterSeries* legendeDeux_ = nullptr;  // the count's level-2.0 bars
    QMenu* choixJour_ = nullptr;
    bool synchronisation_ = false;
    bool alignement_ = false;  // an alignment is on its way
};

}  // namespace saisons
