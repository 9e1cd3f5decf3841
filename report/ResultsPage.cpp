#include "ResultsPage.h"

#include "Canvas.h"
#include "CostChart.h"
#include "MonthlyChart.h"
#include "PageComposer.h"
#include "PictureFile.h"
#include "Printing.h"
#include "ReportTable.h"

#include <QRect>

#include <cmath>

namespace report {
namespace {

enum class Piece { Report, MonthlyChart, CostChart };

QSize SizeOf(Piece piece) {
    switch (piece) {
    case Piece::Report:
        return ReportSize;
    case Piece::MonthlyChart:
        return MonthlyChartSize;
    case Piece::CostChart:
        break;
    }
    return CostChartSize;
}

// Draws one picture with its top-left corner at `at` as its white image would show there.
void DrawPiece(QPainter& painter, Piece piece, QPoint at, const ResultsPage& page) {
    const QRect bounds(QPoint(0, 0), SizeOf(piece));
    painter.save();
    painter.translate(at);
    painter.setClipRect(bounds, Qt::IntersectClip);
    painter.fillRect(bounds, Qt::white);
    {
        Canvas canvas(painter);
        switch (piece) {
        case Piece::Report: {
            ReportTable table;
            DrawReport(table, canvas, page.Parameters, page.Result, page.Locale);
            break;
        }
        case Piece::MonthlyChart:
            DrawMonthlyBars(canvas, page.Result, page.Locale);
            break;
        case Piece::CostChart:
            DrawCostChart(canvas, page.Result, page.View.XScale, page.View.YScale, page.Locale);
            break;
        }
    }
    painter.restore();
}

} // namespace

void DrawWindowPictures(QPainter& painter, const ResultsPage& page) {
    DrawPiece(painter, Piece::Report, ReportWindowAt, page);
    DrawPiece(painter, Piece::MonthlyChart, MonthlyChartWindowAt, page);
    DrawPiece(painter, Piece::CostChart, CostChartWindowAt, page);
}

void DrawOutputPage(QPainter& painter, const ResultsPage& page, const QImage& logo) {
    const QRect output(0, 0, OutputWidth, OutputHeight);
    painter.save();
    painter.setClipRect(output, Qt::IntersectClip);
    painter.fillRect(output, Qt::white);
    DrawPiece(painter, Piece::MonthlyChart, OutputPosition(MonthlyChartPageAt, MonthlyChartSize),
              page);
    DrawPiece(painter, Piece::Report, OutputPosition(ReportPageAt, ReportSize), page);
    DrawPiece(painter, Piece::CostChart, OutputPosition(CostChartPageAt, CostChartSize), page);
    if (!logo.isNull()) {
        // At its device-independent size: a logo of four times the pixels stays sharp on paper.
        const QSize size = logo.deviceIndependentSize().toSize();
        painter.drawImage(QRect(OutputPosition(LogoPageAt, size), size), logo);
    }
    painter.restore();
}

QString DocumentTitle(const QString& programName, const ResultsPage& page) {
    const QString address = QString::fromStdString(page.Parameters.Address).simplified();
    if (address.isEmpty() || address == DefaultAddress.simplified()) {
        return programName;
    }
    return programName + QStringLiteral(" — ") + address;
}

QByteArray EncodeResultsPdf(const ResultsPage& page, const QImage& logo, const QString& title) {
    return EncodePdf(
        QSize(OutputWidth, OutputHeight),
        [&](QPainter& painter) { DrawOutputPage(painter, page, logo); }, title);
}

void PrintResultsPage(QPaintDevice& device, const ResultsPage& page, const QImage& logo) {
    PrintDrawing(device, QSize(OutputWidth, OutputHeight),
                 [&](QPainter& painter) { DrawOutputPage(painter, page, logo); });
}

void ScreenPictures::Paint(QPainter& painter, const ResultsPage& page, QSize area) {
    const qreal ratio = painter.device()->devicePixelRatio();
    if (ratio == 1) {
        painter.drawImage(ReportWindowAt, page.Pictures.ReportBitmap);
        painter.drawImage(MonthlyChartWindowAt, page.Pictures.MonthlyChartBitmap);
        painter.drawImage(CostChartWindowAt, page.Pictures.CostChartBitmap);
        return;
    }
    // Every painting of a picture gives it a new cache key: a zoom or a new calculation redraws.
    const std::array<qint64, 3> pictures = {page.Pictures.ReportBitmap.cacheKey(),
                                            page.Pictures.MonthlyChartBitmap.cacheKey(),
                                            page.Pictures.CostChartBitmap.cacheKey()};
    const QSize pixels(static_cast<int>(std::ceil(area.width() * ratio)),
                       static_cast<int>(std::ceil(area.height() * ratio)));
    if (drawn_.devicePixelRatio() != ratio || drawn_.size() != pixels || drawnFrom_ != pictures) {
        drawn_ = QImage(pixels, QImage::Format_RGB32);
        drawn_.setDevicePixelRatio(ratio);
        drawn_.fill(Qt::white);
        QPainter onPicture(&drawn_);
        DrawWindowPictures(onPicture, page);
        drawnFrom_ = pictures;
    }
    painter.drawImage(QPoint(0, 0), drawn_);
}

} // namespace report
