#pragma once

#include <QFont>
#include <QFontMetrics>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "toolkit/control.h"

class QPainter;

namespace toolkit {

// A line of text. Every blank of the caption is kept, so blank runs in a
// template caption keep their width.
class TLabel : public TControl {
  public:
    TLabel(TWinControl* parent, std::string name);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // An auto-sized label is as wide as its text's advance and as high as the
    // font's line; otherwise its box is fixed and clips the text.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    const TFontSpec& Font() const { return font_; }
    void SetFont(const TFontSpec& font);

    // The background: the parent's colour until one is set.
    uint32_t Color() const;
    void SetColor(uint32_t color);
    bool ParentColor() const { return parentColor_; }
    // A transparent label paints no background.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    void SetWidth(int width) override;
    void SetHeight(int height) override;

    TNotifyEvent OnClick;
    // Raises OnClick as a user click would; nothing when the label cannot be
    // reached (hidden or disabled, itself or a parent).
    void Click();

  private:
    friend class LabelWidget;
    void Paint(QPainter& painter);
    void AdjustBounds();
    void FontChanged();
    int TextWidth();

    std::string caption_;
    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    TFontSpec font_;
    uint32_t color_ = 0;
    bool parentColor_ = true;
    bool transparent_ = false;
    bool clickArmed_ = false;
    // Built once per font: every caption change measures the text.
    QFont qfont_;
    std::optional<QFontMetrics> metrics_;
    int lineHeight_ = 0;  // the font's, asked of it once
    std::unordered_map<std::string, int>* widths_ = nullptr;
};

}  // namespace toolkit
