#include "journee/trace_journee.h"

#include <QAreaSeries>
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

#include "science/filtrage_nuages.h"

#include "journee/apparence.h"
#include "journee/bulle_mesure.h"
#include "journee/langley.h"
#include "journee/troncons.h"
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
    ecartes_.clear();
    traces_.clear();
    nuit_ = nullptr;
    sousHorizon_ = {};
    etendue_ = {};
    Ajouter(0);
}

void TraceJournee::Ajouter(size_t debut, size_t niveaux) {
    const auto& points = modele_.Points();
    const auto& resultats = modele_.Resultats();
    // The screening of a series depends on all its records: a line can set
    // aside (or take back) a few before it. Those are drawn again from the
    // first that changed, the rest stays.
    size_t de = std::min(debut, ecartes_.size());
    for (size_t i = niveaux; i < de; ++i)
        if (Ecarte(resultats[points[i].resultat]) != ecartes_[i]) {
            de = i;
            break;
        }
    if (de < ecartes_.size())
        for (auto& [cle, c] : courbes_)
            for (Courbe* courbe : {&c.eoVert, &c.eoRouge, &c.angstrom}) Couper(*courbe, de);
    ecartes_.resize(de);
    const bool avecSite = modele_.Site().has_value();
    const auto mettre = [&](Courbe& c, double x, const std::optional<double>& y,
                            const std::optional<double>& u, size_t i, bool ecarte) {
        if (!y || !std::isfinite(*y)) return;
        QXYSeries* s = nullptr;
        if (ecarte) {
            if (c.ecartes == nullptr) c.ecartes = Estompee(c.troncons.front());
            s = c.ecartes;
        } else {
            s = Troncon(c, x);
        }
        Pousser(s, x, *y, avecSite ? u : std::nullopt, i);
    };
    for (size_t i = de; i < points.size(); ++i) {
        const PointJournee& p = points[i];
        const science::Resultat& r = resultats[p.resultat];
        const bool ecarte = Ecarte(r);
        ecartes_.push_back(ecarte);
        Courbes& c = CourbesDe(p.serie, p.mode);
        mettre(c.eoVert, p.heure, p.eoVert, r.uEoVert, i, ecarte);
        mettre(c.eoRouge, p.heure, p.eoRouge, r.uEoRouge, i, ecarte);
        mettre(c.angstrom, p.heure, p.angstrom, std::nullopt, i, ecarte);
        // What follows is not screened: drawn once.
        if (i < debut) continue;
        etendue_.heureMin = std::min(etendue_.heureMin, p.heure);
        etendue_.heureMax = std::max(etendue_.heureMax, p.heure);
        if (p.angstrom && std::isfinite(*p.angstrom)) {
            etendue_.aMin = std::min(etendue_.aMin, *p.angstrom);
            etendue_.aMax = std::max(etendue_.aMax, *p.angstrom);
        }
        if (p.elevation) mettre(ElevationDe(p.serie), p.heure, p.elevation, std::nullopt, i, false);
        sousHorizon_.Ajouter(r);
        // Just above the axis, so that the whole mark shows.
        if (science::SoleilSousHorizon(r)) Pousser(MarquesDeNuit(), p.heure, 0.02, std::nullopt, i);
    }
    avisNuit_->setVisible(sousHorizon_.Nombre() > 0);
    if (sousHorizon_.Nombre() > 0)
        avisNuit_->setText("<b>Soleil sous l'horizon.</b> " +
                           Q(sousHorizon_.Phrase()).toHtmlEscaped() +
                           " Ces mesures sont marquées au pied du graphique.");
    AjusterAxes(debut == 0 && de == 0);
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
        if (!toutes && !t.change && !t.refaire) continue;
        t.change = false;
        const auto& montres =
            t.eclaircie.Points(t.x, t.y, axeHeure_->min(), axeHeure_->max(), colonnes);
        const auto pareils = static_cast<size_t>(
            std::mismatch(montres.begin(), montres.end(), t.montres.begin(), t.montres.end())
                .first -
            montres.begin());
        // A line beyond the axis' end changes nothing that is drawn.
        if (!t.refaire && pareils == montres.size() && pareils == t.montres.size()) continue;
        t.montres = montres;
        // One change for each series: appending point by point makes the
        // chart lay the curve out again for each.
        const auto liste = [&](size_t de, size_t a) {
            QList<QPointF> l;
            l.reserve(static_cast<qsizetype>(a - de));
            for (size_t k = de; k < a; ++k) l.append(QPointF(t.x[montres[k]], t.y[montres[k]]));
            return l;
        };
        // value − u to value + u.
        const auto bande = [&](QAreaSeries* a, size_t de, size_t fin) {
            QList<QPointF> haut, bas;
            for (size_t k = de; k < fin; ++k) {
                const size_t i = montres[k];
                haut.append(QPointF(t.x[i], t.y[i] + t.u[i]));
                bas.append(QPointF(t.x[i], t.y[i] - t.u[i]));
            }
            a->upperSeries()->replace(haut);
            a->lowerSeries()->replace(bas);
        };
        if (t.queue == nullptr) t.queue = Jumelle(serie);
        t.refaire = false;
        if (pareils < t.anciens || montres.size() - t.anciens > QueueMax) {
            t.anciens = t.eclaircie.Fixes();
            serie->replace(liste(0, t.anciens));
            if (t.bande != nullptr) bande(t.bande, 0, t.anciens);
        }
        const size_t reprise = t.anciens > 0 ? t.anciens - 1 : 0;
        t.queue->replace(liste(reprise, montres.size()));
        if (t.bandeQueue != nullptr) bande(t.bandeQueue, reprise, montres.size());
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
    // A series made since (a piece of curve, the faded points) may have
    // moved the axis: then it is set again.
    const auto regler = [](QValueAxis* axe, Plage(&plage)[2], double min, double max) {
        if (plage[0] == Plage{min, max} && plage[1] == Plage{axe->min(), axe->max()}) return;
        plage[0] = {min, max};
        axe->setRange(min, max);
        // Rounding sets the tick count too: from the same start each time,
        // or the axis would depend on the ranges it went through.
        axe->setTickCount(5);
        axe->applyNiceNumbers();
        plage[1] = {axe->min(), axe->max()};
    };
    const auto [eoMin, eoMax] = PlageProfondeurs(EtenduesProfondeurs());
    regler(axeEO_, plageEO_, eoMin, eoMax);
    regler(axeAngstrom_, plageAngstrom_, std::floor(std::min(0.0, etendue_.aMin) * 2) / 2,
           std::ceil(std::max(2.0, etendue_.aMax) * 2) / 2);
    axeElevation_->setVisible(!elevations_.empty());
}

std::vector<EtendueSerie> TraceJournee::EtenduesProfondeurs() {
    std::vector<EtendueSerie> series;
    const auto etendue = [this](QXYSeries* s) {
        const Trace& t = traces_[s];
        return t.cumul.empty() ? Etendue() : t.cumul.back();
    };
    for (auto& [cle, c] : courbes_) {
        if (series.size() <= cle.first) series.resize(cle.first + 1);
        EtendueSerie& e = series[cle.first];
        for (const Courbe* courbe : {&c.eoVert, &c.eoRouge}) {
            for (QXYSeries* s : courbe->troncons) e.retenues.Ajouter(etendue(s));
            if (courbe->ecartes != nullptr) e.toutes.Ajouter(etendue(courbe->ecartes));
        }
        e.toutes.Ajouter(e.retenues);
    }
    return series;
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

void TraceJournee::Attacher(QXYSeries* serie, QValueAxis* axe) {
    graphique_->addSeries(serie);
    serie->attachAxis(axeHeure_);
    serie->attachAxis(axe);
    connect(serie, &QXYSeries::hovered, this,
            [this, serie](const QPointF& p, bool dedans) { Survol(serie, p, dedans); });
}

// A series drawn as `serie` is, on its axes, without a legend entry of its
// own.
QXYSeries* TraceJournee::Copie(QXYSeries* serie) {
    QXYSeries* copie = nullptr;
    if (const auto* points = qobject_cast<QScatterSeries*>(serie)) {
        auto* c = new QScatterSeries;
        c->setMarkerShape(points->markerShape());
        c->setMarkerSize(points->markerSize());
        copie = c;
    } else {
        copie = new QLineSeries;
    }
    copie->setPen(serie->pen());
    copie->setBrush(serie->brush());
    copie->setName(serie->name());
    graphique_->addSeries(copie);
    for (QAbstractAxis* axe : serie->attachedAxes()) copie->attachAxis(axe);
    for (QLegendMarker* marque : graphique_->legend()->markers(copie)) marque->setVisible(false);
    return copie;
}

// The copy that draws the end of `serie`'s curve, hovered as the curve.
QXYSeries* TraceJournee::Jumelle(QXYSeries* serie) {
    QXYSeries* jumelle = Copie(serie);
    connect(jumelle, &QXYSeries::hovered, this,
            [this, serie](const QPointF& p, bool dedans) { Survol(serie, p, dedans); });
    return jumelle;
}

// Light and without an outline: the curve shows through it. Made before
// its curve, so that it is drawn behind.
QAreaSeries* TraceJournee::Bande(const QColor& couleur, QValueAxis* axe) {
    auto* bande = new QAreaSeries;
    bande->setUpperSeries(new QLineSeries(bande));
    bande->setLowerSeries(new QLineSeries(bande));
    QColor fond = couleur;
    fond.setAlpha(45);
    bande->setBrush(fond);
    bande->setPen(Qt::NoPen);
    bande->setName("incertitude");
    graphique_->addSeries(bande);
    bande->attachAxis(axeHeure_);
    bande->attachAxis(axe);
    for (QLegendMarker* marque : graphique_->legend()->markers(bande)) marque->setVisible(false);
    return bande;
}

QXYSeries* TraceJournee::Troncon(Courbe& c, double x) {
    QXYSeries* dernier = c.troncons.back();
    const Trace& t = traces_[dernier];
    // Points break too: a continuous run is a dense curve, and its band
    // must not bridge a gap.
    if (t.x.empty() || !Trou(t.x.back(), x)) return dernier;
    QAreaSeries *bande = nullptr, *bandeQueue = nullptr;
    if (c.bande) {
        const QColor couleur = dernier->pen().color();
        auto* axe = static_cast<QValueAxis*>(dernier->attachedAxes().last());
        bande = Bande(couleur, axe);
        bandeQueue = Bande(couleur, axe);
    }
    QXYSeries* s = Copie(c.troncons.front());
    connect(s, &QXYSeries::hovered, this,
            [this, s](const QPointF& p, bool dedans) { Survol(s, p, dedans); });
    Trace& nouvelle = traces_[s];
    nouvelle.profondeur = traces_[c.troncons.front()].profondeur;
    nouvelle.bande = bande;
    nouvelle.bandeQueue = bandeQueue;
    c.troncons.push_back(s);
    return s;
}

// The records the screening set aside: the curve's colour, faded, as points
// whatever the mode, since they are not a curve.
QXYSeries* TraceJournee::Estompee(QXYSeries* serie) {
    auto* s = new QScatterSeries;
    QColor couleur = serie->pen().color();
    if (const auto* points = qobject_cast<QScatterSeries*>(serie)) {
        s->setMarkerShape(points->markerShape());
        s->setMarkerSize(points->markerSize() - 2);
        couleur = points->color();
    } else {
        s->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        s->setMarkerSize(5);
    }
    couleur.setAlpha(90);
    s->setColor(couleur);
    s->setBorderColor(couleur);
    s->setName(serie->name() + " (écartée)");
    graphique_->addSeries(s);
    for (QAbstractAxis* axe : serie->attachedAxes()) s->attachAxis(axe);
    for (QLegendMarker* marque : graphique_->legend()->markers(s)) marque->setVisible(false);
    connect(s, &QXYSeries::hovered, this,
            [this, s](const QPointF& p, bool dedans) { Survol(s, p, dedans); });
    traces_[s].profondeur = traces_[serie].profondeur;
    return s;
}

void TraceJournee::Pousser(QXYSeries* serie, double x, double y, std::optional<double> u,
                           size_t point) {
    Trace& t = traces_[serie];
    t.x.push_back(x);
    t.y.push_back(y);
    t.points.push_back(point);
    double ecart = 0;
    if (t.bande != nullptr) {
        ecart = u && std::isfinite(*u) ? *u : 0.0;
        t.u.push_back(ecart);
    }
    if (t.profondeur) {
        Etendue e = t.cumul.empty() ? Etendue() : t.cumul.back();
        e.Ajouter(y - ecart, y + ecart);
        t.cumul.push_back(e);
    }
    t.change = true;
}

void TraceJournee::Couper(Courbe& c, size_t de) {
    const auto tronquer = [&](QXYSeries* s) {
        Trace& t = traces_[s];
        const auto garde = static_cast<size_t>(
            std::lower_bound(t.points.begin(), t.points.end(), de) - t.points.begin());
        if (garde == t.points.size()) return;
        t.x.resize(garde);
        t.y.resize(garde);
        t.points.resize(garde);
        if (!t.u.empty()) t.u.resize(garde);
        t.cumul.resize(garde);
        // The thinning starts over (it takes the points it saw as unchanged);
        // what was drawn before `garde` still is, and is not drawn again
        // unless the thinning now picks otherwise there.
        t.eclaircie = Eclaircie();
        t.montres.erase(std::lower_bound(t.montres.begin(), t.montres.end(), garde),
                        t.montres.end());
        t.refaire = true;
    };
    if (c.ecartes != nullptr) tronquer(c.ecartes);
    while (c.troncons.size() > 1) {
        const Trace& t = traces_[c.troncons.back()];
        if (!t.points.empty() && t.points.front() < de) break;
        Supprimer(c.troncons.back());
        c.troncons.pop_back();
    }
    tronquer(c.troncons.back());
}

void TraceJournee::Supprimer(QXYSeries* serie) {
    const Trace& t = traces_[serie];
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(t.queue), static_cast<QAbstractSeries*>(t.bande),
          static_cast<QAbstractSeries*>(t.bandeQueue), static_cast<QAbstractSeries*>(serie)})
        if (s != nullptr) {
            graphique_->removeSeries(s);
            delete s;
        }
    traces_.erase(serie);
}

TraceJournee::Courbes& TraceJournee::CourbesDe(size_t serie, Mode mode) {
    const auto cle = std::make_pair(serie, static_cast<int>(mode));
    auto trouve = courbes_.find(cle);
    if (trouve != courbes_.end()) return trouve->second;
    Courbes c;
    const size_t n = modele_.Journee().series.size();
    // Bands only for the depths recomputed with a site.
    const bool bandes = modele_.Site().has_value();
    std::pair<QAreaSeries*, QAreaSeries*> bandeVerte{}, bandeRouge{};
    if (bandes) {
        bandeVerte = {Bande(Vert, axeEO_), Bande(Vert, axeEO_)};
        bandeRouge = {Bande(Rouge, axeEO_), Bande(Rouge, axeEO_)};
    }
    const auto creer = [&](const QColor& couleur, const std::string& quoi, QValueAxis* axe,
                           std::pair<QAreaSeries*, QAreaSeries*> bande) -> Courbe {
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
        Attacher(s, axe);
        Trace& t = traces_[s];
        t.profondeur = axe == axeEO_;
        t.bande = bande.first;
        t.bandeQueue = bande.second;
        Courbe courbe;
        courbe.troncons.push_back(s);
        courbe.bande = bande.first != nullptr;
        return courbe;
    };
    c.eoVert = creer(Vert, "EO verte", axeEO_, bandeVerte);
    c.eoRouge = creer(Rouge, "EO rouge", axeEO_, bandeRouge);
    c.angstrom = creer(Bleu, "α", axeAngstrom_, {});
    return courbes_.emplace(cle, c).first->second;
}

TraceJournee::Courbe& TraceJournee::ElevationDe(size_t serie) {
    auto trouve = elevations_.find(serie);
    if (trouve != elevations_.end()) return trouve->second;
    auto* s = new QLineSeries;
    QPen crayon(Gris.lighter(115), 1.0);
    crayon.setStyle(Tirets[serie % std::size(Tirets)]);
    s->setPen(crayon);
    s->setName(serie == 0 ? "élévation du soleil" : QString("élévation, série %1").arg(serie + 1));
    Attacher(s, axeElevation_);
    traces_[s];
    Courbe& c = elevations_[serie];
    c.troncons.push_back(s);
    return c;
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
    Attacher(s, axeNuit_);
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
    const QString texte =
        TexteBulle(p, r, modele_.Site().has_value(), modele_.Journee().series.size());
    QToolTip::showText(QCursor::pos(), texte, vue_);
}

}  // namespace journee
