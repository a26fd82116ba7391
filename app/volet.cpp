// The sliding cover over the maxima of the reception panel.
#include "fond.h"

void TF_Fond::T_VoletTimer(TObject*) {
    // The direction is read at every tick, so a change of mode reverses a slide.
    PositionVolet += Etat == EtatContinu ? 4 : -4;
    if (PositionVolet < 200 || PositionVolet > 372) {
        T_Volet->SetEnabled(false);
        return;
    }
    P_Volet->SetTop(PositionVolet);
}
