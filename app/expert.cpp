// Expert mode: the password panel.
#include "app/fond.h"
#include "calibration/saisie.h"

namespace {
const char* const MotDePasse = "brisemer";
}

void TF_Fond::IM_XperClick(TObject*) {
    EssaisMotDePasse = 0;
    P_MotDePasse->SetVisible(true);
    EMotDePasse->SetFocus();
}

void TF_Fond::EMotDePasseKeyPress(TObject*, char& Key) {
    if (Key != calibration::ToucheEntree) return;
    Key = 0;
    IM_OKMotDePasseClick(nullptr);
}

void TF_Fond::IM_OKMotDePasseClick(TObject*) {
    if (EMotDePasse->Text() != MotDePasse) {
        EMotDePasse->SetText("");
        EssaisMotDePasse += 1;
    } else {
        P_MotDePasse->SetVisible(false);
        OuvrirSaisieEtalonnages();
    }
    if (EssaisMotDePasse == 3) {
        EMotDePasse->SetText("");
        P_MotDePasse->SetVisible(false);
    }
}

void TF_Fond::IM_FINMotDePasseClick(TObject*) {
    P_MotDePasse->SetVisible(false);
}
