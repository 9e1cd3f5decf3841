// The main window's side of the housing stock: opening a register file and a house of it.

#include "MainWindow.h"

#include "InputSheet.h"
#include "MessageBoxes.h"
#include "StockPlan.h"
#include "StockWindow.h"
#include "ui_MainWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <thread>

namespace {

QString AskStockFile(QWidget* parent, const QString& previous) {
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Открыть жилой фонд"), previous,
        QStringLiteral("Таблицы домов (*.csv *.xlsx *.ods);;Все файлы (*)"));
}

// A file the stock may read: a regular file (a pipe would keep the reading waiting for ever).
void RefuseNoRegularFile(const QString& fileName) {
    const QFileInfo file(fileName);
    if (!file.exists()) {
        throw std::runtime_error(
            QStringLiteral("Файл %1 не найден").arg(QFileInfo(fileName).fileName()).toStdString());
    }
    if (!file.isFile()) {
        throw std::runtime_error(QStringLiteral("%1 — не обычный файл, таблица домов из него не "
                                                "читается")
                                     .arg(fileName)
                                     .toStdString());
    }
}

// The first records of a sheet, at most `most`. Throws sheet::SheetError.
std::vector<sheet::SheetRecord> FirstRecords(const QString& fileName, std::size_t most,
                                             const std::atomic<bool>& stop,
                                             sheet::ReadingProgress& progress) {
    const auto input =
        stock::OpenInput(fileName.toStdString(), sheet::Encoding::Detect, &stop, &progress);
    input->ReadHeader();
    std::vector<sheet::SheetRecord> records;
    input->ReadRecords(most, records);
    return records;
}

// The bar's steps: tenths of a per cent of the file.
constexpr int ProgressSteps = 1000;

// The first records read off the window's thread, which paints meanwhile a progress bar of the
// share of the file read, with "Остановить" from the start (a workbook's header may take the
// whole file to find); none when stopped. Throws what the reading throws.
std::optional<std::vector<sheet::SheetRecord>>
FirstRecordsWaiting(QWidget* parent, const QString& fileName, std::size_t most) {
    QProgressDialog progress(QStringLiteral("Чтение файла %1…").arg(QFileInfo(fileName).fileName()),
                             QStringLiteral("Остановить"), 0, ProgressSteps, parent);
    progress.setWindowTitle(QStringLiteral("Открытие файла"));
    progress.setAccessibleName(progress.windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    sheet::ReadingProgress bytesRead{0};
    const double fileSize = static_cast<double>(std::max<qint64>(QFileInfo(fileName).size(), 1));
    QTimer shown;
    QObject::connect(&shown, &QTimer::timeout, &progress, [&] {
        progress.setValue(static_cast<int>(
            std::min(1.0, static_cast<double>(bytesRead.load()) / fileSize) * ProgressSteps));
    });
    shown.start(100);
    std::atomic<bool> stop{false};
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        stop = true;
        progress.reject();
    });
    std::vector<sheet::SheetRecord> records;
    std::exception_ptr failure;
    std::thread reader([&] {
        try {
            records = FirstRecords(fileName, most, stop, bytesRead);
        } catch (...) {
            failure = std::current_exception();
        }
        // Dropped when the dialog is gone: it waits for this thread first.
        QMetaObject::invokeMethod(
            &progress, [&progress] { progress.accept(); }, Qt::QueuedConnection);
    });
    // Stopped however the dialog was left before the reading ended (the button, Escape).
    const bool stopped = progress.exec() != QDialog::Accepted;
    stop = true;
    reader.join();
    if (stopped) {
        return std::nullopt;
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return records;
}

} // namespace

void MainWindow::openStock() {
    const QString name = stockFileQuestion_ ? stockFileQuestion_(this, stockFileName_)
                                            : AskStockFile(this, stockFileName_);
    if (!name.isEmpty()) {
        OpenStock(name);
    }
}

StockWindow* MainWindow::OpenStock(const QString& fileName) {
    StockWindow* window = nullptr;
    RunGuarded(this, [&] {
        RefuseNoRegularFile(fileName);
        stockFileName_ = fileName;
        const std::uint32_t seed =
            seedSource_ ? seedSource_() : static_cast<std::uint32_t>(std::time(nullptr));
        window = new StockWindow(fileName, seed, locale_, this);
        // Closing the main window ends the program, and with it every stock's run.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->SetHouseOpener([this](const OpenedHouse& house, std::uint32_t houseSeed) {
            OpenStockHouse(house, houseSeed);
        });
        app::AttachPlanTab(*window, locale_);
        window->show();
    });
    return window;
}

void MainWindow::OpenFile(const QString& fileName) {
    RunGuarded(this, [&] {
        RefuseNoRegularFile(fileName);
        std::vector<sheet::SheetRecord> records;
        try {
            std::optional<std::vector<sheet::SheetRecord>> read =
                FirstRecordsWaiting(this, fileName, 2);
            if (!read) {
                return; // stopped
            }
            records = std::move(*read);
        } catch (const sheet::SheetError& e) {
            throw std::runtime_error(QFileInfo(fileName).fileName().toStdString() + ": " +
                                     e.what());
        }
        if (records.size() > 1 || (records.size() == 1 && records.front().Repeats > 1)) {
            OpenStock(fileName);
            return;
        }
        if (records.empty()) {
            throw std::runtime_error(QFileInfo(fileName).fileName().toStdString() +
                                     ": в файле нет домов, только строка заголовка");
        }
        const std::atomic<bool> never{false};
        if (const std::optional<OpenedHouse> house = ReadSheetRow(
                fileName.toStdString(), records.front().Line, records.front().Sheet, {}, never)) {
            houseFileName_ = fileName;
            showInputPage();
            fillPage(*house);
        }
    });
}

void MainWindow::OpenStockHouse(const OpenedHouse& house, std::uint32_t seed) {
    showInputPage();
    fillPage(house);
    if (house.FocusField) {
        // A problem of the register: the user sees the cell and mends it before calculating.
        raise();
        activateWindow();
        focusField(model::HouseFields()[*house.FocusField]);
        return;
    }
    stockSeed_ = seed;
    try {
        calculate();
    } catch (...) {
        stockSeed_.reset();
        throw;
    }
    stockSeed_.reset();
    raise();
    activateWindow();
}
