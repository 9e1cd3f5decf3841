// Prints the results page through the program's print path, or checks a rendering of the printed
// page. Used by real_print_test.sh.
//   print_probe print          prints coloured stand-ins for the three result pictures and a logo
//   print_probe check PICTURE  checks that the rendered page shows them where they belong

#include "CalculatedResults.h"
#include "ResultsOutput.h"

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <exception>

namespace {

const QRgb ReportColour = qRgb(0, 160, 0);
const QRgb MonthlyColour = qRgb(0, 0, 160);
const QRgb CostColour = qRgb(160, 0, 0);

int Print() {
    const test_support::CalculatedResults calculated;
    QImage logo(181, 33, QImage::Format_RGB32);
    logo.fill(Qt::black);
    try {
        PrintResults(calculated.Page(), logo);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "print failed: %s\n", error.what());
        return 1;
    }
    return 0;
}

bool Near(QRgb pixel, QRgb colour) {
    return qAbs(qRed(pixel) - qRed(colour)) < 40 && qAbs(qGreen(pixel) - qGreen(colour)) < 40 &&
           qAbs(qBlue(pixel) - qBlue(colour)) < 40;
}

struct Area {
    long long count = 0;
    double sumX = 0;
    double sumY = 0;
    double MeanX() const { return sumX / static_cast<double>(count); }
    double MeanY() const { return sumY / static_cast<double>(count); }
};

// The page shows the report (green) left of the cost chart (red) and above the monthly chart
// (blue), all in the upper part of the page, starting near its top-left corner.
int Check(const QString& fileName) {
    const QImage page = QImage(fileName).convertToFormat(QImage::Format_RGB32);
    if (page.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(fileName));
        return 1;
    }
    Area report, monthly, cost;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb pixel = page.pixel(x, y);
            for (auto [colour, area] :
                 {std::pair{ReportColour, &report}, std::pair{MonthlyColour, &monthly},
                  std::pair{CostColour, &cost}}) {
                if (Near(pixel, colour)) {
                    ++area->count;
                    area->sumX += x;
                    area->sumY += y;
                }
            }
        }
    }
    const long long minimum = static_cast<long long>(page.width()) * page.height() / 100;
    if (report.count < minimum || monthly.count < minimum || cost.count < minimum) {
        std::fprintf(stderr, "pieces missing: report %lld, monthly %lld, cost %lld pixels\n",
                     report.count, monthly.count, cost.count);
        return 1;
    }
    const bool placed = report.MeanX() < cost.MeanX() && report.MeanY() < monthly.MeanY() &&
                        cost.MeanY() < page.height() / 2.0 && report.MeanX() < page.width() / 2.0;
    if (!placed) {
        std::fprintf(stderr, "pieces misplaced\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 2 && arguments[1] == QStringLiteral("print")) {
        return Print();
    }
    if (arguments.size() == 3 && arguments[1] == QStringLiteral("check")) {
        return Check(arguments[2]);
    }
    std::fprintf(stderr, "usage: print_probe print | check PICTURE\n");
    return 2;
}
