#include "toolkit/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>

#include "toolkit/guard.h"
#include "toolkit/placement.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

// The window is painted at most this often, or at the screen's refresh
// when that is slower: a frame a photometer sends 240 times a second need not
// reach the screen more often than the screen can show it.
constexpr double kMaxPaintsPerSecond = 60;

class FormWidget : public QWidget {
  public:
    explicit FormWidget(TForm* form)
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                               Qt::MSWindowsFixedSizeDialogHint),
          form_(form) {
        deferred_.setSingleShot(true);
        deferred_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&deferred_, &QTimer::timeout, this, [this] {
            QEvent request(QEvent::UpdateRequest);
            QApplication::sendEvent(this, &request);
        });
    }

  protected:
    // Qt asks for a paint of what changed once per turn of the event loop.
    // One that comes too soon after the last paint is put off until the
    // interval is up; what changes meanwhile is painted then, with the last
    // values, since Qt asks no more until the put-off request has run.
    bool event(QEvent* event) override {
        if (event->type() != QEvent::UpdateRequest) return QWidget::event(event);
        const auto now = std::chrono::steady_clock::now();
        if (now < nextPaint_) {
            if (!deferred_.isActive())
                deferred_.start(std::chrono::ceil<std::chrono::milliseconds>(nextPaint_ - now));
            return true;
        }
        deferred_.stop();
        nextPaint_ = now + PaintInterval();
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), ToQColor(form_->Color()));
    }
    void closeEvent(QCloseEvent* event) override {
        Guarded([this] {
            if (form_->OnClose) form_->OnClose(form_);
        });
        event->accept();
    }

  private:
    std::chrono::steady_clock::duration PaintInterval() const {
        double rate = kMaxPaintsPerSecond;
        if (const QScreen* s = screen(); s != nullptr && s->refreshRate() >= 1)
            rate = std::min(rate, s->refreshRate());
        return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(1 / rate));
    }

    TForm* form_;
    QTimer deferred_;
    std::chrono::steady_clock::time_point nextPaint_{};
};

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& windowPoint, QWidget* window,
               Qt::MouseButtons buttons) {
    const QPointF local = target->mapFrom(window, windowPoint);
    const QPointF global = window->mapToGlobal(windowPoint);
    QMouseEvent event(type, local, QPointF(windowPoint), global, Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Hands the window's typed characters to the form first.
class KeyPreview : public QObject {
  public:
    KeyPreview(TForm* form, QWidget* window) : QObject(window), form_(form), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !form_->OnKeyPress) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || widget->window() != window_) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = key->text();
        if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() >= 0x7F) return false;
        char k = static_cast<char>(text[0].unicode());
        Guarded([&] { form_->OnKeyPress(form_, k); });
        return k == 0;
    }

  private:
    TForm* form_;
    QWidget* window_;
};

}  // namespace

TForm::TForm(std::string name)
    : TWinControl(nullptr, std::move(name), new FormWidget(this), true, 0xF0F0F0) {
    qApp->installEventFilter(new KeyPreview(this, Widget()));
}

std::string TForm::Caption() const {
    return FromQString(Widget()->windowTitle());
}
void TForm::SetCaption(const std::string& caption) {
    Widget()->setWindowTitle(ToQString(caption));
}

int TForm::ClientWidth() const {
    return Widget()->width();
}
void TForm::SetClientWidth(int width) {
    Widget()->setFixedWidth(width);
}
int TForm::ClientHeight() const {
    return Widget()->height();
}
void TForm::SetClientHeight(int height) {
    Widget()->setFixedHeight(height);
}

int TForm::Width() const {
    return ClientWidth() + 2 * kBorderWidth;
}
void TForm::SetWidth(int width) {
    SetClientWidth(width - 2 * kBorderWidth);
}
int TForm::Height() const {
    return ClientHeight() + kCaptionHeight + 2 * kBorderWidth;
}
void TForm::SetHeight(int height) {
    SetClientHeight(height - kCaptionHeight - 2 * kBorderWidth);
}

void TForm::Close() {
    Widget()->close();
}

QWidget* TForm::Receiver(int x, int y) const {
    QWidget* child = Widget()->childAt(x, y);
    return child ? child : Widget();
}

TControl* TForm::ControlAt(int x, int y) const {
    QWidget* child = Widget()->childAt(x, y);
    return child ? FromWidget(child) : nullptr;
}

void TForm::MouseDownAt(int x, int y) {
    pressed_ = Receiver(x, y);
    SendMouse(pressed_, QEvent::MouseButtonPress, QPoint(x, y), Widget(), Qt::LeftButton);
}

void TForm::MouseUpAt(int x, int y) {
    // The widget that took the press also takes the release, as with a real
    // mouse, even when the pointer has left it.
    QWidget* target = pressed_ ? pressed_.data() : Receiver(x, y);
    pressed_ = nullptr;
    SendMouse(target, QEvent::MouseButtonRelease, QPoint(x, y), Widget(), Qt::NoButton);
}

void TForm::ClickAt(int x, int y) {
    MouseDownAt(x, y);
    MouseUpAt(x, y);
}

bool TForm::Uncovered(const TControl& control) const {
    const QWidget* w = control.Widget();
    const QPoint centre = w->mapTo(Widget(), w->rect().center());
    return ControlAt(centre.x(), centre.y()) == &control;
}

QImage TForm::Grab() const {
    return Widget()->grab().toImage();
}

void TForm::KeepOnScreen() {
    std::vector<TScreenRect> areas;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) return;
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeAll(primary);
    screens.prepend(const_cast<QScreen*>(primary));
    for (const QScreen* screen : screens) {
        const QRect a = screen->availableGeometry();
        areas.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    const TScreenRect placed = PlaceOnScreens({Left(), Top(), Width(), Height()}, areas);
    SetLeft(placed.left);
    SetTop(placed.top);
}

}  // namespace toolkit
