#pragma once

#include <QMouseEvent>

#include "toolkit/controlevents.h"

// Qt's mouse events in the terms of the controls' events.
namespace toolkit {

TMouseButton ToMouseButton(Qt::MouseButton button);
TShiftState ToShiftState(const QMouseEvent& event, bool doubleClick);

}  // namespace toolkit
