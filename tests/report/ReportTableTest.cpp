#include "ReportTable.h"
#include "PixelHelpers.h"
#include "Rendering.h"
#include "Simulation.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor HeaderGrey(200, 200, 200);
const QColor Lighter(245, 245, 245);
const QColor Darker(235, 235, 235);

const model::NumberLocale Comma{",", " "};

model::ProjectParameters House() {
    model::ProjectParameters p;
    model::SetDefaultParameters(p);
    p.EntranceCount = 5;
    p.FloorCount = 9;
    p.FlatsPerFloor = 3;
    p.Address = "ул.   д. ";
    return p;
}

model::SimulationResult PaidBack() {
    model::SimulationResult r;
    r.PaybackFound = true;
    r.PaybackDay = 369;
    r.PaybackCostExisting = 12300;
    r.PaybackCostPlanned = 9876.4;
    r.InstallCostExisting = 13500;
    r.InstallCostPlanned = 27000;
    r.FittingCountExisting = 5;
    r.FittingCountPlanned = 1234;
    r.BlockCount = 7;
    r.DailyEnergyCostExisting = 10;
    r.DailyEnergyCostPlanned = 2;
    r.PaybackReplacedExisting = 7;
    r.PaybackReplacedPlanned = 2;
    return r;
}

std::vector<QString> Labels(const std::vector<ReportRow>& rows) {
    std::vector<QString> labels;
    for (const ReportRow& row : rows) {
        labels.push_back(row.Label);
    }
    return labels;
}

} // namespace

TEST(ReportTable, HeaderCellsHaveGreyFillAndBlackBordersOnTheirEdgePixels) {
    QImage image = WhiteImage(550, 300);
    {
        Canvas canvas(image);
        ReportTable table;
        table.Reset();
        table.DrawHeader(canvas);
    }
    // Outer cell (1, 1, 521, 41): border on x 1 and 520, y 1 and 40; nothing beyond.
    for (const QPoint corner : {QPoint(1, 1), QPoint(520, 1), QPoint(1, 40), QPoint(520, 40)}) {
        EXPECT_EQ(PixelAt(image, corner.x(), corner.y()), Black) << corner.x() << ',' << corner.y();
    }
    EXPECT_EQ(PixelAt(image, 0, 10), White);
    EXPECT_EQ(PixelAt(image, 521, 10), White);
    EXPECT_EQ(PixelAt(image, 10, 0), White);
    EXPECT_EQ(PixelAt(image, 10, 41), White);
    EXPECT_EQ(PixelAt(image, 2, 2), HeaderGrey);
    EXPECT_EQ(PixelAt(image, 349, 30), HeaderGrey);
    // Right cell split: left edge x 350, upper half down to y 20, lower quarters from y 21 with the
    // divider at x 435.
    EXPECT_EQ(PixelAt(image, 350, 10), Black);
    EXPECT_EQ(PixelAt(image, 400, 20), HeaderGrey);
    EXPECT_EQ(PixelAt(image, 400, 21), Black);
    EXPECT_EQ(PixelAt(image, 434, 30), HeaderGrey);
    EXPECT_EQ(PixelAt(image, 435, 30), Black);
    EXPECT_EQ(PixelAt(image, 436, 22), HeaderGrey);
    // Header texts are white, each in its own cell.
    EXPECT_GT(CountInk(image, QRect(130, 14, 150, 15), White), 20);
    EXPECT_GT(CountInk(image, QRect(410, 4, 100, 15), White), 20);
    EXPECT_GT(CountInk(image, QRect(360, 24, 74, 15), White), 20);
    EXPECT_GT(CountInk(image, QRect(445, 24, 75, 15), White), 20);
    EXPECT_EQ(CountInk(image, QRect(2, 2, 120, 38), White), 0);
}

TEST(ReportTable, RowsAlternateShadesWithAWhiteLineBetweenAndShowOnlyTheirShapesTexts) {
    QImage image = WhiteImage(550, 300);
    ReportTable table;
    table.Reset();
    EXPECT_EQ(table.RowTop, 42);
    EXPECT_FALSE(table.Shaded);
    {
        Canvas canvas(image);
        table.AddRow(RowShape::TwoValues, "Строка", "не видна", "1", "2", canvas);
        table.AddRow(RowShape::TwoLinesTwoValues, "Первая", "Вторая", "3", "4", canvas);
        table.AddRow(RowShape::OneValue, "Адрес", "не видна", "5", "не видна", canvas);
    }
    EXPECT_EQ(table.RowTop, 42 + 21 + 41 + 21);
    EXPECT_TRUE(table.Shaded);

    // First band y 42..61, x 2..519, lighter; no outline of another colour.
    EXPECT_EQ(PixelAt(image, 2, 42), Lighter);
    EXPECT_EQ(PixelAt(image, 519, 61), Lighter);
    EXPECT_EQ(PixelAt(image, 1, 50), White);
    EXPECT_EQ(PixelAt(image, 520, 50), White);
    EXPECT_EQ(PixelAt(image, 300, 62), White);
    // Second band, two lines high: y 63..102, darker.
    EXPECT_EQ(PixelAt(image, 2, 63), Darker);
    EXPECT_EQ(PixelAt(image, 519, 102), Darker);
    EXPECT_EQ(PixelAt(image, 300, 103), White);
    // Third band lighter again: y 104..123.
    EXPECT_EQ(PixelAt(image, 2, 104), Lighter);
    EXPECT_EQ(PixelAt(image, 519, 123), Lighter);
    EXPECT_EQ(PixelAt(image, 300, 124), White);

    // Texts are black: label and both values of the first row, but not its second line (which
    // would stand at y 64, inside the next band).
    EXPECT_GT(CountInk(image, QRect(8, 44, 60, 15), Black), 10);
    EXPECT_GT(CountInk(image, QRect(360, 44, 20, 15), Black), 3);
    EXPECT_GT(CountInk(image, QRect(445, 44, 20, 15), Black), 3);
    // Two-line row: second label line at y0 + 22, values centred at y0 + 14.
    EXPECT_GT(CountInk(image, QRect(8, 85, 60, 15), Black), 10);
    EXPECT_GT(CountInk(image, QRect(360, 77, 20, 15), Black), 3);
    EXPECT_EQ(CountInk(image, QRect(360, 64, 150, 12), Black), 0);
    // One-value row shows no planned value.
    EXPECT_GT(CountInk(image, QRect(360, 106, 20, 15), Black), 3);
    EXPECT_EQ(CountInk(image, QRect(440, 104, 80, 20), Black), 0);
}

TEST(ReportTable, FrameClosesTheRowsAt293WithBothOptionalRowsAndAt251Without) {
    struct Case {
        std::string Address;
        std::string Company;
        int Bottom;
    };
    for (const Case& c : {Case{"ул. Ленина д. 5", "ЖЭУ-3", 293}, Case{"ул.   д. ", "", 251}}) {
        SCOPED_TRACE(c.Bottom);
        model::ProjectParameters p = House();
        p.Address = c.Address;
        p.ManagementCompany = c.Company;
        ResultPictures pictures;
        pictures.Recreate();
        ReportTable table;
        RenderResults(pictures, table, p, PaidBack(), ChartView{}, Comma);
        const QImage& image = pictures.ReportBitmap;
        EXPECT_EQ(table.RowTop, c.Bottom);
        EXPECT_EQ(PixelAt(image, 1, c.Bottom), Black);
        EXPECT_EQ(PixelAt(image, 520, c.Bottom), Black);
        EXPECT_EQ(PixelAt(image, 521, c.Bottom), White);
        EXPECT_EQ(PixelAt(image, 0, c.Bottom), White);
        EXPECT_EQ(CountPixels(image, QRect(1, c.Bottom, 520, 1), Black), 520);
        EXPECT_EQ(CountPixels(image, QRect(0, c.Bottom + 1, 550, 300 - c.Bottom - 1), Black), 0);
        // Side lines from the header down to the bottom line.
        EXPECT_EQ(CountPixels(image, QRect(1, 41, 1, c.Bottom - 41), Black), c.Bottom - 41);
        EXPECT_EQ(CountPixels(image, QRect(520, 41, 1, c.Bottom - 41), Black), c.Bottom - 41);
        // The first row after the header is the lighter one whichever rows are present.
        EXPECT_EQ(PixelAt(image, 3, 42), Lighter);
        EXPECT_EQ(PixelAt(image, 3, 63), Darker);
    }
}

TEST(ReportTable, OptionalRowsAppearOnlyForAnEnteredAddressAndANonEmptyCompany) {
    const model::SimulationResult r = PaidBack();
    model::ProjectParameters p = House();
    EXPECT_EQ(ReportRows(p, r, Comma).size(), 9u);
    EXPECT_EQ(ReportRows(p, r, Comma).front().Label, "Срок окупаемости, мес. /дней");

    for (const std::string blank : {"", "   ", " \t "}) {
        p.Address = blank;
        EXPECT_EQ(ReportRows(p, r, Comma).size(), 9u) << '"' << blank << '"';
    }
    p.Address = " ул. Ленина д. 5 ";
    std::vector<ReportRow> rows = ReportRows(p, r, Comma);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].Label, "Адрес дома");
    EXPECT_EQ(rows[0].Shape, RowShape::OneValue);
    EXPECT_EQ(rows[0].ExistingValue, " ул. Ленина д. 5 "); // drawn untrimmed

    p.Address = "ул.   д. ";
    p.ManagementCompany = "  ";
    rows = ReportRows(p, r, Comma);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].Label, "УК/ТСЖ/ЖЭУ");
    EXPECT_EQ(rows[0].ExistingValue, "  ");

    p.Address = "пр. Мира д. 1";
    p.ManagementCompany = "ТСЖ";
    EXPECT_EQ(Labels(ReportRows(p, r, Comma)).at(1), "УК/ТСЖ/ЖЭУ");
}

TEST(ReportTable, RowTextsUseTheirNumberPatterns) {
    model::ProjectParameters p = House();
    p.ExistingLampPrice = 10;
    p.PlannedLampPrice = 100;
    const std::vector<ReportRow> rows = ReportRows(p, PaidBack(), Comma);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0].ExistingValue, "12,3/ 369");
    EXPECT_EQ(rows[0].PlannedValue, "12,3/ 369");
    EXPECT_EQ(rows[1].ExistingValue, "12 300");
    EXPECT_EQ(rows[1].PlannedValue, "9 876");
    EXPECT_EQ(rows[2].Shape, RowShape::TwoLinesTwoValues);
    EXPECT_EQ(rows[2].Label, "Начальные затраты на установку светильников ");
    EXPECT_EQ(rows[2].SecondLine, "и блоков, руб.");
    EXPECT_EQ(rows[2].ExistingValue, "13 500");
    EXPECT_EQ(rows[3].ExistingValue, "100"); // 13500 over 135 flats
    EXPECT_EQ(rows[3].PlannedValue, "200");
    EXPECT_EQ(rows[4].ExistingValue, "05");
    EXPECT_EQ(rows[4].PlannedValue, "1 234");
    EXPECT_EQ(rows[5].ExistingValue, "00");
    EXPECT_EQ(rows[5].PlannedValue, "07");
    EXPECT_EQ(rows[6].ExistingValue, "3 690");
    EXPECT_EQ(rows[6].PlannedValue, "738");
    EXPECT_EQ(rows[7].ExistingValue, "70");
    EXPECT_EQ(rows[7].PlannedValue, "200");
    EXPECT_EQ(rows[8].ExistingValue, "7");
    EXPECT_EQ(rows[8].PlannedValue, "2");
    for (const ReportRow& row : rows) {
        if (row.Shape != RowShape::TwoLinesTwoValues) {
            EXPECT_TRUE(row.SecondLine.isEmpty()) << row.Label.toStdString();
        }
    }
}

TEST(ReportTable, WithoutPaybackThePaybackRowsSayNoneOrDash) {
    model::SimulationResult r = PaidBack();
    r.PaybackFound = false;
    r.PaybackDay = 0;
    r.PaybackCostExisting = r.PaybackCostPlanned = 0;
    r.PaybackReplacedExisting = r.PaybackReplacedPlanned = 0;
    const std::vector<ReportRow> rows = ReportRows(House(), r, Comma);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0].ExistingValue, "нет");
    EXPECT_EQ(rows[0].PlannedValue, "нет");
    for (const std::size_t i : {1u, 6u, 7u, 8u}) {
        EXPECT_EQ(rows[i].ExistingValue, "—") << i;
        EXPECT_EQ(rows[i].PlannedValue, "—") << i;
    }
    // Installation figures do not depend on payback.
    EXPECT_EQ(rows[2].ExistingValue, "13 500");
    EXPECT_EQ(rows[5].PlannedValue, "07");
}

TEST(ReportTable, RedrawingAfterAZoomGivesTheSameTable) {
    model::ProjectParameters p = House();
    p.ManagementCompany = "УК";
    ResultPictures pictures;
    pictures.Recreate();
    ReportTable table;
    RenderResults(pictures, table, p, PaidBack(), ChartView{}, Comma);
    const QImage first = pictures.ReportBitmap.copy();
    ChartView zoomed;
    zoomed.XScale = 4;
    zoomed.YScale = 0.625;
    RenderResults(pictures, table, p, PaidBack(), zoomed, Comma);
    EXPECT_EQ(pictures.ReportBitmap, first);
    EXPECT_EQ(table.RowTop, 42 + 21 + 8 * 21 + 41);
}

TEST(ReportTable, PaybackOnTheVeryFirstDayIsDayZeroInTheResultTheTableAndTheChart) {
    // One landing lamp on one floor in each scheme; the existing fitting costs more to install
    // and burns more a day, so the existing scheme is dearer from day 0 on.
    model::ProjectParameters p = test_support::StartUpHouse();
    p.EntranceCount = p.FloorCount = 1;
    p.FlatsPerFloor = 1;
    p.ExistingLampsLanding = p.PlannedLampsLanding = 1;
    p.ExistingLampsBetween = p.ExistingLampsVestibule = 0;
    p.PlannedLampsBetween = p.PlannedLampsVestibule = 0;
    p.PlannedBlocksLanding = p.PlannedBlocksBetween = p.PlannedBlocksVestibule = 0;
    p.ExistingHoursLanding = 13;
    p.PlannedHoursLanding = 1;
    p.ExistingFittingPrice = 20000;
    p.PlannedFittingPrice = 19000;
    model::SimulationResult r;
    model::ComputeDailyEnergy(p, r);
    model::RunSimulation(p, r, 1);
    ASSERT_GT(r.ExistingDays[0].CumulativeCost, r.PlannedDays[0].CumulativeCost);
    ASSERT_TRUE(r.PaybackFound);
    EXPECT_EQ(r.PaybackDay, 0);
    EXPECT_EQ(r.PaybackCostExisting, r.ExistingDays[0].CumulativeCost);

    const std::vector<ReportRow> rows = ReportRows(p, r, Comma);
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0].ExistingValue, "0,0/ 0");
    EXPECT_EQ(rows[0].PlannedValue, "0,0/ 0");
    EXPECT_EQ(rows[1].ExistingValue, "20 001");
    EXPECT_EQ(rows[6].ExistingValue, "00"); // no energy paid before the payback day
    EXPECT_EQ(rows[6].PlannedValue, "00");

    // The marker stands on the chart's vertical axis (x 10), not left of it.
    ResultPictures pictures;
    pictures.Recreate();
    ReportTable table;
    RenderResults(pictures, table, p, r, ChartView{}, Comma);
    const QColor payback(0, 0, 255);
    EXPECT_EQ(CountPixels(pictures.CostChartBitmap, QRect(0, 0, 10, 650), payback), 0);
    EXPECT_GT(CountPixels(pictures.CostChartBitmap, QRect(10, 450, 1, 101), payback), 20);

    // Any later first dearer day keeps the day before it: installed for 10 more, the planned
    // scheme is first overtaken on day 15 (16 days of 0,6624 saved), so payback is day 14.
    p.PlannedFittingPrice = 20010;
    model::ComputeDailyEnergy(p, r);
    model::RunSimulation(p, r, 1);
    ASSERT_TRUE(r.PaybackFound);
    EXPECT_EQ(r.PaybackDay, 14);
    EXPECT_EQ(ReportRows(p, r, Comma)[0].ExistingValue, "0,5/ 14");
}
