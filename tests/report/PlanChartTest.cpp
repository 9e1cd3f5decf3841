#include "PlanChart.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

// The height in pixels of the run of `color` in column x, from the bottom up.
int ColumnHeight(const QImage& image, int x, QRgb color) {
    int height = 0;
    for (int y = 0; y < image.height(); ++y) {
        height += image.pixel(x, y) == color ? 1 : 0;
    }
    return height;
}

int TallestBar(const QImage& image, int from, int to, QRgb color) {
    int tallest = 0;
    for (int x = from; x < to; ++x) {
        tallest = std::max(tallest, ColumnHeight(image, x, color));
    }
    return tallest;
}

} // namespace

// Budget and spend bars in proportion, both centred on their year's tick (the spend inside the
// budget): year 1 spends its whole budget of 100, year 2 half of its 100, year 3 nothing of its 50.
// Two years, the case where the budget bar once stood beside its tick, and three.
TEST(PlanChart, BarsInProportionOnTheirYearsTick) {
    const QRgb budget = qRgb(200, 200, 200);
    const QRgb spend = qRgb(40, 110, 190);
    for (const std::size_t years : {std::size_t{2}, std::size_t{3}}) {
        SCOPED_TRACE(years);
        QImage image(600, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        report::PlanChartData data;
        data.ValueUnit = QStringLiteral("руб.");
        data.Years = {{100, 100, 10}, {100, 50, 15}, {50, 0, 15}};
        data.Years.resize(years);
        report::DrawPlanChart(painter, QRectF(0, 0, 600, 400), data, model::NumberLocale{",", " "});
        painter.end();
        // Each year's bars: a run of columns holding the budget's or the spend's colour (a column
        // where the smoothed edges of the two meet holds neither).
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < image.width(); ++x) {
            if (ColumnHeight(image, x, budget) + ColumnHeight(image, x, spend) > 20) {
                if (runs.empty() || runs.back().second < x - 2) {
                    runs.push_back({x, x});
                }
                runs.back().second = x;
            }
        }
        ASSERT_EQ(runs.size(), years);
        const int full = TallestBar(image, runs[0].first, runs[0].second + 1, budget);
        EXPECT_NEAR(TallestBar(image, runs[0].first, runs[0].second + 1, spend), full, 8);
        EXPECT_NEAR(TallestBar(image, runs[1].first, runs[1].second + 1, spend), full / 2, 8);
        if (years == 3) {
            EXPECT_NEAR(TallestBar(image, runs[2].first, runs[2].second + 1, budget), full / 2, 8);
            EXPECT_EQ(TallestBar(image, runs[2].first, runs[2].second + 1, spend), 0);
        }
        // The slot is the plot's width over the years; the spend bar's middle is the budget's.
        for (std::size_t k = 0; k + 1 < years; ++k) {
            const auto middle = [&](std::size_t run, QRgb color) {
                int first = -1;
                int last = -1;
                for (int x = runs[run].first; x <= runs[run].second; ++x) {
                    if (ColumnHeight(image, x, color) > 20) {
                        first = first < 0 ? x : first;
                        last = x;
                    }
                }
                return (first + last) / 2.0;
            };
            EXPECT_NEAR(middle(k, spend), (runs[k].first + runs[k].second) / 2.0, 1.5);
        }
    }
}

// Axis labels in distinct rounded steps, an empty plan's axis included (not "0, 0, 0, 1, 1, 1").
TEST(PlanChart, AxisLabelsInDistinctRoundedSteps) {
    struct Case {
        double top;
        const char* labels; // bottom up, "|" between them
    };
    const Case cases[] = {
        {0, "0|1"},
        {0.4, "0|1"},
        {3, "0|1|2|3"},
        {7, "0|2|4|6|8"},
        {12345678, "0|5 000 000|10 000 000|15 000 000"},
        {20000000, "0|5 000 000|10 000 000|15 000 000|20 000 000"},
        {999, "0|200|400|600|800|1 000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.top);
        const QStringList labels = report::PlanAxisLabels(c.top, model::NumberLocale{",", " "});
        EXPECT_EQ(labels.join(QLatin1Char('|')).toStdString(), c.labels);
    }
}
