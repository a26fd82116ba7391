#include "toolkit/mouse.h"

namespace toolkit {

TMouseButton ToMouseButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::RightButton:
            return mbRight;
        case Qt::MiddleButton:
            return mbMiddle;
        default:
            return mbLeft;
    }
}

TShiftState ToShiftState(const QMouseEvent& event, bool doubleClick) {
    TShiftState shift;
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & Qt::ShiftModifier) shift.Include(ssShift);
    if (mods & Qt::AltModifier) shift.Include(ssAlt);
    if (mods & Qt::ControlModifier) shift.Include(ssCtrl);
    // A press reports the button going down; a release no longer holds it.
    const Qt::MouseButtons buttons = event.buttons();
    if (buttons & Qt::LeftButton) shift.Include(ssLeft);
    if (buttons & Qt::RightButton) shift.Include(ssRight);
    if (buttons & Qt::MiddleButton) shift.Include(ssMiddle);
    if (doubleClick) shift.Include(ssDouble);
    return shift;
}

}  // namespace toolkit
