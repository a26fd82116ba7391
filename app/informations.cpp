// The information panel and its links file.
#include "fond.h"
#include "textfile.h"

namespace {
const char* const FichierRessources = "SitesWeb.txt";
}

void TF_Fond::ChargerRessourcesInternet() {
    if (!FileExists(FichierRessources)) return;
    const std::vector<std::string> lignes = ReadTextLines(FichierRessources);
    for (const auto& ligne : lignes) CB_RessourcesInternet->AddItem(ligne);
    CB_RessourcesInternet->SetText(lignes.empty() ? std::string() : lignes.front());
}

void TF_Fond::IM_InformationsClick(TObject*) {
    P_Informations->SetVisible(true);
}

void TF_Fond::IM_OKInformationsClick(TObject*) {
    P_Informations->SetVisible(false);
}

void TF_Fond::IM_DocumentationClick(TObject*) {}

void TF_Fond::CB_RessourcesInternetClick(TObject*) {}
