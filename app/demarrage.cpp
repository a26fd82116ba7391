// Start-up of the window and the settings file.
#include <filesystem>
#include <functional>

#include "app/description.h"
#include "app/fond.h"
#include "app/parametres.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/astronomie.h"
#include "measurement/protocole.h"
#include "platform/application.h"
#include "platform/textfile.h"

using toolkit::TControl;
using toolkit::TMenuItem;

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
    Etape([this] {
        DistanceTerreSoleil = measurement::DistanceTerreSoleil(clock_seam::Now().dayOfYear);
    });
    Etape([this] { DossierProgramme = std::filesystem::current_path().string(); });
    Etape([this] {
        EssaisMotDePasse = 0;
        VirguleSaisie = false;
        LiaisonOK = false;
    });
    Etape([this] {
        SetHeight(398);
        // Each panel where the window's description places it.
        for (TControl* c : std::initializer_list<TControl*>{
                 IM_Logo, P_Informations, P_MotDePasse, P_ReceptionMesures, P_Etalonnages,
                 P_ParametresMesures, L_Date, L_Heure, P_Volet}) {
            const Description& d = DescriptionDe(c->Name());
            c->SetLeft(d.left);
            c->SetTop(d.top);
        }
    });
    Etape([this] { PositionVolet = CourseDuVolet().ferme; });
    Etape([this] { ChargerRessourcesInternet(); });
    Etape([this] { ComDataPacket->SetStartString(measurement::ChaineDebut()); });
    Etape([this] { ConstruireMenuPortSerie(); });
    Etape([this] { LireParametres(); });
    Etape([this] {
        Etat = EtatRepos;
        FichierOuvert = false;
    });
}

void TF_Fond::LireParametres() {
    if (!FileExists(FichierParametres)) return;
    const auto lignes = SurFichierDuProgramme(DossierProgramme, FichierParametres,
                                              [] { return ReadTextLines(FichierParametres); });
    for (const std::string& port : PortsEnregistres(lignes)) {
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
    SurFichierDuProgramme(DossierProgramme, FichierParametres, [this] {
        WriteTextFile(FichierParametres, LignesParametres(ComPort->Port()));
    });
}
