#include "journee/fenetre.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QTabWidget>
#include <fstream>

#include "journee/apparence.h"
#include "journee/client_lien_v0.h"
#include "journee/compagnon.h"
#include "journee/enregistrer_image.h"
#include "journee/ligne_etat.h"
#include "journee/vue_graphique.h"
#include "platform/commande.h"
#include "platform/textfile.h"
#include "science/export_csv.h"

namespace journee {

namespace {

// A file that grows fast is added to the archive at most once a second:
// each addition reads the whole file again.
constexpr int IntervalleAjout = 1000;

}  // namespace

FenetreJournee::FenetreJournee(ReglagesModele reglages, QString dossierSite, QWidget* parent)
    : QMainWindow(parent),
      modele_(std::move(reglages)),
      suivi_([this] { return Actualiser(); }, [this] { return !erreur_.isEmpty(); },
             [this] {
                 if (compteEnRetard_) Etat();
             }) {
    setWindowTitle("Solvenare : la journée");
    resize(1000, 640);
    ajoutDiffere_.setSingleShot(true);
    connect(&ajoutDiffere_, &QTimer::timeout, this, [this] { AjouterALArchive(); });
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
    EtatArchive();
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

    QMenu* archive = menuBar()->addMenu("A&rchive");
    archive->setToolTipsVisible(true);
    ajoutArchive_ = archive->addAction("&Ajouter les mesures suivies à l'archive");
    ajoutArchive_->setCheckable(true);
    ajoutArchive_->setChecked(true);
    connect(ajoutArchive_, &QAction::toggled, this, [this](bool oui) {
        if (oui) AjouterALArchive();
    });
    saisons_ = archive->addAction("Ouvrir les &saisons", this, [this] {
        const QString programme =
            Q(Compagnon(DossierDuProgramme(), "solvenare-archive", "archivage"));
        if (!QProcess::startDetached(programme, ArgumentsSaisons()))
            statusBar()->showMessage("Impossible de lancer « " + programme + " »", 8000);
    });
    // An archive made while the view is open is found when the menu opens.
    connect(archive, &QMenu::aboutToShow, this, [this] { EtatArchive(); });
}

void FenetreJournee::ChoisirArchive(const std::string& chemin, bool donnee) {
    ajout_ = std::make_unique<AjoutArchive>(chemin);
    archiveDonnee_ = donnee;
    avisArchive_.clear();
    EtatArchive();
}

QStringList FenetreJournee::ArgumentsSaisons() const {
    if (ajout_ && archiveDonnee_) return {"--archive", Q(ajout_->Chemin())};
    return {};
}

void FenetreJournee::EtatArchive() {
    const bool existe = ajout_ && ajout_->Existe();
    ajoutArchive_->setEnabled(existe && !depuisArchive_);
    const QString chemin = ajout_ ? Q(ajout_->Chemin()) : QString("archive.sqlite");
    if (!existe)
        ajoutArchive_->setToolTip("Pas d'archive « " + chemin +
                                  " » : « solvenare-archive importer FICHIER… » la crée ; les "
                                  "mesures suivies y seront alors ajoutées.");
    else if (depuisArchive_)
        ajoutArchive_->setToolTip("Cette journée vient de l'archive : rien à y ajouter.");
    else
        ajoutArchive_->setToolTip("Ajoute à « " + chemin +
                                  " » les mesures du fichier suivi, à mesure qu'elles arrivent.");
}

void FenetreJournee::AvisArchive(const QString& texte) {
    // Said once: a fault that lasts is not repeated at every refresh.
    if (texte == avisArchive_) return;
    avisArchive_ = texte;
    statusBar()->showMessage(texte, 15000);
}

void FenetreJournee::AjouterALArchive() {
    ajoutDiffere_.stop();
    EtatArchive();
    if (!ajout_ || depuisArchive_ || !modele_.Suivi() || !ajoutArchive_->isChecked() ||
        !ajoutArchive_->isEnabled())
        return;
    if (!modele_.Site())
        return AvisArchive(
            "L'archive attend le site de mesure : enregistrez-le (onglet Site), les mesures y "
            "seront alors ajoutées.");
    archive::ReglagesImport reglages;
    reglages.site = *modele_.Site();
    if (reglages.site.fuseau.empty()) reglages.site.fuseau = platform::FuseauSysteme();
    reglages.annee = modele_.Reglages().annee;
    reglages.ozone = modele_.Reglages().ozone;
    depuisAjout_.start();
    const AjoutArchive::Issue issue = ajout_->Ajouter(modele_.Chemin(), reglages);
    if (!issue.erreur.empty()) return AvisArchive(Q(issue.erreur));
    // Mended: the fault's message goes, and would be said again if it came back.
    if (!avisArchive_.isEmpty() && statusBar()->currentMessage() == avisArchive_)
        statusBar()->clearMessage();
    avisArchive_.clear();
}

void FenetreJournee::AjoutApresRafraichissement() {
    if (ajoutDiffere_.isActive()) return;
    const qint64 reste =
        depuisAjout_.isValid() ? IntervalleAjout - depuisAjout_.elapsed() : qint64{0};
    if (reste <= 0)
        AjouterALArchive();
    else
        ajoutDiffere_.start(static_cast<int>(reste));
}

void FenetreJournee::MontrerJourArchive(const JourArchive& jour, const QString& archive) {
    ReglagesModele reglages = jour.reglages;
    reglages.lambdaVert = modele_.Reglages().lambdaVert;
    reglages.lambdaRouge = modele_.Reglages().lambdaRouge;
    modele_ = ModeleJournee(reglages);
    modele_.Charger(jour.journee, jour.source);
    erreur_.clear();
    depuisArchive_ = true;
    sourceArchive_ = archive;
    setWindowTitle(QFileInfo(Q(jour.source)).fileName() +
                   " depuis l'archive : la journée (Solvenare)");
    trace_->AvisSite()->setVisible(!modele_.Site());
    if (modele_.Site()) site_->Remplir(*modele_.Site());
    trace_->OublierZoom();
    Retracer();
    langley_->Oublier();
    EtatArchive();
}

void FenetreJournee::EchecJourArchive(const QString& raison) {
    depuisArchive_ = true;
    erreur_ = raison;
    setWindowTitle("Solvenare : la journée, depuis l'archive");
    Etat();
    EtatArchive();
}

void FenetreJournee::SiteEnregistre(const science::Site& site) {
    modele_.ChangerSite(site);
    trace_->AvisSite()->hide();
    Retracer();
    langley_->Recalculer();
    // The archive was waiting for a site: the file need not grow first.
    AjouterALArchive();
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
    depuisArchive_ = false;
    suivi_.Suivre(modele_.Chemin());
    trace_->OublierZoom();
    Retracer();
    langley_->Oublier();
    AjouterALArchive();
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
    if (nouveau) AjoutApresRafraichissement();
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
    const bool ok = journee::EnregistrerImage(*cible, chemin, windowTitle());
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
    } else if (depuisArchive_) {
        etat_->setText(QString("%1 — %2 série(s), %3 mesure(s) — relu depuis l'archive « %4 », "
                               "sans suivi")
                           .arg(Q(modele_.Chemin()))
                           .arg(modele_.Journee().series.size())
                           .arg(modele_.Points().size())
                           .arg(sourceArchive_));
    } else {
        etat_->setText(QString("%1 — %2 série(s), %3 mesure(s) — suivi en direct")
                           .arg(Q(modele_.Chemin()))
                           .arg(modele_.Journee().series.size())
                           .arg(modele_.Points().size()));
    }
}

}  // namespace journee
