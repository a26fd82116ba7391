#include "toolkit/label.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "toolkit/guard.h"
#include "toolkit/qtconvert.h"
#include "toolkit/wincontrol.h"

class LabelWidget : public QWidget {
  public:
    explicit LabelWidget(TLabel* label) : label_(label) {}

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
    AdjustBounds();
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
    font_ = font;
    AdjustBounds();
    Widget()->update();
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

void TLabel::AdjustBounds() {
    if (!autoSize_) return;
    const QFontMetrics metrics(toolkit::ToQFont(font_));
    // An empty caption is measured as one blank, so the label keeps its line.
    const QString text = caption_.empty() ? QStringLiteral(" ") : toolkit::ToQString(caption_);
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    QWidget* w = Widget();
    // A right-aligned label grows to the left: its right edge stays put.
    const int left = alignment_ == taRightJustify ? w->x() + w->width() - width : w->x();
    w->setGeometry(left, w->y(), width, height);
}

void TLabel::Click() {
    if (!AcceptsUserInput()) return;
    toolkit::Guarded([this] {
        if (OnClick) OnClick(this);
    });
}

void TLabel::Paint(QPainter& painter) {
    const QRect box = Widget()->rect();
    if (!transparent_) painter.fillRect(box, toolkit::ToQColor(Color()));
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
    painter.setFont(toolkit::ToQFont(font_));
    painter.setPen(toolkit::ToQColor(font_.color));
    painter.drawText(box, flags, toolkit::ToQString(caption_));
}
