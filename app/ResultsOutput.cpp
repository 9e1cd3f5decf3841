#include "ResultsOutput.h"

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

void SaveResults(QWidget* window, const report::ResultPictures& pictures, const QImage& logo,
                 QString& previousFileName) {
    SaveResults(window, pictures, logo, previousFileName, AskSaveFileName);
}

void SaveResults(QWidget* window, const report::ResultPictures& pictures, const QImage& logo,
                 QString& previousFileName, const SaveFileNameQuestion& askFileName) {
    const SaveChoice choice = askFileName(window, previousFileName);
    const QString& fileName = choice.FileName;
    if (fileName.isEmpty()) {
        return;
    }
    // The dialog offers this name next time even when the user declines to replace the file.
    previousFileName = fileName;

    const QFileInfo existing(fileName);
    if (existing.exists() && !existing.isDir() &&
        !MessageBoxes::Current().Confirm(window, QStringLiteral("Файл существует. Заменить?"))) {
        return;
    }

    const BusyCursor busy;
    report::WritePictureFile(fileName, report::ComposeOutputPicture(pictures, logo),
                             report::PictureFormatOf(fileName, choice.FilterFormat));
}

void PrintResults(const report::ResultPictures& pictures, const QImage& logo) {
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
    report::PrintPicture(printer, report::ComposeOutputPicture(pictures, logo));
    if (printer.printerState() == QPrinter::Error) {
        throw std::runtime_error(QStringLiteral("Ошибка печати на принтере %1")
                                     .arg(defaultPrinter.printerName())
                                     .toStdString());
    }
}
