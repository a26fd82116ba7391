// Start-up of the window and the settings file.
#include <filesystem>
#include <functional>

#include "application.h"
#include "astronomie.h"
#include "fond.h"
#include "parametres.h"
#include "textfile.h"

namespace {

// Each step of the start-up runs on its own: an error in one is shown and
// the next ones still run, so the window never starts without its port menu.
void Etape(const std::function<void()>& etape) {
    try {
        etape();
    } catch (...) {
        application::ShowError(std::current_exception());
    }
}

}  // namespace

void TF_Fond::FormCreate(TObject*) {
    Etape([this] { DistanceTerreSoleil = ::DistanceTerreSoleil(clock_seam::Now().dayOfYear); });
    Etape([this] { DossierProgramme = std::filesystem::current_path().string(); });
    Etape([this] {
        EssaisMotDePasse = 0;
        VirguleSaisie = false;
        LiaisonOK = false;
    });
    Etape([this] {
        SetHeight(398);
        IM_Logo->SetLeft(0);
        IM_Logo->SetTop(0);
        P_Informations->SetLeft(372);
        P_Informations->SetTop(0);
        P_MotDePasse->SetLeft(188);
        P_MotDePasse->SetTop(120);
        P_ReceptionMesures->SetLeft(372);
        P_ReceptionMesures->SetTop(0);
        P_Etalonnages->SetLeft(372);
        P_Etalonnages->SetTop(132);
        P_ParametresMesures->SetLeft(372);
        P_ParametresMesures->SetTop(132);
        L_Date->SetLeft(105);
        L_Date->SetTop(355);
        L_Heure->SetLeft(216);
        L_Heure->SetTop(355);
        P_Volet->SetLeft(372);
        P_Volet->SetTop(200);
    });
    Etape([this] { PositionVolet = 200; });
    Etape([this] { ChargerRessourcesInternet(); });
    Etape([this] { ComDataPacket->SetStartString(std::string(1, '\xFF')); });
    Etape([this] { ConstruireMenuPortSerie(); });
    Etape([this] { LireParametres(); });
    Etape([this] {
        Etat = EtatRepos;
        FichierOuvert = false;
    });
}

void TF_Fond::LireParametres() {
    if (!FileExists(FichierParametres)) return;
    for (const std::string& port : PortsEnregistres(ReadTextLines(FichierParametres))) {
        for (int i = 0; i < PM_PortSerie->Count(); ++i) {
            TMenuItem& entree = *PM_PortSerie->Items(i);
            if (entree.Caption() != port) continue;
            entree.SetChecked(true);
            L_ComPort->SetCaption(port);
            ComPort->SetPort(port);
        }
    }
}

void TF_Fond::EnregistrerParametres() {
    WriteTextFile(FichierParametres, LignesParametres(ComPort->Port()));
}
