#include "Printing.h"

#include <gtest/gtest.h>

#include <limits>

using report::PrintedSize;

TEST(PrintedSize, FillsThePageWidthOrHeightKeepingTheAspect) {
    const QSize picture(1000, 600);
    // Portrait A4 at 600 dots per inch.
    EXPECT_EQ(PrintedSize(QSize(4960, 7016), picture), QSize(4960, 2976));

    // Landscape: the whole picture on the page.
    const QSize landscape = PrintedSize(QSize(7016, 4960), picture);
    EXPECT_LE(landscape.width(), 7016);
    EXPECT_LE(landscape.height(), 4960);
    EXPECT_EQ(landscape, QSize(7016, 4209));
    EXPECT_EQ(PrintedSize(QSize(3000, 1000), picture), QSize(1666, 1000));
    EXPECT_EQ(PrintedSize(QSize(1200, 1200), picture), QSize(1200, 720));

    // A page narrower than the picture receives all of it, scaled down.
    EXPECT_EQ(PrintedSize(QSize(800, 1131), picture), QSize(800, 480));

    constexpr int most = std::numeric_limits<int>::max();
    EXPECT_EQ(PrintedSize(QSize(most, most), picture), QSize(most, 1288490188));
    EXPECT_TRUE(PrintedSize(QSize(0, 1000), picture).isEmpty());
}

TEST(PrintPicture, DrawsTheScaledPictureAtTheTopLeftCorner) {
    QImage picture(1000, 600, QImage::Format_RGB32);
    picture.fill(qRgb(200, 0, 0));
    for (int y = 0; y < 600; ++y) {
        for (int x = 500; x < 1000; ++x) {
            picture.setPixel(x, y, qRgb(0, 0, 200));
        }
    }

    QImage page(800, 1131, QImage::Format_RGB32);
    page.fill(Qt::white);
    report::PrintPicture(page, picture);
    EXPECT_EQ(page.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(page.pixel(390, 470), qRgb(200, 0, 0));
    EXPECT_EQ(page.pixel(410, 10), qRgb(0, 0, 200));
    EXPECT_EQ(page.pixel(799, 479), qRgb(0, 0, 200));
    EXPECT_EQ(page.pixel(10, 481), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(799, 1130), qRgb(255, 255, 255));
}
