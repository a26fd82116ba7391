#pragma once

#include <QImage>
#include <QPointer>
#include <string>

#include "toolkit/wincontrol.h"

namespace toolkit {

// The program's one window: fixed size, a close box and no other button.
// Left and Top place the window's frame on the screen.
class TForm : public TWinControl {
  public:
    // The standard single-border frame that Width and Height include: the
    // caption bar and a border on each side.
    static constexpr int kCaptionHeight = 19;
    static constexpr int kBorderWidth = 3;

    explicit TForm(std::string name = "");

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    int ClientWidth() const;
    void SetClientWidth(int width);
    int ClientHeight() const;
    void SetClientHeight(int height);

    // Outer sizes of the standard frame, whatever the window manager's frame
    // really is: setting them sets the client area to what that frame leaves,
    // so an outer height of 398 gives a client 373 high.
    int Width() const override;
    void SetWidth(int width) override;
    int Height() const override;
    void SetHeight(int height) override;

    void Close();

    // Sees each printable character typed anywhere in the window before the
    // control with the focus does; setting the key to 0 takes it, so that the
    // control never sees it. Keys with Ctrl, Alt or Meta are not shown.
    TKeyPressEvent OnKeyPress;

    // Whether the control is the topmost one at its own centre, so that the
    // user sees it: one covered by a panel is not.
    bool Uncovered(const TControl& control) const;

    // Moves the window, as little as it takes, so that it lies whole on one
    // screen's available area, unless it does already.
    void KeepOnScreen();

    TNotifyEvent OnClose;

    // The topmost control under a point of the client area that takes mouse
    // clicks: visible, enabled, and inside every parent. Null where only the
    // window's own background lies.
    TControl* ControlAt(int x, int y) const;
    // A left-button press and release at a point of the client area, routed
    // as the mouse's would be.
    void ClickAt(int x, int y);
    void MouseDownAt(int x, int y);
    void MouseUpAt(int x, int y);

    // The client area as drawn.
    QImage Grab() const;

  private:
    QWidget* Receiver(int x, int y) const;

    QPointer<QWidget> pressed_;
};

}  // namespace toolkit
