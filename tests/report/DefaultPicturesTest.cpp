#include "Calculation.h"
#include "Fonts.h"
#include "PixelHelpers.h"
#include "Rendering.h"
#include "ReportTable.h"
#include "Simulation.h"
#include "StartUpProject.h"
#include "TrafficEstimate.h"

#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace report;

namespace {

// The house the input page starts with, estimated and simulated as the forward button does.
void DefaultCalculation(ResultPictures& pictures, ReportTable& table, model::ProjectParameters& p,
                        model::SimulationResult& r, const ChartView& view,
                        const model::NumberLocale& locale) {
    p = test_support::StartUpCalculation();
    pictures.Recreate();
    model::Calculate(p, 12345, model::SimulatedDays::All, r);
    DrawMonthlyChart(pictures.MonthlyChartBitmap, r, locale);
    RenderResults(pictures, table, p, r, view, locale);
}

QString OutputFolder() {
    const char* folder = std::getenv("VIRASVET_PICTURES_DIR");
    return folder != nullptr && *folder != '\0' ? QString::fromLocal8Bit(folder)
                                                : QStringLiteral(REPORT_TEST_OUTPUT_DIR);
}

} // namespace

// Writes the three pictures of a default calculation as PNG files for a person to look at.
TEST(DefaultPictures, AreDrawnAndWrittenAsPng) {
    const model::NumberLocale locale{",", " "};
    ResultPictures pictures;
    ReportTable table;
    model::ProjectParameters p;
    model::SimulationResult r;
    DefaultCalculation(pictures, table, p, r, ChartView{}, locale);

    EXPECT_EQ(pictures.ReportBitmap.size(), QSize(550, 300));
    EXPECT_EQ(pictures.MonthlyChartBitmap.size(), QSize(550, 350));
    EXPECT_EQ(pictures.CostChartBitmap.size(), QSize(450, 650));
    EXPECT_EQ(table.RowTop, 251); // default address, no company
    EXPECT_GT(CountPixels(pictures.CostChartBitmap, QRect(10, 50, 400, 500), QColor(250, 0, 0)),
              100);
    EXPECT_GT(CountPixels(pictures.CostChartBitmap, QRect(10, 50, 400, 500), QColor(0, 250, 0)),
              100);
    EXPECT_GT(CountPixels(pictures.MonthlyChartBitmap, QRect(120, 50, 90, 200), QColor(255, 0, 0)),
              100);

    const QDir folder(OutputFolder());
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(pictures.ReportBitmap.save(folder.filePath(QStringLiteral("report.png"))));
    EXPECT_TRUE(pictures.MonthlyChartBitmap.save(folder.filePath(QStringLiteral("monthly.png"))));
    EXPECT_TRUE(pictures.CostChartBitmap.save(folder.filePath(QStringLiteral("cost.png"))));

    // The results page as the window shows it, with the tracer over the chart.
    QImage page(1000, 741, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.drawImage(10, 20, pictures.ReportBitmap);
        painter.drawImage(50, 320, pictures.MonthlyChartBitmap);
        painter.drawImage(550, 1, pictures.CostChartBitmap);
        ChartView view;
        view.TracerOn = true;
        view.TracerX = 700;
        DrawTracer(painter, view, r, locale);
    }
    EXPECT_TRUE(page.save(folder.filePath(QStringLiteral("page.png"))));
}

TEST(DefaultPictures, TextsUseAnInstalledFaceWithCyrillic) {
    // A missing face would fall back silently and Russian could come out as boxes.
    const QFont font = report::PictureFont(10);
    EXPECT_EQ(QFontInfo(font).family(), report::SansFace);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 13);
    const QFontMetrics metrics(font);
    for (const QChar letter : QStringLiteral("ЗатрыжщЁё")) {
        EXPECT_TRUE(metrics.inFont(letter)) << static_cast<int>(letter.unicode());
    }
}
