#include "toolkit/combobox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include "toolkit/form.h"

using namespace toolkit;

TEST(ComboBox, ListTextAndChoice) {
    TForm form;
    TComboBox combo(&form, "CB_RessourcesInternet");
    int clicks = 0;
    combo.OnClick = [&](TObject*) { ++clicks; };
    combo.AddItem("http://a.example");
    combo.AddItem("http://b.example");
    // Filling the list chooses nothing.
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");

    combo.SetItemIndex(1);
    EXPECT_EQ(combo.Text(), "http://b.example");
    EXPECT_EQ(clicks, 0);  // only the user's choice raises OnClick

    emit combo.ComboBox()->activated(0);  // what the open list sends on a choice
    EXPECT_EQ(clicks, 1);

    // Return in the text field does not add the text to the list.
    combo.SetText("typed");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(combo.ComboBox()->lineEdit(), &enter);
    EXPECT_EQ(combo.ComboBox()->count(), 2);

    combo.ClearItems();
    EXPECT_TRUE(combo.Items().empty());
    EXPECT_EQ(combo.ComboBox()->count(), 0);
}

TEST(ComboBoxTyping, ReturnOnATextThatMatchesAnEntryChoosesNothing) {
    TForm form;
    TComboBox combo(&form, "liste");
    combo.AddItem("https://aeronet.gsfc.nasa.gov/");
    combo.AddItem("second");
    int clicks = 0;
    combo.OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    QLineEdit* edit = combo.ComboBox()->lineEdit();
    edit->setText("second");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(edit, &press);
    QApplication::sendEvent(edit, &release);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo.ItemIndex(), -1);
}
