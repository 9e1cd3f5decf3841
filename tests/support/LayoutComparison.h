#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <algorithm>
#include <array>
#include <vector>

namespace test_support {

// The kinds of ink the result pictures use. White paper and the table's pale row shades are none.
enum class Ink { Dark, Red, Green, Blue, Grey };
inline constexpr int InkKinds = 5;
inline const char* const InkNames[InkKinds] = {"dark", "red", "green", "blue", "grey"};

// Whether the pixel is clearly ink of that kind; `loosely` also takes the paler edges that
// smoothing leaves.
inline bool IsInk(QRgb pixel, Ink ink, bool loosely) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int lightness = (r + g + b) / 3;
    const bool neutral = high - low < (loosely ? 80 : 40);
    switch (ink) {
    case Ink::Dark:
        return neutral && lightness < (loosely ? 200 : 100);
    case Ink::Red:
        return r - std::max(g, b) > (loosely ? 60 : 150);
    case Ink::Green:
        return g - std::max(r, b) > (loosely ? 60 : 110);
    case Ink::Blue:
        return b - std::max(r, g) > (loosely ? 60 : 150);
    case Ink::Grey:
        // Smoothing greys the edges of dark ink too.
        return neutral && (loosely ? lightness < 238 : lightness > 180 && lightness < 215);
    }
    return false;
}

struct LayoutDifference {
    int Count = 0;        // unmatched ink pixels in the worst cell
    QPoint Cell;          // that cell's top-left corner
    Ink Kind = Ink::Dark; // of which ink
    bool InFirst = true;  // ink of the first picture missing from the second, or the reverse
};

// Ink of `from` with no ink of the same kind in `to` within `reach` pixels, counted per cell of
// `cell` x `cell` pixels: the worst cell.
inline LayoutDifference WorstUnmatchedCell(const QImage& from, const QImage& to, int reach,
                                           int cell) {
    const int width = std::min(from.width(), to.width());
    const int height = std::min(from.height(), to.height());
    LayoutDifference worst;
    for (int kind = 0; kind < InkKinds; ++kind) {
        const Ink ink = static_cast<Ink>(kind);
        // Where `to` has ink near: the loose ink spread by `reach` in both directions.
        std::vector<char> near(static_cast<std::size_t>(width) * height, 0);
        std::vector<char> rows(near.size(), 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (IsInk(to.pixel(x, y), ink, true)) {
                    for (int dx = std::max(0, x - reach); dx <= std::min(width - 1, x + reach);
                         ++dx) {
                        rows[static_cast<std::size_t>(y) * width + dx] = 1;
                    }
                }
            }
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (rows[static_cast<std::size_t>(y) * width + x]) {
                    for (int dy = std::max(0, y - reach); dy <= std::min(height - 1, y + reach);
                         ++dy) {
                        near[static_cast<std::size_t>(dy) * width + x] = 1;
                    }
                }
            }
        }
        const int columns = (width + cell - 1) / cell;
        std::vector<int> counts(static_cast<std::size_t>(columns) * ((height + cell - 1) / cell));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (IsInk(from.pixel(x, y), ink, false) &&
                    !near[static_cast<std::size_t>(y) * width + x]) {
                    const auto at = static_cast<std::size_t>(y / cell) * columns + x / cell;
                    if (++counts[at] > worst.Count) {
                        worst = {counts[at], QPoint(x / cell * cell, y / cell * cell), ink, true};
                    }
                }
            }
        }
    }
    return worst;
}

// Whether two pictures of one layout agree: every bar, line and caption of each lies within
// `reach` pixels of the same ink in the other, but for at most `tolerated` pixels of a cell.
// Empty when they agree, else where they differ most.
inline QString LayoutDifferenceOf(const QImage& first, const QImage& second, int reach = 2,
                                  int tolerated = 10, int cell = 16) {
    const QImage a = first.convertToFormat(QImage::Format_RGB32);
    const QImage b = second.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size()) {
        return QStringLiteral("sizes differ");
    }
    LayoutDifference worst = WorstUnmatchedCell(a, b, reach, cell);
    LayoutDifference reverse = WorstUnmatchedCell(b, a, reach, cell);
    reverse.InFirst = false;
    if (reverse.Count > worst.Count) {
        worst = reverse;
    }
    if (worst.Count <= tolerated) {
        return {};
    }
    return QStringLiteral("%1 %2 pixels of the %3 picture unmatched in the cell at (%4, %5)")
        .arg(worst.Count)
        .arg(InkNames[static_cast<int>(worst.Kind)])
        .arg(worst.InFirst ? QStringLiteral("first") : QStringLiteral("second"))
        .arg(worst.Cell.x())
        .arg(worst.Cell.y());
}

} // namespace test_support
