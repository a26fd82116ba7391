#pragma once

#include <string>

#include "platform/object.h"
#include "toolkit/controlevents.h"
#include "toolkit/graphics.h"

class QWidget;

namespace toolkit {

class TPopupMenu;
class TWinControl;

// A control of the window: wraps one QWidget. Positions are relative to the
// parent and may be negative; the parent clips what lies outside it.
//
// A control is owned by its parent, which deletes its remaining children when
// it is itself deleted; deleting a child earlier is allowed.
class TControl : public TObject {
  public:
    ~TControl() override;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const { return name_; }
    TWinControl* Parent() const { return parent_; }
    QWidget* Widget() const { return widget_; }
    // Edits, combo boxes, progress bars and panels: they always lie over the
    // pictures, labels, bevels and gauges of the same parent.
    bool Windowed() const { return windowed_; }

    int Left() const;
    void SetLeft(int left);
    int Top() const;
    void SetTop(int top);
    virtual int Width() const;
    virtual void SetWidth(int width);
    virtual int Height() const;
    virtual void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);

    // The control's own setting: a visible control inside a hidden panel is
    // still Visible(). Showing or hiding never changes the stacking order.
    bool Visible() const;
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents below the window.
    bool Showing() const;

    // A disabled control takes no mouse click: the click reaches what lies
    // beneath it.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    // crDefault is the kind's own pointer: the I-beam over an edit, the
    // arrow elsewhere.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    // The menu that a right click on the control pops up.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    // Position in the parent's tab chain, for the controls that take the
    // focus (edits, combo boxes); by default the order of creation. Setting
    // it moves the control to that place and renumbers the others.
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);

    // The control that owns a widget, or one of its inner widgets.
    static TControl* FromWidget(const QWidget* widget);

  protected:
    // widget is created without a parent; the control takes it over. The
    // widget may get show, move and resize events before the derived control
    // is constructed: it must not reach into it from those.
    TControl(TWinControl* parent, std::string name, QWidget* widget, bool windowed);

    // What a user could reach with the mouse or keyboard: showing and enabled,
    // with every parent below the window.
    bool AcceptsUserInput() const;

  private:
    friend class TWinControl;

    std::string name_;
    TWinControl* parent_;
    QWidget* widget_;
    bool windowed_;
    bool enabled_ = true;
    std::string hint_;
    TCursor cursor_ = crDefault;
    int ownCursor_ = -1;  // the widget's own cursor shape, if it sets one
    TPopupMenu* popupMenu_ = nullptr;
    int tabOrder_ = -1;
};

}  // namespace toolkit
