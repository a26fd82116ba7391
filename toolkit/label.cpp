#include "toolkit/label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "toolkit/guard.h"
#include "toolkit/qtconvert.h"
#include "toolkit/wincontrol.h"

namespace toolkit {

namespace {

// The advances of texts already measured, by font: value labels show the
// same few hundred texts again and again. Plain numbers, so it may outlive
// the application.
std::unordered_map<std::string, int>& KnownWidths(const QString& fontKey) {
    static std::unordered_map<std::string, std::unordered_map<std::string, int>> byFont;
    return byFont[fontKey.toStdString()];
}

// Beyond this many texts a font's widths start again, so that a stream of
// ever new captions does not grow the program.
constexpr size_t kMaxKnownWidths = 4096;

}  // namespace

class LabelWidget : public QWidget {
  public:
    explicit LabelWidget(TLabel* label) : label_(label) {
        // An opaque label paints its whole box: Qt then repaints nothing that
        // lies beneath it, such as the template caption a value sits on.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        label_->Paint(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        label_->clickArmed_ = event->button() == Qt::LeftButton;
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        event->accept();
        label_->clickArmed_ = false;
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        const bool click = label_->clickArmed_ && event->button() == Qt::LeftButton &&
                           rect().contains(event->position().toPoint());
        label_->clickArmed_ = false;
        if (click) label_->Click();
    }

  private:
    TLabel* label_;
};

TLabel::TLabel(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new LabelWidget(this), false) {
    FontChanged();
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    AdjustBounds();
    Widget()->update();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Widget()->update();
}

void TLabel::SetLayout(TTextLayout layout) {
    layout_ = layout;
    Widget()->update();
}

void TLabel::SetFont(const TFontSpec& font) {
    if (font == font_ && metrics_) return;
    font_ = font;
    FontChanged();
    Widget()->update();
}

void TLabel::FontChanged() {
    qfont_ = ToQFont(font_);
    metrics_.emplace(qfont_);
    lineHeight_ = metrics_->height();
    widths_ = &KnownWidths(qfont_.key());
    AdjustBounds();
}

uint32_t TLabel::Color() const {
    if (parentColor_ && Parent()) return Parent()->Color();
    return color_;
}

void TLabel::SetColor(uint32_t color) {
    color_ = color;
    parentColor_ = false;
    Widget()->update();
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Widget()->setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    Widget()->update();
}

void TLabel::SetWidth(int width) {
    TControl::SetWidth(width);
    AdjustBounds();
}

void TLabel::SetHeight(int height) {
    TControl::SetHeight(height);
    AdjustBounds();
}

int TLabel::TextWidth() {
    if (const auto it = widths_->find(caption_); it != widths_->end()) return it->second;
    // An empty caption is measured as one blank, so the label keeps its line.
    const QString text = caption_.empty() ? QStringLiteral(" ") : ToQString(caption_);
    const int width = metrics_->horizontalAdvance(text);
    if (widths_->size() >= kMaxKnownWidths) widths_->clear();
    widths_->emplace(caption_, width);
    return width;
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || !metrics_) return;
    const int width = TextWidth();
    const int height = lineHeight_;
    QWidget* w = Widget();
    if (width == w->width() && height == w->height()) return;
    // A right-aligned label grows to the left: its right edge stays put.
    const int left = alignment_ == taRightJustify ? w->x() + w->width() - width : w->x();
    w->setGeometry(left, w->y(), width, height);
}

void TLabel::Click() {
    if (!AcceptsUserInput()) return;
    Guarded([this] {
        if (OnClick) OnClick(this);
    });
}

void TLabel::Paint(QPainter& painter) {
    const QRect box = Widget()->rect();
    if (!transparent_) painter.fillRect(box, ToQColor(Color()));
    int flags = Qt::TextSingleLine;
    switch (alignment_) {
        case taLeftJustify:
            flags |= Qt::AlignLeft;
            break;
        case taRightJustify:
            flags |= Qt::AlignRight;
            break;
        case taCenter:
            flags |= Qt::AlignHCenter;
            break;
    }
    switch (layout_) {
        case tlTop:
            flags |= Qt::AlignTop;
            break;
        case tlCenter:
            flags |= Qt::AlignVCenter;
            break;
        case tlBottom:
            flags |= Qt::AlignBottom;
            break;
    }
    painter.setFont(qfont_);
    painter.setPen(ToQColor(font_.color));
    painter.drawText(box, flags, ToQString(caption_));
}

}  // namespace toolkit
