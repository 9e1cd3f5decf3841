#include "AboutDialog.h"
#include "Locale.h"
#include "MainWindow.h"
#include "MessageBoxes.h"
#include "ProcessSignals.h"
#include "SettingsDialog.h"
#include "Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        icon.addFile(QStringLiteral(":/resources/icons/virasvet-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

// What --help or --version asks the program to print instead of opening its window; nothing for
// any other start. Qt's own options (-platform, -reverse, ...) are single-dash words: they are
// read as whole words, so that -reverse does not count as -v, and left to the application.
std::optional<QString> CommandLineAnswer(int& argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Вирасвет — расчет затрат на освещение мест общего пользования жилых домов."));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
        QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию программы и выйти."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("файл"),
        QStringLiteral("Файл дома или реестр жилого фонда (.csv, .xlsx, .ods): файл с одним домом "
                       "открывается на странице ввода, с несколькими — в окне «Жилой фонд»."),
        QStringLiteral("[файл]"));
    parser.parse(arguments); // unknown options are not an error: they may be Qt's
    if (parser.isSet(help)) {
        // Made only here, without the window system, for the program's name in the usage line.
        QCoreApplication core(argc, argv);
        InstallQtTranslations(core); // "Usage", "Options"
        return parser.helpText();
    }
    if (parser.isSet(version)) {
        return QStringLiteral("virasvet %1\n").arg(QStringLiteral(VIRASVET_VERSION));
    }
    return std::nullopt;
}

// The files named on the command line: the words after the program's name that are not options.
QStringList FilesToOpen(const QStringList& arguments) {
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            files.append(arguments[i]);
        }
    }
    return files;
}

} // namespace

namespace {

// What a failure that no window can show says on the terminal.
void ReportFailure(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "virasvet: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "virasvet: непредвиденная ошибка\n");
    }
}

} // namespace

int main(int argc, char* argv[]) {
    stock::FailOversizeWrites();
    try {
        if (const std::optional<QString> answer = CommandLineAnswer(argc, argv)) {
            // A closed or full output is a failure, not a silent success.
            const bool written = std::fputs(answer->toLocal8Bit().constData(), stdout) >= 0;
            return written && std::fflush(stdout) == 0 ? 0 : 1;
        }
    } catch (...) {
        ReportFailure(std::current_exception());
        return 1;
    }
    try {
        QApplication application(argc, argv);
        // Qt takes the user's locale for the C library too; numbers in files (the workbook
        // writer's among them) need the decimal point whatever the desktop's language.
        std::setlocale(LC_NUMERIC, "C");
        Q_INIT_RESOURCE(mainwindow);
        InstallQtTranslations(application);
        try {
            // The application title captions the message boxes; it is not set as the display
            // name, which the window system would append to the main window's caption.
            QApplication::setApplicationName(ApplicationTitle);
            QApplication::setWindowIcon(ProgramIcon());
            // Ties the windows to the installed desktop entry (its name without ".desktop").
            QGuiApplication::setDesktopFileName(QStringLiteral("org.example.virasvet"));

            const model::NumberLocale locale = UserNumberLocale();
            auto mainWindow = std::make_unique<MainWindow>(locale);
            auto* about = new AboutDialog(mainWindow.get());
            auto* settings =
                new SettingsDialog(mainWindow->ProjectParameters(), locale, mainWindow.get());
            mainWindow->SetDialogs(about, settings);
            mainWindow->show();
            // A file given on the command line or by "Open with": one house or a register.
            const QStringList files = FilesToOpen(QApplication::arguments());
            for (const QString& file : files) {
                mainWindow->OpenFile(file);
            }
            return application.exec();
        } catch (...) {
            // A window that could not be made: the box says why, and the program fails.
            ShowErrorFor(nullptr, std::current_exception());
            return 1;
        }
    } catch (...) {
        // Not even the application object could be made: there is nothing to show a box with.
        ReportFailure(std::current_exception());
        return 1;
    }
}
