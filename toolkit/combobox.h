#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/control.h"

class QComboBox;

namespace toolkit {

// A drop-down list with an editable text field.
class TComboBox : public TControl {
  public:
    TComboBox(TWinControl* parent, std::string name);

    // Change the list through AddItem and ClearItems.
    const std::vector<std::string>& Items() const { return items_; }
    void AddItem(const std::string& item);
    void ClearItems();

    // -1 when no entry is chosen. Setting it puts the entry in the text field.
    int ItemIndex() const;
    void SetItemIndex(int index);
    std::string Text() const;
    void SetText(const std::string& text);

    const TFontSpec& Font() const { return font_; }
    void SetFont(const TFontSpec& font);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color);
    // Height of an entry in the open list.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    // When the user chooses an entry in the list.
    TNotifyEvent OnClick;
    // Raises OnClick as the user's choice would (after SetItemIndex); nothing
    // when the combo box cannot be reached.
    void Click();

    QComboBox* ComboBox() const;

  private:
    void UpdateAppearance();

    std::vector<std::string> items_;
    TFontSpec font_;
    uint32_t color_ = 0xFFFFFF;
    int itemHeight_ = 13;
};

}  // namespace toolkit
