// The information panel and its links file.
#include "app/fond.h"
#include "app/parametres.h"
#include "platform/shell.h"
#include "platform/textfile.h"

#include <filesystem>
#include <system_error>

namespace {
const char* const FichierRessources = "SitesWeb.txt";
}

void TF_Fond::ChargerRessourcesInternet() {
    if (!FileExists(FichierRessources)) return;
    const std::vector<std::string> lignes = SurFichierDuProgramme(
        DossierProgramme, FichierRessources, [] { return ReadTextLines(FichierRessources); });
    for (const auto& ligne : lignes) CB_RessourcesInternet->AddItem(ligne);
    CB_RessourcesInternet->SetText(lignes.empty() ? std::string() : lignes.front());
}

void TF_Fond::IM_InformationsClick(TObject*) {
    P_Informations->SetVisible(true);
}

void TF_Fond::IM_OKInformationsClick(TObject*) {
    P_Informations->SetVisible(false);
}

// Looked for in the folder current at the click, not where the program lies.
void TF_Fond::IM_DocumentationClick(TObject*) {
    std::error_code erreur;
    const std::filesystem::path dossier = std::filesystem::current_path(erreur);
    // A folder that is gone holds no manual; nothing is shown then either.
    if (erreur) return;
    shell::Open(dossier.string() + "/Doc_Solvenare.pdf");
}

// The chosen entry, not the edit text, which the user may have typed over.
void TF_Fond::CB_RessourcesInternetClick(TObject*) {
    const int index = CB_RessourcesInternet->ItemIndex();
    const std::vector<std::string>& entrees = CB_RessourcesInternet->Items();
    if (index < 0 || index >= static_cast<int>(entrees.size())) return;
    shell::Open(entrees[static_cast<size_t>(index)]);
}
