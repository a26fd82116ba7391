#include "toolkit/combobox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QStyledItemDelegate>

#include "toolkit/guard.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

class FixedHeightDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int height = 13;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(height);
        return size;
    }
};

}  // namespace

TComboBox::TComboBox(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new QComboBox, true) {
    QComboBox* combo = ComboBox();
    combo->setEditable(true);
    // Return in the text field must not add the text to the list, nor choose
    // the entry it happens to match (the combo box looks the text up when
    // editing finishes): only a choice in the list is a click.
    combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
    combo->setCompleter(nullptr);
    combo->setItemDelegate(new FixedHeightDelegate(combo));
    // Every entry has the same height: the list need not ask each for its size.
    static_cast<QListView*>(combo->view())->setUniformItemSizes(true);
    QObject::connect(combo, &QComboBox::activated, combo, [this](int) { Click(); });
    UpdateAppearance();
}

QComboBox* TComboBox::ComboBox() const {
    return static_cast<QComboBox*>(Widget());
}

void TComboBox::AddItem(const std::string& item) {
    items_.push_back(item);
    const QString text = ComboBox()->currentText();
    // The list measures and lays out an entry's whole text when it opens: a
    // line of megabytes would hold the window for seconds. No one sees past
    // what the edit field can hold; Items() keeps the entry whole.
    ComboBox()->addItem(ToQString(item).left(ComboBox()->lineEdit()->maxLength()));
    // Adding the first entry must not fill the text field.
    if (ComboBox()->count() == 1) {
        ComboBox()->setCurrentIndex(-1);
        ComboBox()->setEditText(text);
    }
}

void TComboBox::ClearItems() {
    items_.clear();
    ComboBox()->clear();
}

int TComboBox::ItemIndex() const {
    return ComboBox()->currentIndex();
}

void TComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    ComboBox()->setCurrentIndex(index);
    if (index < 0) ComboBox()->setEditText(QString());
}

std::string TComboBox::Text() const {
    return FromQString(ComboBox()->currentText());
}

void TComboBox::SetText(const std::string& text) {
    ComboBox()->setEditText(ToQString(text));
}

void TComboBox::SetFont(const TFontSpec& font) {
    font_ = font;
    UpdateAppearance();
}

void TComboBox::SetColor(uint32_t color) {
    color_ = color;
    UpdateAppearance();
}

void TComboBox::SetItemHeight(int height) {
    itemHeight_ = height;
    UpdateAppearance();
}

void TComboBox::UpdateAppearance() {
    QComboBox* combo = ComboBox();
    const QFont font = ToQFont(font_);
    QPalette palette = combo->palette();
    palette.setColor(QPalette::Base, ToQColor(color_));
    palette.setColor(QPalette::Text, ToQColor(font_.color));
    for (QWidget* w : {static_cast<QWidget*>(combo), static_cast<QWidget*>(combo->lineEdit()),
                       static_cast<QWidget*>(combo->view())}) {
        w->setFont(font);
        w->setPalette(palette);
    }
    static_cast<FixedHeightDelegate*>(combo->itemDelegate())->height = itemHeight_;
}

void TComboBox::Click() {
    if (!AcceptsUserInput()) return;
    Guarded([this] {
        if (OnClick) OnClick(this);
    });
}

}  // namespace toolkit
