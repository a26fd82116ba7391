#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "journee/ajout_archive.h"
#include "journee/formulaire_site.h"
#include "journee/jour_archive.h"
#include "journee/langley.h"
#include "journee/lien_v0.h"
#include "journee/modele.h"
#include "journee/onglet_langley.h"
#include "journee/suivi_direct.h"
#include "journee/trace_journee.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QXYSeries;

// The day view: the optical depths and the Ångström exponent of a data file
// over the day, followed live; the site form; Langley calibration. The
// window holds the pages, the menus and the status bar, and wires them.
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
    // A day rebuilt from the archive: shown like a file, never followed.
    void MontrerJourArchive(const JourArchive& jour, const QString& archive);
    // The archive could not give the day: said in the status bar.
    void EchecJourArchive(const QString& raison);
    bool DepuisArchive() const { return depuisArchive_; }

    // The archive the followed lines are added to; `donnee`: named on the
    // command line (the seasons window is then opened on it too).
    void ChoisirArchive(const std::string& chemin, bool donnee);
    // Adds what the file holds to the archive now (when it exists and the
    // menu's choice is on); after a refresh it waits so that a file that
    // grows fast is not read again ten times a second.
    void AjouterALArchive();
    QAction* ActionAjoutArchive() const { return ajoutArchive_; }
    QAction* ActionSaisons() const { return saisons_; }
    // The last failure said about the archive, "" since it worked.
    const QString& AvisArchive() const { return avisArchive_; }
    // The arguments of solvenare-archive for « Ouvrir les saisons ».
    QStringList ArgumentsSaisons() const;

    // Asleep: waiting for the file to change (and reading it every 2 s).
    bool Endormie() const { return suivi_.Endormie(); }
    // Called when new points have been drawn, with how many the plot shows.
    std::function<void(size_t)> OnNouveauxPoints;

    const ModeleJournee& Modele() const { return modele_; }
    QTabWidget* Onglets() const { return onglets_; }
    VueGraphique* VueJour() const { return trace_->Vue(); }
    QWidget* PageLangley() const { return langley_; }
    QLabel* AvisSite() const { return trace_->AvisSite(); }
    // Says how many records the sun below the horizon left without a depth,
    // and when; hidden while there is none.
    QLabel* AvisNuit() const { return trace_->AvisNuit(); }
    // Those records' marks at the foot of the plot; null while there is none.
    QXYSeries* MarquesNuit() const { return trace_->MarquesNuit(); }
    LigneEtat* EtatFichier() const { return etat_; }
    QLineEdit* EntreeLatitude() const { return site_->Latitude(); }
    QLineEdit* EntreeLongitude() const { return site_->Longitude(); }
    QLineEdit* EntreeAltitude() const { return site_->Altitude(); }
    QComboBox* EntreeFuseau() const { return site_->Fuseau(); }
    QLabel* MessageSite() const { return site_->Message(); }
    QLabel* Verdict() const { return langley_->Verdict(); }
    QPushButton* BoutonReport() const { return langley_->BoutonReport(); }
    // How many points the day plot holds, all series together.
    size_t PointsTraces() const { return trace_->PointsTraces(); }

    // The site form's entries checked and saved; false (and the reason shown
    // under the form) when one is wrong.
    bool EnregistrerSite() { return site_->Enregistrer().has_value(); }
    void ChoisirDemiJournee(DemiJournee demi) { langley_->ChoisirDemiJournee(demi); }
    // --demi-journee: the Langley page on that half of the day's series.
    void ChoisirDemiJourneeDu(DemiJournee demi, const std::optional<science::Date>& jour) {
        langley_->ChoisirDemiJourneeDu(demi, jour);
    }
    // A range of the plot's hours, as dragged with the right button.
    void ChoisirPlage(double debut, double fin) { langley_->ChoisirPlage(debut, fin); }
    const std::optional<Langley>& LangleyCourant() const { return langley_->Courant(); }
    // Sends the V0s of the current fit to the main window; its answer is
    // shown in the status bar when it comes, and kept.
    void ReporterV0();
    const std::optional<Reponse>& DerniereReponse() const { return reponse_; }

    // PNG or SVG by the name's extension, of the tab shown.
    bool EnregistrerImage(const QString& chemin);
    bool ExporterCsv(const QString& chemin);
    // Shows every point again.
    void VueEnsemble() { trace_->VueEnsemble(); }

  private:
    void CreerMenus();
    void SiteEnregistre(const science::Site& site);
    void Retracer();
    void Etat();
    void Repondre(const Reponse& reponse);
    void EtatArchive();
    void AjoutApresRafraichissement();
    void AvisArchive(const QString& texte);

    ModeleJournee modele_;
    SuiviDirect suivi_;
    QString erreur_;               // the last reading's failure, if any
    QElapsedTimer depuisEtat_;     // since the status bar was last written
    bool compteEnRetard_ = false;  // it shows fewer records than there are
    std::optional<Reponse> reponse_;
    bool depuisArchive_ = false;
    QString sourceArchive_;  // the archive a day shown was rebuilt from
    std::unique_ptr<AjoutArchive> ajout_;
    bool archiveDonnee_ = false;
    QString avisArchive_;
    QElapsedTimer depuisAjout_;
    QTimer ajoutDiffere_;
    QAction* ajoutArchive_ = nullptr;
    QAction* saisons_ = nullptr;

    QTabWidget* onglets_ = nullptr;
    LigneEtat* etat_ = nullptr;
    TraceJournee* trace_ = nullptr;
    OngletLangley* langley_ = nullptr;
    FormulaireSite* site_ = nullptr;
};

}  // namespace journee
