// virasvet-calc: the calculation of the input page for every house of a spreadsheet.

#include "AtomicFile.h"
#include "HouseBatch.h"
#include "HouseInput.h"
#include "HouseSheet.h"
#include "InputReading.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <sstream>
#include <thread>

namespace {

enum ExitStatus { AllCalculated = 0, SomeRejected = 1, UsageOrUnreadable = 2 };

constexpr std::string_view ProgramName = "virasvet-calc";

void Report(const std::string& message) {
    std::cerr << message << '\n';
}

// The page's messages have two sentences on two lines; a diagnostic keeps to one.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

model::NumberLocale OutputLocale(char delimiter) {
    return model::NumberLocale{delimiter == ';' ? "," : ".", ""};
}

std::string JoinRow(const std::vector<std::string>& cells, char delimiter) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            row.push_back(delimiter);
        }
        row += cli::CsvField(cells[i], delimiter);
    }
    row += "\r\n";
    return row;
}

std::string RangeText(const model::HouseField& field) {
    if (field.Check) {
        std::ostringstream text;
        if (field.Check->LowExclusive) {
            text << "больше " << field.Check->Low;
        } else {
            text << field.Check->Low << ".." << field.Check->High;
        }
        return text.str();
    }
    switch (field.Kind) {
    case model::FieldKind::Text:
        return "любой";
    case model::FieldKind::Flag:
        return "1 или 0";
    case model::FieldKind::Code:
        return "0..1";
    default:
        return "любое число";
    }
}

std::string ColumnsHelp() {
    std::string help =
        "\nСтолбцы исходной таблицы (имена без учёта регистра; любой столбец можно опустить —\n"
        "тогда, как и пустая ячейка числа, он берёт значение страницы ввода при запуске):\n";
    for (const model::HouseField& field : model::HouseFields()) {
        std::string defaultText = field.PlannedHours ? "оценка по движению жильцов, как на странице"
                                                     : "\"" + std::string(field.StartText) + "\"";
        help += "  " + std::string(field.Name) + " — " + std::string(field.Label) + "; " +
                std::string(field.Unit) + "; допустимо: " + RangeText(field) + "; по умолчанию " +
                defaultText + "\n";
    }
    help +=
        "\nКаждое значение берётся так, как его даёт строка: как если бы его ввели на странице\n"
        "ввода после «Пересчитать» и затем нажали «Вперед». Пересчёт окна округляет сроки службы\n"
        "ламп, цены и мощности до целых, а время горения существующих ламп — до сотых, поэтому\n"
        "строка с дробными значениями этих полей совпадает с окном, где их ввели после пересчёта.\n"
        "Количества (подъездов, этажей, ламп, блоков) проверяются как на странице ввода и\n"
        "усекаются до целого. Время горения планируемых ламп, не заданное в строке, берётся из\n"
        "оценки по движению жильцов, округлённой до сотых, как её показывает страница; в зоне без\n"
        "блоков — время горения существующих ламп этой зоны, округлённое до сотых. Зона с\n"
        "количеством планируемых ламп \"0\" остаётся без блоков, как на странице. Мощности\n"
        "берутся как заданы (стрелки страницы привязывают их к стандартным мощностям).\n"
        "Разделитель столбцов — ';' или ',' по строке заголовка; при ';' десятичный разделитель —\n"
        "запятая или точка, при ',' — только точка. Кодировка UTF-8, с меткой BOM или без.\n"
        "\nСтолбцы результата: File, Line (строка файла, где начинается запись дома), Address,\n"
        "PaybackFound (1 — окупается за 10 000 дней, 0 — нет), PaybackDay, PaybackMonths,\n"
        "PaybackCostExisting/Planned (затраты до окупаемости, руб.), InstallCostExisting/Planned\n"
        "(начальные затраты, руб.), InstallCostPerFlatExisting/Planned (на одну квартиру, руб.),\n"
        "FittingCountExisting/Planned (светильники, шт.), BlockCountExisting/Planned (блоки, "
        "шт.),\n"
        "DailyEnergyExisting/Planned (кВт·ч в сутки), MonthlyEnergyExisting/Planned (кВт·ч за 30\n"
        "дней), MonthlyEnergyCostExisting/Planned (руб. за 30 дней),\n"
        "PaybackReplacedExisting/Planned (ламп заменено до окупаемости, шт.), Seed. Числа\n"
        "округлены, как в отчёте программы, без разделителей разрядов; без окупаемости ячейки\n"
        "окупаемости пусты; у отклонённой строки пусты все ячейки результата.\n"
        "\nКаждый дом считается с одним и тем же начальным значением генератора (--seed), как\n"
        "окно посчитало бы его в ту же секунду, поэтому результат не зависит от --jobs.\n"
        "\nКод завершения: 0 — посчитаны все дома, 1 — часть строк отклонена (или в файле нет\n"
        "домов), 2 — ошибка в командной строке, файл не прочитать или результат не записать.\n";
    return help;
}

std::string TemplateText(char delimiter) {
    std::vector<std::string> names;
    std::vector<std::string> values;
    for (const model::HouseField& field : model::HouseFields()) {
        names.emplace_back(field.Name);
        std::string value(field.StartText);
        if (delimiter == ',' && field.Kind != model::FieldKind::Text) {
            std::replace(value.begin(), value.end(), ',', '.');
        }
        values.push_back(value);
    }
    return JoinRow(names, delimiter) + JoinRow(values, delimiter);
}

bool ReadWholeFile(const std::string& name, std::string& content, std::string& error) {
    if (name == "-") {
        // Read through stdio, which keeps a read error (std::cin's iterators take it for the end).
        std::vector<char> buffer(1 << 16);
        for (std::size_t count = 0;
             (count = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0;) {
            content.append(buffer.data(), count);
        }
        if (std::ferror(stdin)) {
            error = std::string("ошибка чтения стандартного ввода: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    std::error_code code;
    if (std::filesystem::is_directory(name, code)) {
        error = "это каталог, а не файл";
        return false;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        error = std::string("не удаётся открыть: ") + std::strerror(errno);
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) {
        error = "ошибка чтения";
        return false;
    }
    return true;
}

struct House {
    cli::HouseRowSource Source;
    std::optional<std::size_t> Calculation; // index into the houses calculated
};

// Reads the houses of one file. Returns false when the file cannot be used at all.
bool ReadHouses(const std::string& name, char& delimiter, std::vector<House>& houses,
                std::vector<model::ProjectParameters>& calculations, bool& rejected) {
    std::string content;
    std::string error;
    if (!ReadWholeFile(name, content, error)) {
        Report(name + ": " + error);
        return false;
    }
    cli::Sheet sheet;
    try {
        sheet = cli::ParseSheet(content);
    } catch (const cli::SheetError& e) {
        Report(name + ": " + e.what());
        return false;
    }
    if (delimiter == 0) {
        delimiter = sheet.Delimiter;
    }

    const std::span<const model::HouseField> fields = model::HouseFields();
    const cli::HeaderFields header = cli::MapHeader(sheet.Header);
    const std::vector<std::optional<std::size_t>>& fieldOfColumn = header.FieldOfColumn;
    const std::string headerWhere = name + ":" + std::to_string(sheet.HeaderLine) + ": ";
    for (const cli::HeaderProblem& problem : header.Problems) {
        if (problem.RepeatedField) {
            Report(headerWhere + std::string(fields[*problem.RepeatedField].Name) +
                   ": столбец повторяется");
        } else {
            Report(headerWhere + model::Shortened(sheet.Header[problem.Column]) +
                   ": неизвестный столбец (список столбцов: " + std::string(ProgramName) +
                   " --help)");
        }
    }
    const bool usable = header.Problems.empty();
    if (!usable) {
        return false;
    }
    if (sheet.Records.empty()) {
        Report(name + ": в файле нет домов, только строка заголовка");
        rejected = true;
        return true;
    }

    const std::vector<model::NumberLocale> locales = cli::NumberLocalesOf(sheet);
    const std::size_t addressField = 0;
    for (const cli::SheetRecord& record : sheet.Records) {
        const std::string where = name + ":" + std::to_string(record.Line) + ": ";
        std::vector<std::optional<std::string_view>> texts(fields.size());
        bool rowOk = true;
        for (std::size_t column = 0; column < record.Cells.size(); ++column) {
            if (column >= sheet.Header.size()) {
                // Empty cells past the last column, as a spreadsheet leaves after a deleted column.
                if (std::all_of(record.Cells.begin() + static_cast<std::ptrdiff_t>(column),
                                record.Cells.end(),
                                [](const auto& cell) { return cell.empty(); })) {
                    break;
                }
                Report(where + "ячеек в строке: " + std::to_string(record.Cells.size()) +
                       ", столбцов в заголовке: " + std::to_string(sheet.Header.size()) +
                       (sheet.Delimiter == ','
                            ? " (при разделителе ',' дробные числа пишутся с точкой)"
                            : ""));
                rowOk = false;
                break;
            }
            if (fieldOfColumn[column]) {
                texts[*fieldOfColumn[column]] = record.Cells[column];
            } else if (!record.Cells[column].empty()) {
                Report(where + "значение в столбце без имени");
                rowOk = false;
            }
        }
        House house;
        house.Source = {name, record.Line,
                        texts[addressField] ? std::string(*texts[addressField])
                                            : std::string(fields[addressField].StartText)};
        model::ProjectParameters p;
        const std::vector<model::HouseFieldError> errors = model::ReadHouse(texts, locales, p);
        for (const model::HouseFieldError& e : errors) {
            Report(where + std::string(e.Field->Name) + ": " + OneLine(e.Message));
        }
        if (rowOk && errors.empty()) {
            house.Calculation = calculations.size();
            calculations.push_back(std::move(p));
        } else {
            rejected = true;
        }
        houses.push_back(std::move(house));
    }
    return true;
}

// Shows done/total, houses a second and the time left on a terminal, once the run has taken more
// than a second; clears the line at the end.
class Progress {
public:
    explicit Progress(std::size_t total)
        : total_(total), shown_(false), start_(std::chrono::steady_clock::now()),
          terminal_(isatty(STDERR_FILENO) != 0) {}

    void Update(std::size_t done) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (!terminal_ || seconds < 1) {
            return;
        }
        const double rate = done / seconds;
        const double left = rate > 0 ? (total_ - done) / rate : 0;
        std::fprintf(stderr, "\r%zu/%zu домов, %.0f домов/с, осталось %.0f с\033[K", done, total_,
                     rate, left);
        std::fflush(stderr);
        shown_ = true;
    }

    ~Progress() {
        if (shown_) {
            std::fprintf(stderr, "\r\033[K");
            std::fflush(stderr);
        }
    }

private:
    std::size_t total_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    bool terminal_;
};

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
        std::cout << parser.helpText().toStdString() << ColumnsHelp();
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
        return WriteOutput(outputFile, TemplateText(delimiter == 0 ? ';' : delimiter))
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

    std::vector<cli::HouseFigures> figures;
    {
        std::atomic<std::size_t> done{0};
        Progress progress(calculations.size());
        auto pending = std::async(std::launch::async, [&] {
            return cli::CalculateHouses(calculations, seed, jobs, &done);
        });
        while (pending.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
            progress.Update(done.load());
        }
        figures = pending.get();
    }

    const model::NumberLocale locale = OutputLocale(delimiter);
    std::string text = JoinRow(cli::ResultColumns(), delimiter);
    for (const House& house : houses) {
        std::optional<cli::HouseFigures> houseFigures;
        if (house.Calculation) {
            houseFigures = figures[*house.Calculation];
        }
        text += JoinRow(cli::ResultCells(house.Source, houseFigures, seed, locale), delimiter);
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
    }
}
