#include "toolkit/menu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "toolkit/guard.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

QString EscapeAmpersands(const std::string& caption) {
    QString text = ToQString(caption);
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

}  // namespace

TMenuItem::TMenuItem(std::string name) : name_(std::move(name)), action_(new QAction) {
    QObject::connect(action_.get(), &QAction::triggered, action_.get(), [this] {
        // Qt toggles a checkable action before reporting it; here the check
        // marks change only when the program says so.
        if (parent_) parent_->RestoreChecks();
        Click();
    });
}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetCaption(const std::string& caption) {
    caption_ = caption;
    action_->setText(EscapeAmpersands(caption));
}

void TMenuItem::SetHint(const std::string& hint) {
    hint_ = hint;
    action_->setToolTip(ToQString(hint));
}

void TMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    action_->setEnabled(enabled);
}

void TMenuItem::SetRadioItem(bool radio) {
    radioItem_ = radio;
    if (parent_) parent_->Regroup(this);
    ShowCheck();
}

void TMenuItem::SetGroupIndex(int group) {
    groupIndex_ = group;
    if (parent_) parent_->Regroup(this);
}

void TMenuItem::SetChecked(bool checked) {
    checked_ = checked;
    if (checked && radioItem_ && parent_) parent_->UncheckGroupOf(this);
    ShowCheck();
}

void TMenuItem::ShowCheck() {
    action_->setCheckable(radioItem_ || checked_);
    action_->setChecked(checked_);
}

void TMenuItem::Click() {
    if (!enabled_) return;
    Guarded([this] {
        if (OnClick) OnClick(this);
    });
}

TPopupMenu::TPopupMenu(std::string name) : name_(std::move(name)), menu_(new QMenu) {
    menu_->setToolTipsVisible(true);
}

TPopupMenu::~TPopupMenu() {
    // Items before groups before the menu: each action leaves its group and
    // menu as it goes.
    items_.clear();
    groups_.clear();
}

TMenuItem* TPopupMenu::Add(std::unique_ptr<TMenuItem> item) {
    TMenuItem* added = item.get();
    added->parent_ = this;
    items_.push_back(std::move(item));
    menu_->addAction(added->Action());
    Regroup(added);
    if (added->checked_ && added->radioItem_) UncheckGroupOf(added);
    return added;
}

void TPopupMenu::Clear() {
    // Each action leaves its group and the menu as it is destroyed.
    items_.clear();
}

void TPopupMenu::Regroup(TMenuItem* item) {
    if (!item->radioItem_) {
        item->action_->setActionGroup(nullptr);
        return;
    }
    std::unique_ptr<QActionGroup>& group = groups_[item->groupIndex_];
    if (!group) {
        group = std::make_unique<QActionGroup>(nullptr);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    }
    item->action_->setActionGroup(group.get());
}

void TPopupMenu::UncheckGroupOf(const TMenuItem* item) {
    for (const auto& other : items_) {
        if (other.get() != item && other->radioItem_ && other->groupIndex_ == item->groupIndex_ &&
            other->checked_) {
            other->checked_ = false;
            other->ShowCheck();
        }
    }
}

void TPopupMenu::RestoreChecks() {
    // Unchecked first: in an exclusive group, checking one unchecks the rest.
    for (const auto& item : items_) {
        if (!item->checked_) item->ShowCheck();
    }
    for (const auto& item : items_) {
        if (item->checked_) item->ShowCheck();
    }
}

void TPopupMenu::Popup(int screenX, int screenY) {
    ++popupCount_;
    lastPopupPoint_ = QPoint(screenX, screenY);
    menu_->popup(lastPopupPoint_);
}

}  // namespace toolkit
