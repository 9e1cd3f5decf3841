#pragma once

#include "NumberFormat.h"
#include "PlanChart.h"
#include "StockFigures.h"

#include <QByteArray>
#include <QPagedPaintDevice>
#include <QString>
#include <QStringList>

#include <array>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace report {

// A line of the plan's list of houses: a year's heading (its text in the first cell), a house
// (line, address, management company, spend, value) or a subtotal of a company or a year (its
// caption in the second cell, spend and value in the last two).
struct PlanListLine {
    enum class Kind { Year, House, Subtotal };
    Kind What = Kind::House;
    std::array<QString, 5> Cells;
};

// The capital plan's part of the report: its summary as shown beside the plan (the objective, the
// houses it was given, each year's houses, spend, budget and money left, the plan's value beside
// the ranking plan's and how it was proven), the rules it was made by, its chart, then every
// chosen house year by year with the subtotals.
struct StockPlanPage {
    QStringList Lines;
    QStringList Rules;
    PlanChartData Chart;
    QString ValueHeading; // of the list's value column: "Ценность, руб."
    std::vector<PlanListLine> List;
};

// What a housing stock's report shows: where the houses come from, the calculation's seed, the
// totals, both charts, the ranking of every calculated house and, when one is made, the plan.
struct StockReportContent {
    QString FileName; // as shown: the file's name without its folder
    QString Date;     // as shown
    std::uint32_t Seed = 0;
    StockTotals Totals;
    std::vector<StockHouse> Houses; // calculated, in input order
    model::NumberLocale Locale;
    std::optional<StockPlanPage> Plan; // its page comes last
};

// The totals as captions and values, as the window and the report show them.
std::vector<std::pair<QString, QString>> TotalsLines(const StockTotals& totals,
                                                     const model::NumberLocale& locale);

// The ranking's rows a page holds on a page of `pageHeight` points.
int RankingRowsPerPage(double pageHeight);

// The pages the report takes: the summary with the totals and the charts, then the ranking, then
// when there is a plan its page and the pages of its list, as many rows a page as the ranking's.
int StockReportPageCount(const StockReportContent& content, double pageHeight);

// Paints every page of the report onto a device (a printer, a PDF writer), A4 or whatever page the
// device has, its header repeated on every page of the ranking and "стр. N из M" at the foot of
// each. Raises std::runtime_error when the device cannot be painted on.
void PaintStockReport(QPagedPaintDevice& device, const StockReportContent& content);

// The report as a PDF document of A4 pages: vector drawing and text with its fonts embedded.
QByteArray StockReportPdf(const StockReportContent& content);

} // namespace report
