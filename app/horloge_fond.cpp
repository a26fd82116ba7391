// The clock under the illustration.
#include "app/fond.h"
#include "app/horloge.h"

void TF_Fond::T_HorlogeTimer(TObject*) {
    Maintenant = clock_seam::Now();
    NomJour = horloge::NomJour(Maintenant.weekday);
    NomMois = horloge::NomMois(Maintenant.month);
    L_Date->SetCaption(horloge::LibelleDate(Maintenant));
    L_Heure->SetLeft(L_Date->Width() + 105);
    L_Heure->SetCaption(horloge::LibelleHeure(Maintenant));
}
