#include "toolkit/progressbar.h"

#include <QProgressBar>
#include <algorithm>

namespace toolkit {

TProgressBar::TProgressBar(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new QProgressBar, true) {
    Bar()->setTextVisible(false);
    Apply();
}

QProgressBar* TProgressBar::Bar() const {
    return static_cast<QProgressBar*>(Widget());
}

void TProgressBar::SetMin(int min) {
    min_ = min;
    Apply();
}

void TProgressBar::SetMax(int max) {
    max_ = max;
    Apply();
}

void TProgressBar::SetPosition(int position) {
    position_ = position;
    Apply();
}

void TProgressBar::Apply() {
    max_ = std::max(max_, min_);
    position_ = std::clamp(position_, min_, max_);
    Bar()->setRange(min_, max_);
    Bar()->setValue(position_);
}

}  // namespace toolkit
