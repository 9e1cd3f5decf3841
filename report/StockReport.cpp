#include "StockReport.h"

#include "Fonts.h"
#include "ResultFigures.h"
#include "StockCharts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
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
            Count(house.Line),
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

// One page of the ranking: its header, then the ranks from `first` on.
void DrawRankingPage(QPainter& painter, const QSizeF& page, const StockReportContent& content,
                     const std::vector<std::size_t>& ranking, std::size_t first,
                     std::size_t count) {
    const double width = page.width() - 2 * Margin;
    const auto cells = [&](double y, const auto& texts, const QFont& font) {
        painter.setFont(font);
        const QFontMetricsF metrics(font);
        double x = Margin;
        for (std::size_t c = 0; c < RankingColumns.size(); ++c) {
            const double w = RankingColumns[c].Width * width;
            const QRectF box(x + 2, y, w - 4, texts.height);
            QString text = texts.cells[c];
            if (!text.contains(QLatin1Char('\n'))) {
                text = metrics.elidedText(text, Qt::ElideRight, box.width());
            }
            painter.drawText(box, RankingColumns[c].Align | Qt::AlignVCenter, text);
            x += w;
        }
    };
    struct Texts {
        std::array<QString, RankingColumns.size()> cells;
        double height;
    };
    Texts header{{}, HeaderHeight};
    for (std::size_t c = 0; c < RankingColumns.size(); ++c) {
        header.cells[c] = QString::fromUtf8(RankingColumns[c].Title);
    }
    double y = Margin;
    cells(y, header, ReportFont(TextSize - 1, true));
    y += HeaderHeight;
    painter.drawLine(QPointF(Margin, y), QPointF(Margin + width, y));
    for (std::size_t i = first; i < first + count; ++i) {
        cells(y, Texts{RankingCells(i + 1, content.Houses[ranking[i]], content.Locale), RowHeight},
              ReportFont(TextSize - 1));
        y += RowHeight;
    }
}

// The plan's page: its title, the summary's lines wrapped to the page, the chart below them.
void DrawPlanPage(QPainter& painter, const QSizeF& page, const StockPlanPage& plan,
                  const model::NumberLocale& locale) {
    const double width = page.width() - 2 * Margin;
    double y = DrawPageTitle(painter, page, QStringLiteral("План"));
    const QFont font = ReportFont(TextSize + 1);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    constexpr int Flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    for (const QString& line : plan.Lines) {
        const double height = metrics.boundingRect(QRectF(0, 0, width, 1000), Flags, line).height();
        painter.drawText(QRectF(Margin, y, width, height), Flags, line);
        y += height + 2;
    }
    y += 10;
    const double bottom = page.height() - Margin - FooterHeight;
    if (bottom - y > 60) {
        DrawPlanChart(painter, QRectF(Margin, y, width, std::min(bottom - y, width * 0.7)),
                      plan.Chart, locale);
    }
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
    return 1 + static_cast<int>((content.Houses.size() + rows - 1) / rows) + (content.Plan ? 1 : 0);
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
    const int rankingPages = pages - (content.Plan ? 1 : 0);
    for (int number = 2; number <= rankingPages; ++number) {
        device.newPage();
        const std::size_t first = static_cast<std::size_t>(number - 2) * rows;
        DrawRankingPage(painter, page, content, ranking, first,
                        std::min(rows, ranking.size() - first));
        DrawFooter(painter, page, number, pages);
    }
    if (content.Plan) {
        device.newPage();
        DrawPlanPage(painter, page, *content.Plan, content.Locale);
        DrawFooter(painter, page, pages, pages);
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
