#include "ResultsOutput.h"

#include "AtomicFile.h"
#include "MessageBoxes.h"
#include "PageComposer.h"
#include "PictureFile.h"
#include "Printing.h"
#include "SavePictureDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include <stdexcept>

namespace {

// The hourglass for as long as the object lives, however the scope is left.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void SaveResults(QWidget* window, const report::ResultsPage& page, const QImage& logo,
                 QString& previousFileName) {
    SaveResults(window, page, logo, previousFileName, AskSaveFileName);
}

void SaveResults(QWidget* window, const report::ResultsPage& page, const QImage& logo,
                 QString& previousFileName, const SaveFileNameQuestion& askFileName) {
    const SaveChoice choice = askFileName(window, previousFileName);
    const QString& fileName = choice.FileName;
    if (fileName.isEmpty()) {
        return;
    }
    // The dialog offers this name next time even when the user declines to replace the file.
    previousFileName = fileName;

    if (!MayReplace(window, fileName)) {
        return;
    }

    const BusyCursor busy;
    const report::PictureFormat format = report::PictureFormatOf(fileName, choice.FilterFormat);
    if (format == report::PictureFormat::Pdf) {
        report::WriteFileAtomically(
            fileName,
            report::EncodeResultsPdf(page, logo, report::DocumentTitle(ApplicationTitle, page)));
        return;
    }
    report::WritePictureFile(fileName, report::ComposeOutputPicture(page.Pictures, logo), format);
}

void PrintResults(const report::ResultsPage& page, const QImage& logo) {
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        throw std::runtime_error("Принтер по умолчанию не найден. Установите принтер в системе и "
                                 "повторите печать");
    }

    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    if (!printer.isValid()) {
        throw std::runtime_error(QStringLiteral("Принтер %1 недоступен")
                                     .arg(defaultPrinter.printerName())
                                     .toStdString());
    }
    printer.setDocName(ApplicationTitle);
    report::PrintResultsPage(printer, page, logo);
    if (printer.printerState() == QPrinter::Error) {
        throw std::runtime_error(QStringLiteral("Ошибка печати на принтере %1")
                                     .arg(defaultPrinter.printerName())
                                     .toStdString());
    }
}
