#include "journee/fenetre.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QTabWidget>
#include <fstream>

#include "journee/apparence.h"
#include "journee/client_lien_v0.h"
#include "journee/ligne_etat.h"
#include "journee/vue_graphique.h"
#include "platform/textfile.h"
#include "science/export_csv.h"

namespace journee {

FenetreJournee::FenetreJournee(ReglagesModele reglages, QString dossierSite, QWidget* parent)
    : QMainWindow(parent),
      modele_(std::move(reglages)),
      suivi_([this] { return Actualiser(); }, [this] { return !erreur_.isEmpty(); },
             [this] {
                 if (compteEnRetard_) Etat();
             }) {
    setWindowTitle("Solvenare : la journée");
    resize(1000, 640);
    onglets_ = new QTabWidget(this);
    trace_ = new TraceJournee(modele_);
    trace_->OnPlage = [this](double debut, double fin) { ChoisirPlage(debut, fin); };
    onglets_->addTab(trace_, "&Journée");
    langley_ = new OngletLangley(modele_);
    langley_->OnMontrer = [this] { onglets_->setCurrentWidget(langley_); };
    langley_->OnReporter = [this] { ReporterV0(); };
    onglets_->addTab(langley_, "&Langley");
    site_ = new FormulaireSite(std::move(dossierSite));
    site_->OnEnregistre = [this](const science::Site& site) { SiteEnregistre(site); };
    onglets_->addTab(site_, "&Site");
    setCentralWidget(onglets_);
    CreerMenus();
    etat_ = new LigneEtat(this);
    statusBar()->addWidget(etat_, 1);
    trace_->AvisSite()->setVisible(!modele_.Site());
    if (modele_.Site()) site_->Remplir(*modele_.Site());
    Retracer();
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

void FenetreJournee::SiteEnregistre(const science::Site& site) {
    modele_.ChangerSite(site);
    trace_->AvisSite()->hide();
    Retracer();
    langley_->Recalculer();
}

void FenetreJournee::Retracer() {
    trace_->Retracer();
    langley_->ListerSeries();
    Etat();
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
    suivi_.Suivre(modele_.Chemin());
    trace_->OublierZoom();
    Retracer();
    langley_->Oublier();
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
        trace_->Ajouter(c.debut, c.niveaux);
        // The count in the status bar follows once a second: setting its
        // text lays the bar out again.
        compteEnRetard_ = true;
    }
    if (compteEnRetard_ && !(depuisEtat_.isValid() && depuisEtat_.elapsed() < 1000)) Etat();
    const bool nouveau = c.tout || c.debut < modele_.Points().size();
    if (nouveau && OnNouveauxPoints) OnNouveauxPoints(modele_.Points().size());
    return nouveau;
}

void FenetreJournee::ReporterV0() {
    reponse_.reset();
    const auto report = langley_->Report();
    if (!report) return Repondre({false, "Aucun ajustement de Langley à reporter."});
    EnvoyerV0(this, *report, [this](const Reponse& r) { Repondre(r); });
}

void FenetreJournee::Repondre(const Reponse& r) {
    reponse_ = r;
    statusBar()->showMessage(Q(r.texte), 15000);
}

bool FenetreJournee::EnregistrerImage(const QString& chemin) {
    QWidget* cible =
        onglets_->currentWidget() == langley_ ? static_cast<QWidget*>(langley_) : VueJour();
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
