#pragma once

#include <string>
#include <vector>

namespace toolkit {
class TControl;
class TEdit;
class TGauge;
class TLabel;
class TProgressBar;
class TTimer;
class TWinControl;
}  // namespace toolkit

// The window's controls and timers as they were built, put back before each
// input: the window is made once for the whole run, and every input must
// start from the same screen whatever the one before it left.
class WindowSnapshot {
  public:
    WindowSnapshot(toolkit::TWinControl& window, std::vector<toolkit::TTimer*> timers);
    // Only what differs is set again, so that a run costs little.
    void Restore() const;

  private:
    struct Control {
        toolkit::TControl* control;
        // The kind's own content, where it has one (found once, not per run).
        toolkit::TLabel* label;
        toolkit::TEdit* edit;
        toolkit::TGauge* gauge;
        toolkit::TProgressBar* bar;
        bool visible, enabled;
        int left, top;
        std::string text;  // a label's caption or an edit's text
        int value;         // a gauge's progress or a progress bar's position
    };
    struct Timer {
        toolkit::TTimer* timer;
        bool enabled;
    };
    void Take(toolkit::TWinControl& parent);

    std::vector<Control> controls_;
    std::vector<Timer> timers_;
};
