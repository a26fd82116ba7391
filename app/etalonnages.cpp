// The calibration panel: the values the photometer reported, the expert
// edits and the validation.
#include <utility>

#include "app/fond.h"
#include "calibration/etalonnages.h"
#include "calibration/saisie.h"
#include "link/comport.h"
#include "measurement/calculs.h"
#include "platform/numbers.h"
#include "recording/lignes.h"

using toolkit::crHandPoint;
using toolkit::ShowMessage;
using toolkit::TEdit;
using toolkit::TLabel;

void TF_Fond::T_EtalonnageTimer(TObject*) {
    using calibration::Champ;
    const calibration::Etape etape = calibration::EtapeAffichage(
        EtapeEtalonnage, {NumeroPhotometre, VersionLogiciel, V0Vert, VnVert, V0Rouge, VnRouge});
    const std::pair<Champ, TLabel*> labels[] = {{Champ::Numero, LIdentificationPhotometre},
                                                {Champ::Version, LIdentificationLogiciel},
                                                {Champ::V0Vert, LV0Vert},
                                                {Champ::VnVert, LVnVert},
                                                {Champ::V0Rouge, LV0Rouge},
                                                {Champ::VnRouge, LVnRouge}};
    for (const auto& [champ, label] : labels)
        if (champ == etape.champ) label->SetCaption(etape.texte);
    EtapeEtalonnage = etape.suivante;
    if (etape.finie) {
        T_Etalonnage->SetEnabled(false);
        ComPort->Close();
    }
}

void TF_Fond::Edit1KeyPress(TObject*, char& Key) {
    // Enter validates only once the reported values are all shown, so the
    // header never records the placeholders.
    if (Key == calibration::ToucheEntree && !T_Etalonnage->Enabled())
        IM_OKEtalonnagesClick(nullptr);
}

void TF_Fond::EIdentificationPhotometreKeyPress(TObject*, char& Key) {
    if (Key == calibration::ToucheEntree) EIdentificationLogiciel->SetFocus();
    calibration::FiltrerChiffres(Key);
}

namespace {

// Keys of a decimal edit: Enter moves on along the cycle, a separator is
// entered once as a comma.
void ToucheDecimale(char& Key, TEdit* edit, TEdit* suivante, bool& virguleSaisie) {
    if (Key == calibration::ToucheEntree) suivante->SetFocus();
    calibration::FiltrerDecimal(Key, edit->Text());
    if (Key == ',') virguleSaisie = true;
}

}  // namespace

void TF_Fond::EIdentificationLogicielKeyPress(TObject*, char& Key) {
    ToucheDecimale(Key, EIdentificationLogiciel, EV0Vert, VirguleSaisie);
}
void TF_Fond::EV0VertKeyPress(TObject*, char& Key) {
    ToucheDecimale(Key, EV0Vert, EVnVert, VirguleSaisie);
}
void TF_Fond::EVnVertKeyPress(TObject*, char& Key) {
    ToucheDecimale(Key, EVnVert, EV0Rouge, VirguleSaisie);
}
void TF_Fond::EV0RougeKeyPress(TObject*, char& Key) {
    ToucheDecimale(Key, EV0Rouge, EVnRouge, VirguleSaisie);
}
void TF_Fond::EVnRougeKeyPress(TObject*, char& Key) {
    ToucheDecimale(Key, EVnRouge, EIdentificationPhotometre, VirguleSaisie);
}

void TF_Fond::EIdentificationLogicielChange(TObject*) {
    VirguleSaisie = calibration::ContientVirgule(EIdentificationLogiciel->Text());
}
void TF_Fond::EV0VertChange(TObject*) {
    VirguleSaisie = calibration::ContientVirgule(EV0Vert->Text());
}
void TF_Fond::EVnVertChange(TObject*) {
    VirguleSaisie = calibration::ContientVirgule(EVnVert->Text());
}
void TF_Fond::EV0RougeChange(TObject*) {
    VirguleSaisie = calibration::ContientVirgule(EV0Rouge->Text());
}
void TF_Fond::EVnRougeChange(TObject*) {
    VirguleSaisie = calibration::ContientVirgule(EVnRouge->Text());
}

std::optional<TF_Fond::SaisieExpert> TF_Fond::LireSaisieExpert() {
    // Every entry is read and judged before anything is stored or sent.
    calibration::SaisieExpert s;
    s.v0Vert = StrToFloat(EV0Vert->Text());
    s.vnVert = StrToFloat(EVnVert->Text());
    s.v0Rouge = StrToFloat(EV0Rouge->Text());
    s.vnRouge = StrToFloat(EVnRouge->Text());
    s.numero = StrToInt(EIdentificationPhotometre->Text());
    s.version = StrToFloat(EIdentificationLogiciel->Text());
    const calibration::Jugement jugement = calibration::JugerSaisieExpert(s);
    if (const auto& refus = jugement.refus) {
        ShowMessage(refus->message);
        using calibration::Entree;
        const std::pair<Entree, TEdit*> entrees[] = {{Entree::V0Vert, EV0Vert},
                                                     {Entree::VnVert, EVnVert},
                                                     {Entree::V0Rouge, EV0Rouge},
                                                     {Entree::VnRouge, EVnRouge},
                                                     {Entree::Numero, EIdentificationPhotometre},
                                                     {Entree::Version, EIdentificationLogiciel}};
        for (const Entree focus : refus->focus)
            for (const auto& [entree, edit] : entrees)
                if (entree == focus) edit->SetFocus();
    }
    return jugement.acceptees;
}

void TF_Fond::IM_OKEtalonnagesClick(TObject*) {
    RapportPression = measurement::RapportPression(Pression);
    MasseAir = measurement::MasseAir(AngleElevation);
    if (Etat == EtatExpert) {
        const auto saisie = LireSaisieExpert();
        if (!saisie) return;
        // Stored only once accepted: a refused value never reaches a header
        // or an optical depth.
        RetenirConstantes(*saisie);
        LEcriturePhotometre->SetVisible(true);
        T_EcriturePhotometre->SetEnabled(true);
        return;
    }
    FichierOuvert = true;
    FichierDonnees.EcrireEnTeteA(NomFichier, recording::LignesEnTeteA(EnTeteCourant()));
    OuvrirReceptionMesures();
}

void TF_Fond::RetenirConstantes(const SaisieExpert& s) {
    V0Vert = s.v0Vert;
    VnVert = s.vnVert;
    V0Rouge = s.v0Rouge;
    VnRouge = s.vnRouge;
}

recording::EnTete TF_Fond::EnTeteCourant() {
    return recording::EnTete{L_Date->Caption(),
                             LIdentificationPhotometre->Caption(),
                             LIdentificationLogiciel->Caption(),
                             EPression->Text(),
                             EAngleElevation->Text(),
                             LV0Vert->Caption(),
                             LVnVert->Caption(),
                             LV0Rouge->Caption(),
                             LVnRouge->Caption()};
}

void TF_Fond::IM_FINEtalonnagesClick(TObject*) {
    P_Etalonnages->SetVisible(false);
    IM_Serie->SetCursor(crHandPoint);
    IM_Serie->SetHint("Choix du port série.");
    IM_Fichiers->SetCursor(crHandPoint);
    IM_Fichiers->SetHint("Choix du fichier de sauvegarde.");
    FermerSaisieEtalonnages();
}

namespace {

struct Paire {
    TLabel* TF_Fond::*label;
    TEdit* TF_Fond::*edit;
};

// The label and the edit over it, in the order the values are copied.
constexpr Paire paires[] = {
    {&TF_Fond::LIdentificationPhotometre, &TF_Fond::EIdentificationPhotometre},
    {&TF_Fond::LIdentificationLogiciel, &TF_Fond::EIdentificationLogiciel},
    {&TF_Fond::LV0Vert, &TF_Fond::EV0Vert},
    {&TF_Fond::LV0Rouge, &TF_Fond::EV0Rouge},
    {&TF_Fond::LVnVert, &TF_Fond::EVnVert},
    {&TF_Fond::LVnRouge, &TF_Fond::EVnRouge},
};

}  // namespace

void TF_Fond::OuvrirSaisieEtalonnages() {
    for (const Paire& p : paires) {
        (this->*p.edit)->SetText((this->*p.label)->Caption());
        (this->*p.edit)->SetVisible(true);
    }
    Etat = EtatExpert;
}

void TF_Fond::FermerSaisieEtalonnages() {
    for (const Paire& p : paires) {
        (this->*p.label)->SetCaption((this->*p.edit)->Text());
        (this->*p.edit)->SetVisible(false);
    }
    Etat = EtatSimple;
}
