// Prints the results page through the program's print path, or checks a rendering of the printed
// page. Used by real_print_test.sh.
//   print_probe print              prints the results of the start-up calculation (fixed seed)
//   print_probe check PICTURE DPI  checks that the page rendered at DPI shows them where they
//                                  belong, in the layout of the saved picture

#include "CalculatedResults.h"
#include "LayoutComparison.h"
#include "PageComposer.h"
#include "Printing.h"
#include "ResultsOutput.h"

#include <QApplication>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <exception>

namespace {

const QRgb ReportColour = qRgb(0, 160, 0);
const QRgb MonthlyColour = qRgb(0, 0, 160);
const QRgb CostColour = qRgb(160, 0, 0);

QImage Logo() {
    QImage logo(181, 33, QImage::Format_RGB32);
    logo.fill(Qt::black);
    return logo;
}

int Print() {
    const test_support::CalculatedResults calculated;
    try {
        PrintResults(calculated.Page(), Logo());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "print failed: %s\n", error.what());
        return 1;
    }
    return 0;
}

// The page rendered at `dpi` shows the results where the print path puts them on the default
// printer's page, in the layout of the saved picture.
int Check(const QString& fileName, double dpi) {
    const QImage page = QImage(fileName).convertToFormat(QImage::Format_RGB32);
    if (page.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(fileName));
        return 1;
    }
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    const QSize printed = report::PrintedSize(QSize(printer.width(), printer.height()),
                                              QSize(report::OutputWidth, report::OutputHeight));
    const QPointF origin = printer.pageLayout().paintRect(QPageLayout::Point).topLeft() * dpi / 72;
    const QRectF area(origin, QSizeF(printed) * dpi / printer.resolution());
    const QImage shown = page.copy(area.toRect())
                             .scaled(report::OutputWidth, report::OutputHeight,
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const test_support::CalculatedResults calculated;
    const QString difference = test_support::LayoutDifferenceOf(
        report::ComposeOutputPicture(calculated.Pictures, Logo()), shown);
    if (!difference.isEmpty()) {
        std::fprintf(stderr, "the printed page differs from the saved picture: %s\n",
                     qPrintable(difference));
        shown.save(fileName + QStringLiteral(".shown.png"));
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
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("check")) {
        return Check(arguments[2], arguments[3].toDouble());
    }
    std::fprintf(stderr, "usage: print_probe print | check PICTURE DPI\n");
    return 2;
}
