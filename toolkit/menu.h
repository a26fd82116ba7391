#pragma once

#include <QPoint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/object.h"
#include "toolkit/controlevents.h"

class QAction;
class QActionGroup;
class QMenu;

namespace toolkit {

class TPopupMenu;

// An entry of a popup menu. Its caption is shown as written: an '&' is not
// taken as an accelerator mark, and none is added.
class TMenuItem : public TObject {
  public:
    explicit TMenuItem(std::string name = "");
    ~TMenuItem() override;
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Shown as a tooltip while the pointer rests on the entry; none when empty.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    // Checking a radio item unchecks the radio items of the same group in its
    // menu. Choosing an entry does not check it: the handler does.
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int group);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

    TPopupMenu* Parent() const { return parent_; }
    QAction* Action() const { return action_.get(); }

    TNotifyEvent OnClick;
    // Raises OnClick as choosing the entry would; nothing when disabled.
    void Click();

  private:
    friend class TPopupMenu;
    void ShowCheck();

    std::string name_;
    std::string caption_;
    std::string hint_;
    int tag_ = 0;
    bool enabled_ = true;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    bool checked_ = false;
    TPopupMenu* parent_ = nullptr;
    std::unique_ptr<QAction> action_;
};

// A menu popped up at a point of the screen. Popup does not wait for the
// choice: the chosen entry's OnClick comes later from the event loop.
class TPopupMenu : public TObject {
  public:
    explicit TPopupMenu(std::string name = "");
    ~TPopupMenu() override;
    TPopupMenu(const TPopupMenu&) = delete;
    TPopupMenu& operator=(const TPopupMenu&) = delete;

    const std::string& Name() const { return name_; }
    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    // Removes and destroys every entry. Not from an entry's own OnClick.
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws std::out_of_range for a position outside the menu.
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)).get(); }

    void Popup(int screenX, int screenY);
    int PopupCount() const { return popupCount_; }
    QPoint LastPopupPoint() const { return lastPopupPoint_; }

    QMenu* Menu() const { return menu_.get(); }

  private:
    friend class TMenuItem;
    void Regroup(TMenuItem* item);
    void UncheckGroupOf(const TMenuItem* item);
    void RestoreChecks();

    std::string name_;
    std::unique_ptr<QMenu> menu_;
    // Radio marks are drawn only for the actions of an exclusive group.
    std::map<int, std::unique_ptr<QActionGroup>> groups_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    int popupCount_ = 0;
    QPoint lastPopupPoint_;
};

}  // namespace toolkit
