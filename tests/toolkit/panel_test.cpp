#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "tests/toolkit/paints.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/panel.h"

using namespace toolkit;

// The window's panels are shown over one another in place; a label that
// changes on the top one (a measurement, many times a second) must not make
// Qt paint the panels hidden beneath it again.
TEST(Panel, CoversWhatLiesBeneathUntilHidden) {
    TForm form;
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    auto* beneath = new TPanel(&form, "beneath");
    beneath->SetBounds(0, 0, 200, 150);
    auto* hidden = new TLabel(beneath, "hidden");
    hidden->SetBounds(10, 10, 100, 20);
    hidden->SetCaption("under");
    auto* over = new TPanel(&form, "over");
    over->SetBounds(0, 0, 200, 150);
    auto* value = new TLabel(over, "value");
    value->SetBounds(10, 10, 100, 20);
    form.Show();
    Settle();

    PaintCounter beneathPaints, hiddenPaints, valuePaints;
    beneath->Widget()->installEventFilter(&beneathPaints);
    hidden->Widget()->installEventFilter(&hiddenPaints);
    value->Widget()->installEventFilter(&valuePaints);
    for (int i = 0; i < 10; ++i) {
        value->SetCaption("2," + std::to_string(100 + i));
        Settle();
    }
    EXPECT_GE(valuePaints.paints, 1);
    EXPECT_EQ(beneathPaints.paints, 0);
    EXPECT_EQ(hiddenPaints.paints, 0);

    over->SetVisible(false);
    Settle();
    EXPECT_GE(hiddenPaints.paints, 1) << "uncovered, it is drawn again";
}

// A value label lies over the blanks of a template caption ("V   :    V");
// each new value must not make Qt paint the template again.
TEST(Panel, ValueLabelCoversTheTemplateBeneath) {
    TForm form;
    form.SetClientWidth(300);
    form.SetClientHeight(100);
    auto* panel = new TPanel(&form, "p");
    panel->SetBounds(0, 0, 300, 100);
    auto* model = new TLabel(panel, "L_Vert");
    model->SetBounds(66, 14, 10, 10);
    model->SetCaption("V   :            V");
    auto* value = new TLabel(panel, "LVVert");
    // Of a fixed size: a label that grows or shrinks uncovers what is beneath.
    value->SetAutoSize(false);
    value->SetBounds(96, 14, 50, 16);
    value->SetCaption("------");
    form.Show();
    Settle();

    PaintCounter modelPaints, valuePaints, panelPaints;
    model->Widget()->installEventFilter(&modelPaints);
    value->Widget()->installEventFilter(&valuePaints);
    panel->Widget()->installEventFilter(&panelPaints);
    for (const char* v : {"1,953", "1,465", "0,313", "2,124"}) {
        value->SetCaption(v);
        Settle();
    }
    EXPECT_EQ(valuePaints.paints, 4);
    EXPECT_EQ(modelPaints.paints, 0);
    EXPECT_EQ(panelPaints.paints, 0);

    value->SetTransparent(true);
    value->SetCaption("0,014");
    Settle();
    EXPECT_GE(modelPaints.paints, 1) << "a transparent label shows what lies beneath";
}
