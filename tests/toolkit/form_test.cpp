#include "toolkit/form.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "toolkit/panel.h"

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
