// The housing stock's totals, ranking, payback bars and investment curve on hand-made houses whose
// expected values are worked out here, at the bounds where a house counts or not.
#include "StockFigures.h"
#include "StockCharts.h"
#include "StockReport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

using report::StockHouse;

namespace {

StockHouse House(std::size_t line, std::optional<int> paybackDay, double cost, double money) {
    StockHouse house;
    house.Line = line;
    house.Address = "дом " + std::to_string(line);
    if (paybackDay) {
        house.PaybackDay = *paybackDay;
        house.PaybackMonths = *paybackDay / 30.0;
    }
    house.InstallCost = cost;
    house.MoneySaved = money;
    house.EnergySaved = money * 2;
    house.NetPresentValue = money * 10 - cost;
    house.Emissions = money / 1000;
    return house;
}

} // namespace

// "Окупаются за 1 год" counts as a reader counts from the table's months (days / 30, one
// decimal): up to 12,0 months, 24,0 for two years and so on.
TEST(StockFigures, TotalsCountPaybackWithinTheMonthsTheTableShows) {
    const std::vector<StockHouse> houses = {
        House(2, 361, 100, 10),  // 12,03 months, shown 12,0: within a year
        House(3, 362, 200, 20),  // 12,07, shown 12,1: not, though before day 365
        House(4, 1081, 300, 30), // 36,03, shown 36,0: within 3 years
        House(5, 1082, 400, 40), // 36,07, shown 36,1: within 5 years only
        House(6, std::nullopt, 500, 50),
    };
    const report::StockTotals totals = report::TotalsOf(houses, 7);
    EXPECT_EQ(totals.Calculated, 5u);
    EXPECT_EQ(totals.Rejected, 7u);
    EXPECT_EQ(totals.InstallCost, 1500);
    EXPECT_EQ(totals.MoneySaved, 150);
    EXPECT_EQ(totals.EnergySaved, 300);
    EXPECT_EQ(totals.NetPresentValue, 0);
    EXPECT_DOUBLE_EQ(totals.Emissions, 0.15);
    const std::array<std::size_t, 4> within = {1, 2, 3, 4};
    EXPECT_EQ(totals.PaybackWithin, within);
}

// Totals of a large stock are written with their thousands apart, as every other figure.
TEST(StockFigures, TotalsLinesGroupCountsAndEmissions) {
    report::StockTotals totals;
    totals.Calculated = 9991;
    totals.Rejected = 12345;
    totals.Emissions = 52152.243;
    totals.PaybackWithin = {1000, 2000, 3000, 9991};
    const auto lines = report::TotalsLines(totals, model::NumberLocale{",", " "});
    const auto value = [&](const QString& caption) {
        for (const auto& [c, v] : lines) {
            if (c == caption) {
                return v;
            }
        }
        return QStringLiteral("нет строки");
    };
    EXPECT_EQ(value(QStringLiteral("Посчитано домов")), QStringLiteral("9 991"));
    EXPECT_EQ(value(QStringLiteral("Отклонено строк")), QStringLiteral("12 345"));
    EXPECT_EQ(value(QStringLiteral("Сокращение выбросов CO₂ в год, т")),
              QStringLiteral("52 152,243"));
    EXPECT_EQ(value(QStringLiteral("Окупаются за 5 лет")), QStringLiteral("9 991"));
}

TEST(StockFigures, RankingPutsSoonestFirstAndNoPaybackLastKeepingInputOrderOfEquals) {
    const std::vector<StockHouse> houses = {
        House(2, std::nullopt, 1, 1), House(3, 500, 1, 1), House(4, 20, 1, 1),
        House(5, 500, 1, 1),          House(6, 0, 1, 1),   House(7, std::nullopt, 1, 1),
    };
    const std::vector<std::size_t> expected = {4, 2, 1, 3, 0, 5};
    EXPECT_EQ(report::PaybackRanking(houses), expected);
}

TEST(StockFigures, BarsWidenToStayFewAndCountEveryHouse) {
    struct Case {
        std::vector<int> days;
        int monthsPerBar;
        std::vector<std::size_t> counts;
    };
    const Case cases[] = {
        {{0, 29, 30, 89}, 1, {2, 1, 1}},                // months 0, 0.97, 1, 2.97
        {{0, 870}, 1, std::vector<std::size_t>(30, 0)}, // 29 months: 30 bars of one month
        {{0, 900}, 2, std::vector<std::size_t>(16, 0)}, // 30 months: bars of two
    };
    for (const Case& c : cases) {
        std::vector<StockHouse> houses;
        for (const int day : c.days) {
            houses.push_back(House(houses.size() + 2, day, 1, 1));
        }
        houses.push_back(House(99, std::nullopt, 1, 1));
        const report::PaybackBars bars = report::BarsOf(houses, 30);
        EXPECT_EQ(bars.MonthsPerBar, c.monthsPerBar);
        EXPECT_EQ(bars.WithoutPayback, 1u);
        std::size_t counted = 0;
        for (const std::size_t count : bars.Counts) {
            counted += count;
        }
        EXPECT_EQ(counted, c.days.size());
        if (c.days.size() == 4) {
            EXPECT_EQ(bars.Counts, c.counts);
        } else {
            EXPECT_EQ(bars.Counts.size(), c.counts.size());
        }
    }
}

TEST(StockFigures, InvestmentCurveSumsHousesInPaybackOrderAndFindsThePointNearest) {
    const std::vector<StockHouse> houses = {
        House(2, 300, 1000, 100), House(3, std::nullopt, 5000, 1), House(4, 100, 3000, 900)};
    const std::vector<report::InvestmentPoint> curve = report::InvestmentCurveOf(houses);
    ASSERT_EQ(curve.size(), 2u);
    EXPECT_EQ(curve[0].House, 2u);
    EXPECT_EQ(curve[0].Cost, 3000);
    EXPECT_EQ(curve[0].Saving, 900);
    EXPECT_EQ(curve[1].House, 0u);
    EXPECT_EQ(curve[1].Cost, 4000);
    EXPECT_EQ(curve[1].Saving, 1000);
    // The tracer: the point under the pointer, left or right of the plot nothing.
    const QRectF area(0, 0, 600, 300);
    const double at0 = report::CurvePointPosition(area, curve, 10, 0).x();
    const double at1 = report::CurvePointPosition(area, curve, 10, 1).x();
    EXPECT_LT(at0, at1);
    EXPECT_EQ(report::CurvePointAt(area, curve, 10, at0 + 1), std::optional<std::size_t>(0));
    EXPECT_EQ(report::CurvePointAt(area, curve, 10, at1 - 1), std::optional<std::size_t>(1));
    EXPECT_EQ(report::CurvePointAt(area, curve, 10, 0), std::nullopt);
    EXPECT_EQ(report::CurvePointAt(area, {}, 10, at0), std::nullopt);
    // Both charts draw, empty or not.
    QImage image(600, 300, QImage::Format_ARGB32);
    QPainter painter(&image);
    const model::NumberLocale locale{",", " "};
    report::DrawInvestmentCurve(painter, area, curve, 10, locale, 1);
    report::DrawInvestmentCurve(painter, area, {}, 10, locale);
    report::DrawPaybackBars(painter, area, report::BarsOf(houses), 10, locale);
    report::DrawPaybackBars(painter, area, report::BarsOf(std::vector<StockHouse>{}), 10, locale);
}

// The report's ranking: every house's cells in their own columns, ranked by payback, each row
// with its rank and its input line; the summary's totals with their captions.
TEST(StockReport, RankingRowsAndTotalsAreTheHousesFigures) {
    report::StockReportContent content;
    content.FileName = QStringLiteral("дома.csv");
    content.Seed = 5;
    content.Locale = {",", " "};
    content.Houses = {House(2, 300, 1000, 100), House(3, std::nullopt, 5000, 7),
                      House(4, 150, 3000, 900)};
    content.Houses[1].Sheet = "Дома 2"; // a sheet that continues the register's first
    content.Totals = report::TotalsOf(content.Houses, 2);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(report::StockReportPdf(content));
    file.close();
#ifdef _WIN32
    GTEST_SKIP() << "Poppler's tools, which read the PDF here, are not part of the Windows build";
#endif
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(60000));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        lines << line.simplified();
    }
    // Rank, line, address, installation, payback months, kWh and roubles saved a year.
    for (const char* row :
         {"1 4 дом 4 3 000 5,0 1 800,00 900,00", "2 2 дом 2 1 000 10,0 200,00 100,00",
          // The narrow column cuts the sheet's name: the row is still told apart from line 3
          // of the first sheet.
          "3 3, лист … дом 3 5 000 нет 14,00 7,00"}) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(row))) << row << "\n"
                                                            << lines.join('\n').toStdString();
    }
    for (const char* total :
         {"Посчитано домов 3", "Отклонено строк 2", "Стоимость установки, всего, руб. 9 000",
          "Экономия энергии в год, кВт·ч 2 014,00", "Экономия в год, руб. 1 007,00",
          "Окупаются за 1 год 2"}) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(total))) << total;
    }
}

// An A4 page holds 55 rows of the ranking or of the plan's list: 110 houses fill two pages and no
// third, the plan takes its own page and those of its list.
TEST(StockFigures, ReportPagesOfTheRankingAndThePlan) {
    EXPECT_EQ(report::RankingRowsPerPage(841.89), 55);
    struct Case {
        std::size_t houses;
        std::optional<std::size_t> planLines; // none: no plan
        int pages;
    };
    const Case cases[] = {
        {0, {}, 1},   {1, {}, 2},  {55, {}, 2},  {56, {}, 3},  {110, {}, 3},
        {111, {}, 4}, {110, 0, 4}, {110, 55, 5}, {110, 56, 6}, {110, 110, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.houses << " houses");
        report::StockReportContent content;
        content.Houses.assign(c.houses, House(2, 300, 1000, 10));
        if (c.planLines) {
            report::StockPlanPage plan;
            plan.List.resize(*c.planLines);
            content.Plan = std::move(plan);
        }
        EXPECT_EQ(report::StockReportPageCount(content, 841.89), c.pages);
    }
}
