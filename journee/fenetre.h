#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "journee/canal.h"
#include "journee/modele.h"
#include "journee/veille.h"
#include "science/sous_horizon.h"

class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QValueAxis;
class QXYSeries;

// The day view: the optical depths and the Ångström exponent of a data file
// over the day, followed live; the site form; Langley calibration.
namespace journee {

class LigneEtat;
class VueGraphique;

class FenetreJournee : public QMainWindow {
  public:
    // dossierSite: where the site file is read and written.
    FenetreJournee(ReglagesModele reglages, QString dossierSite, QWidget* parent = nullptr);
    ~FenetreJournee() override;

    // Opens and follows the file; a file that cannot be read is said in the
    // status bar and false returned.
    bool Ouvrir(const QString& chemin);
    // Takes what the file gained; true when it gained anything. While lines
    // come the timer calls it every 100 ms; once a reading finds nothing the
    // view sleeps until the file or its folder changes.
    bool Actualiser();
    // Asleep: waiting for the file to change (and reading it every 2 s).
    bool Endormie() const { return reveil_ != nullptr && reveil_->isEnabled(); }
    // Called when new points have been drawn, with how many the plot shows.
    std::function<void(size_t)> OnNouveauxPoints;

    const ModeleJournee& Modele() const { return modele_; }
    QTabWidget* Onglets() const { return onglets_; }
    VueGraphique* VueJour() const { return vueJour_; }
    QWidget* PageLangley() const { return pageLangley_; }
    QLabel* AvisSite() const { return avisSite_; }
    // Says how many records the sun below the horizon left without a depth,
    // and when; hidden while there is none.
    QLabel* AvisNuit() const { return avisNuit_; }
    // Those records' marks at the foot of the plot; null while there is none.
    QXYSeries* MarquesNuit() const { return nuit_; }
    LigneEtat* EtatFichier() const { return etat_; }
    QLineEdit* EntreeLatitude() const { return latitude_; }
    QLineEdit* EntreeLongitude() const { return longitude_; }
    QLineEdit* EntreeAltitude() const { return altitude_; }
    QComboBox* EntreeFuseau() const { return fuseau_; }
    QLabel* MessageSite() const { return messageSite_; }
    QLabel* Verdict() const { return verdict_; }
    QPushButton* BoutonReport() const { return boutonReport_; }
    // How many points the day plot holds, all series together.
    size_t PointsTraces() const;

    // The site form's entries checked and saved; false (and the reason shown
    // under the form) when one is wrong.
    bool EnregistrerSite();
    void ChoisirDemiJournee(DemiJournee demi);
    // A range of the plot's hours, as dragged with the right button.
    void ChoisirPlage(double debut, double fin);
    const std::optional<Langley>& LangleyCourant() const { return langley_; }
    // Sends the V0s of the current fit to the main window; its answer is
    // shown in the status bar when it comes, and kept.
    void ReporterV0();
    const std::optional<Reponse>& DerniereReponse() const { return reponse_; }

    // PNG or SVG by the name's extension, of the tab shown.
    bool EnregistrerImage(const QString& chemin);
    bool ExporterCsv(const QString& chemin);
    // Shows every point again.
    void VueEnsemble();

  private:
    struct Courbes {
        QXYSeries* eoVert = nullptr;
        QXYSeries* eoRouge = nullptr;
        QXYSeries* angstrom = nullptr;
    };

    void CreerMenus();
    QWidget* CreerPageJour();
    QWidget* CreerPageLangley();
    QWidget* CreerPageSite();
    void RemplirSite();
    void Retracer();
    void Ajouter(size_t debut);
    Courbes& CourbesDe(size_t serie, science::Mode mode);
    QXYSeries* ElevationDe(size_t serie);
    QXYSeries* MarquesDeNuit();
    void Attacher(QXYSeries* serie, bool elevation);
    QXYSeries* Jumelle(QXYSeries* serie);
    // serre: fit the time axis to the data, else only widen it when needed.
    void AjusterAxes(bool serre);
    // The series' points again, for every curve or those that grew.
    void Redessiner(bool toutes);
    void PrevoirRedessin();
    void Survol(QXYSeries* serie, const QPointF& point, bool dedans);
    void MontrerLangley();
    void TracerLangley(QChart* graphique, const CanalLangley& canal, const QColor& couleur);
    void Etat();
    void Repondre(const Reponse& reponse);
    void Lire();
    void Endormir();
    void Reveiller();
    void Eveiller();

    ModeleJournee modele_;
    QString dossierSite_;
    QTimer minuterie_;
    std::unique_ptr<VeilleFichier> veille_;
    std::unique_ptr<QSocketNotifier> reveil_;
    QString erreur_;               // the last reading's failure, if any
    QElapsedTimer depuisEtat_;     // since the status bar was last written
    bool compteEnRetard_ = false;  // it shows fewer records than there are

    QTabWidget* onglets_ = nullptr;
    LigneEtat* etat_ = nullptr;
    VueGraphique* vueJour_ = nullptr;
    QChart* graphique_ = nullptr;
    QCategoryAxis* axeHeure_ = nullptr;
    QValueAxis* axeEO_ = nullptr;
    QValueAxis* axeAngstrom_ = nullptr;
    QValueAxis* axeElevation_ = nullptr;
    QLabel* avisSite_ = nullptr;
    QLabel* avisNuit_ = nullptr;
    QValueAxis* axeNuit_ = nullptr;  // hidden: holds the marks at the plot's foot
    QXYSeries* nuit_ = nullptr;
    science::SousHorizon sousHorizon_;
    std::map<std::pair<size_t, int>, Courbes> courbes_;
    std::map<size_t, QXYSeries*> elevations_;
    // Per plotted curve, all its points; the series holds only those worth
    // drawing at the plot's width (a day at 240 lines/s is far more points
    // than pixels).
    struct Trace {
        std::vector<double> x, y;
        std::vector<size_t> points;   // the model's point behind each
        std::vector<size_t> montres;  // indices of those drawn
        Eclaircie eclaircie;
        // Drawn in two series: the key's holds the first `anciens` of
        // montres, which new lines do not change, and `queue` the rest (from
        // the last of those, so that the line runs on). A new line then lays
        // out and repaints a few points, not the whole day.
        QXYSeries* queue = nullptr;
        size_t anciens = 0;
        bool change = false;
    };
    std::map<QXYSeries*, Trace> traces_;
    bool redessinPrevu_ = false;
    // What the plotted points span.
    struct Etendue {
        double heureMin = 1e300, heureMax = -1e300;
        double eoMin = 0, eoMax = 0, aMin = 0, aMax = 0;
    } etendue_;
    // The value axes' ranges last asked for (before rounding).
    using Plage = std::pair<double, double>;
    Plage plageEO_{0, 0}, plageAngstrom_{0, 0};
    bool zoome_ = false;

    QWidget* pageLangley_ = nullptr;
    QComboBox* serieLangley_ = nullptr;
    QChart* langleyVert_ = nullptr;
    QChart* langleyRouge_ = nullptr;
    QLabel* resultatVert_ = nullptr;
    QLabel* resultatRouge_ = nullptr;
    QLabel* verdict_ = nullptr;
    QPushButton* boutonReport_ = nullptr;
    std::optional<Langley> langley_;
    std::optional<Reponse> reponse_;

    QLineEdit* latitude_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* altitude_ = nullptr;
    QComboBox* fuseau_ = nullptr;
    QLabel* messageSite_ = nullptr;
};

}  // namespace journee
