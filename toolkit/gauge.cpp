#include "toolkit/gauge.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "toolkit/qtconvert.h"

namespace toolkit {

class GaugeWidget : public QWidget {
  public:
    explicit GaugeWidget(TGauge* gauge) : gauge_(gauge) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        gauge_->Paint(painter);
    }
    void changeEvent(QEvent* event) override {
        // Qt repaints a widget that is enabled or disabled; the gauge looks
        // the same either way.
        if (event->type() == QEvent::EnabledChange) return;
        QWidget::changeEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }

  private:
    TGauge* gauge_;
};

TGauge::TGauge(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new GaugeWidget(this), false) {}

void TGauge::SetMinValue(int value) {
    minValue_ = value;
    maxValue_ = std::max(maxValue_, minValue_);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    Repaint();
}

void TGauge::SetMaxValue(int value) {
    maxValue_ = value;
    minValue_ = std::min(minValue_, maxValue_);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    Repaint();
}

void TGauge::SetProgress(int progress) {
    const int before = PercentDone();
    progress_ = std::clamp(progress, minValue_, maxValue_);
    if (PercentDone() != before) Repaint();
}

void TGauge::SetForeColor(uint32_t color) {
    foreColor_ = color;
    Repaint();
}

void TGauge::SetBackColor(uint32_t color) {
    backColor_ = color;
    Repaint();
}

int TGauge::PercentDone() const {
    const int64_t range = int64_t{maxValue_} - minValue_;
    if (range == 0) return 0;
    return static_cast<int>((int64_t{progress_} - minValue_) * 100 / range);
}

int TGauge::BarWidth() const {
    const int inner = std::max(Width() - 2, 0);
    return inner * PercentDone() / 100;
}

void TGauge::Repaint() {
    ++repaintCount_;
    Widget()->update();
}

void TGauge::Paint(QPainter& painter) {
    const QRect box = Widget()->rect();
    painter.fillRect(box, Qt::black);
    const QRect inner = box.adjusted(1, 1, -1, -1);
    if (inner.isEmpty()) return;
    painter.fillRect(inner, ToQColor(backColor_));
    const int bar = BarWidth();
    if (bar >= 1) {
        painter.fillRect(QRect(inner.left(), inner.top(), bar, inner.height()),
                         ToQColor(foreColor_));
    }
}

}  // namespace toolkit
