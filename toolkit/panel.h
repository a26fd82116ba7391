#pragma once

#include "toolkit/wincontrol.h"

namespace toolkit {

// A coloured area that holds controls, with an optional bevel round it. It
// draws no caption.
class TPanel : public TWinControl {
  public:
    TPanel(TWinControl* parent, std::string name);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);

  private:
    friend class PanelWidget;

    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
};

}  // namespace toolkit
