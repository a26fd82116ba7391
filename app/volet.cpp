// The sliding cover over the maxima of the reception panel.
#include "app/description.h"
#include "app/fond.h"

void TF_Fond::T_VoletTimer(TObject*) {
    const CourseVolet& course = CourseDuVolet();
    // The direction is read at every tick, so a change of mode reverses a slide.
    PositionVolet += Etat == EtatContinu ? course.pas : -course.pas;
    if (PositionVolet < course.ferme || PositionVolet > course.ouvert) {
        T_Volet->SetEnabled(false);
        return;
    }
    P_Volet->SetTop(PositionVolet);
}
