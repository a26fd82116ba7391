#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/control.h"

namespace toolkit {

// A control that holds other controls. Children keep a fixed stacking order:
// the order of creation, except that windowed children always lie over the
// others.
class TWinControl : public TControl {
  public:
    ~TWinControl() override;

    // In order of creation.
    const std::vector<TControl*>& Controls() const { return controls_; }
    int ControlCount() const { return static_cast<int>(controls_.size()); }

    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color);

  protected:
    TWinControl(TWinControl* parent, std::string name, QWidget* widget, bool windowed,
                uint32_t color);

  private:
    friend class TControl;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void MoveInTabChain(TControl* control, int position);
    void UpdateTabChain();

    std::vector<TControl*> controls_;
    uint32_t color_;
};

}  // namespace toolkit
