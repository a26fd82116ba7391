#include "journee/trace_journee.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCursor>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "journee/apparence.h"
#include "journee/langley.h"
#include "journee/vue_graphique.h"

namespace journee {

using science::Mode;

namespace {

// The most points redrawn at each new line before the curve's settled part
// is drawn again whole.
constexpr size_t QueueMax = 256;

// Series after the first are drawn in other dashes and markers.
const Qt::PenStyle Tirets[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
const QScatterSeries::MarkerShape Formes[] = {
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeRectangle,
    QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle};

// "08:30", with the day after the first counted: "J+1 00:15".
QString TexteHeureAxe(double heures) {
    const long minutes = std::lround(heures * 60);
    const long jour = minutes >= 0 ? minutes / 1440 : (minutes - 1439) / 1440;
    const long m = minutes - jour * 1440;
    QString texte = QString("%1:%2").arg(m / 60, 2, 10, QChar('0')).arg(m % 60, 2, 10, QChar('0'));
    if (jour != 0) texte = QString("J%1%2 ").arg(jour > 0 ? "+" : "").arg(jour) + texte;
    return texte;
}

void EtiquetterHeures(QCategoryAxis* axe, double min, double max) {
    const double pas[] = {1.0 / 60, 5.0 / 60, 10.0 / 60, 0.25, 0.5, 1, 2, 3, 6, 12, 24};
    double p = 24;
    for (double candidat : pas)
        if ((max - min) / candidat <= 8) {
            p = candidat;
            break;
        }
    for (const QString& nom : axe->categoriesLabels()) axe->remove(nom);
    for (double h = std::ceil(min / p - 1e-9) * p; h <= max + 1e-9; h += p)
        axe->append(TexteHeureAxe(h), h);
}

QString Nom(const std::string& quoi, size_t serie, Mode mode, size_t series) {
    QString nom = Q(quoi);
    if (series > 1) nom += QString(", série %1").arg(serie + 1);
    if (mode == Mode::Continu) nom += " (continu)";
    return nom;
}

}  // namespace

TraceJournee::TraceJournee(const ModeleJournee& modele, QWidget* parent)
    : QWidget(parent), modele_(modele) {
    QWidget* page = this;
    auto* disposition = new QVBoxLayout(page);
    avisSite_ = new QLabel(page);
    avisSite_->setWordWrap(true);
    avisSite_->setStyleSheet(
        "QLabel { background: #fff4d6; border: 1px solid #e0b84c; padding: 6px; }");
    avisSite_->setText(
        "<b>Site de mesure inconnu.</b> La courbe montre les épaisseurs optiques telles "
        "qu'enregistrées, calculées avec l'angle d'élévation saisi. La hauteur vraie du soleil, "
        "les épaisseurs optiques recalculées et l'étalonnage de Langley ont besoin du site : "
        "latitude, longitude, altitude et fuseau horaire (onglet <i>Site</i>, Ctrl+L).");
    disposition->addWidget(avisSite_);
    avisNuit_ = new QLabel(page);
    avisNuit_->setWordWrap(true);
    avisNuit_->setStyleSheet(avisSite_->styleSheet());
    avisNuit_->hide();
    disposition->addWidget(avisNuit_);

    graphique_ = new QChart;
    graphique_->setTitle("Épaisseurs optiques et exposant d'Ångström");
    graphique_->legend()->setAlignment(Qt::AlignBottom);
    Franciser(graphique_);
    axeHeure_ = new QCategoryAxis;
    axeHeure_->setTitleText("Heure locale");
    axeHeure_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axeEO_ = new QValueAxis;
    axeEO_->setTitleText("Épaisseur optique");
    axeEO_->setLabelFormat("%.2f");
    axeAngstrom_ = new QValueAxis;
    axeAngstrom_->setTitleText("Exposant d'Ångström α");
    axeAngstrom_->setLabelFormat("%.1f");
    axeElevation_ = new QValueAxis;
    axeElevation_->setTitleText("Élévation du soleil (°)");
    axeElevation_->setLabelFormat("%.0f");
    axeElevation_->setRange(0, 90);
    axeElevation_->setTickCount(7);
    axeElevation_->setGridLineVisible(false);
    axeElevation_->setLabelsColor(Gris);
    axeElevation_->setTitleBrush(Gris);
    axeElevation_->setLinePenColor(Gris.lighter(120));
    graphique_->addAxis(axeHeure_, Qt::AlignBottom);
    graphique_->addAxis(axeEO_, Qt::AlignLeft);
    graphique_->addAxis(axeAngstrom_, Qt::AlignRight);
    graphique_->addAxis(axeElevation_, Qt::AlignRight);
    axeNuit_ = new QValueAxis;
    axeNuit_->setRange(0, 1);
    axeNuit_->setVisible(false);
    graphique_->addAxis(axeNuit_, Qt::AlignLeft);
    connect(axeHeure_, &QValueAxis::rangeChanged, this, [this](qreal min, qreal max) {
        EtiquetterHeures(axeHeure_, min, max);
        PrevoirRedessin();
    });

    vue_ = new VueGraphique(graphique_, axeHeure_, page);
    vue_->OnZoom = [this] { zoome_ = true; };
    vue_->OnEnsemble = [this] { VueEnsemble(); };
    vue_->OnPlage = [this](double a, double b) {
        if (OnPlage) OnPlage(a, b);
    };
    disposition->addWidget(vue_, 1);
    auto* aide = new QLabel(
        "Molette ou + et − : zoom ; glisser à gauche : zoom sur une plage ; flèches ou bouton "
        "du milieu : défilement ; 0 : tout voir ; glisser à droite : plage pour Langley.",
        page);
    aide->setWordWrap(true);
    disposition->addWidget(aide);
}

void TraceJournee::Retracer() {
    graphique_->removeAllSeries();
    courbes_.clear();
    elevations_.clear();
    traces_.clear();
    nuit_ = nullptr;
    sousHorizon_ = {};
    etendue_ = {};
    Ajouter(0);
}

void TraceJournee::Ajouter(size_t debut) {
    const auto& points = modele_.Points();
    const auto mettre = [&](QXYSeries* s, double x, const std::optional<double>& y, size_t i) {
        if (!y || !std::isfinite(*y)) return;
        Trace& t = traces_[s];
        t.x.push_back(x);
        t.y.push_back(*y);
        t.points.push_back(i);
        t.change = true;
    };
    for (size_t i = debut; i < points.size(); ++i) {
        const PointJournee& p = points[i];
        Courbes& c = CourbesDe(p.serie, p.mode);
        mettre(c.eoVert, p.heure, p.eoVert, i);
        mettre(c.eoRouge, p.heure, p.eoRouge, i);
        mettre(c.angstrom, p.heure, p.angstrom, i);
        etendue_.heureMin = std::min(etendue_.heureMin, p.heure);
        etendue_.heureMax = std::max(etendue_.heureMax, p.heure);
        for (const auto& eo : {p.eoVert, p.eoRouge})
            if (eo && std::isfinite(*eo)) {
                etendue_.eoMin = std::min(etendue_.eoMin, *eo);
                etendue_.eoMax = std::max(etendue_.eoMax, *eo);
            }
        if (p.angstrom && std::isfinite(*p.angstrom)) {
            etendue_.aMin = std::min(etendue_.aMin, *p.angstrom);
            etendue_.aMax = std::max(etendue_.aMax, *p.angstrom);
        }
        if (p.elevation) mettre(ElevationDe(p.serie), p.heure, p.elevation, i);
        const science::Resultat& r = modele_.Resultats()[p.resultat];
        sousHorizon_.Ajouter(r);
        // Just above the axis, so that the whole mark shows.
        if (science::SoleilSousHorizon(r)) mettre(MarquesDeNuit(), p.heure, 0.02, i);
    }
    avisNuit_->setVisible(sousHorizon_.Nombre() > 0);
    if (sousHorizon_.Nombre() > 0)
        avisNuit_->setText("<b>Soleil sous l'horizon.</b> " +
                           Q(sousHorizon_.Phrase()).toHtmlEscaped() +
                           " Ces mesures sont marquées au pied du graphique.");
    AjusterAxes(debut == 0);
    Redessiner(false);
}

void TraceJournee::PrevoirRedessin() {
    if (redessinPrevu_) return;
    redessinPrevu_ = true;
    QTimer::singleShot(0, this, [this] {
        redessinPrevu_ = false;
        Redessiner(true);
    });
}

void TraceJournee::Redessiner(bool toutes) {
    // A slice of three pixels: finer is not seen, and the chart strokes the
    // whole curve again (for its hover shape) at every change.
    const auto colonnes = static_cast<size_t>(std::max(100.0, graphique_->plotArea().width() / 3));
    for (auto& [serie, t] : traces_) {
        if (!toutes && !t.change) continue;
        t.change = false;
        const auto& montres =
            t.eclaircie.Points(t.x, t.y, axeHeure_->min(), axeHeure_->max(), colonnes);
        const auto pareils = static_cast<size_t>(
            std::mismatch(montres.begin(), montres.end(), t.montres.begin(), t.montres.end())
                .first -
            montres.begin());
        // A line beyond the axis' end changes nothing that is drawn.
        if (pareils == montres.size() && pareils == t.montres.size()) continue;
        t.montres = montres;
        // One change for each series: appending point by point makes the
        // chart lay the curve out again for each.
        const auto liste = [&](size_t de, size_t a) {
            QList<QPointF> l;
            l.reserve(static_cast<qsizetype>(a - de));
            for (size_t k = de; k < a; ++k) l.append(QPointF(t.x[montres[k]], t.y[montres[k]]));
            return l;
        };
        if (t.queue == nullptr) t.queue = Jumelle(serie);
        if (pareils < t.anciens || montres.size() - t.anciens > QueueMax) {
            t.anciens = t.eclaircie.Fixes();
            serie->replace(liste(0, t.anciens));
        }
        t.queue->replace(liste(t.anciens > 0 ? t.anciens - 1 : 0, montres.size()));
    }
}

void TraceJournee::AjusterAxes(bool serre) {
    if (!zoome_) {
        double min = 6, max = 20;
        if (etendue_.heureMin <= etendue_.heureMax) {
            const double marge = std::max(0.1, (etendue_.heureMax - etendue_.heureMin) * 0.03);
            min = etendue_.heureMin - marge;
            max = etendue_.heureMax + marge;
        }
        // While the file grows the axis keeps room ahead, so that it is not
        // laid out again (labels and all) at every new line. The margin
        // grows with the day: on the left the first point is what counts.
        const bool dedans = axeHeure_->min() <= etendue_.heureMin && axeHeure_->max() >= max;
        if (serre || !dedans) {
            if (!serre) max += std::max(0.25, (max - min) * 0.1);
            axeHeure_->setRange(min, max);
        }
    }
    // Round figures, so that the grid falls on readable values. The axis
    // then holds the rounded range, not the one asked: compare with what was
    // asked, or every new line would lay every curve out again, twice.
    const auto regler = [](QValueAxis* axe, Plage& demandee, double min, double max) {
        if (demandee == Plage{min, max}) return;
        demandee = {min, max};
        axe->setRange(min, max);
        axe->applyNiceNumbers();
    };
    regler(axeEO_, plageEO_, std::floor(std::min(0.0, etendue_.eoMin) * 10) / 10,
           std::ceil(std::max(0.5, etendue_.eoMax) * 10 * 1.05) / 10);
    regler(axeAngstrom_, plageAngstrom_, std::floor(std::min(0.0, etendue_.aMin) * 2) / 2,
           std::ceil(std::max(2.0, etendue_.aMax) * 2) / 2);
    axeElevation_->setVisible(!elevations_.empty());
}

void TraceJournee::VueEnsemble() {
    zoome_ = false;
    AjusterAxes(true);
}

size_t TraceJournee::PointsTraces() const {
    size_t n = 0;
    for (const auto& [serie, trace] : traces_) n += trace.x.size();
    return n;
}

void TraceJournee::Attacher(QXYSeries* serie, bool elevation) {
    graphique_->addSeries(serie);
    serie->attachAxis(axeHeure_);
    serie->attachAxis(elevation ? axeElevation_ : axeEO_);
    connect(serie, &QXYSeries::hovered, this,
            [this, serie](const QPointF& p, bool dedans) { Survol(serie, p, dedans); });
}

// A series drawn as `serie` is, on its axes, without a legend entry of its
// own, whose points are hovered as the curve's.
QXYSeries* TraceJournee::Jumelle(QXYSeries* serie) {
    QXYSeries* jumelle = nullptr;
    if (const auto* points = qobject_cast<QScatterSeries*>(serie)) {
        auto* j = new QScatterSeries;
        j->setMarkerShape(points->markerShape());
        j->setMarkerSize(points->markerSize());
        jumelle = j;
    } else {
        jumelle = new QLineSeries;
    }
    jumelle->setPen(serie->pen());
    jumelle->setBrush(serie->brush());
    jumelle->setName(serie->name());
    graphique_->addSeries(jumelle);
    for (QAbstractAxis* axe : serie->attachedAxes()) jumelle->attachAxis(axe);
    for (QLegendMarker* marque : graphique_->legend()->markers(jumelle)) marque->setVisible(false);
    connect(jumelle, &QXYSeries::hovered, this,
            [this, serie](const QPointF& p, bool dedans) { Survol(serie, p, dedans); });
    return jumelle;
}

TraceJournee::Courbes& TraceJournee::CourbesDe(size_t serie, Mode mode) {
    const auto cle = std::make_pair(serie, static_cast<int>(mode));
    auto trouve = courbes_.find(cle);
    if (trouve != courbes_.end()) return trouve->second;
    Courbes c;
    const size_t n = modele_.Journee().series.size();
    const auto creer = [&](const QColor& couleur, const std::string& quoi) -> QXYSeries* {
        QXYSeries* s = nullptr;
        if (mode == Mode::Simple) {
            auto* ligne = new QLineSeries;
            // One pixel wide: a wider pen is outlined segment by segment at
            // every repaint, a thin one drawn directly.
            QPen crayon(couleur, 1.0);
            crayon.setStyle(Tirets[serie % std::size(Tirets)]);
            ligne->setPen(crayon);
            s = ligne;
        } else {
            auto* points = new QScatterSeries;
            points->setMarkerShape(Formes[serie % std::size(Formes)]);
            points->setMarkerSize(9);
            points->setColor(couleur);
            points->setBorderColor(couleur.darker(150));
            s = points;
        }
        s->setName(Nom(quoi, serie, mode, n));
        Attacher(s, false);
        traces_[s];
        return s;
    };
    c.eoVert = creer(Vert, "EO verte");
    c.eoRouge = creer(Rouge, "EO rouge");
    c.angstrom = creer(Bleu, "α");
    c.angstrom->detachAxis(axeEO_);
    c.angstrom->attachAxis(axeAngstrom_);
    return courbes_.emplace(cle, c).first->second;
}

QXYSeries* TraceJournee::ElevationDe(size_t serie) {
    auto trouve = elevations_.find(serie);
    if (trouve != elevations_.end()) return trouve->second;
    auto* s = new QLineSeries;
    QPen crayon(Gris.lighter(115), 1.0);
    crayon.setStyle(Tirets[serie % std::size(Tirets)]);
    s->setPen(crayon);
    s->setName(serie == 0 ? "élévation du soleil" : QString("élévation, série %1").arg(serie + 1));
    Attacher(s, true);
    traces_[s];
    elevations_[serie] = s;
    return s;
}

// Small squares at the foot of the plot, one for each record without a depth
// because the sun was below the horizon: a night is seen, not just empty.
QXYSeries* TraceJournee::MarquesDeNuit() {
    if (nuit_ != nullptr) return nuit_;
    auto* s = new QScatterSeries;
    s->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    s->setMarkerSize(6);
    s->setColor(QColor(0x42, 0x42, 0x42));
    s->setBorderColor(QColor(0x42, 0x42, 0x42));
    s->setName("soleil sous l'horizon");
    Attacher(s, false);
    s->detachAxis(axeEO_);
    s->attachAxis(axeNuit_);
    traces_[s];
    nuit_ = s;
    return s;
}

void TraceJournee::Survol(QXYSeries* serie, const QPointF& point, bool dedans) {
    if (!dedans) {
        QToolTip::hideText();
        return;
    }
    const Trace& t = traces_[serie];
    if (t.montres.empty()) return;
    // The nearest point on screen, in the axes' units scaled to the plot.
    const QRectF zone = graphique_->plotArea();
    const double sx = zone.width() / std::max(1e-9, axeHeure_->max() - axeHeure_->min());
    const auto* axeY = static_cast<QValueAxis*>(serie->attachedAxes().last());
    const double sy = zone.height() / std::max(1e-9, axeY->max() - axeY->min());
    size_t meilleur = t.montres.front();
    double distance = 1e300;
    for (size_t i : t.montres) {
        const double dx = (t.x[i] - point.x()) * sx, dy = (t.y[i] - point.y()) * sy;
        if (dx * dx + dy * dy < distance) {
            distance = dx * dx + dy * dy;
            meilleur = i;
        }
    }
    const PointJournee& p = modele_.Points()[t.points[meilleur]];
    const science::Resultat& r = modele_.Resultats()[p.resultat];
    const auto valeur = [](const std::optional<double>& v, int d) {
        return v ? Virgule(*v, d) : QString("—");
    };
    QString texte = QString("<b>Ligne %1</b>, %2, %3<br>")
                        .arg(p.ligne)
                        .arg(Q(TexteHeure(r.secondesHorloge)))
                        .arg(p.mode == Mode::Simple ? "mesure simple" : "mesure continue");
    texte += "EO verte : " + valeur(p.eoVert, 3) + " — EO rouge : " + valeur(p.eoRouge, 3) +
             "<br>α : " + valeur(p.angstrom, 2) + "<br>V verte : " + valeur(r.vVert, 3) +
             " V — V rouge : " + valeur(r.vRouge, 3) + " V";
    if (p.elevation)
        texte += "<br>Élévation : " + valeur(p.elevation, 1) +
                 "° — masse d'air : " + valeur(r.masseAir, 2);
    if (modele_.Journee().series.size() > 1) texte += QString("<br>Série %1").arg(p.serie + 1);
    QToolTip::showText(QCursor::pos(), texte, vue_);
}

}  // namespace journee
