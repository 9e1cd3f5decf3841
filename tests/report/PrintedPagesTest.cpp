// What the printed pages must show sharp and legible: the economics chart's axis in rounded steps
// of one, two or five times a power of ten that hold the data and zero, never more intervals than
// there is room for; the results page's logo at print resolution.
#include "CalculatedResults.h"
#include "EconomicsPage.h"
#include "PageComposer.h"
#include "ResultsPage.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct AxisCase {
    double Low;
    double High;
    int Most;
    double Step;
    double AxisLow;
    double AxisHigh;
};

TEST(EconomicsChart, AxisStepsAreRoundedAndHoldTheData) {
    const AxisCase cases[] = {
        // The default house: a saving from -11 351 to 251 169 roubles on 13 labels' room.
        {-11351.12, 251168.82, 13, 50000, -50000, 300000},
        {-1287555, 0, 5, 500000, -1500000, 0},
        {-1287555, 0, 13, 100000, -1300000, 0},
        {0, 1287555, 26, 50000, 0, 1300000},
        {0, 7, 13, 1, 0, 7},
        {0, 0, 10, 1, 0, 1},
        {-3.5, 0, 13, 1, -4, 0},
        {0, 99.5, 10, 10, 0, 100},
        {0, 101, 10, 20, 0, 120},
        {-2e9, 3e9, 13, 5e8, -2e9, 3e9},
        {0, 2.5e12, 10, 5e11, 0, 2.5e12},
    };
    for (const AxisCase& c : cases) {
        const report::AxisSteps axis = report::RoundedAxis(c.Low, c.High, c.Most);
        SCOPED_TRACE(testing::Message() << c.Low << " .. " << c.High << " in " << c.Most);
        EXPECT_DOUBLE_EQ(axis.Step, c.Step);
        EXPECT_DOUBLE_EQ(axis.Low, c.AxisLow);
        EXPECT_DOUBLE_EQ(axis.High, c.AxisHigh);
        EXPECT_LE(axis.Low, c.Low);
        EXPECT_GE(axis.High, c.High);
        EXPECT_LE(std::round((axis.High - axis.Low) / axis.Step), c.Most);
    }
    // No figure to show: one step, no endless grid.
    const report::AxisSteps none = report::RoundedAxis(0, INFINITY, 13);
    EXPECT_EQ(none.Step, 1);
    EXPECT_EQ(none.High - none.Low, 1);
}

// A logo of four times the pixels of its place: the PDF holds all of them (over 300 pixels an inch
// on the A4 page) and the saved bitmap the logo at its place's size.
TEST(ResultsPdf, LogoKeepsItsPixelsForPrint) {
    const test_support::CalculatedResults calculated;
    QImage logo(724, 132, QImage::Format_RGB32);
    logo.fill(qRgb(13, 59, 102));
    logo.setDevicePixelRatio(4);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pdf = folder.filePath("results.pdf");
    {
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(report::EncodeResultsPdf(calculated.Page(), logo, QStringLiteral("Вирасвет")));
    }
#ifdef _WIN32
    GTEST_SKIP() << "Poppler's tools, which read the PDF here, are not part of the Windows build";
#endif
    QProcess images;
    images.start("pdfimages", {"-list", pdf});
    ASSERT_TRUE(images.waitForFinished(30000));
    const QString list = QString::fromUtf8(images.readAllStandardOutput());
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
    const QRegularExpressionMatch logoLine =
        QRegularExpression(R"(\n\s*1\s+\d+\s+image\s+724\s+132\s+\S+\s+\d+\s+\d+\s+\S+\s+\S+\s+)"
                           R"(\d+\s+\d+\s+(\d+)\s+(\d+))")
            .match(list);
    ASSERT_TRUE(logoLine.hasMatch()) << list.toStdString();
    EXPECT_GE(logoLine.captured(1).toInt(), 300) << list.toStdString();
    EXPECT_GE(logoLine.captured(2).toInt(), 300) << list.toStdString();

    // The bitmap: the logo at 181 x 33 in its place, upright on the turned page.
    const QImage picture = report::ComposeOutputPicture(calculated.Pictures, logo);
    EXPECT_EQ(picture.size(), QSize(1000, 600));
    EXPECT_EQ(picture.pixel(769 + 5, 40 + 5), qRgb(13, 59, 102));
    EXPECT_EQ(picture.pixel(769 + 180, 40 + 32), qRgb(13, 59, 102));
    EXPECT_NE(picture.pixel(769 + 181, 40 + 33), qRgb(13, 59, 102));
}

} // namespace
