#include "toolkit/edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QValidator>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "platform/textfile.h"
#include "toolkit/guard.h"
#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

// Shows a chosen password character instead of the style's own bullet.
class PasswordStyle : public QProxyStyle {
  public:
    explicit PasswordStyle(char mask) : mask_(mask) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return QChar::fromLatin1(mask_).unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

  private:
    char mask_;
};

// Widgets do not own their style: one per character, kept by the application.
QStyle* PasswordStyleFor(char mask) {
    static std::map<char, QPointer<QStyle>> styles;
    QPointer<QStyle>& style = styles[mask];
    if (!style) {
        style = new PasswordStyle(mask);
        style->setParent(qApp);
    }
    return style;
}

// Refuses typing that would make the text longer than the limit, but lets a
// text set longer by the program be shortened.
class LengthLimit : public QValidator {
  public:
    using QValidator::QValidator;
    int limit = 0;
    qsizetype lastLength = 0;
    State validate(QString& input, int&) const override {
        return limit > 0 && input.size() > limit && input.size() > lastLength ? Invalid
                                                                              : Acceptable;
    }
};

std::optional<char> FilteredKey(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return std::nullopt;
    }
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return '\r';
        case Qt::Key_Backspace:
            return '\b';
        case Qt::Key_Escape:
            return '\x1b';
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7F) {
        return static_cast<char>(text[0].unicode());
    }
    return std::nullopt;
}

// Printable text beyond ASCII: a French keyboard's à é è ç ù ² € µ §, dead
// keys and composed letters. Each character reaches a filter as its byte in
// the program's code page; a character outside it has no byte a filter could
// judge.
std::vector<std::optional<char>> CharactersBeyondAscii(const QString& text) {
    std::vector<std::optional<char>> keys;
    for (const QChar c : text) {
        if (!c.isPrint() || c.unicode() < 0x7F) continue;
        const std::string byte = Utf8ToWindows1252(FromQString(QString(c)));
        if (byte.size() == 1 && byte[0] != '?') {
            keys.emplace_back(byte[0]);
        } else {
            keys.emplace_back(std::nullopt);
        }
    }
    return keys;
}

bool BeyondAscii(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.isPrint() && c.unicode() >= 0x7F; });
}

}  // namespace

class EditWidget : public QLineEdit {
  public:
    explicit EditWidget(TEdit* edit) : edit_(edit), limit_(new LengthLimit(this)) {
        setValidator(limit_);
        connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
            limit_->lastLength = text.size();
            Guarded([this] {
                if (edit_->OnChange) edit_->OnChange(edit_);
            });
        });
    }
    LengthLimit* Limit() const { return limit_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (std::optional<char> key = FilteredKey(*event)) {
            event->accept();
            char k = *key;
            edit_->KeyPress(k);
            return;
        }
        // An entry with a filter takes no character the filter has not seen.
        const bool shortcut =
            event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (edit_->OnKeyPress && !shortcut && BeyondAscii(event->text())) {
            event->accept();
            TypeBeyondAscii(event->text());
            return;
        }
        // Qt would insert Alt+letter as the letter, past the filter; on the
        // desktop it is a shortcut and types nothing.
        const bool altOnly = (event->modifiers() & (Qt::AltModifier | Qt::MetaModifier)) &&
                             !(event->modifiers() & Qt::ControlModifier);
        if (altOnly && !event->text().isEmpty() && event->text()[0].isPrint()) {
            event->ignore();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        // A click places the cursor; coming back to the window keeps the
        // selection as it was.
        const Qt::FocusReason reason = event->reason();
        if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason) {
            selectAll();
        }
    }

    // Dead keys and compose sequences arrive as committed input-method text,
    // not as key presses: with a filter, each character goes through it.
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (!edit_->OnKeyPress) {
            QLineEdit::inputMethodEvent(event);
            return;
        }
        const QString committed = event->commitString();
        QInputMethodEvent cleared;
        QLineEdit::inputMethodEvent(&cleared);
        event->accept();
        for (const QChar c : committed) {
            if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
                char k = static_cast<char>(c.unicode());
                edit_->KeyPress(k);
            } else {
                TypeBeyondAscii(QString(c));
            }
        }
    }

  private:
    void TypeBeyondAscii(const QString& text) {
        for (const std::optional<char>& key : CharactersBeyondAscii(text)) {
            if (!key) continue;
            char k = *key;
            edit_->KeyPress(k);
        }
    }

    TEdit* edit_;
    LengthLimit* limit_;
};

TEdit::TEdit(TWinControl* parent, std::string name)
    : TControl(parent, std::move(name), new EditWidget(this), true) {
    UpdatePalette();
    LineEdit()->setFont(ToQFont(font_));
}

QLineEdit* TEdit::LineEdit() const {
    return static_cast<QLineEdit*>(Widget());
}

std::string TEdit::Text() const {
    return FromQString(LineEdit()->text());
}

void TEdit::SetText(const std::string& text) {
    const QString qtext = ToQString(text);
    // Validated as the edit takes it: the program's text is never refused.
    static_cast<EditWidget*>(Widget())->Limit()->lastLength = qtext.size();
    LineEdit()->setText(qtext);
}

void TEdit::SetMaxLength(int maxLength) {
    maxLength_ = maxLength;
    static_cast<EditWidget*>(Widget())->Limit()->limit = maxLength;
}

void TEdit::SetPasswordChar(char passwordChar) {
    passwordChar_ = passwordChar;
    QLineEdit* edit = LineEdit();
    if (passwordChar) {
        edit->setStyle(PasswordStyleFor(passwordChar));
        edit->setEchoMode(QLineEdit::Password);
    } else {
        edit->setEchoMode(QLineEdit::Normal);
        if (edit->testAttribute(Qt::WA_SetStyle)) edit->setStyle(nullptr);
    }
    UpdatePalette();
}

void TEdit::SetFont(const TFontSpec& font) {
    font_ = font;
    LineEdit()->setFont(ToQFont(font));
    UpdatePalette();
}

void TEdit::SetColor(uint32_t color) {
    color_ = color;
    UpdatePalette();
}

void TEdit::UpdatePalette() {
    QPalette palette = LineEdit()->palette();
    palette.setColor(QPalette::Base, ToQColor(color_));
    palette.setColor(QPalette::Text, ToQColor(font_.color));
    LineEdit()->setPalette(palette);
}

void TEdit::SetFocus() {
    // The window may not be active (or shown) yet: the focus then waits for
    // it, and no focus-in event comes now to select the text.
    LineEdit()->setFocus(Qt::OtherFocusReason);
    LineEdit()->selectAll();
}

bool TEdit::Focused() const {
    const QWidget* window = Widget()->window();
    return window && window->focusWidget() == Widget() && Showing();
}

void TEdit::KeyPress(char& Key) {
    if (!AcceptsUserInput()) return;
    try {
        if (OnKeyPress) OnKeyPress(this, Key);
    } catch (...) {
        // A filter that failed lets nothing through.
        ReportError(std::current_exception());
        return;
    }
    ApplyKey(Key);
}

void TEdit::ApplyKey(char key) {
    QLineEdit* edit = LineEdit();
    if (key == '\b') {
        edit->backspace();
    } else if (static_cast<unsigned char>(key) >= 0x80) {
        edit->insert(ToQString(Windows1252ToUtf8(std::string(1, key))));
    } else if (static_cast<unsigned char>(key) >= 0x20) {
        edit->insert(QString(QChar::fromLatin1(key)));
    }
}

}  // namespace toolkit
