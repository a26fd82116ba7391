#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calibration/etalonnages.h"
#include "measurement/reception.h"
#include "platform/clock.h"
#include "recording/fichier_donnees.h"
#include "recording/lignes.h"
#include "toolkit/toolkit.h"

class LienJournee;
namespace seriallink {
class TComDataPacket;
class TComPort;
}  // namespace seriallink

// Values of Etat, the program state.
using measurement::EtatContinu;
using measurement::EtatExpert;
using measurement::EtatRepos;
using measurement::EtatSimple;
using measurement::EtatVerificationLiaison;

// The main window: every control, the serial port and its framer, the timers
// and the state all handlers share. Its controls are built from the window's
// description (fond_description.cpp); the handlers are grouped by concern in
// the other files of this folder.
class TF_Fond : public TForm {
  public:
    TF_Fond();
    ~TF_Fond() override;

    // --- controls on the window ---
    TImage* IM_Logo = nullptr;
    TLabel* L_Date = nullptr;
    TLabel* L_Heure = nullptr;
    TImage* IM_Serie = nullptr;
    TLabel* L_ComPort = nullptr;
    TImage* IM_Fichiers = nullptr;
    TImage* IM_Informations = nullptr;
    TComboBox* CB_SerieProvisoire = nullptr;

    // --- measurement parameters panel ---
    TPanel* P_ParametresMesures = nullptr;
    TLabel* L_PressionAtmospherique = nullptr;
    TLabel* L_AngleDElevation = nullptr;
    TImage* IM_ParametresDesMesures = nullptr;
    TLabel* L_FichierEcriture = nullptr;
    TImage* IM_OKParametresDesMesures = nullptr;
    TLabel* L_LiaisonPhotometre = nullptr;
    TLabel* LOKPortSerie = nullptr;
    TLabel* LNomFichier = nullptr;
    TEdit* EPression = nullptr;
    TEdit* EAngleElevation = nullptr;
    TProgressBar* PBPortSerie = nullptr;
    // What to check when the photometer does not answer the link check; two
    // lines, hidden until then.
    TLabel* L_ConseilLiaison = nullptr;
    TLabel* L_ConseilLiaisonSuite = nullptr;

    // --- information panel ---
    TPanel* P_Informations = nullptr;
    TLabel* L_Auteur = nullptr;
    TImage* IM_Solvenare = nullptr;
    TLabel* L_Version = nullptr;
    TLabel* L_Editeur = nullptr;
    TLabel* L_RessourcesInternet = nullptr;
    TLabel* L_Documentation = nullptr;
    TImage* IM_Documentation = nullptr;
    TImage* IM_OKInformations = nullptr;
    TComboBox* CB_RessourcesInternet = nullptr;

    // --- calibration panel ---
    TPanel* P_Etalonnages = nullptr;
    TImage* IM_Etalonnage = nullptr;
    TLabel* L_Identification = nullptr;
    TLabel* L_V0Vert = nullptr;
    TImage* IM_LedVerteEtalon = nullptr;
    TLabel* L_0Vert = nullptr;
    TLabel* LV0Vert = nullptr;
    TImage* IM_LedVerteEtalonNoir = nullptr;
    TLabel* L_VnVert = nullptr;
    TLabel* L_NVert = nullptr;
    TLabel* LVnVert = nullptr;
    TImage* IM_LedRougeEtalon = nullptr;
    TLabel* L_V0Rouge = nullptr;
    TLabel* LV0Rouge = nullptr;
    TLabel* L_0Rouge = nullptr;
    TImage* IM_LedRougeEtalonNoir = nullptr;
    TLabel* L_VnRouge = nullptr;
    TLabel* L_NRouge = nullptr;
    TLabel* LVnRouge = nullptr;
    TImage* IM_Identification = nullptr;
    TImage* IM_Xper = nullptr;
    TImage* IM_FINEtalonnages = nullptr;
    TLabel* LIdentificationPhotometre = nullptr;
    TLabel* LIdentificationLogiciel = nullptr;
    TLabel* LEcriturePhotometre = nullptr;
    TImage* IM_OKEtalonnages = nullptr;
    TEdit* EIdentificationPhotometre = nullptr;
    TEdit* EV0Vert = nullptr;
    TEdit* EVnVert = nullptr;
    TEdit* EV0Rouge = nullptr;
    TEdit* EVnRouge = nullptr;
    TEdit* EIdentificationLogiciel = nullptr;
    TEdit* Edit1 = nullptr;
    TPanel* Panel1 = nullptr;

    // --- password panel ---
    TPanel* P_MotDePasse = nullptr;
    TImage* IM_MotDePasse = nullptr;
    TImage* IM_OKMotDePasse = nullptr;
    TImage* IM_FINMotDePasse = nullptr;
    TEdit* EMotDePasse = nullptr;

    // --- reception panel ---
    TPanel* P_ReceptionMesures = nullptr;
    TImage* IM_ReceptionMesures = nullptr;
    TImage* IM_Demarrer = nullptr;
    TImage* IM_Arreter = nullptr;
    TImage* IM_Ecrire = nullptr;
    TImage* IM_Thermometre = nullptr;
    TImage* IM_ThermometreMiroir = nullptr;
    TLabel* L_Temperature = nullptr;
    TLabel* LTemperature = nullptr;
    TLabel* L_Tensions = nullptr;
    TLabel* L_EO = nullptr;
    TImage* IM_LedVerte = nullptr;
    TLabel* L_Vert = nullptr;
    TLabel* L_vVert = nullptr;
    TLabel* LVVert = nullptr;
    TLabel* L_EOVert = nullptr;
    TLabel* L_vEO = nullptr;
    TLabel* LEOVert = nullptr;
    TImage* IM_LedRouge = nullptr;
    TLabel* L_Rouge = nullptr;
    TLabel* L_rRouge = nullptr;
    TLabel* LVRouge = nullptr;
    TLabel* L_EORouge = nullptr;
    TLabel* L_rEO = nullptr;
    TLabel* LEORouge = nullptr;
    TLabel* LEcriture = nullptr;
    TImage* IM_FINMesures = nullptr;
    TBevel* B_Separation = nullptr;
    TImage* IM_LedVerteMax = nullptr;
    TLabel* L_VmaxVert = nullptr;
    TLabel* L_vmaxV = nullptr;
    TLabel* LVMaxVert = nullptr;
    TLabel* L_EOMaxVert = nullptr;
    TLabel* L_MaxEOVert = nullptr;
    TLabel* LEOMaxVert = nullptr;
    TImage* IM_RAZVert = nullptr;
    TGauge* G_Vert = nullptr;
    TImage* IM_PointeurVert = nullptr;
    TImage* IM_LedRougeMax = nullptr;
    TLabel* L_VmaxRouge = nullptr;
    TLabel* L_vmaxR = nullptr;
    TLabel* LVMaxRouge = nullptr;
    TLabel* L_EOMaxRouge = nullptr;
    TLabel* L_MaxEORouge = nullptr;
    TLabel* LEOMaxRouge = nullptr;
    TImage* IM_RAZRouge = nullptr;
    TGauge* G_Rouge = nullptr;
    TImage* IM_PointeurRouge = nullptr;

    // --- sliding cover ---
    TPanel* P_Volet = nullptr;

    // --- components without a place on screen ---
    std::unique_ptr<TPopupMenu> PM_PortSerie;
    std::unique_ptr<TSaveDialog> SD_FichierDonnees;
    std::unique_ptr<seriallink::TComPort> ComPort;
    std::unique_ptr<seriallink::TComDataPacket> ComDataPacket;
    std::unique_ptr<TTimer> T_Etalonnage;
    std::unique_ptr<TTimer> T_Horloge;
    std::unique_ptr<TTimer> T_Volet;
    std::unique_ptr<TTimer> T_LiaisonSerie;
    std::unique_ptr<TTimer> T_Ecriture;
    std::unique_ptr<TTimer> T_EcriturePhotometre;

    // --- shared state ---
    // The reception's state, which each packet reads and leaves in place; its
    // variables go by their own names.
    measurement::EtatReception Reception;
    int32_t& Etat = Reception.etat;
    bool& LiaisonOK = Reception.liaisonOK;
    // Whether the reception panel has opened since the data file was chosen:
    // measurement frames before that have no header block to live under.
    bool& ReceptionOuverte = Reception.receptionOuverte;
    double& VMaxVert = Reception.vMaxVert;
    double& VMaxRouge = Reception.vMaxRouge;
    double& SommeTemperatures = Reception.sommeTemperatures;
    int32_t& NombreTemperatures = Reception.nombreTemperatures;
    std::string NomFichier;
    recording::TFichierDonnees FichierDonnees;
    bool FichierOuvert = false;
    uint8_t NumeroPhotometre = 0;
    uint8_t VersionLogiciel = 0;
    double V0Vert = 0, VnVert = 0, V0Rouge = 0, VnRouge = 0;
    int32_t Pression = 0;
    int32_t AngleElevation = 0;
    uint32_t SaisieParametres = 0;
    double RapportPression = 0, MasseAir = 0;
    double DistanceTerreSoleil = 0;
    double VVert = 0, VRouge = 0;
    int32_t TemperatureBrute = 0;
    int32_t EssaisMotDePasse = 0;
    bool VirguleSaisie = false;
    int32_t EtapeEtalonnage = 0;
    int32_t PositionVolet = 0;  // placed at start, from the window's description
    // The folder current at start, which holds the program's own files.
    std::string DossierProgramme;
    // Ticks of T_LiaisonSerie since the link check started or its port was
    // chosen, while no identification has come.
    int32_t TicksSansReponse = 0;
    // The system's error that refused the port at the link check's last
    // opening, 0 when it opened: the advice depends on it.
    int ErreurOuverture = 0;
    // Clock fields, rewritten at every tick.
    TDateTime Maintenant;
    std::string NomJour, NomMois;
    // Ctrl+J, the sun's elevation in its entry, V0s from the day view.
    std::unique_ptr<LienJournee> Journee;

    // --- start-up and settings (demarrage.cpp) ---
    void FormCreate(TObject* Sender);
    void LireParametres();
    void EnregistrerParametres();
    // --- clock (horloge.cpp) ---
    void T_HorlogeTimer(TObject* Sender);
    // --- sliding cover (volet.cpp) ---
    void T_VoletTimer(TObject* Sender);
    // --- reception (reception.cpp) ---
    void ComDataPacketPacket(TObject* Sender, const std::string& Str);
    std::string CalculerEOVert();
    std::string CalculerEORouge();
    double CalculerTemperature(int32_t count);
    void AfficherMesure(const measurement::Affichage& affichage, bool continu);
    // Shows the reception panel in single mode, framing measurement frames.
    void OuvrirReceptionMesures();
    // Shows the reception panel, ready to start.
    void MontrerReceptionMesures();
    void PasserModeSimple();
    void PasserModeContinu();
    void PasserMode(int32_t mode);  // EtatSimple or EtatContinu
    void IM_RAZVertClick(TObject* Sender);
    void IM_RAZRougeClick(TObject* Sender);
    void IM_DemarrerClick(TObject* Sender);
    void IM_ArreterClick(TObject* Sender);
    void IM_FINMesuresClick(TObject* Sender);
    // The line to the photometer failed under the open port (its error has
    // been shown): the port is closed and nothing on screen reads as current.
    void LiaisonPerdue();
    // The space bar presses the button the reception panel shows, for hands
    // busy with the instrument; an entry the user sees keeps its keys.
    void FormKeyPress(TObject* Sender, char& Key);
    // --- recording (enregistrement.cpp) ---
    void EnregistrerLigne(const std::string& ligne);
    void IM_EcrireClick(TObject* Sender);
    void T_EcritureTimer(TObject* Sender);
    // --- information panel (informations.cpp) ---
    void ChargerRessourcesInternet();
    void IM_InformationsClick(TObject* Sender);
    void IM_OKInformationsClick(TObject* Sender);
    void IM_DocumentationClick(TObject* Sender);
    void CB_RessourcesInternetClick(TObject* Sender);
    // --- data file and measurement parameters (parametres_mesures.cpp) ---
    void IM_FichiersClick(TObject* Sender);
    void LNomFichierClick(TObject* Sender);
    void EPressionKeyPress(TObject* Sender, char& Key);
    void EAngleElevationKeyPress(TObject* Sender, char& Key);
    void IM_OKParametresDesMesuresClick(TObject* Sender);
    // --- expert mode (expert.cpp) ---
    void IM_XperClick(TObject* Sender);
    void EMotDePasseKeyPress(TObject* Sender, char& Key);
    void IM_OKMotDePasseClick(TObject* Sender);
    void IM_FINMotDePasseClick(TObject* Sender);
    // --- calibration panel (etalonnages.cpp) ---
    void T_EtalonnageTimer(TObject* Sender);
    void Edit1KeyPress(TObject* Sender, char& Key);
    void EIdentificationPhotometreKeyPress(TObject* Sender, char& Key);
    void EIdentificationLogicielKeyPress(TObject* Sender, char& Key);
    void EV0VertKeyPress(TObject* Sender, char& Key);
    void EVnVertKeyPress(TObject* Sender, char& Key);
    void EV0RougeKeyPress(TObject* Sender, char& Key);
    void EVnRougeKeyPress(TObject* Sender, char& Key);
    void EIdentificationLogicielChange(TObject* Sender);
    void EV0VertChange(TObject* Sender);
    void EVnVertChange(TObject* Sender);
    void EV0RougeChange(TObject* Sender);
    void EVnRougeChange(TObject* Sender);
    void IM_OKEtalonnagesClick(TObject* Sender);
    void IM_FINEtalonnagesClick(TObject* Sender);
    void OuvrirSaisieEtalonnages();
    void FermerSaisieEtalonnages();
    // The six expert entries, read and judged; none when one is refused
    // (its message has been shown).
    using SaisieExpert = calibration::Constantes;
    std::optional<SaisieExpert> LireSaisieExpert();
    void RetenirConstantes(const SaisieExpert& saisie);
    // The header block's texts, as the window shows them.
    recording::EnTete EnTeteCourant();
    // --- writing to the photometer (ecriture_photometre.cpp) ---
    void T_EcriturePhotometreTimer(TObject* Sender);
    void EcrirePhotometre();
    // --- port menu and link check (liaison.cpp) ---
    void ConstruireMenuPortSerie();
    void IM_SerieMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PM_PortSerieClick(TObject* Sender);
    void T_LiaisonSerieTimer(TObject* Sender);
    void DemanderIdentification();
    void AfficherConseilLiaison(bool visible);
    // Opens the port for the link check; a refusal is remembered for the
    // advice, shown at once where it tells what to do, and raised again.
    void OuvrirPourVerification();

  private:
    void CreerControles();
    void CreerComposants();
};
