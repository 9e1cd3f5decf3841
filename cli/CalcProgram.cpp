// virasvet-calc: the calculation of the input page for every house of a spreadsheet.

#include "AtomicFile.h"
#include "HelpText.h"
#include "HouseBatch.h"
#include "HouseRows.h"
#include "InputFile.h"
#include "Progress.h"
#include "ResultSheet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>
#include <iostream>
#include <optional>
#include <thread>

namespace {

enum ExitStatus { AllCalculated = 0, SomeRejected = 1, UsageOrUnreadable = 2 };

constexpr std::string_view ProgramName = "virasvet-calc";

void Report(const std::string& message) {
    std::cerr << message << '\n';
}

struct House {
    sheet::HouseRowSource Source;
    std::optional<std::size_t> Calculation; // index into the houses calculated
};

// Reads the houses of one file. Returns false when the file cannot be used at all.
bool ReadHouses(const std::string& name, char& delimiter, std::vector<House>& houses,
                std::vector<model::ProjectParameters>& calculations, bool& rejected) {
    std::string content;
    std::string error;
    if (!cli::ReadWholeFile(name, content, error)) {
        Report(name + ": " + error);
        return false;
    }
    sheet::SheetHouses sheetHouses;
    try {
        sheetHouses = sheet::ReadSheetHouses(content, name);
    } catch (const sheet::SheetError& e) {
        Report(name + ": " + e.what());
        return false;
    }
    if (delimiter == 0) {
        delimiter = sheetHouses.Delimiter;
    }
    for (const std::string& message : sheetHouses.HeaderMessages) {
        Report(message);
    }
    if (!sheetHouses.Usable) {
        return false;
    }
    if (sheetHouses.Rows.empty()) {
        Report(name + ": в файле нет домов, только строка заголовка");
        rejected = true;
        return true;
    }
    for (sheet::HouseRow& row : sheetHouses.Rows) {
        for (const std::string& message : row.Messages) {
            Report(message);
        }
        House house;
        house.Source = {name, row.Line, std::move(row.Address)};
        if (row.House) {
            house.Calculation = calculations.size();
            calculations.push_back(std::move(*row.House));
        } else {
            rejected = true;
        }
        houses.push_back(std::move(house));
    }
    return true;
}

bool WriteOutput(const QString& fileName, const std::string& text) {
    if (fileName.isEmpty()) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        if (!std::cout) {
            Report("не удаётся записать результат в стандартный вывод");
            return false;
        }
        return true;
    }
    // The window's writer: the whole text or nothing, and no device or pipe replaced by a file.
    try {
        report::WriteFileAtomically(fileName,
                                    QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    } catch (const std::runtime_error& e) {
        Report(e.what());
        return false;
    }
    return true;
}

bool ParseUnsigned(const QString& text, std::uint64_t highest, std::uint64_t& value) {
    bool ok = false;
    value = text.trimmed().toULongLong(&ok);
    return ok && value <= highest;
}

} // namespace

static int Run(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // Qt's own texts of the help and the usage errors ("Usage", "Options") in Russian.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    QCoreApplication::setApplicationName(QString::fromUtf8(ProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VIRASVET_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Расчёт освещения мест общего пользования для каждого дома таблицы CSV: одна строка "
        "результатов на дом, те же цифры, что показывает окно программы."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Эта справка со списком столбцов."));
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Версия программы."));
    const QCommandLineOption outputOption(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral(
            "Записать результат в файл (целиком или никак, как сохраняет окно; устройство "
            "или канал не заменяется) вместо стандартного вывода."),
        QStringLiteral("файл"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("Начальное значение генератора, 0..4294967295; по умолчанию — текущее "
                       "время в секундах, как в окне."),
        QStringLiteral("N"));
    const QCommandLineOption jobsOption(
        QStringLiteral("jobs"),
        QStringLiteral("Сколько домов считать одновременно; по умолчанию — по числу ядер."),
        QStringLiteral("N"));
    const QCommandLineOption delimiterOption(
        QStringLiteral("delimiter"),
        QStringLiteral("Разделитель столбцов результата: ';' (десятичная запятая) или ',' "
                       "(десятичная точка); по умолчанию — как в первом исходном файле."),
        QStringLiteral("знак"));
    const QCommandLineOption templateOption(
        QStringLiteral("template"),
        QStringLiteral("Вывести заголовок со всеми столбцами и строку значений при запуске."));
    parser.addOptions({helpOption, versionOption, outputOption, seedOption, jobsOption,
                       delimiterOption, templateOption});
    parser.addPositionalArgument(QStringLiteral("файлы"),
                                 QStringLiteral("Таблицы домов CSV; '-' — стандартный ввод."),
                                 QStringLiteral("файл..."));

    const auto usageError = [](const QString& message) {
        Report(std::string(ProgramName) + ": " + message.toStdString() + " (см. " +
               std::string(ProgramName) + " --help)");
        return UsageOrUnreadable;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(helpOption)) {
        std::cout << parser.helpText().toStdString() << cli::ColumnsHelp();
        return AllCalculated;
    }
    if (parser.isSet(versionOption)) {
        std::cout << ProgramName << " " << VIRASVET_VERSION << "\n";
        return AllCalculated;
    }

    char delimiter = 0;
    if (parser.isSet(delimiterOption)) {
        const QString text = parser.value(delimiterOption);
        if (text == QLatin1String(";")) {
            delimiter = ';';
        } else if (text == QLatin1String(",")) {
            delimiter = ',';
        } else {
            return usageError(QStringLiteral("разделитель может быть только ';' или ','"));
        }
    }
    std::uint32_t seed = static_cast<std::uint32_t>(std::time(nullptr));
    if (parser.isSet(seedOption)) {
        std::uint64_t value = 0;
        if (!ParseUnsigned(parser.value(seedOption), 0xFFFFFFFFu, value)) {
            return usageError(QStringLiteral("--seed: нужно целое число от 0 до 4294967295"));
        }
        seed = static_cast<std::uint32_t>(value);
    }
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    if (parser.isSet(jobsOption)) {
        std::uint64_t value = 0;
        if (!ParseUnsigned(parser.value(jobsOption), 1024, value) || value == 0) {
            return usageError(QStringLiteral("--jobs: нужно целое число от 1 до 1024"));
        }
        jobs = static_cast<unsigned>(value);
    }
    const QString outputFile = parser.value(outputOption);

    if (parser.isSet(templateOption)) {
        if (!parser.positionalArguments().isEmpty()) {
            return usageError(QStringLiteral("--template не читает файлов"));
        }
        return WriteOutput(outputFile, sheet::TemplateSheet(delimiter == 0 ? ';' : delimiter))
                   ? AllCalculated
                   : UsageOrUnreadable;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        return usageError(QStringLiteral("не указан ни один файл"));
    }
    // Standard input can be read only once.
    if (files.count(QStringLiteral("-")) > 1) {
        return usageError(QStringLiteral("'-' (стандартный ввод) можно указать только один раз"));
    }

    std::vector<House> houses;
    std::vector<model::ProjectParameters> calculations;
    bool rejected = false;
    bool readable = true;
    for (const QString& file : files) {
        readable =
            ReadHouses(file.toStdString(), delimiter, houses, calculations, rejected) && readable;
    }
    if (!readable) {
        return UsageOrUnreadable;
    }

    std::vector<model::HouseFigures> figures;
    {
        std::atomic<std::size_t> done{0};
        cli::Progress progress(calculations.size());
        auto pending = std::async(std::launch::async, [&] {
            return cli::CalculateHouses(calculations, seed, jobs, &done);
        });
        while (pending.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
            progress.Update(done.load());
        }
        figures = pending.get();
    }

    const model::NumberLocale locale = sheet::CellLocale(delimiter);
    std::string text = sheet::CsvRow(sheet::ResultColumns(), delimiter);
    for (const House& house : houses) {
        std::optional<model::HouseFigures> houseFigures;
        if (house.Calculation) {
            houseFigures = figures[*house.Calculation];
        }
        text +=
            sheet::CsvRow(sheet::ResultCells(house.Source, houseFigures, seed, locale), delimiter);
    }
    if (!WriteOutput(outputFile, text)) {
        return UsageOrUnreadable;
    }
    return rejected ? SomeRejected : AllCalculated;
}

int main(int argc, char* argv[]) {
    // A failure the calculation did not foresee (memory exhausted, a thread not started) ends the
    // run with a message instead of an abort; no output file has been touched by then.
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        Report(std::string(ProgramName) + ": расчёт прерван: " + e.what());
        return UsageOrUnreadable;
    } catch (...) {
        Report(std::string(ProgramName) + ": расчёт прерван непредвиденной ошибкой");
        return UsageOrUnreadable;
    }
}
