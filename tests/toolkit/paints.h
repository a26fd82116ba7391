#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <functional>

// Counts the paint events of the widgets it is installed on, and calls back
// at each when asked to.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    std::function<void()> onPaint;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (onPaint) onPaint();
        }
        return QObject::eventFilter(object, event);
    }
};

// Runs the event loop long enough for a put-off paint (a sixtieth of a
// second at most) to have happened.
inline void Settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}
