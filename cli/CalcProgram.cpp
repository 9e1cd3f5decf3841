// virasvet-calc: the calculation of the input page for every house of a spreadsheet.

#include "AtomicFile.h"
#include "HelpText.h"
#include "HouseRun.h"
#include "ResultOutput.h"
#include "ResultSheet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
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
        cli::WriteStandardOutput(text);
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
    const QCommandLineOption encodingOption(
        QStringLiteral("encoding"),
        QStringLiteral("Кодировка исходных CSV: utf-8 или windows-1251; по умолчанию — UTF-8, "
                       "а файл, который не UTF-8, читается как Windows-1251."),
        QStringLiteral("кодировка"));
    const QCommandLineOption noBomOption(
        QStringLiteral("no-bom"),
        QStringLiteral("Не начинать результат CSV меткой порядка байтов UTF-8 (её ждёт Excel, "
                       "но не всякая программа в конвейере)."));
    const QCommandLineOption maxErrorsOption(
        QStringLiteral("max-errors"),
        QStringLiteral("Сколько сообщений об ошибках в строках показать (по умолчанию 100); об "
                       "остальных сообщается их число."),
        QStringLiteral("N"));
    const QCommandLineOption economicsOption(
        QStringLiteral("economics"),
        QStringLiteral("Добавить столбцы экономики (дисконтированный срок окупаемости, ЧПС, ВНД, "
                       "годовая экономия и выбросы) и без её столбцов во входном файле."));
    parser.addOptions({helpOption, versionOption, outputOption, seedOption, jobsOption,
                       delimiterOption, templateOption, encodingOption, noBomOption,
                       maxErrorsOption, economicsOption});
    parser.addPositionalArgument(
        QStringLiteral("файлы"),
        QStringLiteral("Таблицы домов CSV, книги .xlsx или таблицы .ods; '-' — стандартный ввод."),
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
        return Print(parser.helpText().toStdString() + cli::ColumnsHelp());
    }
    if (parser.isSet(versionOption)) {
        return Print(std::string(ProgramName) + " " + VIRASVET_VERSION + "\n");
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
    sheet::Encoding encoding = sheet::Encoding::Detect;
    if (parser.isSet(encodingOption)) {
        const QString name = parser.value(encodingOption).toLower().remove(QLatin1Char('-'));
        if (name == QLatin1String("utf8")) {
            encoding = sheet::Encoding::Utf8;
        } else if (name == QLatin1String("windows1251") || name == QLatin1String("cp1251")) {
            encoding = sheet::Encoding::Windows1251;
        } else {
            return usageError(
                QStringLiteral("--encoding: кодировка может быть только utf-8 или windows-1251"));
        }
    }
    std::size_t maxErrors = 100;
    if (parser.isSet(maxErrorsOption)) {
        std::uint64_t value = 0;
        if (!ParseUnsigned(parser.value(maxErrorsOption), 1'000'000'000, value)) {
            return usageError(QStringLiteral("--max-errors: нужно целое число от 0"));
        }
        maxErrors = static_cast<std::size_t>(value);
    }
    const bool byteOrderMark = !parser.isSet(noBomOption);
    const QString outputFile = parser.value(outputOption);

    if (parser.isSet(templateOption)) {
        if (!parser.positionalArguments().isEmpty()) {
            return usageError(QStringLiteral("--template не читает файлов"));
        }
        if (outputFile.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
            return usageError(QStringLiteral("--template пишет только CSV"));
        }
        const std::string text = std::string(byteOrderMark ? "\xEF\xBB\xBF" : "") +
                                 sheet::TemplateSheet(delimiter == 0 ? ';' : delimiter);
        if (outputFile.isEmpty()) {
            return Print(text);
        }
        // The window's writer: the whole text or nothing, and no device or pipe replaced.
        try {
            report::WriteFileAtomically(
                outputFile, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
        } catch (const std::runtime_error& e) {
            Report(e.what());
            return UsageOrUnreadable;
        }
        return AllCalculated;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        return usageError(QStringLiteral("не указан ни один файл"));
    }
    // Standard input can be read only once.
    if (files.count(QStringLiteral("-")) > 1) {
        return usageError(QStringLiteral("'-' (стандартный ввод) можно указать только один раз"));
    }

    cli::RunOptions options;
    for (const QString& file : files) {
        options.Files.push_back(file.toStdString());
    }
    options.OutputFile = outputFile;
    options.Seed = seed;
    options.Jobs = jobs;
    if (delimiter != 0) {
        options.Delimiter = delimiter;
    }
    options.InputEncoding = encoding;
    options.ByteOrderMark = byteOrderMark;
    options.MaxErrors = maxErrors;
    options.Economics = parser.isSet(economicsOption);
    return cli::RunHouses(options);
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
