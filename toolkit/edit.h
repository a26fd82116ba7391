#pragma once

#include <cstdint>
#include <string>

#include "toolkit/control.h"

class QLineEdit;

namespace toolkit {

// A one-line text entry whose typed characters pass through a filter.
//
// OnKeyPress sees every character key before the edit does, Return and the
// keypad's Enter as 13, Backspace as 8 and Escape as 27; it may change the
// key or set it to 0 to drop it. A character beyond ASCII, typed or composed
// (dead keys, input methods), reaches it as its Windows-1252 byte; one the
// code page lacks never reaches an entry that has a filter. Navigation keys,
// Delete, Tab and shortcuts reach the edit unfiltered.
class TEdit : public TControl {
  public:
    TEdit(TWinControl* parent, std::string name);

    std::string Text() const;
    // A program-set text is kept whole even when longer than MaxLength;
    // only typing is limited.
    void SetText(const std::string& text);

    // Most characters typing may leave in the edit; 0 for no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int maxLength);
    // The character shown for each one of the text; 0 shows the text.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char passwordChar);

    const TFontSpec& Font() const { return font_; }
    void SetFont(const TFontSpec& font);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color);

    // Taking the focus selects the whole text, so typing replaces it.
    void SetFocus();
    bool Focused() const;

    // Types one key as the user would: the filter, then the edit (insert at
    // the cursor over any selection; 8 erases backwards; 13 inserts nothing).
    // Nothing happens when the edit cannot be reached.
    void KeyPress(char& Key);

    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnChange;

    QLineEdit* LineEdit() const;

  private:
    friend class EditWidget;
    void ApplyKey(char key);
    void UpdatePalette();

    int maxLength_ = 0;
    char passwordChar_ = 0;
    TFontSpec font_;
    uint32_t color_ = 0xFFFFFF;
};

}  // namespace toolkit
