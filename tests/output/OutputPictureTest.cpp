#include "PageComposer.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <random>

using report::QuarterTurn;
using report::TurnDirection;

namespace {

QImage Noise(int width, int height, QImage::Format format, unsigned seed) {
    QImage picture(width, height, format);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, static_cast<QRgb>(random()) | 0xFF000000u);
        }
    }
    return picture;
}

// The quarter turn pixel by pixel, straight from its definition.
QImage TurnPixelByPixel(const QImage& source, TurnDirection direction) {
    const int width = source.width();
    const int height = source.height();
    QImage turned(height, width, source.format());
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (direction == TurnDirection::CounterClockwise) {
                turned.setPixel(y, width - 1 - x, source.pixel(x, y));
            } else {
                turned.setPixel(height - 1 - y, x, source.pixel(x, y));
            }
        }
    }
    return turned;
}

report::ResultPictures NoisePictures() {
    report::ResultPictures pictures;
    pictures.ReportBitmap = Noise(550, 300, QImage::Format_RGB32, 1);
    pictures.MonthlyChartBitmap = Noise(550, 350, QImage::Format_RGB32, 2);
    pictures.CostChartBitmap = Noise(450, 650, QImage::Format_RGB32, 3);
    return pictures;
}

} // namespace

TEST(QuarterTurn, MatchesThePixelByPixelDefinition) {
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage source = Noise(37, 23, format, 7);
        for (const TurnDirection direction :
             {TurnDirection::Clockwise, TurnDirection::CounterClockwise}) {
            const QImage turned = QuarterTurn(source, direction);
            EXPECT_EQ(turned.size(), QSize(23, 37));
            EXPECT_EQ(turned.format(), format);
            EXPECT_EQ(turned, TurnPixelByPixel(source, direction));
        }
    }

    // Counter-clockwise puts the top edge on the left, clockwise on the right.
    QImage marked(4, 3, QImage::Format_RGB32);
    marked.fill(Qt::white);
    marked.setPixel(3, 0, qRgb(255, 0, 0)); // top-right corner
    EXPECT_EQ(QuarterTurn(marked, TurnDirection::CounterClockwise).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(QuarterTurn(marked, TurnDirection::Clockwise).pixel(2, 3), qRgb(255, 0, 0));

    // A 24-bit picture, like the logo, is turned as 32-bit.
    const QImage logo = Noise(181, 33, QImage::Format_RGB888, 9);
    const QImage turnedLogo = QuarterTurn(logo, TurnDirection::CounterClockwise);
    EXPECT_EQ(turnedLogo.depth(), 32);
    EXPECT_EQ(turnedLogo, TurnPixelByPixel(logo.convertToFormat(QImage::Format_ARGB32),
                                           TurnDirection::CounterClockwise));

    EXPECT_EQ(QuarterTurn(QImage(1, 5, QImage::Format_RGB32), TurnDirection::Clockwise).size(),
              QSize(5, 1));
    EXPECT_TRUE(QuarterTurn(QImage(), TurnDirection::Clockwise).isNull());
}

TEST(QuarterTurn, BackAndForthLosesNoPixel) {
    const QImage source = Noise(450, 650, QImage::Format_RGB32, 11);
    EXPECT_EQ(
        QuarterTurn(QuarterTurn(source, TurnDirection::CounterClockwise), TurnDirection::Clockwise),
        source);
    EXPECT_EQ(
        QuarterTurn(QuarterTurn(source, TurnDirection::Clockwise), TurnDirection::CounterClockwise),
        source);
}

TEST(OutputPicture, ShowsEveryPieceUprightWhereTheResultsPageShowsIt) {
    const report::ResultPictures pictures = NoisePictures();
    const QImage logo = Noise(181, 33, QImage::Format_RGB888, 4);

    const QImage page = report::ComposePage(pictures, logo);
    EXPECT_EQ(page.size(), QSize(600, 1000));
    EXPECT_EQ(page.depth(), 32);

    const QImage output = report::ComposeOutputPicture(pictures, logo);
    ASSERT_EQ(output.size(), QSize(1000, 600));
    EXPECT_EQ(output.depth(), 32);

    // The same picture put together upright, in the same order, each piece cut at the edges.
    QImage expected(1000, 600, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(50, 320), pictures.MonthlyChartBitmap);
        painter.drawImage(QPoint(20, 25), pictures.ReportBitmap);
        painter.drawImage(QPoint(550, 0), pictures.CostChartBitmap);
        painter.drawImage(QPoint(769, 40), logo.convertToFormat(QImage::Format_RGB32));
    }
    EXPECT_EQ(output, expected);

    // Top-left corners and what covers what, pixel by pixel.
    EXPECT_EQ(output.pixel(50, 325), pictures.MonthlyChartBitmap.pixel(0, 5));
    EXPECT_EQ(output.pixel(50, 324), pictures.ReportBitmap.pixel(30, 299)); // report covers 5 rows
    EXPECT_EQ(output.pixel(549, 599), pictures.MonthlyChartBitmap.pixel(499, 279));
    EXPECT_EQ(output.pixel(20, 25), pictures.ReportBitmap.pixel(0, 0));
    EXPECT_EQ(output.pixel(549, 25), pictures.ReportBitmap.pixel(529, 0));
    EXPECT_EQ(output.pixel(550, 25), pictures.CostChartBitmap.pixel(0, 25)); // covers 20 columns
    EXPECT_EQ(output.pixel(550, 0), pictures.CostChartBitmap.pixel(0, 0));
    EXPECT_EQ(output.pixel(999, 599), pictures.CostChartBitmap.pixel(449, 599));
    EXPECT_EQ(output.pixel(769, 40), logo.pixel(0, 0));
    EXPECT_EQ(output.pixel(949, 72), logo.pixel(180, 32));
    EXPECT_EQ(output.pixel(768, 40), pictures.CostChartBitmap.pixel(218, 40));
    EXPECT_EQ(output.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(output.pixel(19, 599), qRgb(255, 255, 255));
}

TEST(OutputPicture, IsWhiteWhereNoPictureIsGiven) {
    const QImage output = report::ComposeOutputPicture(report::ResultPictures{}, QImage());
    ASSERT_EQ(output.size(), QSize(1000, 600));
    QImage white(1000, 600, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(output, white);
}
