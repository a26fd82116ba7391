// Writing the identification and the constants into the photometer.
#include "app/fond.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/protocole.h"
#include "platform/textfile.h"
#include "recording/lignes.h"

void TF_Fond::T_EcriturePhotometreTimer(TObject*) {
    LEcriturePhotometre->SetVisible(false);
    T_EcriturePhotometre->SetEnabled(false);
    // Judged again: the edits stayed open during the half second.
    const auto saisie = LireSaisieExpert();
    if (!saisie) return;
    RetenirConstantes(*saisie);
    NumeroPhotometre = saisie->numero;
    VersionLogiciel = saisie->versionFois10;
    FermerSaisieEtalonnages();
    EcrirePhotometre();
    if (FileExists(NomFichier)) {
        FichierOuvert = true;
        if (FichierDonnees.EcrireEnTeteB(NomFichier, recording::LignesEnTeteB(EnTeteCourant())))
            MontrerReceptionMesures();
    }
    PasserModeSimple();
    P_Volet->SetVisible(true);
    ComDataPacket->SetSize(measurement::TailleTrameMesure);
}

void TF_Fond::EcrirePhotometre() {
    ComPort->Open();
    const std::string commande = measurement::CommandeEcriture(NumeroPhotometre, VersionLogiciel,
                                                               V0Vert, VnVert, V0Rouge, VnRouge);
    for (char octet : commande) ComPort->Write(&octet, 1);
    Etat = EtatRepos;
}
