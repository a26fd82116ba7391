#include "saisons/onglet_etalonnage.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QStackedWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "journee/apparence.h"
#include "journee/client_lien_v0.h"
#include "saisons/barres.h"
#include "saisons/graduations.h"
#include "saisons/vue_saisons.h"

namespace saisons {

using journee::Q;

namespace {

const QColor Aberrant(0xe6, 0x7e, 0x00);

// A marker picked within this many pixels of the mouse.
constexpr double RayonSurvol = 8;

QScatterSeries* Nuage(const QString& nom, const QColor& fond, const QColor& bord,
                      QScatterSeries::MarkerShape forme, double taille) {
    auto* s = new QScatterSeries;
    s->setName(nom);
    s->setColor(fond);
    s->setBorderColor(bord);
    s->setMarkerShape(forme);
    s->setMarkerSize(taille);
    return s;
}

QColor Pale(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

}  // namespace

struct OngletEtalonnage::Graphique {
    science::Voie voie;
    QColor couleur;
    QChart* chart = nullptr;
    VueSaisons* vue = nullptr;
    QCategoryAxis* x = nullptr;
    QValueAxis* y = nullptr;
    Barres* erreurs = nullptr;
    CanalEtalonnage canal;
    std::vector<PointV0> montres;  // the points as drawn: those off the scale at its edge
};

OngletEtalonnage::OngletEtalonnage(QWidget* parent) : QWidget(parent) {
    auto* colonne = new QVBoxLayout(this);
    colonne->setContentsMargins(0, 0, 0, 0);
    pile_ = new QStackedWidget;
    message_ = new QLabel;
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setMargin(40);
    QFont grande = message_->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    message_->setFont(grande);
    pile_->addWidget(message_);

    graphiques_ = new QWidget;
    auto* page = new QVBoxLayout(graphiques_);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);
    resume_ = new QLabel;
    resume_->setWordWrap(true);
    page->addWidget(resume_);
    for (int i = 0; i < 2; ++i) {
        auto* g = new Graphique;
        g->voie = i == 0 ? science::Voie::Vert : science::Voie::Rouge;
        g->couleur = i == 0 ? journee::Vert : journee::Rouge;
        g->chart = new QChart;
        journee::Franciser(g->chart);
        g->chart->setMargins(QMargins(6, 2, 6, 2));
        g->chart->legend()->setAlignment(Qt::AlignRight);
        g->x = new QCategoryAxis;
        g->x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        if (i == 1) g->x->setTitleText("Demi-journée (date du site)");
        g->y = new QValueAxis;
        g->y->setTitleText("V0 à 1 UA (V)");
        g->y->setLabelFormat("%.3f");
        g->chart->addAxis(g->x, Qt::AlignBottom);
        g->chart->addAxis(g->y, Qt::AlignLeft);
        g->erreurs = new Barres(g->chart, g->x, g->y);
        g->vue = new VueSaisons(g->chart, g->x);
        g->vue->setObjectName(i == 0 ? "etalonnageVert" : "etalonnageRouge");
        g->vue->setMouseTracking(true);
        g->vue->OnZoom = [this, i] { Synchroniser(i); };
        g->vue->OnEnsemble = [this, g] {
            const CanalEtalonnage& c = g->canal;
            const double marge = std::max(2.0, (c.xMax - c.xMin) / 30);
            AxeTemps(c.xMin - marge, c.xMax + marge);
        };
        g->vue->OnSurvolIci = [this, i](QPoint ici) { Survoler(i, ici); };
        g->vue->OnClicIci = [this, i](QPoint ici) { Cliquer(i, ici); };
        canaux_[i] = g;
        page->addWidget(g->vue, 1);
    }
    auto* bas = new QHBoxLayout;
    recommandation_ = new QLabel;
    recommandation_->setWordWrap(true);
    bas->addWidget(recommandation_, 1);
    bouton_ = new QPushButton("&Reporter les V0 recommandés dans le mode expert");
    bouton_->setToolTip(
        "Remplit les V0 du mode expert de la fenêtre principale, s'il y est ouvert, avec les "
        "derniers V0 recommandés des deux voies. Rien n'est écrit dans le photomètre avant que "
        "vous validiez l'étalonnage dans cette fenêtre.");
    bouton_->setEnabled(false);
    connect(bouton_, &QPushButton::clicked, this, [this] { Reporter(); });
    bas->addWidget(bouton_);
    page->addLayout(bas);
    texteReponse_ = new QLabel;
    texteReponse_->setWordWrap(true);
    page->addWidget(texteReponse_);
    pile_->addWidget(graphiques_);
    colonne->addWidget(pile_);
    Expliquer("Choisissez un instrument pour voir son étalonnage.");
}

OngletEtalonnage::~OngletEtalonnage() {
    for (Graphique* g : canaux_) delete g;
}

VueSaisons* OngletEtalonnage::Vue(int canal) const {
    return canaux_[canal]->vue;
}

const CanalEtalonnage& OngletEtalonnage::Canal(int canal) const {
    return canaux_[canal]->canal;
}

QString OngletEtalonnage::Titre(int canal) const {
    return canaux_[canal]->chart->title();
}

QString OngletEtalonnage::TexteMessage() const {
    return pile_->currentWidget() == message_ ? message_->text() : QString();
}

void OngletEtalonnage::Expliquer(const QString& pourquoi) {
    historique_.reset();
    report_ = {};
    message_->setText(pourquoi);
    pile_->setCurrentWidget(message_);
    bouton_->setEnabled(false);
}

void OngletEtalonnage::Montrer(const archive::HistoriqueInstrument& h) {
    const bool autre = !historique_ || historique_->instrument != h.instrument;
    historique_ = h;
    if (h.demiJournees.empty()) {
        Expliquer("Aucune demi-journée de Langley pour le photomètre n°" + Q(h.instrument) +
                  " dans l'archive.");
        return;
    }
    pile_->setCurrentWidget(graphiques_);
    size_t comptes[3] = {};
    for (const science::StatutLangley s : h.statuts) ++comptes[static_cast<int>(s)];
    const auto nombre = [](size_t n, const char* un, const char* plusieurs) {
        return QString::number(n) + " " + (n > 1 ? plusieurs : un);
    };
    resume_->setText(
        "Photomètre n°" + Q(h.instrument) + " : " +
        nombre(h.demiJournees.size(), "demi-journée de Langley", "demi-journées de Langley") +
        " (les deux voies), " + nombre(comptes[1], "acceptée", "acceptées") + ", " +
        nombre(comptes[0], "rejetée", "rejetées") + ", " +
        nombre(comptes[2], "aberrante", "aberrantes") +
        ". Survolez un point pour son ajustement ; un clic ouvre sa droite de Langley.");
    for (Graphique* g : canaux_) {
        g->canal = SeriesEtalonnage(h, g->voie);
        Tracer(*g);
    }
    report_ = V0ARecommander(h);
    recommandation_->setText(Q(report_.texte));
    bouton_->setEnabled(report_.report.has_value());
    if (autre) {
        reponse_.reset();
        texteReponse_->clear();
    }
    const double debut = std::min(Canal(0).xMin, Canal(1).xMin);
    const double fin = std::max(Canal(0).xMax, Canal(1).xMax);
    const double marge = std::max(2.0, (fin - debut) / 30);
    AxeTemps(debut - marge, fin + marge);
}

void OngletEtalonnage::Tracer(Graphique& g) {
    QChart* chart = g.chart;
    chart->removeAllSeries();
    const CanalEtalonnage& c = g.canal;
    const QString nomVoie = g.voie == science::Voie::Vert ? "Voie verte" : "Voie rouge";
    QString derives;
    for (size_t i = 0; i < c.periodes.size(); ++i) {
        if (!derives.isEmpty()) derives += " ; ";
        if (c.periodes.size() > 1) derives += QString("période %1, ").arg(i + 1);
        derives += Q(TexteDerive(c.periodes[i].derive));
    }
    chart->setTitle(nomVoie + " : V0 de chaque demi-journée et V0 recommandé" +
                    (derives.isEmpty() ? QString() : " — " + derives));
    g.y->setRange(c.yMin, c.yMax);
    g.y->setTickCount(5);
    g.y->applyNiceNumbers();
    const double bas = g.y->min(), haut = g.y->max();

    QList<QAbstractSeries*> series;
    for (size_t i = 0; i < c.periodes.size(); ++i) {
        auto *dessus = new QLineSeries, *dessous = new QLineSeries, *ligne = new QLineSeries;
        for (const NoeudV0& n : c.periodes[i].noeuds) {
            dessus->append(n.x, n.v0 + n.ecartType);
            dessous->append(n.x, n.v0 - n.ecartType);
            ligne->append(n.x, n.v0);
        }
        auto* bande = new QAreaSeries(dessus, dessous);
        // The area does not own its edges: they go with it.
        dessus->setParent(bande);
        dessous->setParent(bande);
        bande->setName("± écart type");
        bande->setColor(Pale(g.couleur, 45));
        bande->setBorderColor(Pale(g.couleur, 90));
        ligne->setName("V0 recommandé");
        ligne->setPen(QPen(g.couleur.darker(130), 2));
        series << bande << ligne;
    }
    auto* acceptes =
        Nuage("accepté", g.couleur, g.couleur.darker(140), QScatterSeries::MarkerShapeCircle, 7);
    auto* rejetes =
        Nuage("rejeté", Qt::white, journee::Gris.darker(120), QScatterSeries::MarkerShapeCircle, 7);
    auto* aberrants = Nuage("aberrant", Aberrant, Aberrant.darker(150),
                            QScatterSeries::MarkerShapeRotatedRectangle, 9);
    // Off the scale: pinned just inside its edge as a triangle of its kind,
    // the hover gives the value.
    auto* rejetesHors = Nuage("rejeté, hors de l'échelle", Qt::white, journee::Gris.darker(140),
                              QScatterSeries::MarkerShapeTriangle, 9);
    auto* aberrantsHors = Nuage("aberrant, hors de l'échelle", Aberrant, Aberrant.darker(150),
                                QScatterSeries::MarkerShapeTriangle, 9);
    std::vector<Barre> barres;
    g.montres.clear();
    const double bord = (haut - bas) * 0.02;
    for (const PointV0& p : c.points) {
        PointV0 montre = p;
        const bool rejete = p.statut == science::StatutLangley::Rejete;
        if (p.v0 < bas || p.v0 > haut) {
            montre.v0 = p.v0 < bas ? bas + bord : haut - bord;
            (rejete ? rejetesHors : aberrantsHors)->append(p.x, montre.v0);
        } else {
            (p.statut == science::StatutLangley::Accepte ? acceptes
             : rejete                                    ? rejetes
                                                         : aberrants)
                ->append(p.x, p.v0);
            const QColor couleur = p.statut == science::StatutLangley::Accepte
                                       ? g.couleur.darker(120)
                                   : rejete ? journee::Gris
                                            : Aberrant;
            barres.push_back({p.x, p.v0 - p.erreurType, p.v0 + p.erreurType, 0.12, couleur});
        }
        g.montres.push_back(montre);
    }
    g.erreurs->Changer(std::move(barres));
    series << rejetes << aberrants << acceptes << rejetesHors << aberrantsHors;
    for (QAbstractSeries* s : series) {
        chart->addSeries(s);
        s->attachAxis(g.x);
        s->attachAxis(g.y);
    }
    // One legend entry for each kind: the periods' bands and lines repeat.
    bool bandeVue = false, ligneVue = false;
    for (QLegendMarker* m : chart->legend()->markers()) {
        bool& vue = qobject_cast<QAreaSeries*>(m->series()) ? bandeVue : ligneVue;
        // The three kinds always; those off the scale while there are some.
        if (auto* nuage = qobject_cast<QScatterSeries*>(m->series())) {
            m->setVisible(nuage->count() > 0 || (nuage != rejetesHors && nuage != aberrantsHors));
            continue;
        }
        m->setVisible(!vue);
        vue = true;
    }
}

void OngletEtalonnage::AxeTemps(double debut, double fin) {
    synchronisation_ = true;
    for (Graphique* g : canaux_) {
        g->x->setRange(debut, fin);
        for (const QString& nom : g->x->categoriesLabels()) g->x->remove(nom);
        const auto marques = Graduations(debut, fin);
        if (marques.empty()) continue;
        g->x->setStartValue(std::max<double>(marques.front().debut, debut));
        for (const Graduation& m : marques) g->x->append(Q(m.texte), std::min<double>(m.fin, fin));
    }
    synchronisation_ = false;
}

void OngletEtalonnage::Synchroniser(int source) {
    if (synchronisation_) return;
    AxeTemps(canaux_[source]->x->min(), canaux_[source]->x->max());
}

std::optional<size_t> OngletEtalonnage::Sous(int canal, QPoint ici) const {
    const Graphique& g = *canaux_[canal];
    if (!historique_) return std::nullopt;
    const QRectF zone = g.chart->plotArea();
    const QPointF valeur = g.chart->mapToValue(g.vue->mapToScene(ici));
    const double parX = zone.width() / std::max(1e-9, g.x->max() - g.x->min());
    const double parY = zone.height() / std::max(1e-9, g.y->max() - g.y->min());
    return PointProche(g.montres, valeur.x(), valeur.y(), parX, parY, RayonSurvol);
}

void OngletEtalonnage::Survoler(int canal, QPoint ici) {
    const Graphique& g = *canaux_[canal];
    const auto i = Sous(canal, ici);
    if (!i) {
        QToolTip::hideText();
        return;
    }
    const PointV0& p = g.canal.points[*i];
    survol_ = Q(TexteDemiJournee(historique_->demiJournees[p.indice], p.statut));
    QToolTip::showText(g.vue->mapToGlobal(ici), survol_, g.vue);
}

void OngletEtalonnage::Cliquer(int canal, QPoint ici) {
    Survoler(canal, ici);
    const auto i = Sous(canal, ici);
    if (i && OnOuvrir)
        OnOuvrir(historique_->instrument,
                 historique_->demiJournees[canaux_[canal]->canal.points[*i].indice]);
}

void OngletEtalonnage::Reporter() {
    reponse_.reset();
    if (!report_.report) {
        reponse_ = journee::Reponse{false, report_.texte};
        texteReponse_->setText(Q(report_.texte));
        return;
    }
    texteReponse_->setText("Envoi à la fenêtre principale…");
    journee::EnvoyerV0(this, *report_.report, [this](const journee::Reponse& r) {
        reponse_ = r;
        texteReponse_->setText(Q(r.texte));
        texteReponse_->setStyleSheet(r.acceptee ? "QLabel { color: #1e6b34; }"
                                                : "QLabel { color: #a02020; }");
    });
}

}  // namespace saisons
