// The packet handler and the reception panel: frames decoded, computed and
// shown, single and continuous modes, maxima and their resets, start and stop.
#include <cmath>

#include "app/description.h"
#include "app/fond.h"
#include "app/pointeurs.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/calculs.h"
#include "measurement/protocole.h"
#include "measurement/reception.h"
#include "recording/lignes.h"

using toolkit::TEdit;
using toolkit::TGauge;
using toolkit::TImage;
using toolkit::TLabel;

namespace {

// The pointers' places at count 0 are where the window's description puts
// them; looked up once, since single mode resets the maxima at every frame.
int ZeroVert() {
    static const int zero = DescriptionDe("IM_PointeurVert").left;
    return zero;
}
int ZeroRouge() {
    static const int zero = DescriptionDe("IM_PointeurRouge").left;
    return zero;
}

measurement::Conditions ConditionsDe(const TF_Fond& f) {
    return {f.V0Vert,          f.VnVert,  f.V0Rouge, f.VnRouge, f.DistanceTerreSoleil,
            f.RapportPression, f.MasseAir};
}

void AfficherCanal(const measurement::Canal& c, TLabel* lv, TLabel* leo) {
    lv->SetCaption(c.tension);
    leo->SetCaption(c.eo);
}

void AfficherCanalContinu(const measurement::Canal& c, TLabel* lv, TLabel* leo, TGauge* jauge,
                          TLabel* lvMax, TLabel* leoMax, TImage* pointeur, int zero) {
    AfficherCanal(c, lv, leo);
    jauge->SetProgress(c.compte);
    if (!c.maximum) return;
    lvMax->SetCaption(c.maximum->tension);
    leoMax->SetCaption(c.maximum->eo);
    pointeur->SetLeft(PositionPointeur(c.compte, zero));
}

// The maxima labels read "0" after a reset by the user and "---" in single
// mode, set once: single mode resets on every frame, and a caption changed
// twice a frame is work for nothing.
void RemettreAZero(TGauge* jauge, TImage* pointeur, int zero, TLabel* lvMax, TLabel* leoMax,
                   double& vMax, const char* texte = "0") {
    jauge->SetProgress(0);
    pointeur->SetLeft(zero);
    lvMax->SetCaption(texte);
    leoMax->SetCaption(texte);
    vMax = 0;
}

}  // namespace

void TF_Fond::ComDataPacketPacket(TObject*, const std::string& Str) {
    const measurement::Decision d =
        measurement::RecevoirPaquet(Reception, ConditionsDe(*this), Str);
    // The panel's mode changes below write Etat: the state the packet leaves
    // is taken back once its line is recorded.
    const int32_t etatSuivant = Etat;
    if (const auto& id = d.identification) {
        NumeroPhotometre = id->numero;
        VersionLogiciel = id->version;
        V0Vert = id->v0Vert;
        VnVert = id->vnVert;
        V0Rouge = id->v0Rouge;
        VnRouge = id->vnRouge;
    }
    if (d.liaisonEtablie) {
        T_LiaisonSerie->SetEnabled(false);
        LOKPortSerie->SetCaption("OK !");
        PBPortSerie->SetVisible(false);
        PBPortSerie->SetPosition(0);
        IM_OKParametresDesMesures->SetEnabled(true);
        AfficherConseilLiaison(false);
    }
    if (d.modeAvant) PasserMode(*d.modeAvant);
    if (d.mesure) {
        VVert = d.mesure->vVert;
        VRouge = d.mesure->vRouge;
        TemperatureBrute = d.mesure->temperatureBrute;
    }
    if (d.affichage) AfficherMesure(*d.affichage, d.modeAvant == EtatContinu);
    if (d.enregistrer) {
        const measurement::Affichage& a = *d.affichage;
        // A temperature without a value left the label, and the line, as they were.
        EnregistrerLigne(recording::LigneEnregistrement(
            "Simple", L_Heure->Caption(), a.vert.tension, a.vert.eo, a.rouge.tension, a.rouge.eo,
            a.temperature.value_or(LTemperature->Caption())));
    }
    // Not reached when the line could not be recorded: the mode stays as shown.
    Etat = etatSuivant;
    if (d.modeApres) PasserMode(*d.modeApres);
    if (d.demanderIdentification) DemanderIdentification();
}

std::string TF_Fond::CalculerEOVert() {
    return measurement::TexteEOVert(VVert, ConditionsDe(*this));
}

std::string TF_Fond::CalculerEORouge() {
    return measurement::TexteEORouge(VRouge, ConditionsDe(*this));
}

double TF_Fond::CalculerTemperature(int32_t count) {
    // Not a number where the sensor's formula has no value (a count above 5051).
    return measurement::Temperature(count).value_or(std::nan(""));
}

void TF_Fond::AfficherMesure(const measurement::Affichage& a, bool continu) {
    if (continu) {
        AfficherCanalContinu(a.vert, LVVert, LEOVert, G_Vert, LVMaxVert, LEOMaxVert,
                             IM_PointeurVert, ZeroVert());
        AfficherCanalContinu(a.rouge, LVRouge, LEORouge, G_Rouge, LVMaxRouge, LEOMaxRouge,
                             IM_PointeurRouge, ZeroRouge());
    } else {
        AfficherCanal(a.vert, LVVert, LEOVert);
        AfficherCanal(a.rouge, LVRouge, LEORouge);
    }
    if (a.temperature) LTemperature->SetCaption(*a.temperature);
    if (a.basculerThermometre) IM_ThermometreMiroir->SetVisible(!IM_ThermometreMiroir->Visible());
}

void TF_Fond::IM_RAZVertClick(TObject*) {
    RemettreAZero(G_Vert, IM_PointeurVert, ZeroVert(), LVMaxVert, LEOMaxVert, VMaxVert);
}

void TF_Fond::IM_RAZRougeClick(TObject*) {
    RemettreAZero(G_Rouge, IM_PointeurRouge, ZeroRouge(), LVMaxRouge, LEOMaxRouge, VMaxRouge);
}

void TF_Fond::PasserModeSimple() {
    IM_Ecrire->SetVisible(false);
    RemettreAZero(G_Vert, IM_PointeurVert, ZeroVert(), LVMaxVert, LEOMaxVert, VMaxVert, "---");
    RemettreAZero(G_Rouge, IM_PointeurRouge, ZeroRouge(), LVMaxRouge, LEOMaxRouge, VMaxRouge,
                  "---");
    IM_RAZVert->SetEnabled(false);
    IM_RAZRouge->SetEnabled(false);
    G_Vert->SetEnabled(false);
    G_Rouge->SetEnabled(false);
    Etat = EtatSimple;
    if (PositionVolet > CourseDuVolet().ferme) T_Volet->SetEnabled(true);
}

void TF_Fond::PasserMode(int32_t mode) {
    if (mode == EtatSimple) PasserModeSimple();
    if (mode == EtatContinu) PasserModeContinu();
}

void TF_Fond::PasserModeContinu() {
    IM_Ecrire->SetVisible(true);
    IM_RAZVert->SetEnabled(true);
    IM_RAZRouge->SetEnabled(true);
    G_Vert->SetEnabled(true);
    G_Rouge->SetEnabled(true);
    Etat = EtatContinu;
    if (PositionVolet < CourseDuVolet().ouvert) T_Volet->SetEnabled(true);
}

void TF_Fond::MontrerReceptionMesures() {
    P_ReceptionMesures->SetVisible(true);
    // The button tells the port's state: after a write into the photometer
    // the port is open and frames are recorded already; after a plain
    // validation it is closed, and a stop button would stop nothing.
    IM_Arreter->SetVisible(ComPort->Connected());
    ReceptionOuverte = true;
}

void TF_Fond::OuvrirReceptionMesures() {
    MontrerReceptionMesures();
    PasserModeSimple();
    P_Volet->SetVisible(true);
    ComDataPacket->SetSize(measurement::TailleTrameMesure);
}

void TF_Fond::IM_DemarrerClick(TObject*) {
    // A port that cannot be opened leaves the start button: nothing runs.
    ComPort->Open();
    IM_Arreter->SetVisible(true);
}

void TF_Fond::IM_ArreterClick(TObject*) {
    IM_Arreter->SetVisible(false);
    ComPort->Close();
}

void TF_Fond::LiaisonPerdue() {
    // Run from the main loop once the event thread has ended its wait, so
    // closing here waits for nothing that waits for us.
    ComPort->Close();
    IM_Arreter->SetVisible(false);
    // What the panel shows before the first frame: the last values were
    // those of a line that is gone. The maxima stay, to be recorded.
    for (TLabel* l : {LVVert, LEOVert, LVRouge, LEORouge, LTemperature})
        l->SetCaption(DescriptionDe(l->Name()).texte);
    G_Vert->SetProgress(0);
    G_Rouge->SetProgress(0);
}

void TF_Fond::IM_FINMesuresClick(TObject*) {
    P_ReceptionMesures->SetVisible(false);
    P_Volet->SetVisible(false);
    if (FichierOuvert) FichierDonnees.Fermer();
}

void TF_Fond::FormKeyPress(TObject*, char& Key) {
    if (Key != ' ' || !P_ReceptionMesures->Showing()) return;
    for (const TEdit* entree :
         {EPression, EAngleElevation, EIdentificationPhotometre, EIdentificationLogiciel, EV0Vert,
          EVnVert, EV0Rouge, EVnRouge, EMotDePasse, Edit1})
        if (entree->Focused() && Uncovered(*entree)) return;
    // Stacked in this order, the topmost shown is the one the user sees.
    for (TImage* bouton : {IM_Ecrire, IM_Arreter, IM_Demarrer}) {
        if (!bouton->Showing()) continue;
        Key = 0;
        bouton->Click();
        return;
    }
}
