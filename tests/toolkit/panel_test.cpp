#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/panel.h"

namespace {

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(object, event);
    }
};

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

}  // namespace

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
