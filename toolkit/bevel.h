#pragma once

#include "toolkit/control.h"

namespace toolkit {

// A lowered box, drawn as a one-pixel 3-D frame with nothing inside.
class TBevel : public TControl {
  public:
    TBevel(TWinControl* parent, std::string name);
};

}  // namespace toolkit
