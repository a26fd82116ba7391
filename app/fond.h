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
class TF_Fond : public toolkit::TForm {
  public:
    TF_Fond();
    ~TF_Fond() override;

    // --- controls on the window ---
    toolkit::TImage* IM_Logo = nullptr;
    toolkit::TLabel* L_Date = nullptr;
    toolkit::TLabel* L_Heure = nullptr;
    toolkit::TImage* IM_Serie = nullptr;
    toolkit::TLabel* L_ComPort = nullptr;
    toolkit::TImage* IM_Fichiers = nullptr;
    toolkit::TImage* IM_Informations = nullptr;
    toolkit::TComboBox* CB_SerieProvisoire = nullptr;

    // --- measurement parameters panel ---
    toolkit::TPanel* P_ParametresMesures = nullptr;
    toolkit::TLabel* L_PressionAtmospherique = nullptr;
    toolkit::TLabel* L_AngleDElevation = nullptr;
    toolkit::TImage* IM_ParametresDesMesures = nullptr;
    toolkit::TLabel* L_FichierEcriture = nullptr;
    toolkit::TImage* IM_OKParametresDesMesures = nullptr;
    toolkit::TLabel* L_LiaisonPhotometre = nullptr;
    toolkit::TLabel* LOKPortSerie = nullptr;
    toolkit::TLabel* LNomFichier = nullptr;
    toolkit::TEdit* EPression = nullptr;
    toolkit::TEdit* EAngleElevation = nullptr;
    toolkit::TProgressBar* PBPortSerie = nullptr;
    // What to check when the photometer does not answer the link check; two
    // lines, hidden until then.
    toolkit::TLabel* L_ConseilLiaison = nullptr;
    toolkit::TLabel* L_ConseilLiaisonSuite = nullptr;

    // --- information panel ---
    toolkit::TPanel* P_Informations = nullptr;
    toolkit::TLabel* L_Auteur = nullptr;
    toolkit::TImage* IM_Solvenare = nullptr;
    toolkit::TLabel* L_Version = nullptr;
    toolkit::TLabel* L_Editeur = nullptr;
    toolkit::TLabel* L_RessourcesInternet = nullptr;
    toolkit::TLabel* L_Documentation = nullptr;
    toolkit::TImage* IM_Documentation = nullptr;
    toolkit::TImage* IM_OKInformations = nullptr;
    toolkit::TComboBox* CB_RessourcesInternet = nullptr;

    // --- calibration panel ---
    toolkit::TPanel* P_Etalonnages = nullptr;
    toolkit::TImage* IM_Etalonnage = nullptr;
    toolkit::TLabel* L_Identification = nullptr;
    toolkit::TLabel* L_V0Vert = nullptr;
    toolkit::TImage* IM_LedVerteEtalon = nullptr;
    toolkit::TLabel* L_0Vert = nullptr;
    toolkit::TLabel* LV0Vert = nullptr;
    toolkit::TImage* IM_LedVerteEtalonNoir = nullptr;
    toolkit::TLabel* L_VnVert = nullptr;
    toolkit::TLabel* L_NVert = nullptr;
    toolkit::TLabel* LVnVert = nullptr;
    toolkit::TImage* IM_LedRougeEtalon = nullptr;
    toolkit::TLabel* L_V0Rouge = nullptr;
    toolkit::TLabel* LV0Rouge = nullptr;
    toolkit::TLabel* L_0Rouge = nullptr;
    toolkit::TImage* IM_LedRougeEtalonNoir = nullptr;
    toolkit::TLabel* L_VnRouge = nullptr;
    toolkit::TLabel* L_NRouge = nullptr;
    toolkit::TLabel* LVnRouge = nullptr;
    toolkit::TImage* IM_Identification = nullptr;
    toolkit::TImage* IM_Xper = nullptr;
    toolkit::TImage* IM_FINEtalonnages = nullptr;
    toolkit::TLabel* LIdentificationPhotometre = nullptr;
    toolkit::TLabel* LIdentificationLogiciel = nullptr;
    toolkit::TLabel* LEcriturePhotometre = nullptr;
    toolkit::TImage* IM_OKEtalonnages = nullptr;
    toolkit::TEdit* EIdentificationPhotometre = nullptr;
    toolkit::TEdit* EV0Vert = nullptr;
    toolkit::TEdit* EVnVert = nullptr;
    toolkit::TEdit* EV0Rouge = nullptr;
    toolkit::TEdit* EVnRouge = nullptr;
    toolkit::TEdit* EIdentificationLogiciel = nullptr;
    toolkit::TEdit* Edit1 = nullptr;
    toolkit::TPanel* Panel1 = nullptr;

    // --- password panel ---
    toolkit::TPanel* P_MotDePasse = nullptr;
    toolkit::TImage* IM_MotDePasse = nullptr;
    toolkit::TImage* IM_OKMotDePasse = nullptr;
    toolkit::TImage* IM_FINMotDePasse = nullptr;
    toolkit::TEdit* EMotDePasse = nullptr;

    // --- reception panel ---
    toolkit::TPanel* P_ReceptionMesures = nullptr;
    toolkit::TImage* IM_ReceptionMesures = nullptr;
    toolkit::TImage* IM_Demarrer = nullptr;
    toolkit::TImage* IM_Arreter = nullptr;
    toolkit::TImage* IM_Ecrire = nullptr;
    toolkit::TImage* IM_Thermometre = nullptr;
    toolkit::TImage* IM_ThermometreMiroir = nullptr;
    toolkit::TLabel* L_Temperature = nullptr;
    toolkit::TLabel* LTemperature = nullptr;
    toolkit::TLabel* L_Tensions = nullptr;
    toolkit::TLabel* L_EO = nullptr;
    toolkit::TImage* IM_LedVerte = nullptr;
    toolkit::TLabel* L_Vert = nullptr;
    toolkit::TLabel* L_vVert = nullptr;
    toolkit::TLabel* LVVert = nullptr;
    toolkit::TLabel* L_EOVert = nullptr;
    toolkit::TLabel* L_vEO = nullptr;
    toolkit::TLabel* LEOVert = nullptr;
    toolkit::TImage* IM_LedRouge = nullptr;
    toolkit::TLabel* L_Rouge = nullptr;
    toolkit::TLabel* L_rRouge = nullptr;
    toolkit::TLabel* LVRouge = nullptr;
    toolkit::TLabel* L_EORouge = nullptr;
    toolkit::TLabel* L_rEO = nullptr;
    toolkit::TLabel* LEORouge = nullptr;
    toolkit::TLabel* LEcriture = nullptr;
    toolkit::TImage* IM_FINMesures = nullptr;
    toolkit::TBevel* B_Separation = nullptr;
    toolkit::TImage* IM_LedVerteMax = nullptr;
    toolkit::TLabel* L_VmaxVert = nullptr;
    toolkit::TLabel* L_vmaxV = nullptr;
    toolkit::TLabel* LVMaxVert = nullptr;
    toolkit::TLabel* L_EOMaxVert = nullptr;
    toolkit::TLabel* L_MaxEOVert = nullptr;
    toolkit::TLabel* LEOMaxVert = nullptr;
    toolkit::TImage* IM_RAZVert = nullptr;
    toolkit::TGauge* G_Vert = nullptr;
    toolkit::TImage* IM_PointeurVert = nullptr;
    toolkit::TImage* IM_LedRougeMax = nullptr;
    toolkit::TLabel* L_VmaxRouge = nullptr;
    toolkit::TLabel* L_vmaxR = nullptr;
    toolkit::TLabel* LVMaxRouge = nullptr;
    toolkit::TLabel* L_EOMaxRouge = nullptr;
    toolkit::TLabel* L_MaxEORouge = nullptr;
    toolkit::TLabel* LEOMaxRouge = nullptr;
    toolkit::TImage* IM_RAZRouge = nullptr;
    toolkit::TGauge* G_Rouge = nullptr;
    toolkit::TImage* IM_PointeurRouge = nullptr;

    // --- sliding cover ---
    toolkit::TPanel* P_Volet = nullptr;

    // --- components without a place on screen ---
    std::unique_ptr<toolkit::TPopupMenu> PM_PortSerie;
    std::unique_ptr<toolkit::TSaveDialog> SD_FichierDonnees;
    std::unique_ptr<seriallink::TComPort> ComPort;
    std::unique_ptr<seriallink::TComDataPacket> ComDataPacket;
    std::unique_ptr<toolkit::TTimer> T_Etalonnage;
    std::unique_ptr<toolkit::TTimer> T_Horloge;
    std::unique_ptr<toolkit::TTimer> T_Volet;
    std::unique_ptr<toolkit::TTimer> T_LiaisonSerie;
    std::unique_ptr<toolkit::TTimer> T_Ecriture;
    std::unique_ptr<toolkit::TTimer> T_EcriturePhotometre;

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
    void IM_SerieMouseDown(TObject* Sender, toolkit::TMouseButton Button,
                           toolkit::TShiftState Shift, int X, int Y);
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
