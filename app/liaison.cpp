// The serial port menu and the link check with the photometer.
#include "app/fond.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/conseil_liaison.h"
#include "measurement/protocole.h"
#include "platform/ports.h"

using toolkit::TMenuItem;
using toolkit::TMouseButton;
using toolkit::TShiftState;

using seriallink::CError_OpenFailed;
using seriallink::EComPort;

namespace {

// A request goes out from the third tick; after a whole cycle of ten more
// (eight requests over five seconds) without an answer, the user is told
// what to check.
constexpr int32_t TicksAvantConseilLiaison = 13;

}  // namespace

void TF_Fond::AfficherConseilLiaison(bool visible) {
    if (!visible) TicksSansReponse = 0;
    const measurement::ConseilLiaison conseil = measurement::ConseilPourErreur(ErreurOuverture);
    L_ConseilLiaison->SetCaption(conseil.ligne);
    L_ConseilLiaisonSuite->SetCaption(conseil.suite);
    L_ConseilLiaison->SetVisible(visible);
    L_ConseilLiaisonSuite->SetVisible(visible);
}

void TF_Fond::OuvrirPourVerification() {
    ErreurOuverture = 0;
    try {
        ComPort->Open();
    } catch (const EComPort& e) {
        if (e.ErrorCode() == CError_OpenFailed) ErreurOuverture = e.SystemErrorCode();
        if (measurement::ConseilPourErreur(ErreurOuverture).immediat) AfficherConseilLiaison(true);
        throw;
    }
}

// Built at start and again each time the menu opens, so that an adapter
// plugged in meanwhile can be chosen; the port chosen stays checked.
void TF_Fond::ConstruireMenuPortSerie() {
    std::string coche;
    for (int i = 0; i < PM_PortSerie->Count(); ++i)
        if (PM_PortSerie->Items(i)->Checked()) coche = PM_PortSerie->Items(i)->Caption();
    PM_PortSerie->Clear();

    CB_SerieProvisoire->ClearItems();
    for (const std::string& nom : ports::ListSerialPorts()) CB_SerieProvisoire->AddItem(nom);
    std::vector<std::string> noms = CB_SerieProvisoire->Items();
    if (noms.empty()) noms = {"COM0", "COM1", "COM2", "COM3"};
    for (size_t i = 0; i < noms.size(); ++i) {
        auto entree = std::make_unique<TMenuItem>();
        entree->SetCaption(noms[i]);
        entree->SetHint(ports::DescribePort(noms[i]));
        entree->SetRadioItem(true);
        entree->SetTag(static_cast<int>(i));
        entree->OnClick = [this](TObject* Sender) { PM_PortSerieClick(Sender); };
        PM_PortSerie->Add(std::move(entree))->SetChecked(noms[i] == coche);
    }
}

void TF_Fond::IM_SerieMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    if (P_Etalonnages->Visible() || P_ReceptionMesures->Visible()) return;
    if (P_ParametresMesures->Visible()) {
        LOKPortSerie->SetCaption("en cours...");
        PBPortSerie->SetVisible(true);
        PBPortSerie->SetPosition(1);
    }
    ConstruireMenuPortSerie();
    PM_PortSerie->Popup(Left() + IM_Serie->Left() + X, Top() + IM_Serie->Top() + Y);
}

void TF_Fond::PM_PortSerieClick(TObject* Sender) {
    auto* cliquee = dynamic_cast<TMenuItem*>(Sender);
    if (cliquee == nullptr) return;
    TMenuItem& entree = *PM_PortSerie->Items(cliquee->Tag());
    entree.SetChecked(true);
    const bool memePort = ComPort->Port() == entree.Caption();
    ComPort->SetPort(entree.Caption());
    L_ComPort->SetCaption(ComPort->Port());
    // A link check goes on with the port chosen. One that could not be
    // opened, or whose device went away, is opened anew. The choice is saved
    // even when that port cannot be opened either: the adapter may be plugged
    // in later, and the error is still shown.
    if (T_LiaisonSerie->Enabled()) {
        // The port chosen gets its own time to answer.
        AfficherConseilLiaison(false);
        try {
            if (memePort) ComPort->Close();
            OuvrirPourVerification();
        } catch (...) {
            EnregistrerParametres();
            throw;
        }
    }
    EnregistrerParametres();
}

void TF_Fond::T_LiaisonSerieTimer(TObject*) {
    PBPortSerie->SetPosition(PBPortSerie->Position() + 1);
    // Nothing goes out on a port that could not be opened: its error was
    // shown once, when the check started.
    if (PBPortSerie->Position() > 2 && ComPort->Connected()) {
        try {
            DemanderIdentification();
        } catch (const EComPort&) {
            // A request fails only on a device that is gone, which the port's
            // event thread has reported once already; a box every tick would
            // bury the window. The check waits for the port to be chosen again.
        }
    }
    if (PBPortSerie->Position() == 10) PBPortSerie->SetPosition(0);
    if (++TicksSansReponse >= TicksAvantConseilLiaison) AfficherConseilLiaison(true);
}

void TF_Fond::DemanderIdentification() {
    ComDataPacket->SetStartString(measurement::ChaineDebut());
    // Each byte written by itself, as the photometer reads them.
    for (const char octet : measurement::RequeteIdentification()) ComPort->Write(&octet, 1);
}
