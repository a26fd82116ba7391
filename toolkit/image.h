#pragma once

#include <QImage>
#include <QSize>
#include <memory>
#include <string>

#include "toolkit/control.h"

class QPainter;
class QPixmap;
class QSvgRenderer;
class QMouseEvent;

namespace toolkit {

// A picture. With a click handler it acts as a button (no pressed state).
class TImage : public TControl {
  public:
    TImage(TWinControl* parent, std::string name);
    ~TImage() override;

    // An SVG or a bitmap from the Qt resources (":/pictures/x.svg").
    // Throws std::runtime_error when it cannot be read.
    void LoadPicture(const std::string& resourcePath);
    bool HasPicture() const;
    // The picture's own size: a bitmap's pixels, an SVG's default size.
    QSize PictureSize() const;

    // Stretched pictures fill the control; the others are drawn at their own
    // size from the top-left corner.
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    // For bitmaps, pixels of the colour of the bottom-left pixel are not
    // drawn; SVGs always keep their own transparency.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // Raise the events as the user would; nothing happens when the picture
    // cannot be reached (hidden or disabled, itself or a parent).
    void Click();
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  private:
    friend class ImageWidget;
    void Paint(QPainter& painter, QPixmap& svgCache);
    void Invalidate();
    void MousePressed(QMouseEvent* event, bool doubleClick);
    void MouseReleased(QMouseEvent* event);

    std::unique_ptr<QSvgRenderer> svg_;
    QImage bitmap_;
    QImage shown_;  // bitmap_ with the transparent colour cleared
    bool stretch_ = false;
    bool transparent_ = false;
    bool clickArmed_ = false;
};

}  // namespace toolkit
