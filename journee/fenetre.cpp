#include "journee/fenetre.h"

#include <QAction>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocalSocket>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QTimeZone>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <fstream>

#include "journee/ligne_etat.h"
#include "journee/vue_graphique.h"
#include "platform/numbers.h"
#include "platform/textfile.h"
#include "science/export_csv.h"
#include "science/fuseau.h"
#include "science/nombres.h"

namespace journee {

using science::Mode;

namespace {

const QColor Vert(0x1e, 0x8c, 0x45);
const QColor Rouge(0xc6, 0x28, 0x28);
const QColor Bleu(0x28, 0x4b, 0x8c);
const QColor Gris(0x9e, 0x9e, 0x9e);

// The most points redrawn at each new line before the curve's settled part
// is drawn again whole.
constexpr size_t QueueMax = 256;

// The file is read ten times a second while lines come: a line is drawn
// about 100 ms after it is written at the latest (150 ms came close to 200 on
// a busy machine). Asleep, the file's events wake the view.
constexpr int IntervalleEveille = 100, IntervalleEndormi = 2000;

// Series after the first are drawn in other dashes and markers.
const Qt::PenStyle Tirets[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
const QScatterSeries::MarkerShape Formes[] = {
    QScatterSeries::MarkerShapeCircle, QScatterSeries::MarkerShapeRectangle,
    QScatterSeries::MarkerShapeTriangle, QScatterSeries::MarkerShapeRotatedRectangle};

// Points beyond are off the Langley plot: near sunrise the air mass runs
// to 30 and would crush the useful part.
constexpr double MasseAirMontree = 8;

// Numbers on the axes with a decimal comma.
void Franciser(QChart* g) {
    g->setLocale(QLocale(QLocale::French, QLocale::France));
    g->setLocalizeNumbers(true);
}

QString Q(const std::string& texte) {
    return QString::fromStdString(texte);
}

QString Virgule(double valeur, int decimales) {
    return Q(FormatFixe(valeur, decimales));
}

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

FenetreJournee::FenetreJournee(ReglagesModele reglages, QString dossierSite, QWidget* parent)
    : QMainWindow(parent), modele_(std::move(reglages)), dossierSite_(std::move(dossierSite)) {
    setWindowTitle("Solvenare : la journée");
    resize(1000, 640);
    onglets_ = new QTabWidget(this);
    onglets_->addTab(CreerPageJour(), "&Journée");
    onglets_->addTab(CreerPageLangley(), "&Langley");
    onglets_->addTab(CreerPageSite(), "&Site");
    setCentralWidget(onglets_);
    CreerMenus();
    etat_ = new LigneEtat(this);
    statusBar()->addWidget(etat_, 1);
    RemplirSite();
    Retracer();
    connect(&minuterie_, &QTimer::timeout, this, [this] { Lire(); });
    Etat();
}

FenetreJournee::~FenetreJournee() = default;

void FenetreJournee::CreerMenus() {
    QMenu* fichier = menuBar()->addMenu("&Fichier");
    fichier->addAction("&Ouvrir un fichier de mesures…", QKeySequence::Open, this, [this] {
        const QString chemin = QFileDialog::getOpenFileName(
            this, "Ouvrir un fichier de mesures", QFileInfo(Q(modele_.Chemin())).path(),
            "Fichiers de mesures (*.txt *.TXT);;Tous les fichiers (*)");
        if (!chemin.isEmpty()) Ouvrir(chemin);
    });
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
    fichier->addSeparator();
    fichier->addAction("&Quitter", QKeySequence::Quit, this, [this] { close(); });

    QMenu* affichage = menuBar()->addMenu("&Affichage");
    affichage->addAction("Vue d'&ensemble", QKeySequence("Ctrl+0"), this,
                         [this] { VueEnsemble(); });
    affichage->addAction("&Matin pour Langley", QKeySequence("Ctrl+M"), this,
                         [this] { ChoisirDemiJournee(DemiJournee::Matin); });
    affichage->addAction("&Après-midi pour Langley", QKeySequence("Ctrl+P"), this,
                         [this] { ChoisirDemiJournee(DemiJournee::ApresMidi); });
    affichage->addAction("&Site de mesure", QKeySequence("Ctrl+L"), this,
                         [this] { onglets_->setCurrentIndex(2); });
}

QWidget* FenetreJournee::CreerPageJour() {
    auto* page = new QWidget;
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

    vueJour_ = new VueGraphique(graphique_, axeHeure_, page);
    vueJour_->OnZoom = [this] { zoome_ = true; };
    vueJour_->OnEnsemble = [this] { VueEnsemble(); };
    vueJour_->OnPlage = [this](double a, double b) { ChoisirPlage(a, b); };
    disposition->addWidget(vueJour_, 1);
    auto* aide = new QLabel(
        "Molette ou + et − : zoom ; glisser à gauche : zoom sur une plage ; flèches ou bouton "
        "du milieu : défilement ; 0 : tout voir ; glisser à droite : plage pour Langley.",
        page);
    aide->setWordWrap(true);
    disposition->addWidget(aide);
    return page;
}

QWidget* FenetreJournee::CreerPageLangley() {
    pageLangley_ = new QWidget;
    auto* disposition = new QVBoxLayout(pageLangley_);
    auto* choix = new QHBoxLayout;
    choix->addWidget(new QLabel("Série :", pageLangley_));
    serieLangley_ = new QComboBox(pageLangley_);
    choix->addWidget(serieLangley_);
    auto* matin = new QPushButton("&Matin", pageLangley_);
    auto* apresMidi = new QPushButton("&Après-midi", pageLangley_);
    connect(matin, &QPushButton::clicked, this, [this] { ChoisirDemiJournee(DemiJournee::Matin); });
    connect(apresMidi, &QPushButton::clicked, this,
            [this] { ChoisirDemiJournee(DemiJournee::ApresMidi); });
    choix->addWidget(matin);
    choix->addWidget(apresMidi);
    choix->addWidget(new QLabel("ou glissez avec le bouton droit sur la journée", pageLangley_));
    choix->addStretch(1);
    disposition->addLayout(choix);

    auto* graphiques = new QHBoxLayout;
    for (QChart** g : {&langleyVert_, &langleyRouge_}) {
        *g = new QChart;
        (*g)->legend()->setAlignment(Qt::AlignBottom);
        auto* vue = new QChartView(*g, pageLangley_);
        vue->setRenderHint(QPainter::Antialiasing);
        vue->setMinimumSize(300, 260);
        graphiques->addWidget(vue, 1);
    }
    for (QChart* g : {langleyVert_, langleyRouge_}) {
        auto* x = new QValueAxis;
        x->setTitleText("Masse d'air");
        x->setLabelFormat("%.0f");
        x->setRange(0, MasseAirMontree);
        x->setTickCount(static_cast<int>(MasseAirMontree) + 1);
        auto* y = new QValueAxis;
        y->setTitleText("ln((V − Vn)·d²)");
        y->setLabelFormat("%.2f");
        g->addAxis(x, Qt::AlignBottom);
        g->addAxis(y, Qt::AlignLeft);
        Franciser(g);
    }
    langleyVert_->setTitle("Voie verte");
    langleyRouge_->setTitle("Voie rouge");
    disposition->addLayout(graphiques, 1);

    auto* resultats = new QHBoxLayout;
    resultatVert_ = new QLabel(pageLangley_);
    resultatRouge_ = new QLabel(pageLangley_);
    resultats->addWidget(resultatVert_, 1);
    resultats->addWidget(resultatRouge_, 1);
    disposition->addLayout(resultats);
    verdict_ = new QLabel("Choisissez une demi-journée ou une plage.", pageLangley_);
    verdict_->setWordWrap(true);
    disposition->addWidget(verdict_);
    boutonReport_ = new QPushButton("&Reporter les V0 dans le mode expert", pageLangley_);
    boutonReport_->setToolTip(
        "Remplit les V0 du mode expert de la fenêtre principale, s'il y est ouvert. Rien n'est "
        "écrit dans le photomètre avant que vous validiez l'étalonnage dans cette fenêtre.");
    boutonReport_->setEnabled(false);
    connect(boutonReport_, &QPushButton::clicked, this, [this] { ReporterV0(); });
    auto* bas = new QHBoxLayout;
    bas->addStretch(1);
    bas->addWidget(boutonReport_);
    disposition->addLayout(bas);
    return pageLangley_;
}

QWidget* FenetreJournee::CreerPageSite() {
    auto* page = new QWidget;
    auto* disposition = new QVBoxLayout(page);
    auto* texte = new QLabel(
        "Le site sert à calculer la position du soleil à l'heure de chaque mesure : son "
        "élévation, la masse d'air, les épaisseurs optiques recalculées et l'étalonnage de "
        "Langley. Degrés décimaux, nord et est positifs (virgule ou point).",
        page);
    texte->setWordWrap(true);
    disposition->addWidget(texte);
    auto* formulaire = new QFormLayout;
    latitude_ = new QLineEdit(page);
    latitude_->setPlaceholderText("45,7640");
    longitude_ = new QLineEdit(page);
    longitude_->setPlaceholderText("4,8357");
    altitude_ = new QLineEdit(page);
    altitude_->setPlaceholderText("170");
    fuseau_ = new QComboBox(page);
    fuseau_->setEditable(true);
    fuseau_->addItem("");
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) fuseau_->addItem(id);
    fuseau_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    fuseau_->completer()->setFilterMode(Qt::MatchContains);
    fuseau_->setToolTip(
        "Nom du fuseau (Europe/Paris), décalage fixe (UTC+1) ou vide pour celui "
        "de l'ordinateur");
    formulaire->addRow("La&titude (°) :", latitude_);
    formulaire->addRow("Lo&ngitude (°) :", longitude_);
    formulaire->addRow("Al&titude (m) :", altitude_);
    formulaire->addRow("&Fuseau horaire :", fuseau_);
    disposition->addLayout(formulaire);
    auto* enregistrer = new QPushButton("&Enregistrer le site", page);
    enregistrer->setDefault(true);
    connect(enregistrer, &QPushButton::clicked, this, [this] { EnregistrerSite(); });
    // Enter saves from any field, as in a dialog; the zone typed is not
    // added to the list.
    fuseau_->setInsertPolicy(QComboBox::NoInsert);
    for (QLineEdit* e : {latitude_, longitude_, altitude_, fuseau_->lineEdit()})
        connect(e, &QLineEdit::returnPressed, this, [this] { EnregistrerSite(); });
    disposition->addWidget(enregistrer, 0, Qt::AlignLeft);
    messageSite_ = new QLabel(page);
    messageSite_->setWordWrap(true);
    disposition->addWidget(messageSite_);
    disposition->addStretch(1);
    return page;
}

void FenetreJournee::RemplirSite() {
    const auto& site = modele_.Site();
    avisSite_->setVisible(!site);
    if (!site) return;
    latitude_->setText(Virgule(site->latitude, 4));
    longitude_->setText(Virgule(site->longitude, 4));
    altitude_->setText(Virgule(site->altitude, 0));
    fuseau_->setCurrentText(Q(site->fuseau));
}

bool FenetreJournee::EnregistrerSite() {
    const auto lire = [](QLineEdit* e) { return science::LireDecimal(e->text().toStdString()); };
    const auto lat = lire(latitude_), lon = lire(longitude_);
    const auto alt =
        altitude_->text().trimmed().isEmpty() ? std::optional<double>(0) : lire(altitude_);
    QString faute;
    science::Site site;
    if (!lat)
        faute = "La latitude n'est pas un nombre.";
    else if (!lon)
        faute = "La longitude n'est pas un nombre.";
    else if (!alt)
        faute = "L'altitude n'est pas un nombre.";
    if (faute.isEmpty()) {
        site = {*lat, *lon, *alt, fuseau_->currentText().trimmed().toStdString()};
        try {
            science::VerifierSite(site);
            science::Fuseau verification(site.fuseau);
            science::EcrireSite((dossierSite_ + "/" + science::NomFichierSite).toStdString(), site);
        } catch (const Exception& e) {
            faute = Q(e.Message());
        }
    }
    if (!faute.isEmpty()) {
        messageSite_->setStyleSheet("color: #b00020;");
        messageSite_->setText(faute);
        return false;
    }
    messageSite_->setStyleSheet("color: #1e6b35;");
    messageSite_->setText("Site enregistré dans " + QString(science::NomFichierSite) + ".");
    modele_.ChangerSite(site);
    avisSite_->hide();
    Retracer();
    if (langley_) {
        const auto plage = langley_->plage;
        langley_ = CalculerLangley(modele_.Resultats(), plage);
        MontrerLangley();
    }
    return true;
}

bool FenetreJournee::Ouvrir(const QString& chemin) {
    try {
        modele_.Ouvrir(chemin.toStdString());
        erreur_.clear();
    } catch (const EInOutError& e) {
        erreur_ = "Impossible de lire « " + chemin + " » : " + Q(e.Message());
        Etat();
        return false;
    }
    setWindowTitle(QFileInfo(chemin).fileName() + " : la journée (Solvenare)");
    reveil_.reset();
    veille_ = std::make_unique<VeilleFichier>(modele_.Chemin());
    if (veille_->Descripteur() >= 0) {
        reveil_ = std::make_unique<QSocketNotifier>(veille_->Descripteur(), QSocketNotifier::Read);
        reveil_->setEnabled(false);
        connect(reveil_.get(), &QSocketNotifier::activated, this, [this] { Reveiller(); });
    }
    minuterie_.start(IntervalleEveille);
    zoome_ = false;
    langley_.reset();
    Retracer();
    MontrerLangley();
    return true;
}

bool FenetreJournee::Actualiser() {
    if (modele_.Chemin().empty()) return false;
    ModeleJournee::Changement c;
    try {
        c = modele_.Actualiser();
        erreur_.clear();
    } catch (const EInOutError& e) {
        const QString texte = "Fichier illisible : " + Q(e.Message());
        if (texte != erreur_) {
            erreur_ = texte;
            Etat();
        }
        return false;
    }
    if (c.tout) {
        Retracer();
    } else if (c.debut < modele_.Points().size()) {
        Ajouter(c.debut);
        // The count in the status bar follows once a second: setting its
        // text lays the bar out again.
        compteEnRetard_ = true;
    }
    if (compteEnRetard_ && !(depuisEtat_.isValid() && depuisEtat_.elapsed() < 1000)) Etat();
    const bool nouveau = c.tout || c.debut < modele_.Points().size();
    if (nouveau && OnNouveauxPoints) OnNouveauxPoints(modele_.Points().size());
    return nouveau;
}

void FenetreJournee::Lire() {
    const bool nouveau = Actualiser();
    if (Endormie()) {
        if (nouveau) Eveiller();
    } else if (!nouveau && erreur_.isEmpty()) {
        // A file that cannot be read is tried again at the timer's pace.
        Endormir();
    }
}

void FenetreJournee::Endormir() {
    if (!reveil_ || !veille_->Armer()) return;
    // What was waiting came before the watch; a line written since the last
    // reading is read now, or its event wakes the view.
    veille_->Vider();
    if (Actualiser()) {
        veille_->Desarmer();
        return;
    }
    if (compteEnRetard_) Etat();
    reveil_->setEnabled(true);
    // A file on a shared folder written from another machine raises no
    // event here: it is still looked at, seldom.
    minuterie_.start(IntervalleEndormi);
}

void FenetreJournee::Reveiller() {
    if (!veille_->Vider()) return;
    Actualiser();
    Eveiller();
}

void FenetreJournee::Eveiller() {
    reveil_->setEnabled(false);
    veille_->Desarmer();
    veille_->Vider();
    minuterie_.start(IntervalleEveille);
}

size_t FenetreJournee::PointsTraces() const {
    size_t n = 0;
    for (const auto& [serie, trace] : traces_) n += trace.x.size();
    return n;
}

void FenetreJournee::Attacher(QXYSeries* serie, bool elevation) {
    graphique_->addSeries(serie);
    serie->attachAxis(axeHeure_);
    serie->attachAxis(elevation ? axeElevation_ : axeEO_);
    connect(serie, &QXYSeries::hovered, this,
            [this, serie](const QPointF& p, bool dedans) { Survol(serie, p, dedans); });
}

// A series drawn as `serie` is, on its axes, without a legend entry of its
// own, whose points are hovered as the curve's.
QXYSeries* FenetreJournee::Jumelle(QXYSeries* serie) {
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

FenetreJournee::Courbes& FenetreJournee::CourbesDe(size_t serie, Mode mode) {
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

QXYSeries* FenetreJournee::ElevationDe(size_t serie) {
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
QXYSeries* FenetreJournee::MarquesDeNuit() {
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

void FenetreJournee::Retracer() {
    graphique_->removeAllSeries();
    courbes_.clear();
    elevations_.clear();
    traces_.clear();
    nuit_ = nullptr;
    sousHorizon_ = {};
    etendue_ = {};
    Ajouter(0);
    QStringList series;
    const auto& journee = modele_.Journee();
    for (size_t s = 0; s < journee.series.size(); ++s)
        series << QString("Série %1 (ligne %2), %3")
                      .arg(s + 1)
                      .arg(journee.series[s].enTete.ligne)
                      .arg(Q(journee.series[s].enTete.date))
                      .remove(QRegularExpression("[ -]+$"));
    const int choisie = serieLangley_->currentIndex();
    serieLangley_->clear();
    serieLangley_->addItems(series);
    if (choisie >= 0 && choisie < serieLangley_->count())
        serieLangley_->setCurrentIndex(choisie);
    else if (serieLangley_->count() > 0)
        serieLangley_->setCurrentIndex(serieLangley_->count() - 1);
    Etat();
}

void FenetreJournee::Ajouter(size_t debut) {
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

void FenetreJournee::PrevoirRedessin() {
    if (redessinPrevu_) return;
    redessinPrevu_ = true;
    QTimer::singleShot(0, this, [this] {
        redessinPrevu_ = false;
        Redessiner(true);
    });
}

void FenetreJournee::Redessiner(bool toutes) {
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

void FenetreJournee::AjusterAxes(bool serre) {
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

void FenetreJournee::VueEnsemble() {
    zoome_ = false;
    AjusterAxes(true);
}

void FenetreJournee::Survol(QXYSeries* serie, const QPointF& point, bool dedans) {
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
    QToolTip::showText(QCursor::pos(), texte, vueJour_);
}

void FenetreJournee::ChoisirDemiJournee(DemiJournee demi) {
    const int serie = serieLangley_->currentIndex();
    onglets_->setCurrentWidget(pageLangley_);
    if (serie < 0) {
        verdict_->setText("Aucune série dans le fichier.");
        return;
    }
    const auto plage = PlageDemiJournee(modele_.Resultats(), static_cast<size_t>(serie), demi);
    if (!plage) {
        langley_.reset();
        MontrerLangley();
        verdict_->setText(
            "Sans site, pas de hauteur du soleil ni de masse d'air : saisissez le "
            "site (onglet Site) pour l'étalonnage de Langley.");
        return;
    }
    langley_ = CalculerLangley(modele_.Resultats(), *plage);
    MontrerLangley();
}

void FenetreJournee::ChoisirPlage(double debut, double fin) {
    const auto plage = PlageHeures(modele_.Points(), modele_.Resultats(), debut, fin);
    onglets_->setCurrentWidget(pageLangley_);
    if (!plage) {
        verdict_->setText("Aucune mesure dans la plage tracée.");
        return;
    }
    serieLangley_->setCurrentIndex(static_cast<int>(plage->serie));
    if (!modele_.Site()) {
        langley_.reset();
        MontrerLangley();
        verdict_->setText("Sans site, pas de masse d'air : saisissez le site (onglet Site).");
        return;
    }
    langley_ = CalculerLangley(modele_.Resultats(), *plage);
    MontrerLangley();
}

void FenetreJournee::TracerLangley(QChart* g, const CanalLangley& c, const QColor& couleur) {
    g->removeAllSeries();
    auto* x = static_cast<QValueAxis*>(g->axes(Qt::Horizontal).front());
    auto* y = static_cast<QValueAxis*>(g->axes(Qt::Vertical).front());
    const science::ReglagesLangley reglages;
    const auto nuage = [&](const QString& nom, const QColor& fond, const QColor& bord,
                           QScatterSeries::MarkerShape forme) {
        auto* s = new QScatterSeries;
        s->setName(nom);
        s->setMarkerSize(7);
        s->setMarkerShape(forme);
        s->setColor(fond);
        s->setBorderColor(bord);
        return s;
    };
    auto* horsPlage = nuage(
        QString("hors des masses d'air %1 à %2").arg(reglages.masseMin).arg(reglages.masseMax),
        QColor(0xee, 0xee, 0xee), QColor(0xbb, 0xbb, 0xbb), QScatterSeries::MarkerShapeCircle);
    auto* exclus = nuage("écartés", QColor(0xff, 0xd5, 0x4f), QColor(0x8a, 0x6d, 0x00),
                         QScatterSeries::MarkerShapeRectangle);
    auto* retenus =
        nuage("retenus", couleur, couleur.darker(140), QScatterSeries::MarkerShapeCircle);
    double yMin = 0, yMax = 1;
    bool premier = true;
    for (size_t i = 0; i < c.points.size(); ++i) {
        const auto& p = c.points[i];
        const bool dansPlage = p.masseAir >= reglages.masseMin && p.masseAir <= reglages.masseMax;
        if (c.ajustement && c.ajustement->retenus[i])
            retenus->append(p.masseAir, p.y);
        else if (dansPlage)
            exclus->append(p.masseAir, p.y);
        else
            horsPlage->append(p.masseAir, p.y);
        if (p.masseAir > MasseAirMontree) continue;
        if (premier) yMin = yMax = p.y;
        premier = false;
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    QList<QXYSeries*> series{horsPlage, exclus, retenus};
    if (c.ajustement) {
        auto* droite = new QLineSeries;
        droite->setName("droite");
        droite->setPen(QPen(couleur.darker(130), 2));
        const double a = std::log(c.ajustement->v0), b = c.ajustement->pente;
        droite->append(0, a);
        droite->append(MasseAirMontree, a + b * MasseAirMontree);
        yMax = std::max(yMax, a);
        yMin = std::min(yMin, a + b * MasseAirMontree);
        series << droite;
    }
    for (QXYSeries* s : series) {
        g->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    const double marge = std::max(0.02, (yMax - yMin) * 0.08);
    y->setRange(yMin - marge, yMax + marge);
    y->applyNiceNumbers();
}

void FenetreJournee::MontrerLangley() {
    const auto resultat = [](const CanalLangley& c) {
        if (!c.ajustement)
            return QString(
                "Pas d'ajustement : moins de trois points entre les "
                "masses d'air 2 et 6.");
        const auto& a = *c.ajustement;
        return QString(
                   "<b>V0 = %1 ± %2 V</b><br>R² = %3 — pente %4 (épaisseur optique totale "
                   "%5)<br>%6 points retenus, %7 écartés")
            .arg(Virgule(a.v0, 3), Virgule(a.erreurTypeV0, 3), Virgule(a.r2, 4),
                 Virgule(a.pente, 3), Virgule(-a.pente, 3))
            .arg(a.points)
            .arg(a.exclus);
    };
    if (!langley_) {
        TracerLangley(langleyVert_, {}, Vert);
        TracerLangley(langleyRouge_, {}, Rouge);
        resultatVert_->clear();
        resultatRouge_->clear();
        verdict_->setText(
            "Choisissez une demi-journée (Matin, Après-midi) ou glissez avec le "
            "bouton droit sur la courbe de la journée.");
        verdict_->setStyleSheet("");
        boutonReport_->setEnabled(false);
        return;
    }
    TracerLangley(langleyVert_, langley_->vert, Vert);
    TracerLangley(langleyRouge_, langley_->rouge, Rouge);
    resultatVert_->setText(resultat(langley_->vert));
    resultatRouge_->setText(resultat(langley_->rouge));
    QString texte = "<b>" + Q(langley_->verdict.titre).toHtmlEscaped() + "</b><ul>";
    for (const auto& r : langley_->verdict.raisons)
        texte += "<li>" + Q(r).toHtmlEscaped() + "</li>";
    verdict_->setText(texte + "</ul>");
    verdict_->setStyleSheet(langley_->verdict.bon
                                ? "QLabel { background: #e3f4e6; border: 1px solid #5aa469; "
                                  "padding: 4px; }"
                                : "QLabel { background: #fde7e7; border: 1px solid #c96565; "
                                  "padding: 4px; }");
    boutonReport_->setEnabled(langley_->vert.ajustement && langley_->rouge.ajustement);
}

void FenetreJournee::ReporterV0() {
    reponse_.reset();
    if (!langley_ || !langley_->vert.ajustement || !langley_->rouge.ajustement)
        return Repondre({false, "Aucun ajustement de Langley à reporter."});
    const ReportV0 report{modele_.Journee().series[langley_->plage.serie].enTete.photometre,
                          langley_->vert.ajustement->v0, langley_->rouge.ajustement->v0};
    // Asynchronous: the main window may live in this very process.
    auto* socket = new QLocalSocket(this);
    auto* delai = new QTimer(socket);
    delai->setSingleShot(true);
    const auto finir = [this, socket](const Reponse& r) {
        if (socket->property("fini").toBool()) return;
        socket->setProperty("fini", true);
        Repondre(r);
        socket->abort();
        socket->deleteLater();
    };
    connect(socket, &QLocalSocket::connected, socket,
            [socket, report] { socket->write(QByteArray::fromStdString(MessageV0(report))); });
    connect(socket, &QLocalSocket::errorOccurred, this, [socket, finir] {
        if (socket->state() != QLocalSocket::ConnectedState && !socket->canReadLine())
            finir({false, "La fenêtre principale de Solvenare n'est pas ouverte."});
    });
    connect(socket, &QLocalSocket::readyRead, this, [socket, finir] {
        if (!socket->canReadLine()) return;
        const auto lue = LireReponse(socket->readLine().toStdString());
        finir(lue ? *lue : Reponse{false, "Réponse incomprise de la fenêtre principale."});
    });
    connect(delai, &QTimer::timeout, this, [finir] {
        finir({false, "La fenêtre principale n'a pas répondu."});
    });
    delai->start(5000);
    socket->connectToServer(Q(NomCanal()));
}

void FenetreJournee::Repondre(const Reponse& r) {
    reponse_ = r;
    statusBar()->showMessage(Q(r.texte), 15000);
}

bool FenetreJournee::EnregistrerImage(const QString& chemin) {
    QWidget* cible =
        onglets_->currentWidget() == pageLangley_ ? static_cast<QWidget*>(pageLangley_) : vueJour_;
    bool ok = false;
    if (chemin.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(chemin);
        svg.setSize(cible->size());
        svg.setViewBox(QRect(QPoint(0, 0), cible->size()));
        svg.setTitle(windowTitle());
        QPainter peintre;
        ok = peintre.begin(&svg);
        if (ok) {
            cible->render(&peintre);
            ok = peintre.end();
        }
    } else {
        ok = cible->grab().save(chemin, "PNG");
    }
    statusBar()->showMessage(
        ok ? "Image enregistrée : " + chemin : "Impossible d'enregistrer « " + chemin + " »", 8000);
    return ok;
}

bool FenetreJournee::ExporterCsv(const QString& chemin) {
    if (!modele_.Site()) {
        statusBar()->showMessage("Le CSV recalculé a besoin du site de mesure (onglet Site).",
                                 8000);
        return false;
    }
    std::ofstream fichier(chemin.toStdString(), std::ios::binary | std::ios::trunc);
    if (fichier) science::EcrireCsv(fichier, modele_.Resultats(), *modele_.Site());
    fichier.close();
    const bool ok = static_cast<bool>(fichier);
    statusBar()->showMessage(
        ok ? "CSV enregistré : " + chemin : "Impossible d'écrire « " + chemin + " »", 8000);
    return ok;
}

void FenetreJournee::Etat() {
    compteEnRetard_ = false;
    depuisEtat_.start();
    if (!erreur_.isEmpty()) {
        etat_->setText(erreur_);
    } else if (modele_.Chemin().empty()) {
        etat_->setText("Aucun fichier : Fichier, Ouvrir (Ctrl+O).");
    } else {
        etat_->setText(QString("%1 — %2 série(s), %3 mesure(s) — suivi en direct")
                           .arg(Q(modele_.Chemin()))
                           .arg(modele_.Journee().series.size())
                           .arg(modele_.Points().size()));
    }
}

}  // namespace journee
