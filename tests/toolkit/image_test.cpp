#include "toolkit/image.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <stdexcept>

#include "toolkit/form.h"

using namespace toolkit;

namespace {

const QRgb kTeal = qRgb(0x20, 0xB0, 0xB0);
const QRgb kRed = qRgb(0xFF, 0, 0);
const QRgb kBlue = qRgb(0, 0, 0xFF);
const QRgb kGreen = qRgb(0, 0x80, 0);

class Pictures : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // 4x4, red at the bottom-left corner and in the top row, blue elsewhere.
        QImage bitmap(4, 4, QImage::Format_RGB32);
        bitmap.fill(kBlue);
        for (int x = 0; x < 4; ++x) bitmap.setPixel(x, 0, kRed);
        bitmap.setPixel(0, 3, kRed);
        ASSERT_TRUE(bitmap.save(dir.filePath("ball.png")));
        QFile svg(dir.filePath("box.svg"));
        ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
        svg.write(
            "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
            "<rect width='10' height='10' fill='#008000'/></svg>");
        svg.close();

        form.SetClientWidth(100);
        form.SetClientHeight(100);
        form.SetColor(0x20B0B0);
        image = new TImage(&form, "IM_Logo");
        image->SetBounds(0, 0, 40, 20);
    }
    std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
    QRgb PixelAt(int x, int y) { return form.Grab().pixel(x, y); }

    QTemporaryDir dir;
    TForm form;
    TImage* image = nullptr;
};

}  // namespace

TEST_F(Pictures, BitmapOwnSizeStretchedAndTransparent) {
    image->LoadPicture(Path("ball.png"));
    EXPECT_EQ(image->PictureSize(), QSize(4, 4));
    const struct {
        bool stretch, transparent;
        int x, y;
        QRgb colour;
    } cases[] = {
        {false, false, 1, 0, kRed},    {false, false, 1, 1, kBlue},
        {false, false, 20, 10, kTeal},  // outside the picture's own size
        {true, false, 20, 10, kBlue},  {true, false, 39, 19, kBlue},
        {false, true, 1, 0, kTeal},  // the bottom-left pixel's colour is not drawn
        {false, true, 0, 3, kTeal},    {false, true, 1, 1, kBlue},
        {true, true, 20, 1, kTeal},
    };
    for (const auto& c : cases) {
        image->SetStretch(c.stretch);
        image->SetTransparent(c.transparent);
        EXPECT_EQ(PixelAt(c.x, c.y), c.colour)
            << c.stretch << c.transparent << " " << c.x << "," << c.y;
    }
}

TEST_F(Pictures, SvgAtItsOwnSizeOrStretched) {
    image->LoadPicture(Path("box.svg"));
    EXPECT_EQ(image->PictureSize(), QSize(10, 10));
    EXPECT_EQ(PixelAt(5, 5), kGreen);
    EXPECT_EQ(PixelAt(30, 15), kTeal);
    image->SetStretch(true);
    EXPECT_EQ(PixelAt(30, 15), kGreen);
    image->SetBounds(0, 0, 60, 60);  // the drawing follows a new size
    EXPECT_EQ(PixelAt(55, 55), kGreen);
}

TEST_F(Pictures, MissingPictureIsAnError) {
    EXPECT_THROW(image->LoadPicture(Path("none.png")), std::runtime_error);
    EXPECT_THROW(image->LoadPicture(":/pictures/none.svg"), std::runtime_error);
    EXPECT_FALSE(image->HasPicture());
}
