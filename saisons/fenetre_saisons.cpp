#include "saisons/fenetre_saisons.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLegendMarker>
#include <QMenu>
#include <QMenuBar>
#include <QScatterSeries>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "journee/apparence.h"
#include "journee/enregistrer_image.h"
#include "saisons/barres.h"
#include "saisons/csv_saisons.h"
#include "saisons/graduations.h"
#include "saisons/marques_jours.h"
#include "saisons/onglet_etalonnage.h"
#include "saisons/series_etalonnage.h"
#include "saisons/texte_jour.h"
#include "saisons/vue_saisons.h"

namespace saisons {

using journee::Q;

namespace {

const QString Tous = "Tous";

// Where each channel sits within its day, so that a week shows them side by side.
constexpr double PlaceVert = 0.35, PlaceRouge = 0.65, Milieu = 0.5;

constexpr int MargeGraphique = 6;

}  // namespace

FenetreSaisons::FenetreSaisons(SourceJours source, SourceHistoriques historiques, QWidget* parent)
    : QMainWindow(parent), source_(std::move(source)), sourceHistoriques_(std::move(historiques)) {
    setWindowTitle("Les saisons de l'archive (Solvenare)");
    resize(1100, 760);
    auto* centre = new QWidget;
    auto* colonne = new QVBoxLayout(centre);
    colonne->addWidget(CreerBarreChoix());
    pile_ = new QStackedWidget;
    vide_ = new QLabel;
    vide_->setAlignment(Qt::AlignCenter);
    vide_->setWordWrap(true);
    QFont grande = vide_->font();
    grande.setPointSizeF(grande.pointSizeF() * 1.3);
    vide_->setFont(grande);
    vide_->setMargin(40);
    pile_->addWidget(vide_);
    CreerGraphiques();
    pile_->addWidget(graphiques_);
    avis_ = new QLabel;
    avis_->setObjectName("avisConstantes");
    avis_->setWordWrap(true);
    avis_->setStyleSheet(
        "QLabel { background: #fff3cd; border: 1px solid #d4a017; padding: 4px; color: #5c4400; }");
    avis_->hide();
    colonne->addWidget(avis_);
    onglets_ = new QTabWidget;
    onglets_->setDocumentMode(true);
    onglets_->addTab(pile_, "É&paisseurs");
    etalonnage_ = new OngletEtalonnage;
    etalonnage_->OnOuvrir = [this](const std::string& instrument,
                                   const archive::DemiJourneeArchivee& d) {
        OuvrirDemiJournee(instrument, d);
    };
    onglets_->addTab(etalonnage_, "Éta&lonnage");
    colonne->addWidget(onglets_, 1);
    setCentralWidget(centre);
    CreerMenus();
    etat_ = new QLabel;
    // A long line is cut, it never widens the window.
    etat_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The keys act at once on the charts.
    setFocusProxy(vues_[0]);
    statusBar()->addWidget(etat_, 1);
    auto* aide =
        new QLabel("+ − : zoom · ← → : défiler · Page ↑ ↓ : période · clic : ouvrir le jour");
    aide->setEnabled(false);
    statusBar()->addPermanentWidget(aide);
    // A hovered day's figures need the whole line: the keys' reminder steps
    // aside while they are shown.
    connect(statusBar(), &QStatusBar::messageChanged, aide,
            [aide](const QString& message) { aide->setVisible(message.isEmpty()); });
    Actualiser();
}

FenetreSaisons::~FenetreSaisons() = default;

QWidget* FenetreSaisons::CreerBarreChoix() {
    auto* barre = new QWidget;
    auto* ligne = new QHBoxLayout(barre);
    ligne->setContentsMargins(0, 0, 0, 0);
    const auto etiquette = [&](const QString& texte, QWidget* pour) {
        auto* l = new QLabel(texte);
        l->setBuddy(pour);
        ligne->addWidget(l);
        ligne->addWidget(pour);
        ligne->addSpacing(12);
    };
    etendue_ = new QComboBox;
    etendue_->addItems({"Semaines", "Mois", "Années"});
    etendue_->setCurrentIndex(2);
    site_ = new QComboBox;
    site_->setMinimumContentsLength(12);
    instrument_ = new QComboBox;
    instrument_->setMinimumContentsLength(6);
    etiquette("É&tendue :", etendue_);
    etiquette("&Site :", site_);
    etiquette("&Instrument :", instrument_);
    ligne->addStretch(1);
    auto* avant = new QToolButton;
    avant->setArrowType(Qt::LeftArrow);
    avant->setToolTip("Période précédente (Page précédente)");
    auto* apres = new QToolButton;
    apres->setArrowType(Qt::RightArrow);
    apres->setToolTip("Période suivante (Page suivante)");
    periode_ = new QLabel;
    periode_->setMinimumWidth(260);
    periode_->setAlignment(Qt::AlignCenter);
    ligne->addWidget(avant);
    ligne->addWidget(periode_);
    ligne->addWidget(apres);
    connect(avant, &QToolButton::clicked, this, [this] { PeriodeVoisine(-1); });
    connect(apres, &QToolButton::clicked, this, [this] { PeriodeVoisine(1); });
    // Once chosen, the keys go back to the charts.
    connect(etendue_, &QComboBox::activated, this, [this](int i) {
        ChoisirEtendue(static_cast<Etendue>(i));
        vues_[0]->setFocus();
    });
    for (QComboBox* filtre : {site_, instrument_})
        connect(filtre, &QComboBox::activated, this, [this] {
            Filtrer();
            vues_[0]->setFocus();
        });
    return barre;
}

void FenetreSaisons::CreerGraphiques() {
    graphiques_ = new QWidget;
    auto* colonne = new QVBoxLayout(graphiques_);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->setSpacing(0);
    const QString titres[3] = {
        "Épaisseurs optiques des aérosols (niveau 1,5) : médiane et étendue de chaque jour",
        "Exposant d'Ångström α (niveau 1,5) : médiane et étendue de chaque jour",
        "Mesures par jour"};
    const QString axes[3] = {"Épaisseur optique", "α (sans unité)", "Mesures"};
    const char* formats[3] = {"%.2f", "%.2f", "%.0f"};
    const int hauteurs[3] = {9, 6, 5};
    for (int i = 0; i < 3; ++i) {
        auto* g = new QChart;
        journee::Franciser(g);
        g->setTitle(titres[i]);
        g->setMargins(QMargins(MargeGraphique, 2, MargeGraphique, 2));
        g->legend()->setAlignment(Qt::AlignRight);
        auto* x = new QCategoryAxis;
        if (i == 2) x->setTitleText("Jour (date du site)");
        auto* y = new QValueAxis;
        y->setTitleText(axes[i]);
        y->setLabelFormat(formats[i]);
        g->addAxis(x, Qt::AlignBottom);
        g->addAxis(y, Qt::AlignLeft);
        axesX_[i] = x;
        axesY_[i] = y;
        barres_[i] = new Barres(g, x, y);
        if (i == 0) {
            medianeVert_ = Mediane(g, "vert", journee::Vert);
            medianeRouge_ = Mediane(g, "rouge", journee::Rouge);
            deuxVert_ = MedianeDeux(g, "vert, niveau 2,0", journee::Vert);
            deuxRouge_ = MedianeDeux(g, "rouge, niveau 2,0", journee::Rouge);
        } else if (i == 1) {
            medianeAngstrom_ = Mediane(g, "α", journee::Bleu);
            deuxAngstrom_ = MedianeDeux(g, "α, niveau 2,0", journee::Bleu);
        } else {
            Legende(g, "toutes", Pale(journee::Gris, 150));
            Legende(g, "niveau 1,5", journee::Bleu);
            legendeDeux_ = Legende(g, "niveau 2,0", CouleurNiveauDeux);
        }
        for (QAbstractSeries* s : g->series()) {
            s->attachAxis(x);
            s->attachAxis(y);
        }
        // After every chart has laid itself out: one measured alone would
        // be set against the others' stale plots.
        connect(g, &QChart::plotAreaChanged, this, [this] {
            if (!alignement_) QTimer::singleShot(0, this, [this] { Aligner(); });
            alignement_ = true;
        });
        auto* vue = new VueSaisons(g, x);
        vue->OnZoom = [this, vue] { Synchroniser(vue); };
        vue->OnEnsemble = [this] { VueEnsemble(); };
        vue->OnPeriode = [this](int sens) { PeriodeVoisine(sens); };
        vue->OnSurvol = [this](double jour, QPoint ou) { Survoler(jour, ou); };
        vue->OnClic = [this](double jour) { Cliquer(jour); };
        vues_[i] = vue;
        colonne->addWidget(vue, hauteurs[i]);
    }
}

void FenetreSaisons::CreerMenus() {
    QMenu* fichier = menuBar()->addMenu("&Fichier");
    fichier->addAction("&Enregistrer l'image…", QKeySequence::Save, this, [this] {
        const QString chemin = QFileDialog::getSaveFileName(this, "Enregistrer l'image", QString(),
                                                            "Image PNG (*.png);;Image SVG (*.svg)");
        if (!chemin.isEmpty()) EnregistrerImage(chemin);
    });
    fichier->addAction("E&xporter en CSV…", QKeySequence("Ctrl+E"), this, [this] {
        const QString chemin =
            QFileDialog::getSaveFileName(this, "Exporter en CSV", QString(), "Tableau CSV (*.csv)");
        if (!chemin.isEmpty()) ExporterCsv(chemin);
    });
    fichier->addAction("&Actualiser", QKeySequence::Refresh, this, [this] { Actualiser(); });
    fichier->addSeparator();
    fichier->addAction("&Quitter", QKeySequence::Quit, this, [this] { close(); });

    QMenu* affichage = menuBar()->addMenu("&Affichage");
    affichage->addAction("&Semaines", QKeySequence("Ctrl+1"), this,
                         [this] { ChoisirEtendue(Etendue::Semaines); });
    affichage->addAction("&Mois", QKeySequence("Ctrl+2"), this,
                         [this] { ChoisirEtendue(Etendue::Mois); });
    affichage->addAction("A&nnées", QKeySequence("Ctrl+3"), this,
                         [this] { ChoisirEtendue(Etendue::Annees); });
    affichage->addSeparator();
    affichage->addAction("Période &précédente", QKeySequence("Alt+Left"), this,
                         [this] { PeriodeVoisine(-1); });
    affichage->addAction("Période s&uivante", QKeySequence("Alt+Right"), this,
                         [this] { PeriodeVoisine(1); });
    affichage->addAction("Vue d'&ensemble", QKeySequence("Ctrl+0"), this,
                         [this] { VueEnsemble(); });
}

void FenetreSaisons::Actualiser() {
    erreur_.clear();
    absente_.clear();
    try {
        tous_ = source_ ? source_(archive::ChoixJours{}) : std::vector<archive::ResumeJour>{};
    } catch (const ArchiveAbsente& a) {
        tous_.clear();
        absente_ = Q(a.chemin);
    } catch (const std::exception& e) {
        tous_.clear();
        erreur_ = "Impossible de lire l'archive : " + Q(e.what());
    }
    historiques_.clear();
    erreurHistoriques_.clear();
    if (sourceHistoriques_ && erreur_.isEmpty() && absente_.isEmpty()) {
        try {
            historiques_ = sourceHistoriques_();
        } catch (const std::exception& e) {
            erreurHistoriques_ = "Impossible de lire l'étalonnage de l'archive : " + Q(e.what());
        }
    }
    // The filters keep their choice while it still names something.
    const auto remplir = [](QComboBox* choix, const std::vector<std::string>& noms,
                            const QString& prefixe) {
        const QString avant = choix->currentData().toString();
        choix->clear();
        choix->addItem(Tous, QString());
        for (const std::string& nom : noms) choix->addItem(prefixe + Q(nom), Q(nom));
        choix->setCurrentIndex(std::max(0, choix->findData(avant)));
    };
    remplir(site_, Sites(tous_), "");
    remplir(instrument_, Instruments(tous_), "n° ");
    // What is shown stays; the first days shown are their last period.
    Filtrer();
}

void FenetreSaisons::ChoisirSite(const QString& site) {
    site_->setCurrentIndex(std::max(0, site_->findData(site)));
    Filtrer();
}

void FenetreSaisons::ChoisirInstrument(const QString& instrument) {
    instrument_->setCurrentIndex(std::max(0, instrument_->findData(instrument)));
    Filtrer();
}

void FenetreSaisons::Filtrer() {
    archive::ChoixJours choix;
    if (const QString s = site_->currentData().toString(); !s.isEmpty())
        choix.site = s.toStdString();
    if (const QString i = instrument_->currentData().toString(); !i.isEmpty())
        choix.instrument = i.toStdString();
    const bool avant = !jours_.empty();
    jours_ = saisons::Filtrer(tous_, choix);
    std::stable_sort(jours_.begin(), jours_.end(), [](const auto& a, const auto& b) {
        return NumeroJour(a.jour) < NumeroJour(b.jour);
    });
    Retracer();
    MontrerEtalonnage();
    if (!avant && !jours_.empty())
        MontrerPeriode(PeriodeDe(etendueChoisie_, NumeroJour(jours_.back().jour)));
}

void FenetreSaisons::Retracer() {
    if (jours_.empty()) {
        if (!erreur_.isEmpty())
            vide_->setText(erreur_);
        else if (!absente_.isEmpty())
            vide_->setText("Pas encore d'archive : « " + absente_ +
                           " » n'existe pas.\n\nImportez vos fichiers de mesures "
                           "(solvenare-archive importer DOSSIER) pour la créer, puis Fichier, "
                           "Actualiser (F5).");
        else if (tous_.empty())
            vide_->setText(
                "L'archive ne contient encore aucun jour de mesures.\n\nImportez vos fichiers "
                "de mesures (solvenare-archive importer DOSSIER), puis Fichier, Actualiser (F5).");
        else
            vide_->setText(
                "Aucun jour de mesures pour ce site et cet instrument.\n\nChoisissez « Tous » "
                "pour les voir tous.");
        pile_->setCurrentWidget(vide_);
        Etat();
        return;
    }
    pile_->setCurrentWidget(graphiques_);
    QList<QPointF> vert, rouge, angstrom, vert2, rouge2, angstrom2;
    std::vector<Barre> plages, plagesAngstrom, mesures;
    for (const archive::ResumeJour& j : jours_) {
        const double n = NumeroJour(j.jour);
        const bool deux = j.NiveauDeux();
        if (j.vert) {
            (deux ? vert2 : vert).append({n + PlaceVert, j.vert->mediane});
            plages.push_back(
                {n + PlaceVert, j.vert->min, j.vert->max, 0.22, Pale(journee::Vert, 110)});
        }
        if (j.rouge) {
            (deux ? rouge2 : rouge).append({n + PlaceRouge, j.rouge->mediane});
            plages.push_back(
                {n + PlaceRouge, j.rouge->min, j.rouge->max, 0.22, Pale(journee::Rouge, 110)});
        }
        if (j.angstrom) {
            (deux ? angstrom2 : angstrom).append({n + Milieu, j.angstrom->mediane});
            plagesAngstrom.push_back(
                {n + Milieu, j.angstrom->min, j.angstrom->max, 0.3, Pale(journee::Bleu, 110)});
        }
        mesures.push_back(
            {n + Milieu, 0, double(j.enregistrements), 0.8, Pale(journee::Gris, 150)});
        if (j.niveau15 > 0)
            mesures.push_back({n + Milieu, 0, double(j.niveau15), 0.8, journee::Bleu});
        if (j.niveau20 > 0)
            mesures.push_back({n + Milieu, 0, double(j.niveau20), 0.8, CouleurNiveauDeux});
    }
    medianeVert_->replace(vert);
    medianeRouge_->replace(rouge);
    medianeAngstrom_->replace(angstrom);
    deuxVert_->replace(vert2);
    deuxRouge_->replace(rouge2);
    deuxAngstrom_->replace(angstrom2);
    // The level named once some day is at 2.0; the chart as before otherwise.
    const bool niveaux = !vert2.isEmpty() || !rouge2.isEmpty() || !angstrom2.isEmpty();
    const QString un = niveaux ? ", niveau 1,5" : "";
    Legender(medianeVert_, "vert" + un);
    Legender(medianeRouge_, "rouge" + un);
    Legender(medianeAngstrom_, "α" + un);
    Legender(deuxVert_, "vert, niveau 2,0");
    Legender(deuxRouge_, "rouge, niveau 2,0");
    Legender(deuxAngstrom_, "α, niveau 2,0");
    for (QLegendMarker* m : legendeDeux_->chart()->legend()->markers(legendeDeux_))
        m->setVisible(niveaux);
    const QString niveau = niveaux ? "niveaux 1,5 et 2,0" : "niveau 1,5";
    vues_[0]->chart()->setTitle("Épaisseurs optiques des aérosols (" + niveau +
                                ") : médiane et étendue de chaque jour");
    vues_[1]->chart()->setTitle("Exposant d'Ångström α (" + niveau +
                                ") : médiane et étendue de chaque jour");
    barres_[0]->Changer(std::move(plages));
    barres_[1]->Changer(std::move(plagesAngstrom));
    barres_[2]->Changer(std::move(mesures));
    AxesApresZoom();
}

Periode FenetreSaisons::PeriodeVisible() const {
    return {static_cast<int>(std::lround(axesX_[0]->min())),
            static_cast<int>(std::lround(axesX_[0]->max()))};
}

void FenetreSaisons::MontrerPeriode(const Periode& p) {
    synchronisation_ = true;
    for (QValueAxis* x : axesX_) x->setRange(p.debut, p.fin);
    synchronisation_ = false;
    AxesApresZoom();
}

void FenetreSaisons::ChoisirEtendue(Etendue etendue) {
    etendueChoisie_ = etendue;
    etendue_->setCurrentIndex(static_cast<int>(etendue));
    const double centre = (axesX_[0]->min() + axesX_[0]->max()) / 2;
    MontrerPeriode(PeriodeDe(etendue, static_cast<int>(std::floor(centre))));
}

void FenetreSaisons::PeriodeVoisine(int sens) {
    // From the period that holds the middle of what is shown, whatever the zoom.
    const double centre = (axesX_[0]->min() + axesX_[0]->max()) / 2;
    const Periode ici = PeriodeDe(etendueChoisie_, static_cast<int>(std::floor(centre)));
    MontrerPeriode(PeriodeVisible() == ici ? saisons::PeriodeVoisine(etendueChoisie_, ici, sens)
                                           : ici);
}

void FenetreSaisons::VueEnsemble() {
    if (jours_.empty()) return;
    const int debut = NumeroJour(jours_.front().jour), fin = NumeroJour(jours_.back().jour) + 1;
    const int marge = std::max(1, (fin - debut) / 50);
    MontrerPeriode({debut - marge, fin + marge});
}

void FenetreSaisons::Synchroniser(const VueSaisons* source) {
    if (synchronisation_) return;
    synchronisation_ = true;
    const int i = static_cast<int>(std::find(vues_, vues_ + 3, source) - vues_);
    for (QValueAxis* x : axesX_)
        if (x != axesX_[i]) x->setRange(axesX_[i]->min(), axesX_[i]->max());
    synchronisation_ = false;
    AxesApresZoom();
}

// The time marks and the vertical scales for the days now shown.
void FenetreSaisons::AxesApresZoom() {
    const double debut = axesX_[0]->min(), fin = axesX_[0]->max();
    const auto marques = Graduations(debut, fin);
    for (QCategoryAxis* x : axesX_) {
        for (const QString& nom : x->categoriesLabels()) x->remove(nom);
        if (marques.empty()) continue;
        x->setStartValue(std::max<double>(marques.front().debut, debut));
        for (const Graduation& g : marques) x->append(Q(g.texte), std::min<double>(g.fin, fin));
    }
    double eoMax = 0, aMin = 0, aMax = 0, nMax = 0;
    bool premier = true;
    for (const archive::ResumeJour& j : jours_) {
        const int n = NumeroJour(j.jour);
        if (n + 1 < debut || n > fin) continue;
        if (j.vert) eoMax = std::max(eoMax, j.vert->max);
        if (j.rouge) eoMax = std::max(eoMax, j.rouge->max);
        if (j.angstrom) {
            aMin = premier ? j.angstrom->min : std::min(aMin, j.angstrom->min);
            aMax = premier ? j.angstrom->max : std::max(aMax, j.angstrom->max);
            premier = false;
        }
        nMax = std::max(nMax, double(j.enregistrements));
    }
    axesY_[0]->setRange(0, std::max(0.1, eoMax * 1.05));
    if (premier) aMin = 0, aMax = 2;
    axesY_[1]->setRange(std::min(0.0, aMin), aMax + std::max(0.1, (aMax - aMin) * 0.05));
    axesY_[2]->setRange(0, std::max(10.0, nMax * 1.05));
    for (QValueAxis* y : axesY_) {
        y->setTickCount(y == axesY_[2] ? 3 : 5);
        y->applyNiceNumbers();
    }
    TaillerMarques();
    const Periode p = PeriodeVisible();
    periode_->setText(
        Q(DateEnFrancais(DateDuNumero(p.debut)) + " – " + DateEnFrancais(DateDuNumero(p.fin - 1))));
    Etat();
}

// The three plots one above the other over the same days: their margins
// take up the differences of their scales' and legends' widths.
// Years of days would drown in full-size markers.
void FenetreSaisons::TaillerMarques() {
    const double largeur = axesX_[0]->max() - axesX_[0]->min();
    const double parJour = vues_[0]->chart()->plotArea().width() / std::max(1e-9, largeur);
    const double taille = std::clamp(parJour * 0.8, 3.0, 7.0);
    for (QScatterSeries* m : {medianeVert_, medianeRouge_, medianeAngstrom_})
        if (m->markerSize() != taille) m->setMarkerSize(taille);
    for (QScatterSeries* m : {deuxVert_, deuxRouge_, deuxAngstrom_})
        if (m->markerSize() != taille + 2) m->setMarkerSize(taille + 2);
}

void FenetreSaisons::Aligner() {
    alignement_ = false;
    TaillerMarques();
    double gauche = 0, droite = 1e9;
    double naturelGauche[3], naturelDroite[3];
    for (int i = 0; i < 3; ++i) {
        const QChart* g = vues_[i] ? vues_[i]->chart() : nullptr;
        if (g == nullptr) return;
        const QRectF zone = g->plotArea();
        naturelGauche[i] = zone.left() - (g->margins().left() - MargeGraphique);
        naturelDroite[i] = zone.right() + (g->margins().right() - MargeGraphique);
        gauche = std::max(gauche, naturelGauche[i]);
        droite = std::min(droite, naturelDroite[i]);
    }
    for (int i = 0; i < 3; ++i) {
        QChart* g = vues_[i]->chart();
        const QMargins voulues(
            MargeGraphique + static_cast<int>(std::lround(gauche - naturelGauche[i])),
            g->margins().top(),
            MargeGraphique + static_cast<int>(std::lround(naturelDroite[i] - droite)),
            g->margins().bottom());
        if (voulues != g->margins()) g->setMargins(voulues);
    }
}

void FenetreSaisons::Survoler(double x, QPoint ou) {
    const int numero = static_cast<int>(std::floor(x));
    const auto indices = JoursDuNumero(jours_, numero);
    std::vector<archive::ResumeJour> ceJour;
    for (size_t i : indices) ceJour.push_back(jours_[i]);
    survol_ = ceJour.empty()
                  ? Q(DateEnFrancais(DateDuNumero(numero)) + " — aucune mesure dans l'archive")
                  : Q(TexteJours(ceJour));
    QToolTip::showText(ou, survol_);
    statusBar()->showMessage(QString(survol_).replace('\n', " ; "), 10000);
}

void FenetreSaisons::Cliquer(double x) {
    const auto indices = JoursDuNumero(jours_, static_cast<int>(std::floor(x)));
    if (indices.empty() || !OnOuvrirJour) return;
    if (indices.size() == 1) return OnOuvrirJour(jours_[indices.front()]);
    // Several sites or instruments that day: the user says which.
    delete choixJour_;
    choixJour_ = new QMenu(this);
    choixJour_->setObjectName("choixJour");
    for (size_t i : indices) {
        const archive::ResumeJour j = jours_[i];
        choixJour_->addAction(Q(j.site + ", n° " + j.instrument), this,
                              [this, j] { OnOuvrirJour(j); });
    }
    choixJour_->popup(QCursor::pos());
}

bool FenetreSaisons::EnregistrerImage(const QString& chemin) {
    QWidget* cible = onglets_->currentWidget() == etalonnage_ ? static_cast<QWidget*>(etalonnage_)
                                                              : pile_->currentWidget();
    const bool ok = journee::EnregistrerImage(*cible, chemin, windowTitle());
    statusBar()->showMessage(
        ok ? "Image enregistrée : " + chemin : "Impossible d'enregistrer « " + chemin + " »", 8000);
    return ok;
}

bool FenetreSaisons::ExporterCsv(const QString& chemin) {
    std::ofstream fichier(chemin.toStdString(), std::ios::binary | std::ios::trunc);
    if (fichier) EcrireCsvSaisons(fichier, jours_);
    fichier.close();
    const bool ok = static_cast<bool>(fichier);
    statusBar()->showMessage(
        ok ? QString("CSV enregistré (%1 jours) : %2").arg(jours_.size()).arg(chemin)
           : "Impossible d'écrire « " + chemin + " »",
        8000);
    return ok;
}

QString FenetreSaisons::TexteVide() const {
    return pile_->currentWidget() == vide_ ? vide_->text() : QString();
}

QString FenetreSaisons::TexteEtat() const {
    return etat_->text();
}

void FenetreSaisons::Etat() {
    const auto jours = [](size_t n) { return QString::number(n) + (n > 1 ? " jours" : " jour"); };
    if (!erreur_.isEmpty()) {
        etat_->setText(erreur_);
    } else if (!absente_.isEmpty()) {
        etat_->setText("Pas encore d'archive.");
    } else if (tous_.empty()) {
        etat_->setText("Archive vide.");
    } else if (jours_.empty()) {
        etat_->setText(jours(tous_.size()) +
                       " dans l'archive, aucun pour ce site et cet instrument.");
    } else {
        const QString site = site_->currentIndex() > 0 ? site_->currentText() : "tous les sites";
        const QString instrument =
            instrument_->currentIndex() > 0 ? instrument_->currentText() : "tous les instruments";
        size_t montres = 0;
        const Periode p = PeriodeVisible();
        for (const archive::ResumeJour& j : jours_) {
            const int n = NumeroJour(j.jour);
            montres += n >= p.debut && n < p.fin;
        }
        etat_->setText(QString("%1 (%2, %3) du %4 au %5 ; %6 à l'écran.")
                           .arg(jours(jours_.size()), site, instrument,
                                Q(DateEnFrancais(jours_.front().jour)),
                                Q(DateEnFrancais(jours_.back().jour)))
                           .arg(montres));
    }
}

}  // namespace saisons
