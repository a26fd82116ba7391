// Recording: the record lines of the data file and the writing notice.
#include "app/fond.h"
#include "recording/lignes.h"

void TF_Fond::EnregistrerLigne(const std::string& ligne) {
    LEcriture->SetVisible(true);
    // Started only if it is not running: the notice goes out 500 ms after the
    // first of several lines.
    T_Ecriture->SetEnabled(true);
    FichierOuvert = true;
    FichierDonnees.AjouterLigne(ligne);
}

void TF_Fond::IM_EcrireClick(TObject*) {
    EnregistrerLigne(recording::LigneEnregistrement(
        "Continu", L_Heure->Caption(), LVMaxVert->Caption(), LEOMaxVert->Caption(),
        LVMaxRouge->Caption(), LEOMaxRouge->Caption(), LTemperature->Caption()));
    IM_RAZVertClick(nullptr);
    IM_RAZRougeClick(nullptr);
}

void TF_Fond::T_EcritureTimer(TObject*) {
    LEcriture->SetVisible(false);
    T_Ecriture->SetEnabled(false);
}
