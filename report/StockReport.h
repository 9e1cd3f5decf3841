#pragma once

#include "NumberFormat.h"
#include "StockFigures.h"

#include <QByteArray>
#include <QPagedPaintDevice>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace report {

// What a housing stock's report shows: where the houses come from, the calculation's seed, the
// totals, both charts and the ranking of every calculated house.
struct StockReportContent {
    QString FileName; // as shown: the file's name without its folder
    QString Date;     // as shown
    std::uint32_t Seed = 0;
    StockTotals Totals;
    std::vector<StockHouse> Houses; // calculated, in input order
    model::NumberLocale Locale;
};

// The totals as captions and values, as the window and the report show them.
std::vector<std::pair<QString, QString>> TotalsLines(const StockTotals& totals,
                                                     const model::NumberLocale& locale);

// The ranking's rows a page holds on a page of `pageHeight` points.
int RankingRowsPerPage(double pageHeight);

// The pages the report takes: the summary with the totals and the charts, then the ranking.
int StockReportPageCount(const StockReportContent& content, double pageHeight);

// Paints every page of the report onto a device (a printer, a PDF writer), A4 or whatever page the
// device has, its header repeated on every page of the ranking and "стр. N из M" at the foot of
// each. Raises std::runtime_error when the device cannot be painted on.
void PaintStockReport(QPagedPaintDevice& device, const StockReportContent& content);

// The report as a PDF document of A4 pages: vector drawing and text with its fonts embedded.
QByteArray StockReportPdf(const StockReportContent& content);

} // namespace report
