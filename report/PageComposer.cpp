#include "PageComposer.h"

#include <QPoint>

#include <algorithm>
#include <cstring>
#include <vector>

namespace report {

namespace {

QImage As32Bit(const QImage& picture) {
    if (picture.depth() == 32) {
        return picture;
    }
    return picture.convertToFormat(QImage::Format_ARGB32);
}

// Copies `piece` onto `page` with its top-left corner at `at`, cut at the page's edges. A plain
// copy of the pixels, no blending.
void CopyClipped(QImage& page, const QImage& piece, QPoint at) {
    const QImage source =
        piece.format() == page.format() ? piece : piece.convertToFormat(page.format());
    const int left = std::max(0, at.x());
    const int top = std::max(0, at.y());
    const int right = std::min(page.width(), at.x() + source.width());
    const int bottom = std::min(page.height(), at.y() + source.height());
    if (left >= right || top >= bottom) {
        return;
    }
    const auto rowBytes = static_cast<std::size_t>(right - left) * sizeof(QRgb);
    for (int y = top; y < bottom; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y - at.y()));
        auto* to = reinterpret_cast<QRgb*>(page.scanLine(y));
        std::memcpy(to + left, from + (left - at.x()), rowBytes);
    }
}

} // namespace

QImage QuarterTurn(const QImage& picture, TurnDirection direction) {
    const QImage source = As32Bit(picture);
    const int width = source.width();
    const int height = source.height();
    QImage turned(height, width, source.format());
    if (turned.isNull() || source.isNull()) {
        return turned;
    }

    std::vector<const QRgb*> sourceRows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        sourceRows[static_cast<std::size_t>(y)] =
            reinterpret_cast<const QRgb*>(source.constScanLine(y));
    }

    // Row r of the turned picture is one column of the source, read top to bottom
    // (counter-clockwise: column W - 1 - r) or bottom to top (clockwise: column r).
    for (int row = 0; row < width; ++row) {
        auto* target = reinterpret_cast<QRgb*>(turned.scanLine(row));
        if (direction == TurnDirection::CounterClockwise) {
            const int column = width - 1 - row;
            for (int y = 0; y < height; ++y) {
                target[y] = sourceRows[static_cast<std::size_t>(y)][column];
            }
        } else {
            for (int y = 0; y < height; ++y) {
                target[height - 1 - y] = sourceRows[static_cast<std::size_t>(y)][row];
            }
        }
    }
    return turned;
}

QImage ComposePage(const ResultPictures& pictures, const QImage& logo) {
    QImage page(PageWidth, PageHeight, QImage::Format_RGB32);
    page.fill(Qt::white);
    // A logo made for print has more pixels than its place on the picture.
    const QImage placedLogo = logo.devicePixelRatio() == 1
                                  ? logo
                                  : logo.scaled(logo.deviceIndependentSize().toSize(),
                                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    struct Piece {
        const QImage& picture;
        QPoint at;
    };
    const Piece pieces[] = {
        {pictures.MonthlyChartBitmap, MonthlyChartPageAt},
        {pictures.ReportBitmap, ReportPageAt},
        {pictures.CostChartBitmap, CostChartPageAt},
        {placedLogo, LogoPageAt},
    };
    for (const Piece& piece : pieces) {
        if (!piece.picture.isNull()) {
            CopyClipped(page, QuarterTurn(piece.picture, TurnDirection::CounterClockwise),
                        piece.at);
        }
    }
    return page;
}

QImage ComposeOutputPicture(const ResultPictures& pictures, const QImage& logo) {
    return QuarterTurn(ComposePage(pictures, logo), TurnDirection::Clockwise);
}

} // namespace report
