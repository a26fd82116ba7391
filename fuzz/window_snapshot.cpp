#include "fuzz/window_snapshot.h"

#include "toolkit/toolkit.h"

using toolkit::TControl;
using toolkit::TEdit;
using toolkit::TGauge;
using toolkit::TLabel;
using toolkit::TProgressBar;
using toolkit::TTimer;
using toolkit::TWinControl;

WindowSnapshot::WindowSnapshot(TWinControl& window, std::vector<TTimer*> timers) {
    Take(window);
    for (TTimer* t : timers) timers_.push_back({t, t->Enabled()});
}

void WindowSnapshot::Take(TWinControl& parent) {
    for (TControl* c : parent.Controls()) {
        Control s{c,
                  dynamic_cast<TLabel*>(c),
                  dynamic_cast<TEdit*>(c),
                  dynamic_cast<TGauge*>(c),
                  dynamic_cast<TProgressBar*>(c),
                  c->Visible(),
                  c->Enabled(),
                  c->Left(),
                  c->Top(),
                  {},
                  0};
        if (s.label) s.text = s.label->Caption();
        if (s.edit) s.text = s.edit->Text();
        if (s.gauge) s.value = s.gauge->Progress();
        if (s.bar) s.value = s.bar->Position();
        controls_.push_back(s);
        if (auto* inner = dynamic_cast<TWinControl*>(c)) Take(*inner);
    }
}

void WindowSnapshot::Restore() const {
    for (const Control& s : controls_) {
        TControl* c = s.control;
        if (c->Visible() != s.visible) c->SetVisible(s.visible);
        if (c->Enabled() != s.enabled) c->SetEnabled(s.enabled);
        if (c->Left() != s.left) c->SetLeft(s.left);
        if (c->Top() != s.top) c->SetTop(s.top);
        if (s.label && s.label->Caption() != s.text) s.label->SetCaption(s.text);
        if (s.edit && s.edit->Text() != s.text) s.edit->SetText(s.text);
        if (s.gauge && s.gauge->Progress() != s.value) s.gauge->SetProgress(s.value);
        if (s.bar && s.bar->Position() != s.value) s.bar->SetPosition(s.value);
    }
    for (const Timer& t : timers_)
        if (t.timer->Enabled() != t.enabled) t.timer->SetEnabled(t.enabled);
}
