#include "toolkit/gauge.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "toolkit/form.h"

using namespace toolkit;

namespace {

struct GaugeCase {
    int progress;
    int percent;
    int barWidth;
};

}  // namespace

// The green gauge of the reception panel: 128 wide, so 126 inside the frame,
// range 0 to 1024. Expected values worked out by hand from the percent.
TEST(Gauge, BarWidthMovesInWholePercentsAndClamps) {
    TForm form;
    auto* gauge = new TGauge(&form, "G_Vert");
    gauge->SetBounds(116, 252, 128, 13);
    gauge->SetMaxValue(1024);
    const GaugeCase cases[] = {
        {0, 0, 0},        {10, 0, 0},                      // 0.98 % truncates to nothing
        {11, 1, 1},       {512, 50, 63}, {1023, 99, 124},  // 99.9 % is not 100
        {1024, 100, 126}, {-5, 0, 0},    {5000, 100, 126},
    };
    for (const GaugeCase& c : cases) {
        gauge->SetProgress(c.progress);
        EXPECT_EQ(gauge->PercentDone(), c.percent) << "progress " << c.progress;
        EXPECT_EQ(gauge->BarWidth(), c.barWidth) << "progress " << c.progress;
        EXPECT_GE(gauge->Progress(), 0);
        EXPECT_LE(gauge->Progress(), 1024);
    }
}

TEST(Gauge, EmptyOrOffsetRange) {
    TForm form;
    TGauge gauge(&form, "g");
    gauge.SetBounds(0, 0, 102, 10);
    gauge.SetMinValue(100);
    gauge.SetMaxValue(200);
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.PercentDone(), 50);
    EXPECT_EQ(gauge.BarWidth(), 50);
    gauge.SetMaxValue(100);  // max == min
    EXPECT_EQ(gauge.PercentDone(), 0);
    EXPECT_EQ(gauge.BarWidth(), 0);
}

TEST(Gauge, RepaintsOnlyWhenThePercentChanges) {
    TForm form;
    TGauge gauge(&form, "g");
    gauge.SetBounds(0, 0, 128, 13);
    gauge.SetMaxValue(1024);
    struct Step {
        int progress;
        bool repaint;
    };
    const Step steps[] = {{0, false},   {10, false},   {11, true}, {20, false},
                          {1024, true}, {3000, false}, {-1, true}, {0, false}};
    for (const Step& s : steps) {
        const int before = gauge.RepaintCount();
        gauge.SetProgress(s.progress);
        EXPECT_EQ(gauge.RepaintCount() - before, s.repaint ? 1 : 0) << "progress " << s.progress;
    }
}

TEST(Gauge, PaintsFrameBackgroundAndBar) {
    TForm form;
    form.SetClientWidth(200);
    form.SetClientHeight(50);
    TGauge gauge(&form, "g");
    gauge.SetBounds(0, 0, 128, 13);
    gauge.SetMaxValue(1024);
    gauge.SetForeColor(0x008000);
    gauge.SetBackColor(0xA6CAF0);
    gauge.SetProgress(512);  // bar 63 wide: inner columns 1 to 63

    const QImage image = gauge.Widget()->grab().toImage();
    const QRgb black = qRgb(0, 0, 0), green = qRgb(0, 0x80, 0), sky = qRgb(0xA6, 0xCA, 0xF0);
    const struct {
        int x, y;
        QRgb colour;
    } pixels[] = {
        {0, 0, black}, {127, 12, black}, {64, 0, black}, {0, 6, black},  // frame
        {1, 1, green}, {63, 11, green},                                  // bar
        {64, 6, sky},  {126, 11, sky},                                   // background
    };
    for (const auto& p : pixels) {
        EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    }

    gauge.SetEnabled(false);
    EXPECT_EQ(gauge.Widget()->grab().toImage(), image);
    gauge.SetProgress(0);
    EXPECT_EQ(gauge.Widget()->grab().toImage().pixel(1, 1), sky);
}
