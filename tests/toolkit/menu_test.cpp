#include "toolkit/menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <string>
#include <vector>

using namespace toolkit;

namespace {

std::vector<bool> Checks(const TPopupMenu& menu) {
    std::vector<bool> checks;
    for (int i = 0; i < menu.Count(); ++i) {
        checks.push_back(menu.Items(i)->Checked());
        // What the menu shows agrees with the item.
        EXPECT_EQ(menu.Items(i)->Action()->isChecked(), menu.Items(i)->Checked()) << i;
    }
    return checks;
}

}  // namespace

TEST(Menu, RadioItemsOfAGroupExcludeEachOther) {
    TPopupMenu menu("PM_PortSerie");
    // COM0..COM2 radio in group 0, COM3 radio in group 1, "Info" a plain item.
    for (int i = 0; i < 5; ++i) {
        auto item = std::make_unique<TMenuItem>();
        item->SetCaption(i < 4 ? "COM" + std::to_string(i) : "Info");
        item->SetTag(i);
        item->SetRadioItem(i < 4);
        item->SetGroupIndex(i == 3 ? 1 : 0);
        menu.Add(std::move(item));
    }
    menu.Items(4)->SetChecked(true);
    menu.Items(3)->SetChecked(true);
    menu.Items(0)->SetChecked(true);
    EXPECT_EQ(Checks(menu), (std::vector<bool>{true, false, false, true, true}));
    menu.Items(2)->SetChecked(true);
    EXPECT_EQ(Checks(menu), (std::vector<bool>{false, false, true, true, true}));
    menu.Items(2)->SetChecked(false);
    EXPECT_EQ(Checks(menu), (std::vector<bool>{false, false, false, true, true}));
    EXPECT_TRUE(menu.Items(0)->Action()->actionGroup()->isExclusive());
}

TEST(Menu, ChoosingAnEntryLeavesTheChecksToTheHandler) {
    TPopupMenu menu;
    std::vector<int> clicked;
    for (int i = 0; i < 3; ++i) {
        auto item = std::make_unique<TMenuItem>();
        item->SetRadioItem(true);
        item->SetTag(i);
        item->OnClick = [&clicked](TObject* sender) {
            clicked.push_back(static_cast<TMenuItem*>(sender)->Tag());
        };
        menu.Add(std::move(item));
    }
    menu.Items(0)->SetChecked(true);
    menu.Items(2)->Action()->trigger();  // as the user's choice in the open menu
    EXPECT_EQ(clicked, std::vector<int>{2});
    EXPECT_EQ(Checks(menu), (std::vector<bool>{true, false, false}));
    menu.Items(0)->Action()->trigger();  // a checked radio entry chosen again
    EXPECT_EQ(Checks(menu), (std::vector<bool>{true, false, false}));
    menu.Items(1)->SetEnabled(false);
    menu.Items(1)->Click();
    EXPECT_EQ(clicked, (std::vector<int>{2, 0}));
}

TEST(Menu, CaptionIsShownAsWrittenAndPopupDoesNotWait) {
    TPopupMenu menu;
    TMenuItem* item = menu.Add(std::make_unique<TMenuItem>());
    item->SetCaption("R&D");
    // Qt would take "&D" as an accelerator and show "RD".
    EXPECT_EQ(item->Action()->text(), "R&&D");
    menu.Popup(700, 150);
    menu.Popup(710, 160);
    EXPECT_EQ(menu.PopupCount(), 2);
    EXPECT_EQ(menu.LastPopupPoint(), QPoint(710, 160));
    menu.Menu()->hide();
}

TEST(Menu, ClearedAndRefilledWithHintsAsTooltips) {
    TPopupMenu menu;
    EXPECT_TRUE(menu.Menu()->toolTipsVisible());
    for (const char* caption : {"ttyS0", "ttyUSB0"}) {
        auto item = std::make_unique<TMenuItem>();
        item->SetCaption(caption);
        item->SetRadioItem(true);
        menu.Add(std::move(item));
    }
    menu.Items(1)->SetChecked(true);
    menu.Clear();
    EXPECT_EQ(menu.Count(), 0);
    EXPECT_TRUE(menu.Menu()->actions().isEmpty());

    for (const char* caption : {"ttyUSB0", "SIM0"}) {
        auto item = std::make_unique<TMenuItem>();
        item->SetCaption(caption);
        item->SetRadioItem(true);
        menu.Add(std::move(item));
    }
    menu.Items(0)->SetHint("Fabricant : FTDI\nProduit : FT232R USB UART");
    menu.Items(1)->SetChecked(true);
    menu.Items(0)->SetChecked(true);
    EXPECT_EQ(Checks(menu), (std::vector<bool>{true, false})) << "one group still";
    EXPECT_EQ(menu.Items(0)->Action()->toolTip().toStdString(),
              "Fabricant : FTDI\nProduit : FT232R USB UART");
    EXPECT_EQ(menu.Items(0)->Action()->text().toStdString(), "ttyUSB0");
}
