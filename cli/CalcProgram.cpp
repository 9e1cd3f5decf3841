// virasvet-calc: the calculation of the input page for every house of a spreadsheet.

#include "Console.h"
#include "HelpText.h"
#include "HouseRun.h"
#include "PlanOptions.h"
#include "ResultOutput.h"
#include "ResultSheet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <clocale>
#include <ctime>
#include <iostream>
#include <thread>

namespace {

using cli::AllCalculated;
using cli::SomeRejected;
using cli::UsageOrUnreadable;

constexpr std::string_view ProgramName = "virasvet-calc";

void Report(const std::string& message) {
    std::cerr << message << '\n';
}

// Standard output, or the exit status of a failed write (a full disk, a closed pipe).
int Print(std::string_view text) {
    try {
        stock::WriteStandardOutput(text);
    } catch (const std::runtime_error& e) {
        Report(std::string(ProgramName) + ": " + e.what());
        return UsageOrUnreadable;
    }
    return AllCalculated;
}

bool ParseUnsigned(const QString& text, std::uint64_t highest, std::uint64_t& value) {
    bool ok = false;
    value = text.trimmed().toULongLong(&ok);
    return ok && value <= highest;
}

// A usage error: the program's arguments cannot be run.
struct UsageError {
    QString Message;
};

struct Options {
    QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Эта справка со списком столбцов.")};
    QCommandLineOption Version{QStringLiteral("version"), QStringLiteral("Версия программы.")};
    QCommandLineOption Output{
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Записать результат в файл (целиком или никак, как сохраняет окно; "
                       "устройство или канал не заменяется) вместо стандартного вывода."),
        QStringLiteral("файл")};
    QCommandLineOption Seed{
        QStringLiteral("seed"),
        QStringLiteral("Начальное значение генератора, 0..4294967295; по умолчанию — текущее "
                       "время в секундах, как в окне."),
        QStringLiteral("N")};
    QCommandLineOption Jobs{
        QStringLiteral("jobs"),
        QStringLiteral("Сколько домов считать одновременно; по умолчанию — по числу ядер."),
        QStringLiteral("N")};
    QCommandLineOption Delimiter{
        QStringLiteral("delimiter"),
        QStringLiteral("Разделитель столбцов результата: ';' (десятичная запятая) или ',' "
                       "(десятичная точка, а если числа исходного файла с ',' записаны с "
                       "запятой — запятая в кавычках); по умолчанию — как в первом исходном "
                       "файле."),
        QStringLiteral("знак")};
    QCommandLineOption Template{
        QStringLiteral("template"),
        QStringLiteral("Вывести заголовок со всеми столбцами и строку значений при запуске.")};
    QCommandLineOption Encoding{
        QStringLiteral("encoding"),
        QStringLiteral("Кодировка исходных CSV: utf-8 или windows-1251; по умолчанию — UTF-8, "
                       "а файл, который не UTF-8, читается как Windows-1251."),
        QStringLiteral("кодировка")};
    QCommandLineOption NoBom{
        QStringLiteral("no-bom"),
        QStringLiteral("Не начинать результат CSV меткой порядка байтов UTF-8 (её ждёт Excel, "
                       "но не всякая программа в конвейере).")};
    QCommandLineOption MaxErrors{
        QStringLiteral("max-errors"),
        QStringLiteral("Сколько сообщений об ошибках в строках показать (по умолчанию 100); об "
                       "остальных сообщается их число."),
        QStringLiteral("N")};
    QCommandLineOption Economics{
        QStringLiteral("economics"),
        QStringLiteral("Добавить столбцы экономики (дисконтированный срок окупаемости, ЧПС, ВНД, "
                       "годовая экономия и выбросы) и без её столбцов во входном файле.")};
    QCommandLineOption Problems{
        QStringLiteral("problems"),
        QStringLiteral("Записать проблемы строк в файл .csv, .xlsx или .ods: строка, адрес, "
                       "столбец, как он назван в файле, значение, как оно записано, сообщение и "
                       "отклонена ли строка или посчитана со значением по умолчанию."),
        QStringLiteral("файл")};
    QCommandLineOption Strict{
        QStringLiteral("strict"),
        QStringLiteral("Отклонять строки с пустыми ячейками вместо того, чтобы брать для них "
                       "значения при запуске или --set (пустое планируемое время горения — "
                       "по-прежнему оценка по движению жильцов).")};
    cli::PlanCommandOptions Plan;
};

void DeclareOptions(QCommandLineParser& parser, const Options& o) {
    parser.setApplicationDescription(QStringLiteral(
        "Расчёт освещения мест общего пользования для каждого дома таблицы CSV: одна строка "
        "результатов на дом, те же цифры, что показывает окно программы."));
    parser.addOptions({o.Help, o.Version, o.Output, o.Seed, o.Jobs, o.Delimiter, o.Template,
                       o.Encoding, o.NoBom, o.MaxErrors, o.Economics, o.Problems, o.Strict});
    parser.addOptions(o.Plan.All());
    parser.addPositionalArgument(
        QStringLiteral("файлы"),
        QStringLiteral("Таблицы домов CSV, книги .xlsx или таблицы .ods; '-' — стандартный ввод."),
        QStringLiteral("файл..."));
}

// An option's whole number up to `highest`, or `otherwise` when the option is not given.
std::uint64_t NumberOption(const QCommandLineParser& parser, const QCommandLineOption& option,
                           std::uint64_t lowest, std::uint64_t highest, std::uint64_t otherwise,
                           const QString& error) {
    if (!parser.isSet(option)) {
        return otherwise;
    }
    std::uint64_t value = 0;
    if (!ParseUnsigned(parser.value(option), highest, value) || value < lowest) {
        throw UsageError{error};
    }
    return value;
}

std::optional<char> DelimiterOption(const QCommandLineParser& parser, const Options& o) {
    if (!parser.isSet(o.Delimiter)) {
        return std::nullopt;
    }
    const QString text = parser.value(o.Delimiter);
    if (text != QLatin1String(";") && text != QLatin1String(",")) {
        throw UsageError{QStringLiteral("разделитель может быть только ';' или ','")};
    }
    return text.front().toLatin1();
}

sheet::Encoding EncodingOption(const QCommandLineParser& parser, const Options& o) {
    if (!parser.isSet(o.Encoding)) {
        return sheet::Encoding::Detect;
    }
    const QString name = parser.value(o.Encoding).toLower().remove(QLatin1Char('-'));
    if (name == QLatin1String("utf8")) {
        return sheet::Encoding::Utf8;
    }
    if (name == QLatin1String("windows1251") || name == QLatin1String("cp1251")) {
        return sheet::Encoding::Windows1251;
    }
    throw UsageError{
        QStringLiteral("--encoding: кодировка может быть только utf-8 или windows-1251")};
}

// The run the options ask for; the files are checked apart.
cli::RunOptions RunOptionsOf(const QCommandLineParser& parser, const Options& o) {
    cli::RunOptions options;
    options.Delimiter = DelimiterOption(parser, o);
    options.Seed = static_cast<std::uint32_t>(
        NumberOption(parser, o.Seed, 0, 0xFFFFFFFFu, static_cast<std::uint32_t>(std::time(nullptr)),
                     QStringLiteral("--seed: нужно целое число от 0 до 4294967295")));
    options.Jobs = static_cast<unsigned>(
        NumberOption(parser, o.Jobs, 1, 1024, std::max(1u, std::thread::hardware_concurrency()),
                     QStringLiteral("--jobs: нужно целое число от 1 до 1024")));
    options.InputEncoding = EncodingOption(parser, o);
    options.MaxErrors = static_cast<std::size_t>(
        NumberOption(parser, o.MaxErrors, 0, 1'000'000'000, 100,
                     QStringLiteral("--max-errors: нужно целое число от 0")));
    options.ByteOrderMark = !parser.isSet(o.NoBom);
    options.OutputFile = parser.value(o.Output);
    options.Economics = parser.isSet(o.Economics);
    options.Strict = parser.isSet(o.Strict);
    options.ProblemsFile = parser.value(o.Problems);
    if (const std::optional<QString> error = cli::ReadPlanOptions(parser, o.Plan, options)) {
        throw UsageError{*error};
    }
    return options;
}

// The header and the start-up values, to standard output or, as the window saves, to a file.
int WriteTemplate(const cli::RunOptions& options) {
    if (options.OutputFile.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        throw UsageError{QStringLiteral("--template пишет только CSV")};
    }
    const std::string text = std::string(options.ByteOrderMark ? "\xEF\xBB\xBF" : "") +
                             sheet::TemplateSheet(options.Delimiter.value_or(';'));
    if (options.OutputFile.isEmpty()) {
        return Print(text);
    }
    try {
        stock::WriteTextFile(options.OutputFile, text);
    } catch (const std::runtime_error& e) {
        Report(e.what());
        return UsageOrUnreadable;
    }
    return AllCalculated;
}

int RunParsed(const QCommandLineParser& parser, const Options& o) {
    if (parser.isSet(o.Help)) {
        return Print(
            cli::WrapText(parser.helpText().toStdString() + cli::ColumnsHelp(), cli::HelpWidth()));
    }
    if (parser.isSet(o.Version)) {
        return Print(std::string(ProgramName) + " " + VIRASVET_VERSION + "\n");
    }
    cli::RunOptions options = RunOptionsOf(parser, o);
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(o.Template)) {
        if (!files.isEmpty()) {
            throw UsageError{QStringLiteral("--template не читает файлов")};
        }
        return WriteTemplate(options);
    }
    if (files.isEmpty()) {
        throw UsageError{QStringLiteral("не указан ни один файл")};
    }
    // Standard input can be read only once.
    if (files.count(QStringLiteral("-")) > 1) {
        throw UsageError{QStringLiteral("'-' (стандартный ввод) можно указать только один раз")};
    }
    for (const QString& file : files) {
        options.Files.push_back(file.toStdString());
    }
    return cli::RunHouses(options);
}

int Run(int argc, char* argv[]) {
    cli::PrepareStandardStreams();
    QCoreApplication application(argc, argv);
    // Qt takes the user's locale for the C library too; numbers in files (the workbook writer's
    // among them) need the decimal point whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    // Qt's own texts of the help and the usage errors ("Usage", "Options") in Russian.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    QCoreApplication::setApplicationName(QString::fromUtf8(ProgramName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VIRASVET_VERSION));

    QCommandLineParser parser;
    const Options options;
    DeclareOptions(parser, options);
    try {
        if (!parser.parse(QCoreApplication::arguments())) {
            throw UsageError{parser.errorText()};
        }
        return RunParsed(parser, options);
    } catch (const UsageError& e) {
        Report(std::string(ProgramName) + ": " + e.Message.toStdString() + " (см. " +
               std::string(ProgramName) + " --help)");
        return UsageOrUnreadable;
    }
}

} // namespace

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
