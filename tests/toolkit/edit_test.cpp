#include "toolkit/edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/qtconvert.h"

using namespace toolkit;

namespace {

// The decimal entry filter: digits, comma, Backspace and Enter; a full stop
// becomes a comma; anything else is dropped.
void DecimalFilter(TObject*, char& key) {
    if (key == '.') key = ',';
    if (!((key >= '0' && key <= '9') || key == ',' || key == 8 || key == 13)) key = 0;
}

struct TypingCase {
    const char* what;
    const char* start;
    int maxLength;
    bool focusFirst;
    std::string keys;
    const char* text;
};

void SendKey(QWidget* w, int key, const QString& text, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
}

}  // namespace

TEST(Edit, TypingGoesThroughTheFilter) {
    const TypingCase cases[] = {
        {"full stop becomes comma", "", 0, false, "1.5", "1,5"},
        {"letters dropped", "", 0, false, "a1b2", "12"},
        {"backspace passes the filter and erases", "123", 0, false, "\b", "12"},
        {"enter inserts nothing", "12", 0, false, "\r", "12"},
        {"limit stops typing", "12", 4, false, "345", "1234"},
        {"focus selects all: typing replaces the placeholder", "----", 4, true, "1013", "1013"},
        {"focus selects all: backspace clears", "----", 4, true, "\b", ""},
        {"program text longer than the limit can be shortened", "12345", 4, false, "\b\b", "123"},
        {"program text longer than the limit takes no more", "12345", 4, false, "6", "12345"},
    };
    for (const TypingCase& c : cases) {
        TForm form;
        TEdit edit(&form, "EPression");
        edit.OnKeyPress = DecimalFilter;
        edit.SetMaxLength(c.maxLength);
        edit.SetText(c.start);
        if (c.focusFirst) edit.SetFocus();
        for (char k : c.keys) edit.KeyPress(k);
        EXPECT_EQ(edit.Text(), c.text) << c.what;
    }
}

TEST(Edit, KeyboardKeysReachTheFilterAsCharacters) {
    TForm form;
    TEdit edit(&form, "e");
    std::vector<int> seen;
    edit.OnKeyPress = [&](TObject* sender, char& key) {
        EXPECT_EQ(sender, &edit);
        seen.push_back(key);
        if (key == '.') key = ',';
    };
    edit.SetText("ab");
    QWidget* w = edit.Widget();
    SendKey(w, Qt::Key_1, "1");
    SendKey(w, Qt::Key_Period, ".");
    SendKey(w, Qt::Key_Return, "\r");
    SendKey(w, Qt::Key_Enter, "\r", Qt::KeypadModifier);
    SendKey(w, Qt::Key_5, "5", Qt::KeypadModifier);
    SendKey(w, Qt::Key_Backspace, "\b");
    SendKey(w, Qt::Key_Escape, "\x1b");
    // Not filtered: navigation, Delete, shortcuts.
    SendKey(w, Qt::Key_Home, "");
    SendKey(w, Qt::Key_Delete, "");
    // Beyond ASCII: the filter sees the Windows-1252 byte, and a character
    // the code page lacks is not typed.
    SendKey(w, Qt::Key_E, QString::fromUtf8("é"));
    SendKey(w, Qt::Key_unknown, QString::fromUtf8("Ω"));
    SendKey(w, Qt::Key_A, "\x01", Qt::ControlModifier);
    SendKey(w, Qt::Key_1, "1", Qt::AltModifier);
    const std::vector<int> expected = {'1', '.', 13, 13, '5', 8, 27, static_cast<char>(0xE9)};
    EXPECT_EQ(seen, expected);
    // "ab1,5", backspace -> "ab1,", Home, Delete -> "b1,", é at the start;
    // Ctrl+A selects all and Alt+1 types nothing.
    EXPECT_EQ(edit.Text(), "éb1,");
}

TEST(Edit, FrenchKeyboardCharactersPassOnlyWhereTheFilterTakesThem) {
    // On AZERTY the unshifted digit row types & é " ' ( - è _ ç à; the
    // keyboard also has ² € µ § ù, and dead keys compose letters through the
    // input method.
    const QString typed = QString::fromUtf8("&é\"'(-è_çà²€µ§ù");
    for (const bool withFilter : {true, false}) {
        TForm form;
        TEdit edit(&form, "e");
        std::string seen;
        if (withFilter)
            edit.OnKeyPress = [&](TObject*, char& key) {
                seen += key;
                if (!(key >= '0' && key <= '9')) key = 0;
            };
        QWidget* w = edit.Widget();
        for (const QChar c : typed) SendKey(w, Qt::Key_unknown, QString(c));
        SendKey(w, Qt::Key_1, "1", Qt::ShiftModifier);
        QInputMethodEvent composed;
        composed.setCommitString(QString::fromUtf8("ê2"));
        QApplication::sendEvent(w, &composed);
        if (withFilter) {
            EXPECT_EQ(edit.Text(), "12");
            // Every character reached the filter, as its byte in the code page.
            EXPECT_EQ(seen,
                      "&\xE9\"'(-\xE8_\xE7\xE0\xB2\x80\xB5\xA7\xF9"
                      "1\xEA"
                      "2");
        } else {
            EXPECT_EQ(toolkit::ToQString(edit.Text()), typed + "1ê2");
        }
    }
}

TEST(Edit, ChangeEventForTypingAndProgramText) {
    TForm form;
    TEdit edit(&form, "e");
    int changes = 0;
    edit.OnChange = [&](TObject*) { ++changes; };
    edit.SetText("----");
    char key = '1';
    edit.KeyPress(key);
    key = 0;  // dropped by a filter: no change
    edit.KeyPress(key);
    EXPECT_EQ(changes, 2);
}

TEST(Edit, PasswordCharMasksTheDisplay) {
    TForm form;
    TEdit edit(&form, "EMotDePasse");
    edit.SetPasswordChar('*');
    char key = 'x';
    edit.KeyPress(key);
    edit.SetText("abc");
    EXPECT_EQ(edit.LineEdit()->displayText(), "***");
    EXPECT_EQ(edit.Text(), "abc");
    edit.SetPasswordChar(0);
    EXPECT_EQ(edit.LineEdit()->displayText(), "abc");
}

TEST(Edit, HiddenOrDisabledEditTakesNoTyping) {
    TForm form;
    TEdit edit(&form, "e");
    bool filtered = false;
    edit.OnKeyPress = [&](TObject*, char&) { filtered = true; };
    edit.SetVisible(false);
    char key = '1';
    edit.KeyPress(key);
    edit.SetVisible(true);
    edit.SetEnabled(false);
    edit.KeyPress(key);
    EXPECT_FALSE(filtered);
    EXPECT_EQ(edit.Text(), "");
}

TEST(Edit, FocusAndTabOrder) {
    TForm form;
    TEdit a(&form, "a"), b(&form, "b"), c(&form, "c");
    c.SetTabOrder(0);  // c first; a and b move up one
    auto next = [](QWidget* w) {
        do {
            w = w->nextInFocusChain();
        } while (w->focusPolicy() == Qt::NoFocus);
        return w;
    };
    EXPECT_EQ(next(c.Widget()), a.Widget());
    EXPECT_EQ(next(a.Widget()), b.Widget());
    EXPECT_EQ(a.TabOrder(), 1);
    EXPECT_EQ(b.TabOrder(), 2);

    b.SetFocus();
    EXPECT_TRUE(b.Focused());
    EXPECT_FALSE(a.Focused());
}

TEST(Edit, FocusSelectsAllExceptFromAClickOrTheWindow) {
    const struct {
        Qt::FocusReason reason;
        bool selected;
    } cases[] = {
        {Qt::OtherFocusReason, true},         {Qt::TabFocusReason, true},
        {Qt::BacktabFocusReason, true},       {Qt::MouseFocusReason, false},
        {Qt::ActiveWindowFocusReason, false},
    };
    for (const auto& c : cases) {
        TForm form;
        TEdit edit(&form, "EPression");
        edit.SetText("----");
        edit.LineEdit()->deselect();
        QFocusEvent focusIn(QEvent::FocusIn, c.reason);
        QApplication::sendEvent(edit.Widget(), &focusIn);
        EXPECT_EQ(edit.LineEdit()->selectedText() == "----", c.selected) << c.reason;
    }
}
