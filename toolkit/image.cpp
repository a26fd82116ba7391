#include "toolkit/image.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>
#include <stdexcept>

#include "toolkit/guard.h"
#include "toolkit/mouse.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

class ImageWidget : public QWidget {
  public:
    explicit ImageWidget(TImage* image) : image_(image) {}

    // The SVG as last drawn. Kept here, not in the picture: the widget is
    // resized while the picture is still being constructed.
    QPixmap svgCache;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        image_->Paint(painter, svgCache);
    }
    void resizeEvent(QResizeEvent*) override { svgCache = QPixmap(); }
    void mousePressEvent(QMouseEvent* event) override { image_->MousePressed(event, false); }
    // A second quick press reports a press but makes no second click.
    void mouseDoubleClickEvent(QMouseEvent* event) override { image_->MousePressed(event, true); }
    void mouseReleaseEvent(QMouseEvent* event) override { image_->MouseReleased(event); }

  private:
    TImage* image_;
};

TImage::TImage(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new ImageWidget(this), false) {}

TImage::~TImage() = default;

void TImage::LoadPicture(const std::string& resourcePath) {
    const QString path = ToQString(resourcePath);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        auto svg = std::make_unique<QSvgRenderer>(path);
        if (!svg->isValid()) throw std::runtime_error("Image illisible : " + resourcePath);
        svg_ = std::move(svg);
        bitmap_ = QImage();
    } else {
        QImage bitmap(path);
        if (bitmap.isNull()) throw std::runtime_error("Image illisible : " + resourcePath);
        bitmap_ = std::move(bitmap);
        svg_.reset();
    }
    Invalidate();
}

bool TImage::HasPicture() const {
    return svg_ || !bitmap_.isNull();
}

QSize TImage::PictureSize() const {
    if (svg_) return svg_->defaultSize();
    return bitmap_.size();
}

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Invalidate();
}

void TImage::Invalidate() {
    static_cast<ImageWidget*>(Widget())->svgCache = QPixmap();
    shown_ = bitmap_;
    if (transparent_ && !bitmap_.isNull()) {
        shown_ = bitmap_.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = shown_.pixel(0, shown_.height() - 1);
        for (int y = 0; y < shown_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown_.scanLine(y));
            for (int x = 0; x < shown_.width(); ++x) {
                if (line[x] == key) line[x] = 0;
            }
        }
    }
    Widget()->update();
}

void TImage::Paint(QPainter& painter, QPixmap& svgCache) {
    const QRect target = stretch_ ? Widget()->rect() : QRect(QPoint(0, 0), PictureSize());
    if (svg_) {
        // Rendering an SVG is slow next to a blit, and the sliding cover
        // exposes these pictures every few milliseconds.
        const qreal ratio = Widget()->devicePixelRatioF();
        if (svgCache.isNull()) {
            svgCache = QPixmap(target.size() * ratio);
            svgCache.setDevicePixelRatio(ratio);
            svgCache.fill(Qt::transparent);
            QPainter cachePainter(&svgCache);
            svg_->render(&cachePainter, QRectF(QPointF(0, 0), QSizeF(target.size())));
        }
        painter.drawPixmap(target.topLeft(), svgCache);
    } else if (!shown_.isNull()) {
        painter.drawImage(target, shown_);
    }
}

void TImage::Click() {
    if (!AcceptsUserInput()) return;
    Guarded([this] {
        if (OnClick) OnClick(this);
    });
}

void TImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!AcceptsUserInput()) return;
    Guarded([&] {
        if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    });
}

void TImage::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (!AcceptsUserInput()) return;
    Guarded([&] {
        if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    });
}

void TImage::MousePressed(QMouseEvent* event, bool doubleClick) {
    event->accept();
    clickArmed_ = !doubleClick && event->button() == Qt::LeftButton;
    const QPoint p = event->position().toPoint();
    MouseDown(ToMouseButton(event->button()), ToShiftState(*event, doubleClick), p.x(), p.y());
}

void TImage::MouseReleased(QMouseEvent* event) {
    event->accept();
    const QPoint p = event->position().toPoint();
    // A click is a left press and release both on the picture.
    if (clickArmed_ && event->button() == Qt::LeftButton && Widget()->rect().contains(p)) {
        clickArmed_ = false;
        Click();
    }
    clickArmed_ = false;
    MouseUp(ToMouseButton(event->button()), ToShiftState(*event, false), p.x(), p.y());
}

}  // namespace toolkit
