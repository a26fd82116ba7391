#include "toolkit/panel.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "toolkit/frame3d.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

class PanelWidget : public QWidget {
  public:
    explicit PanelWidget(TPanel* panel) : panel_(panel) {
        // It covers its whole rectangle: Qt then paints nothing that lies
        // beneath it, such as the panels it is shown over.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(panel_->Color()));
        DrawFrame3D(painter, rect(), panel_->bevelOuter_, panel_->bevelWidth_);
    }
    // A click on the panel's own surface stops here, not on the window.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }

  private:
    TPanel* panel_;
};

TPanel::TPanel(TWinControl* parent, std::string name)
    : TWinControl(parent, std::move(name), new PanelWidget(this), true, 0xF0F0F0) {}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    bevelOuter_ = bevel;
    Widget()->update();
}

void TPanel::SetBevelWidth(int width) {
    bevelWidth_ = width;
    Widget()->update();
}

}  // namespace toolkit
