#include "StockReport.h"

#include "Fonts.h"
#include "HouseInput.h"
#include "ResultFigures.h"
#include "StockCharts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <stdexcept>

namespace report {
namespace {

// Page geometry in points (1/72 inch).
constexpr double Margin = 40;
constexpr double TextSize = 9;
constexpr double RowHeight = 13;
constexpr double HeaderHeight = 26;
constexpr double FooterHeight = 20;

QFont ReportFont(double size, bool bold = false) {
    QFont font(SansFace);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(size)));
    font.setBold(bold);
    return font;
}

QString Shown(model::Figure figure, double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::ShownFigure(figure, value, locale));
}

QString Count(std::size_t count) {
    return QString::number(static_cast<unsigned long long>(count));
}

// A count of the totals, thousands apart ("9 991").
QString Grouped(std::size_t count, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(static_cast<double>(count), ",0", locale));
}

struct Column {
    const char* Title;
    double Width; // share of the page's width
    Qt::Alignment Align;
};

constexpr std::array<Column, 7> RankingColumns = {{
    {"№", 0.06, Qt::AlignRight},
    {"Строка", 0.08, Qt::AlignRight},
    {"Адрес", 0.32, Qt::AlignLeft},
    {"Стоимость\nустановки, руб.", 0.14, Qt::AlignRight},
    {"Окупаемость,\nмес.", 0.12, Qt::AlignRight},
    {"Экономия,\nкВт·ч в год", 0.14, Qt::AlignRight},
    {"Экономия,\nруб. в год", 0.14, Qt::AlignRight},
}};

std::array<QString, RankingColumns.size()> RankingCells(std::size_t rank, const StockHouse& house,
                                                        const model::NumberLocale& locale) {
    using model::Figure;
    return {Count(rank),
            QString::fromStdString(model::RowLine(house.Line, house.Sheet)),
            QString::fromStdString(house.Address),
            Shown(Figure::Cost, house.InstallCost, locale),
            house.PaybackMonths ? Shown(Figure::PaybackMonths, *house.PaybackMonths, locale)
                                : QStringLiteral("нет"),
            Shown(Figure::YearlyEnergy, house.EnergySaved, locale),
            Shown(Figure::Money, house.MoneySaved, locale)};
}

void DrawFooter(QPainter& painter, const QSizeF& page, int number, int pages) {
    painter.setFont(ReportFont(TextSize));
    painter.drawText(
        QRectF(Margin, page.height() - Margin, page.width() - 2 * Margin, FooterHeight),
        Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("стр. %1 из %2").arg(number).arg(pages));
}

// A page's title at its top; returns where the page's text goes on below it.
double DrawPageTitle(QPainter& painter, const QSizeF& page, const QString& title) {
    painter.setFont(ReportFont(16, true));
    painter.drawText(QRectF(Margin, Margin, page.width() - 2 * Margin, 24),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    return Margin + 30;
}

void DrawSummary(QPainter& painter, const QSizeF& page, const StockReportContent& content) {
    const double width = page.width() - 2 * Margin;
    double y = DrawPageTitle(painter, page,
                             QStringLiteral("Жилой фонд: освещение мест общего пользования"));
    painter.setFont(ReportFont(TextSize + 1));
    for (const QString& line :
         {QStringLiteral("Файл: ") + content.FileName, QStringLiteral("Дата: ") + content.Date,
          QStringLiteral("Зерно расчёта: %1").arg(content.Seed)}) {
        painter.drawText(QRectF(Margin, y, width, 15), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 15;
    }
    y += 8;
    painter.setFont(ReportFont(TextSize + 1));
    for (const auto& [caption, value] : TotalsLines(content.Totals, content.Locale)) {
        painter.drawText(QRectF(Margin, y, width * 0.6, 15), Qt::AlignLeft | Qt::AlignVCenter,
                         caption);
        painter.drawText(QRectF(Margin + width * 0.6, y, width * 0.4, 15),
                         Qt::AlignRight | Qt::AlignVCenter, value);
        y += 15;
    }
    y += 10;
    const double chartHeight = (page.height() - Margin - FooterHeight - y - 10) / 2;
    painter.setFont(ReportFont(TextSize + 1, true));
    painter.drawText(QRectF(Margin, y, width, 15), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Дома по сроку окупаемости"));
    DrawPaybackBars(painter, QRectF(Margin, y + 15, width, chartHeight - 15),
                    BarsOf(content.Houses), TextSize - 1, content.Locale);
    y += chartHeight + 10;
    painter.setFont(ReportFont(TextSize + 1, true));
    painter.drawText(QRectF(Margin, y, width, 15), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Кривая вложений: дома в порядке окупаемости"));
    DrawInvestmentCurve(painter, QRectF(Margin, y + 15, width, chartHeight - 15),
                        InvestmentCurveOf(content.Houses), TextSize - 1, content.Locale);
}

// A row of a table across the page: each column's text in its share of the width, cut short
// with "…" where it does not fit (a header's text of two lines is drawn as it is).
template <std::size_t N>
void DrawCells(QPainter& painter, double y, double height, const std::array<Column, N>& columns,
               const std::array<QString, N>& texts, const QFont& font, double width) {
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    double x = Margin;
    for (std::size_t c = 0; c < N; ++c) {
        const double w = columns[c].Width * width;
        const QRectF box(x + 2, y, w - 4, height);
        QString text = texts[c];
        if (!text.contains(QLatin1Char('\n'))) {
            text = metrics.elidedText(text, Qt::ElideRight, box.width());
        }
        painter.drawText(box, columns[c].Align | Qt::AlignVCenter, text);
        x += w;
    }
}

// A table's header at the top of a page and the line under it; returns where the rows begin.
template <std::size_t N>
double DrawTableHeader(QPainter& painter, const std::array<Column, N>& columns,
                       std::array<QString, N> titles, double width) {
    for (std::size_t c = 0; c < N; ++c) {
        if (titles[c].isEmpty()) {
            titles[c] = QString::fromUtf8(columns[c].Title);
        }
    }
    DrawCells(painter, Margin, HeaderHeight, columns, titles, ReportFont(TextSize - 1, true),
              width);
    const double y = Margin + HeaderHeight;
    painter.drawLine(QPointF(Margin, y), QPointF(Margin + width, y));
    return y;
}

// One page of the ranking: its header, then the ranks from `first` on.
void DrawRankingPage(QPainter& painter, const QSizeF& page, const StockReportContent& content,
                     const std::vector<std::size_t>& ranking, std::size_t first,
                     std::size_t count) {
    const double width = page.width() - 2 * Margin;
    double y = DrawTableHeader(painter, RankingColumns, {}, width);
    for (std::size_t i = first; i < first + count; ++i) {
        DrawCells(painter, y, RowHeight, RankingColumns,
                  RankingCells(i + 1, content.Houses[ranking[i]], content.Locale),
                  ReportFont(TextSize - 1), width);
        y += RowHeight;
    }
}

constexpr std::array<Column, 5> PlanListColumns = {{
    {"Строка", 0.08, Qt::AlignRight},
    {"Адрес", 0.36, Qt::AlignLeft},
    {"Управляющая\nкомпания", 0.24, Qt::AlignLeft},
    {"Расходы, руб.", 0.16, Qt::AlignRight},
    {"", 0.16, Qt::AlignRight},
}};

// One page of the plan's list: its header, then the lines from `first` on; a year's heading
// across the page, subtotals in bold.
void DrawPlanListPage(QPainter& painter, const QSizeF& page, const StockPlanPage& plan,
                      std::size_t first, std::size_t count) {
    const double width = page.width() - 2 * Margin;
    double y =
        DrawTableHeader(painter, PlanListColumns, {{{}, {}, {}, {}, plan.ValueHeading}}, width);
    for (std::size_t i = first; i < first + count; ++i) {
        const PlanListLine& line = plan.List[i];
        if (line.What == PlanListLine::Kind::Year) {
            painter.setFont(ReportFont(TextSize, true));
            painter.drawText(QRectF(Margin + 2, y, width - 4, RowHeight),
                             Qt::AlignLeft | Qt::AlignBottom, line.Cells[0]);
        } else {
            DrawCells(painter, y, RowHeight, PlanListColumns, line.Cells,
                      ReportFont(TextSize - 1, line.What == PlanListLine::Kind::Subtotal), width);
        }
        y += RowHeight;
    }
}

// Lines of text wrapped to the page's width from `y` on; returns where the next line goes.
double DrawLines(QPainter& painter, double y, double width, const QStringList& lines,
                 const QFont& font) {
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    constexpr int Flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const QString& line : lines) {
        const double height = metrics.boundingRect(QRectF(0, 0, width, 1000), Flags, line).height();
        painter.drawText(QRectF(Margin, y, width, height), Flags, line);
        y += height + 2;
    }
    return y;
}

// The plan's page: its title, the summary's lines wrapped to the page, the rules, the chart below
// them.
void DrawPlanPage(QPainter& painter, const QSizeF& page, const StockPlanPage& plan,
                  const model::NumberLocale& locale) {
    const double width = page.width() - 2 * Margin;
    double y = DrawPageTitle(painter, page, QStringLiteral("План"));
    y = DrawLines(painter, y, width, plan.Lines, ReportFont(TextSize + 1));
    if (!plan.Rules.isEmpty()) {
        y += 6;
        y = DrawLines(painter, y, width, {QStringLiteral("Правила плана")},
                      ReportFont(TextSize + 1, true));
        y = DrawLines(painter, y, width, plan.Rules, ReportFont(TextSize));
    }
    y += 10;
    const double bottom = page.height() - Margin - FooterHeight;
    if (bottom - y > 60) {
        DrawPlanChart(painter, QRectF(Margin, y, width, std::min(bottom - y, width * 0.7)),
                      plan.Chart, locale);
    }
}

std::size_t PagesFor(std::size_t rows, std::size_t rowsPerPage) {
    return (rows + rowsPerPage - 1) / rowsPerPage;
}

} // namespace

std::vector<std::pair<QString, QString>> TotalsLines(const StockTotals& totals,
                                                     const model::NumberLocale& locale) {
    using model::Figure;
    std::vector<std::pair<QString, QString>> lines = {
        {QStringLiteral("Посчитано домов"), Grouped(totals.Calculated, locale)},
        {QStringLiteral("Отклонено строк"), Grouped(totals.Rejected, locale)},
        {QStringLiteral("Стоимость установки, всего, руб."),
         Shown(Figure::Cost, totals.InstallCost, locale)},
        {QStringLiteral("Экономия энергии в год, кВт·ч"),
         Shown(Figure::YearlyEnergy, totals.EnergySaved, locale)},
        {QStringLiteral("Экономия в год, руб."), Shown(Figure::Money, totals.MoneySaved, locale)},
        {QStringLiteral("Сокращение выбросов CO₂ в год, т"),
         Shown(Figure::Emissions, totals.Emissions, locale)},
        {QStringLiteral("Чистая приведённая стоимость, всего, руб."),
         Shown(Figure::Money, totals.NetPresentValue, locale)},
    };
    const std::array<const char*, PaybackYears.size()> years = {"1 год", "2 года", "3 года",
                                                                "5 лет"};
    for (std::size_t i = 0; i < PaybackYears.size(); ++i) {
        lines.emplace_back(QStringLiteral("Окупаются за %1").arg(QString::fromUtf8(years[i])),
                           Grouped(totals.PaybackWithin[i], locale));
    }
    return lines;
}

int RankingRowsPerPage(double pageHeight) {
    return std::max(
        1, static_cast<int>((pageHeight - 2 * Margin - HeaderHeight - FooterHeight) / RowHeight));
}

int StockReportPageCount(const StockReportContent& content, double pageHeight) {
    const std::size_t rows = static_cast<std::size_t>(RankingRowsPerPage(pageHeight));
    const std::size_t plan = content.Plan ? 1 + PagesFor(content.Plan->List.size(), rows) : 0;
    return static_cast<int>(
        std::min<std::size_t>(1 + PagesFor(content.Houses.size(), rows) + plan, INT_MAX));
}

void PaintStockReport(QPagedPaintDevice& device, const StockReportContent& content) {
    QPainter painter;
    if (!painter.begin(&device)) {
        throw std::runtime_error("Не удаётся начать печать отчёта");
    }
    const QSizeF page = device.pageLayout().paintRect(QPageLayout::Point).size();
    painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
    const int pages = StockReportPageCount(content, page.height());
    DrawSummary(painter, page, content);
    DrawFooter(painter, page, 1, pages);
    const std::vector<std::size_t> ranking = PaybackRanking(content.Houses);
    const std::size_t rows = static_cast<std::size_t>(RankingRowsPerPage(page.height()));
    int number = 1;
    for (std::size_t first = 0; first < ranking.size(); first += rows) {
        device.newPage();
        DrawRankingPage(painter, page, content, ranking, first,
                        std::min(rows, ranking.size() - first));
        DrawFooter(painter, page, ++number, pages);
    }
    if (content.Plan) {
        device.newPage();
        DrawPlanPage(painter, page, *content.Plan, content.Locale);
        DrawFooter(painter, page, ++number, pages);
        const std::vector<PlanListLine>& list = content.Plan->List;
        for (std::size_t first = 0; first < list.size(); first += rows) {
            device.newPage();
            DrawPlanListPage(painter, page, *content.Plan, first,
                             std::min(rows, list.size() - first));
            DrawFooter(painter, page, ++number, pages);
        }
    }
    painter.end();
}

QByteArray StockReportPdf(const StockReportContent& content) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        writer.setTitle(QStringLiteral("Жилой фонд — ") + content.FileName);
        writer.setCreator(QStringLiteral("Вирасвет"));
        PaintStockReport(writer, content);
    }
    return bytes;
}

} // namespace report
