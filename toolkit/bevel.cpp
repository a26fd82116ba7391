#include "toolkit/bevel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "toolkit/frame3d.h"

namespace toolkit {

namespace {

class BevelWidget : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        DrawFrame3D(painter, rect(), bvLowered, 1);
    }
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

}  // namespace

TBevel::TBevel(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new BevelWidget, false) {}

}  // namespace toolkit
