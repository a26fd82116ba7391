#include "toolkit/form.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "tests/toolkit/paints.h"
#include "toolkit/label.h"
#include "toolkit/panel.h"

using namespace toolkit;

TEST(Form, OuterSizeMapsToTheClientAreaOfTheStandardFrame) {
    TForm form("F_Fond");
    form.SetClientWidth(713);
    form.SetClientHeight(300);
    form.SetHeight(398);
    EXPECT_EQ(form.ClientHeight(), 373);
    EXPECT_EQ(form.ClientWidth(), 713);
    EXPECT_EQ(form.Height(), 398);
    EXPECT_EQ(form.Width(), 719);
    // Fixed size: the user cannot resize it.
    EXPECT_EQ(form.Widget()->minimumSize(), form.Widget()->maximumSize());
}

TEST(Form, GrabShowsTheClientAreaWithPanelsAndBevels) {
    TForm form;
    form.SetClientWidth(100);
    form.SetClientHeight(60);
    form.SetColor(0x20B0B0);
    TPanel panel(&form, "P_ParametresMesures");
    panel.SetBounds(50, 10, 40, 40);
    panel.SetColor(0x27B7EC);
    panel.SetBevelOuter(bvLowered);
    TPanel hidden(&form, "P_Informations");
    hidden.SetBounds(0, 0, 20, 20);
    hidden.SetVisible(false);
    form.Show();

    const QImage image = form.Grab();
    EXPECT_EQ(image.size(), QSize(100, 60));
    const QRgb teal = qRgb(0x20, 0xB0, 0xB0), blue = qRgb(0x27, 0xB7, 0xEC);
    const QRgb shadow = qRgb(0x80, 0x80, 0x80), white = qRgb(0xFF, 0xFF, 0xFF);
    const struct {
        int x, y;
        QRgb colour;
    } pixels[] = {
        {5, 5, teal},                       // under the hidden panel
        {70, 30, blue},                     // inside the panel
        {50, 30, shadow},                   // lowered: shadow left and top
        {70, 10, shadow}, {89, 30, white},  // highlight right and bottom
        {70, 49, white},
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
}

TEST(Form, CloseRaisesOnClose) {
    TForm form;
    int closes = 0;
    form.OnClose = [&](TObject* sender) {
        EXPECT_EQ(sender, &form);
        ++closes;
    };
    form.Show();
    form.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(form.Widget()->isVisible());
}

TEST(Form, OwnsItsControls) {
    auto form = std::make_unique<TForm>();
    auto* panel = new TPanel(form.get(), "p");
    new TPanel(panel, "inner");
    auto* early = new TPanel(form.get(), "early");
    delete early;  // a child deleted before its parent leaves it
    EXPECT_EQ(form->ControlCount(), 1);
    form.reset();  // deletes the rest without a double delete (checked by sanitizers)
}

// A photometer's frames change labels 240 times a second; the window is
// painted no more often than the screen can show (60 times a second at
// most), and the last paint shows the last values.
TEST(Form, StreamOfChangesIsPaintedAtMostSixtyTimesASecondEndingOnTheLast) {
    TForm form;
    form.SetClientWidth(200);
    form.SetClientHeight(50);
    auto* label = new TLabel(&form, "LVVert");
    label->SetCaption("0,000");
    form.Show();
    Settle();

    std::vector<std::string> painted;
    PaintCounter counter;
    counter.onPaint = [&] { painted.push_back(label->Caption()); };
    label->Widget()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 100; ++i) {
        label->SetCaption("1," + std::to_string(100 + i));
        // About the line's pace: a frame every 4 ms.
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < 4) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000;
    Settle();

    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), "1,199");
    EXPECT_LE(static_cast<double>(painted.size()), seconds * 60 + 2) << seconds << " s";
    EXPECT_GE(painted.size(), 2u) << "painted while the changes went on, not only at their end";
}
