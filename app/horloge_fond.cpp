// The clock under the illustration.
#include "app/fond.h"
#include "app/horloge.h"

void TF_Fond::T_HorlogeTimer(TObject*) {
    Maintenant = clock_seam::Now();
    NomJour = ::NomJour(Maintenant.weekday);
    NomMois = ::NomMois(Maintenant.month);
    L_Date->SetCaption(LibelleDate(Maintenant));
    L_Heure->SetLeft(L_Date->Width() + 105);
    L_Heure->SetCaption(LibelleHeure(Maintenant));
}
