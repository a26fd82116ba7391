// The packet handler and the reception panel: frames decoded, computed and
// shown, single and continuous modes, maxima and their resets, start and stop.
#include <cmath>

#include "calculs.h"
#include "fond.h"
#include "lignes.h"
#include "trames.h"

void TF_Fond::ComDataPacketPacket(TObject*, const std::string& Str) {
    bool identificationAcceptee = false;
    // A packet shorter than its layout is not decoded; its first byte still
    // gives the mode of the following frames, so a stray mode byte cannot
    // leave the reception stuck.
    if (Etat == EtatVerificationLiaison) {
        if (const auto id = DecoderIdentification(Str)) {
            NumeroPhotometre = id->numero;
            VersionLogiciel = id->version;
            V0Vert = id->v0Vert;
            VnVert = id->vnVert;
            V0Rouge = id->v0Rouge;
            VnRouge = id->vnRouge;
            if (!id->acceptee) {
                LiaisonOK = false;
            } else {
                LiaisonOK = true;
                T_LiaisonSerie->SetEnabled(false);
                LOKPortSerie->SetCaption("OK !");
                Etat = EtatRepos;
                PBPortSerie->SetVisible(false);
                PBPortSerie->SetPosition(0);
                IM_OKParametresDesMesures->SetEnabled(true);
                AfficherConseilLiaison(false);
                identificationAcceptee = true;
            }
        }
    } else if (!ReceptionOuverte) {
        // A photometer already measuring while the parameters are typed or
        // the calibration read: its frames have no header block yet to be
        // recorded under, and their mode waits for the reception panel.
    } else if (Etat == EtatSimple && LiaisonOK) {
        if (const auto mesure = DecoderMesure(Str)) {
            PasserModeSimple();
            VVert = mesure->vVert;
            VRouge = mesure->vRouge;
            TemperatureBrute = mesure->temperatureBrute;
            AfficherMesureSimple();
            EnregistrerLigne(LigneEnregistrement("Simple", L_Heure->Caption(), LVVert->Caption(),
                                                 LEOVert->Caption(), LVRouge->Caption(),
                                                 LEORouge->Caption(), LTemperature->Caption()));
        }
    } else if (Etat == EtatContinu && LiaisonOK) {
        if (const auto mesure = DecoderMesure(Str)) {
            PasserModeContinu();
            VVert = mesure->vVert;
            VRouge = mesure->vRouge;
            TemperatureBrute = mesure->temperatureBrute;
            AfficherMesureContinue(mesure->compteVert, mesure->compteRouge);
        }
    }

    if (LiaisonOK) {
        // The identification just accepted leaves the state at rest: its first
        // byte is the photometer's number, not a mode.
        if (identificationAcceptee || Str.empty() || !ReceptionOuverte) return;
        // The mode byte says how the next frames are shown, nothing more. A
        // byte that names the link check or expert mode (a count, in frames
        // cut at 11 bytes while the calibration panel keeps the port open)
        // would move the user's road there: it is an unknown mode instead.
        const int32_t mode = static_cast<uint8_t>(Str[0]);
        Etat = mode == EtatVerificationLiaison || mode == EtatExpert ? EtatRepos : mode;
        if (Etat == EtatSimple) PasserModeSimple();
        if (Etat == EtatContinu) PasserModeContinu();
    } else {
        DemanderIdentification();
    }
}

std::string TF_Fond::CalculerEOVert() {
    return TexteEO(EpaisseurOptique(VVert, V0Vert, VnVert, TauRayleighVert, DistanceTerreSoleil,
                                    RapportPression, MasseAir));
}

std::string TF_Fond::CalculerEORouge() {
    return TexteEO(EpaisseurOptique(VRouge, V0Rouge, VnRouge, TauRayleighRouge, DistanceTerreSoleil,
                                    RapportPression, MasseAir));
}

double TF_Fond::CalculerTemperature(int32_t count) {
    // Not a number where the sensor's formula has no value (a count above 5051).
    return Temperature(count).value_or(std::nan(""));
}

void TF_Fond::AfficherMesureSimple() {
    LVVert->SetCaption(TexteTension(VVert));
    LEOVert->SetCaption(CalculerEOVert());
    LVRouge->SetCaption(TexteTension(VRouge));
    LEORouge->SetCaption(CalculerEORouge());
    // A temperature without a value leaves the label as it was.
    const double t = CalculerTemperature(TemperatureBrute);
    if (std::isfinite(t)) LTemperature->SetCaption(TexteTemperature(t));
}

namespace {

// What one channel shows in continuous mode.
struct Canal {
    double v;
    double& vMax;
    int compte;
    TLabel *lv, *leo, *lvMax, *leoMax;
    TGauge* jauge;
    TImage* pointeur;
};

void AfficherCanal(const Canal& c, const std::string& eo) {
    c.lv->SetCaption(TexteTension(c.v));
    c.leo->SetCaption(eo);
    c.jauge->SetProgress(c.compte);
    if (c.v > c.vMax) {
        c.vMax = c.v;
        c.lvMax->SetCaption(TexteTension(c.vMax));
        // The optical depth of the current voltage, which is the new maximum.
        c.leoMax->SetCaption(eo);
        c.pointeur->SetLeft(PositionPointeur(c.compte));
    }
}

void RemettreAZero(TGauge* jauge, TImage* pointeur, TLabel* lvMax, TLabel* leoMax, double& vMax) {
    jauge->SetProgress(0);
    pointeur->SetLeft(PositionPointeur(0));
    lvMax->SetCaption("0");
    leoMax->SetCaption("0");
    vMax = 0;
}

}  // namespace

void TF_Fond::AfficherMesureContinue(int compteVert, int compteRouge) {
    AfficherCanal({VVert, VMaxVert, compteVert, LVVert, LEOVert, LVMaxVert, LEOMaxVert, G_Vert,
                   IM_PointeurVert},
                  CalculerEOVert());
    AfficherCanal({VRouge, VMaxRouge, compteRouge, LVRouge, LEORouge, LVMaxRouge, LEOMaxRouge,
                   G_Rouge, IM_PointeurRouge},
                  CalculerEORouge());
    // A temperature without a value does not enter the mean.
    const double t = CalculerTemperature(TemperatureBrute);
    if (!std::isfinite(t)) return;
    SommeTemperatures += t;
    NombreTemperatures += 1;
    if (NombreTemperatures == 100) {
        LTemperature->SetCaption(TexteTemperature(SommeTemperatures / 100));
        NombreTemperatures = 0;
        SommeTemperatures = 0;
        IM_ThermometreMiroir->SetVisible(!IM_ThermometreMiroir->Visible());
    }
}

void TF_Fond::IM_RAZVertClick(TObject*) {
    RemettreAZero(G_Vert, IM_PointeurVert, LVMaxVert, LEOMaxVert, VMaxVert);
}

void TF_Fond::IM_RAZRougeClick(TObject*) {
    RemettreAZero(G_Rouge, IM_PointeurRouge, LVMaxRouge, LEOMaxRouge, VMaxRouge);
}

void TF_Fond::PasserModeSimple() {
    IM_Ecrire->SetVisible(false);
    IM_RAZVertClick(nullptr);
    IM_RAZRougeClick(nullptr);
    IM_RAZVert->SetEnabled(false);
    IM_RAZRouge->SetEnabled(false);
    G_Vert->SetEnabled(false);
    G_Rouge->SetEnabled(false);
    LVMaxVert->SetCaption("---");
    LEOMaxVert->SetCaption("---");
    LVMaxRouge->SetCaption("---");
    LEOMaxRouge->SetCaption("---");
    Etat = EtatSimple;
    if (PositionVolet > 200) T_Volet->SetEnabled(true);
}

void TF_Fond::PasserModeContinu() {
    IM_Ecrire->SetVisible(true);
    IM_RAZVert->SetEnabled(true);
    IM_RAZRouge->SetEnabled(true);
    G_Vert->SetEnabled(true);
    G_Rouge->SetEnabled(true);
    Etat = EtatContinu;
    if (PositionVolet < 372) T_Volet->SetEnabled(true);
}

void TF_Fond::MontrerReceptionMesures() {
    P_ReceptionMesures->SetVisible(true);
    // Whatever was left from an earlier reception, the port is opened anew
    // by the start button only: a stop button over it would stop nothing.
    IM_Arreter->SetVisible(false);
    ReceptionOuverte = true;
}

void TF_Fond::OuvrirReceptionMesures() {
    MontrerReceptionMesures();
    PasserModeSimple();
    P_Volet->SetVisible(true);
    ComDataPacket->SetSize(8);
}

void TF_Fond::IM_DemarrerClick(TObject*) {
    IM_Arreter->SetVisible(true);
    ComPort->Open();
}

void TF_Fond::IM_ArreterClick(TObject*) {
    IM_Arreter->SetVisible(false);
    ComPort->Close();
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
