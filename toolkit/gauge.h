#pragma once

#include <cstdint>

#include "toolkit/control.h"

class QPainter;

namespace toolkit {

// A horizontal bar gauge inside a one-pixel black frame. The bar's width
// moves in whole percents, and the gauge is repainted only when the percent
// changes. Enabling or disabling it changes nothing on screen.
class TGauge : public TControl {
  public:
    TGauge(TWinControl* parent, std::string name);

    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);
    // Clamped to MinValue..MaxValue.
    int Progress() const { return progress_; }
    void SetProgress(int progress);

    uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(uint32_t color);
    uint32_t BackColor() const { return backColor_; }
    void SetBackColor(uint32_t color);

    // Whole percent of the range covered, truncated; 0 for an empty range.
    int PercentDone() const;
    // The bar's width in pixels: the width inside the frame times the percent,
    // truncated.
    int BarWidth() const;
    // Repaints requested so far.
    int RepaintCount() const { return repaintCount_; }

  private:
    friend class GaugeWidget;
    void Paint(QPainter& painter);
    void Repaint();

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    uint32_t foreColor_ = 0x000000;
    uint32_t backColor_ = 0xFFFFFF;
    int repaintCount_ = 0;
};

}  // namespace toolkit
