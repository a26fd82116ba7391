#include "toolkit/control.h"

#include <QCursor>
#include <QVariant>
#include <QWidget>

#include "toolkit/menu.h"
#include "toolkit/qtconvert.h"
#include "toolkit/wincontrol.h"

namespace toolkit {

namespace {

constexpr char kControlProperty[] = "toolkitControl";

Qt::CursorShape ToQtCursor(TCursor cursor) {
    switch (cursor) {
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crNo:
            return Qt::ForbiddenCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crDefault:
            break;
    }
    return Qt::ArrowCursor;
}

}  // namespace

TControl::TControl(TWinControl* parent, std::string name, QWidget* widget, bool windowed)
    : name_(std::move(name)), parent_(parent), widget_(widget), windowed_(windowed) {
    widget_->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
    if (widget_->testAttribute(Qt::WA_SetCursor)) ownCursor_ = widget_->cursor().shape();
    if (parent_) {
        widget_->setParent(parent_->Widget());
        // Clears the hidden flag, so the control shows with its parent and
        // counts as visible for hit tests before the window is first shown.
        widget_->setVisible(true);
        parent_->InsertControl(this);
    }
}

TControl::~TControl() {
    if (parent_) parent_->RemoveControl(this);
    delete widget_;
}

TControl* TControl::FromWidget(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const QVariant v = widget->property(kControlProperty);
        if (v.isValid()) return static_cast<TControl*>(v.value<void*>());
    }
    return nullptr;
}

int TControl::Left() const {
    return widget_->x();
}
void TControl::SetLeft(int left) {
    widget_->move(left, widget_->y());
}
int TControl::Top() const {
    return widget_->y();
}
void TControl::SetTop(int top) {
    widget_->move(widget_->x(), top);
}
int TControl::Width() const {
    return widget_->width();
}
void TControl::SetWidth(int width) {
    widget_->resize(width, widget_->height());
}
int TControl::Height() const {
    return widget_->height();
}
void TControl::SetHeight(int height) {
    widget_->resize(widget_->width(), height);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    SetHeight(height);
}

bool TControl::Visible() const {
    return !widget_->isHidden();
}
void TControl::SetVisible(bool visible) {
    widget_->setVisible(visible);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c && c->parent_; c = c->parent_) {
        if (!c->Visible()) return false;
    }
    return true;
}

bool TControl::AcceptsUserInput() const {
    for (const TControl* c = this; c && c->parent_; c = c->parent_) {
        if (!c->Visible() || !c->enabled_) return false;
    }
    return true;
}

void TControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    widget_->setEnabled(enabled);
    // Qt would hand a click on a disabled widget to its parent; the window's
    // rule is that it reaches whatever lies beneath, sibling included.
    widget_->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void TControl::SetHint(const std::string& hint) {
    hint_ = hint;
    widget_->setToolTip(ToQString(hint));
}

void TControl::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    if (cursor == crDefault && ownCursor_ >= 0) {
        widget_->setCursor(QCursor(static_cast<Qt::CursorShape>(ownCursor_)));
    } else if (cursor == crDefault) {
        widget_->unsetCursor();
    } else {
        widget_->setCursor(QCursor(ToQtCursor(cursor)));
    }
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (!popupMenu_) {
        QObject::connect(widget_, &QWidget::customContextMenuRequested, widget_,
                         [this](const QPoint& pos) {
                             if (!popupMenu_) return;
                             const QPoint global = widget_->mapToGlobal(pos);
                             popupMenu_->Popup(global.x(), global.y());
                         });
    }
    popupMenu_ = menu;
    widget_->setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
}

void TControl::SetTabOrder(int order) {
    if (parent_ && tabOrder_ >= 0) {
        parent_->MoveInTabChain(this, order);
    } else {
        tabOrder_ = order;
    }
}

}  // namespace toolkit
