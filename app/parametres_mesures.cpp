// The data-file choice and the measurement parameters.
#include "app/fond.h"
#include "calibration/etalonnages.h"
#include "calibration/saisie.h"
#include "link/comdatapacket.h"
#include "link/comport.h"
#include "measurement/protocole.h"
#include "platform/numbers.h"
#include "recording/fichiers_programme.h"

using toolkit::crNo;
using toolkit::ShowMessage;
using toolkit::taLeftJustify;
using toolkit::taRightJustify;
using toolkit::TEdit;

void TF_Fond::IM_FichiersClick(TObject*) {
    if (P_Etalonnages->Visible()) return;
    SD_FichierDonnees->SetDefaultExt("txt");
    SD_FichierDonnees->SetFilter("Fichiers texte (*.txt)|*.TXT");
    // A cancelled dialog keeps the name chosen before, if any.
    SD_FichierDonnees->Execute();
    const std::string nom = SD_FichierDonnees->FileName();
    if (nom.empty()) return;
    // The dialog opens among the program's own files; one of them taken as a
    // data file would be appended to. The file chosen before stays.
    if (const auto propre = recording::FichierDuProgramme(nom, DossierProgramme)) {
        ShowMessage("« " + *propre +
                    " » est un fichier du programme : choisissez un autre fichier de données !");
        return;
    }
    // A file that cannot be made or read is refused as a whole: the data
    // file chosen before stays, with the lines still coming into it.
    FichierDonnees.CreerOuSonder(nom);
    NomFichier = nom;
    ReceptionOuverte = false;
    P_ParametresMesures->SetVisible(true);
    EPression->SetFocus();
    LNomFichier->SetCaption(NomFichier);
    PBPortSerie->SetVisible(true);
    PBPortSerie->SetPosition(0);
    LOKPortSerie->SetCaption("en cours...");
    AfficherConseilLiaison(false);
    ComDataPacket->SetSize(measurement::TailleTrameIdentification);
    ComDataPacket->SetStartString(measurement::ChaineDebut());
    Etat = EtatVerificationLiaison;
    IM_OKParametresDesMesures->SetEnabled(false);
    T_LiaisonSerie->SetEnabled(true);
    // A port that cannot be opened is reported once; the check then waits
    // for another port to be chosen (see liaison.cpp).
    OuvrirPourVerification();
}

void TF_Fond::LNomFichierClick(TObject*) {
    LNomFichier->SetAlignment(LNomFichier->Alignment() == taRightJustify ? taLeftJustify
                                                                         : taRightJustify);
}

namespace {

// Enter in one of the two fields: both flags set, the panel is validated,
// otherwise the focus goes to the other field.
template <typename Valider>
void EntreeParametre(uint32_t& saisie, uint32_t drapeau, TEdit* autre, Valider valider) {
    if (calibration::EntreeParametre(saisie, drapeau)) {
        valider();
    } else {
        autre->SetFocus();
    }
}

}  // namespace

void TF_Fond::EPressionKeyPress(TObject*, char& Key) {
    if (Key == calibration::ToucheEntree)
        EntreeParametre(SaisieParametres, calibration::SaisiePression, EAngleElevation,
                        [this] { IM_OKParametresDesMesuresClick(nullptr); });
    calibration::FiltrerChiffres(Key);
}

void TF_Fond::EAngleElevationKeyPress(TObject*, char& Key) {
    if (Key == calibration::ToucheEntree)
        EntreeParametre(SaisieParametres, calibration::SaisieAngle, EPression,
                        [this] { IM_OKParametresDesMesuresClick(nullptr); });
    calibration::FiltrerChiffres(Key);
}

void TF_Fond::IM_OKParametresDesMesuresClick(TObject*) {
    IM_Serie->SetCursor(crNo);
    IM_Serie->SetHint("Fermer Etalonnages pour changer de port série.");
    IM_Fichiers->SetCursor(crNo);
    IM_Fichiers->SetHint("Fermer Etalonnages pour changer de fichier.");

    const calibration::JugementParametres j = calibration::JugerParametres(
        !NomFichier.empty(), EPression->Text(), EAngleElevation->Text());
    for (const calibration::RefusParametre& r : j.refus) {
        ShowMessage(r.message);
        if (r.champ)
            (*r.champ == calibration::ChampParametre::Pression ? EPression : EAngleElevation)
                ->SetFocus();
    }
    if (j.erreurConversion) throw EConvertError(*j.erreurConversion);
    if (j.angleEcrit) EAngleElevation->SetText(*j.angleEcrit);
    if (!j.accepte) return;
    // Before the link is verified nothing changes: the check goes on and the
    // state stays with it.
    if (!IM_OKParametresDesMesures->Enabled()) return;
    Etat = EtatRepos;
    Pression = static_cast<int32_t>(StrToInt(EPression->Text()));
    AngleElevation = static_cast<int32_t>(StrToInt(EAngleElevation->Text()));
    P_Etalonnages->SetVisible(true);
    T_Etalonnage->SetEnabled(true);
    Edit1->SetFocus();
}
