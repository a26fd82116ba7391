#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "journee/eclaircie.h"
#include "journee/etendue_profondeurs.h"
#include "journee/modele.h"
#include "science/sous_horizon.h"

class QAreaSeries;
class QCategoryAxis;
class QChart;
class QLabel;
class QPointF;
class QValueAxis;
class QXYSeries;

// The day page: the optical depths, the Ångström exponent and the sun's
// elevation of the model's points over local time, with the notices above
// them (site unknown, sun below the horizon). Records the cloud screening
// set aside are drawn faded; each depth's uncertainty is a band around it;
// a line breaks where its values stop for a while.
namespace journee {

class VueGraphique;

class TraceJournee : public QWidget {
  public:
    explicit TraceJournee(const ModeleJournee& modele, QWidget* parent = nullptr);

    // Draws every point of the model again, from an empty plot.
    void Retracer();
    // Draws the model's points from `debut` on.
    void Ajouter(size_t debut) { Ajouter(debut, debut); }
    // The same, where the points from `niveaux` on may have been screened
    // again: those whose verdict changed are drawn again.
    void Ajouter(size_t debut, size_t niveaux);
    // Shows every point again.
    void VueEnsemble();
    // The next drawing fits the time axis to the points, as after VueEnsemble.
    void OublierZoom() { zoome_ = false; }

    // A range of hours dragged with the right button.
    std::function<void(double, double)> OnPlage;

    VueGraphique* Vue() const { return vue_; }
    QLabel* AvisSite() const { return avisSite_; }
    QLabel* AvisNuit() const { return avisNuit_; }
    QXYSeries* MarquesNuit() const { return nuit_; }
    // How many points the plot holds, all series together.
    size_t PointsTraces() const;

  private:
    // One quantity of one series and mode: its pieces of line (the last
    // grows; the first alone has a legend entry) and its screened records.
    struct Courbe {
        std::vector<QXYSeries*> troncons;
        QXYSeries* ecartes = nullptr;
        bool bande = false;  // its uncertainty drawn around it
    };
    struct Courbes {
        Courbe eoVert, eoRouge, angstrom;
    };

    Courbes& CourbesDe(size_t serie, science::Mode mode);
    Courbe& ElevationDe(size_t serie);
    QXYSeries* MarquesDeNuit();
    void Attacher(QXYSeries* serie, QValueAxis* axe);
    QXYSeries* Copie(QXYSeries* serie);
    QXYSeries* Jumelle(QXYSeries* serie);
    QAreaSeries* Bande(const QColor& couleur, QValueAxis* axe);
    // The series a value at `x` goes to: the last piece, or a new one after
    // a gap.
    QXYSeries* Troncon(Courbe& c, double x);
    QXYSeries* Estompee(QXYSeries* serie);
    void Pousser(QXYSeries* serie, double x, double y, std::optional<double> u, size_t point);
    // Forgets the curve's points from the model's point `de` on.
    void Couper(Courbe& c, size_t de);
    void Supprimer(QXYSeries* serie);
    // serre: fit the time axis to the data, else only widen it when needed.
    void AjusterAxes(bool serre);
    // What the depths of each series of the file span, kept and all.
    std::vector<EtendueSerie> EtenduesProfondeurs();
    // The series' points again, for every curve or those that grew.
    void Redessiner(bool toutes);
    void PrevoirRedessin();
    void Survol(QXYSeries* serie, const QPointF& point, bool dedans);

    const ModeleJournee& modele_;
    VueGraphique* vue_ = nullptr;
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
    std::map<size_t, Courbe> elevations_;
    // For each model's point drawn, whether it was drawn as screened out.
    std::vector<bool> ecartes_;
    // Per plotted curve, all its points; the series holds only those worth
    // drawing at the plot's width (a day at 240 lines/s is far more points
    // than pixels).
    struct Trace {
        std::vector<double> x, y;
        std::vector<size_t> points;  // the model's point behind each
        std::vector<double> u;       // the uncertainty, with a band
        // For a depth's, what the points up to each span, bands included:
        // cut with them.
        bool profondeur = false;
        std::vector<Etendue> cumul;
        std::vector<size_t> montres;  // indices of those drawn
        Eclaircie eclaircie;
        // Drawn in two series: the key's holds the first `anciens` of
        // montres, which new lines do not change, and `queue` the rest (from
        // the last of those, so that the line runs on). A new line then lays
        // out and repaints a few points, not the whole day.
        QXYSeries* queue = nullptr;
        size_t anciens = 0;
        bool change = false;
        // Points taken back: the series hold some no longer there.
        bool refaire = false;
        // The band in the same two parts.
        QAreaSeries* bande = nullptr;
        QAreaSeries* bandeQueue = nullptr;
    };
    std::map<QXYSeries*, Trace> traces_;
    bool redessinPrevu_ = false;
    // What the plotted points span.
    struct Bornes {
        double heureMin = 1e300, heureMax = -1e300;
        double aMin = 0, aMax = 0;
    } etendue_;
    // The value axes' ranges last asked for (before rounding), and got.
    using Plage = std::pair<double, double>;
    Plage plageEO_[2]{}, plageAngstrom_[2]{};
    bool zoome_ = false;
};

}  // namespace journee
