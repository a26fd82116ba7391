#pragma once

#include "toolkit/control.h"

class QProgressBar;

namespace toolkit {

// A progress bar without text.
class TProgressBar : public TControl {
  public:
    TProgressBar(TWinControl* parent, std::string name);

    int Min() const { return min_; }
    void SetMin(int min);
    int Max() const { return max_; }
    void SetMax(int max);
    // Clamped to Min..Max.
    int Position() const { return position_; }
    void SetPosition(int position);

  private:
    QProgressBar* Bar() const;
    void Apply();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

}  // namespace toolkit
