#include "toolkit/wincontrol.h"

#include <QWidget>
#include <algorithm>

namespace toolkit {

TWinControl::TWinControl(TWinControl* parent, std::string name, QWidget* widget, bool windowed,
                         uint32_t color)
    : TControl(parent, std::move(name), widget, windowed), color_(color) {}

TWinControl::~TWinControl() {
    while (!controls_.empty()) delete controls_.back();
}

void TWinControl::SetColor(uint32_t color) {
    color_ = color;
    Widget()->update();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    if (!control->Windowed()) {
        // A new widget goes on top of its siblings: slide it under the lowest
        // windowed one.
        const auto first = std::find_if(controls_.begin(), controls_.end(),
                                        [](const TControl* c) { return c->Windowed(); });
        if (first != controls_.end()) control->Widget()->stackUnder((*first)->Widget());
    }
    if (control->Widget()->focusPolicy() != Qt::NoFocus) {
        control->tabOrder_ =
            static_cast<int>(std::count_if(controls_.begin(), controls_.end(),
                                           [](const TControl* c) { return c->tabOrder_ >= 0; }));
        UpdateTabChain();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    std::erase(controls_, control);
    for (TControl* c : controls_) {
        if (control->tabOrder_ >= 0 && c->tabOrder_ > control->tabOrder_) --c->tabOrder_;
    }
}

void TWinControl::MoveInTabChain(TControl* control, int position) {
    std::vector<TControl*> chain;
    for (TControl* c : controls_) {
        if (c->tabOrder_ >= 0 && c != control) chain.push_back(c);
    }
    std::stable_sort(chain.begin(), chain.end(), [](const TControl* a, const TControl* b) {
        return a->tabOrder_ < b->tabOrder_;
    });
    position = std::clamp(position, 0, static_cast<int>(chain.size()));
    chain.insert(chain.begin() + position, control);
    for (size_t i = 0; i < chain.size(); ++i) chain[i]->tabOrder_ = static_cast<int>(i);
    UpdateTabChain();
}

void TWinControl::UpdateTabChain() {
    std::vector<TControl*> chain;
    for (TControl* c : controls_) {
        if (c->tabOrder_ >= 0) chain.push_back(c);
    }
    std::stable_sort(chain.begin(), chain.end(), [](const TControl* a, const TControl* b) {
        return a->tabOrder_ < b->tabOrder_;
    });
    for (size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1]->Widget(), chain[i]->Widget());
    }
}

}  // namespace toolkit
