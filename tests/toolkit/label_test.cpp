#include "toolkit/label.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include "toolkit/form.h"
#include "toolkit/panel.h"
#include "toolkit/qtconvert.h"

using namespace toolkit;

namespace {

TFontSpec Navy13() {
    TFontSpec font;
    font.pixelHeight = 13;
    font.bold = true;
    font.color = 0x000080;
    return font;
}

int WidthOf(TWinControl* parent, const std::string& caption) {
    TLabel label(parent, "l");
    label.SetFont(Navy13());
    label.SetCaption(caption);
    return label.Width();
}

// Leftmost and rightmost columns holding a pixel of the given colour.
std::pair<int, int> InkColumns(const QImage& image, QRgb ink) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) == ink) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

}  // namespace

TEST(Label, AutoSizeKeepsEveryBlank) {
    TForm form;
    const struct {
        const char* wider;
        const char* narrower;
    } pairs[] = {
        {"V   :            V", "V:V"},
        {"V        :            V", "V   :            V"},
        {"EO   : ", "EO   :"},  // a trailing blank counts
        {"   x", "x"},          // so do leading ones
    };
    for (const auto& p : pairs) {
        EXPECT_GT(WidthOf(&form, p.wider), WidthOf(&form, p.narrower)) << p.wider;
    }
    // Every blank of a run counts, however long the run.
    for (int n = 0; n < 15; ++n) {
        EXPECT_GT(WidthOf(&form, "V" + std::string(n + 1, ' ') + "V"),
                  WidthOf(&form, "V" + std::string(n, ' ') + "V"))
            << n;
    }
}

// Widths are remembered by text and font: a caption that comes back, or the
// same text in another font, must still get its own font's width.
TEST(Label, AutoSizeWidthIsTheTextsInItsOwnFont) {
    TForm form;
    TFontSpec small;
    small.pixelHeight = 11;
    TFontSpec large = Navy13();
    large.pixelHeight = 20;
    TLabel a(&form, "a"), b(&form, "b");
    a.SetFont(small);
    b.SetFont(large);
    for (const char* caption : {"0", "---", "0", "1,953", "---", "", "1,953"}) {
        a.SetCaption(caption);
        b.SetCaption(caption);
        const QString text = *caption ? QString::fromUtf8(caption) : QStringLiteral(" ");
        EXPECT_EQ(a.Width(), QFontMetrics(toolkit::ToQFont(small)).horizontalAdvance(text))
            << caption;
        EXPECT_EQ(b.Width(), QFontMetrics(toolkit::ToQFont(large)).horizontalAdvance(text))
            << caption;
    }
    b.SetFont(small);
    EXPECT_EQ(b.Width(), a.Width()) << "a new font measures the caption again";
}

TEST(Label, FixedSizeAndRightAlignedAutoSize) {
    TForm form;
    TLabel fixed(&form, "LNomFichier");
    fixed.SetAutoSize(false);
    fixed.SetBounds(13, 65, 315, 19);
    fixed.SetCaption("Fichier de données à écrire, et un nom bien plus long que la boîte");
    EXPECT_EQ(fixed.Width(), 315);
    EXPECT_EQ(fixed.Height(), 19);

    TLabel right(&form, "r");
    right.SetAlignment(taRightJustify);
    right.SetBounds(100, 0, 50, 10);  // right edge at 150
    right.SetCaption("123456789");
    EXPECT_EQ(right.Left() + right.Width(), 150);
    EXPECT_GT(right.Width(), 0);
}

TEST(Label, PaintsParentColourAndKeepsBlanksOnScreen) {
    TForm form;
    form.SetClientWidth(300);
    form.SetClientHeight(100);
    TPanel panel(&form, "p");
    panel.SetBevelOuter(bvNone);
    panel.SetColor(0x27B7EC);
    panel.SetBounds(0, 0, 300, 100);
    TLabel label(&panel, "l");
    label.SetFont(Navy13());
    label.SetCaption("X                    X");
    TLabel bare(&panel, "b");
    bare.SetFont(Navy13());
    bare.SetCaption("X");

    const QImage image = label.Widget()->grab().toImage();
    EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(0x27, 0xB7, 0xEC));
    const auto [first, last] = InkColumns(image, qRgb(0, 0, 0x80));
    const auto [bareFirst, bareLast] =
        InkColumns(bare.Widget()->grab().toImage(), qRgb(0, 0, 0x80));
    ASSERT_GE(first, 0);
    // The second X is drawn where the twenty blanks put it, at the far end.
    // (Anti-aliasing may shift the solid ink by a pixel.)
    EXPECT_NEAR(last - first, label.Width() - bare.Width() + (bareLast - bareFirst), 1);
}
