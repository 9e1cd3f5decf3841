#include "Help.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

// The guide's name beside the executable, and its place relative to the executable's folder once
// installed (set by the build from the install layout).
const QString HelpBesideExecutable = QStringLiteral("help.pdf");
const QString HelpInstalled = QStringLiteral(INSTALLED_HELP_DOCUMENT);

} // namespace

bool OpenWithOpener(const QString& opener, const QUrl& target, int waitMs) {
    // The opener is left to run after the wait: without a desktop, xdg-open stays until the
    // viewer it started is closed, and a QProcess destroyed while running would end it.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError e) {
                         if (e == QProcess::FailedToStart) {
                             process->deleteLater();
                         }
                     });
    process->setProgram(opener);
    process->setArguments({target.isLocalFile() ? target.toLocalFile() : target.toString()});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    // Waits for the exit status a short while; the window keeps painting but takes no input, so
    // the same command cannot start twice meanwhile.
    bool started = true;
    bool exited = false;
    bool opened = false;
    QEventLoop wait;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
    QObject::connect(process, &QProcess::errorOccurred, &wait, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            started = false;
            wait.quit();
        }
    });
    QObject::connect(process, &QProcess::finished, &wait,
                     [&](int exitCode, QProcess::ExitStatus status) {
                         exited = true;
                         opened = status == QProcess::NormalExit && exitCode == 0;
                         wait.quit();
                     });
    process->start();
    if (started) {
        timer.start(waitMs);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // xdg-open exits with 3 when no program handles the document, 4 when that program failed.
    return started && (!exited || opened);
}

std::function<bool(const QUrl&)>& ShellOpen() {
    static std::function<bool(const QUrl&)> open = [](const QUrl& target) {
        return OpenWithOpener(QStringLiteral("xdg-open"), target, 2000);
    };
    return open;
}

QUrl WebSiteUrl() {
    return QUrl(QStringLiteral("https://virasvet.example.org"));
}

QUrl SupportMailUrl() {
    return QUrl(QStringLiteral("mailto:support@virasvet.example.org"));
}

QUrl HelpTarget(const QString& executableDirectory) {
    const QDir folder(executableDirectory);
    for (const QString& candidate : {HelpBesideExecutable, HelpInstalled}) {
        const QFileInfo document(QDir::cleanPath(folder.filePath(candidate)));
        if (document.exists() && !document.isDir()) {
            return QUrl::fromLocalFile(document.absoluteFilePath());
        }
    }
    return WebSiteUrl();
}

QString ShellOpenFailureMessage(const QUrl& target) {
    if (target.isLocalFile()) {
        return QStringLiteral("Не удалось открыть справку «%1»: не найдена программа для "
                              "просмотра PDF-файлов.")
            .arg(QDir::toNativeSeparators(target.toLocalFile()));
    }
    if (target.scheme() == QLatin1String("mailto")) {
        return QStringLiteral("Не удалось начать письмо на адрес %1: не найдена почтовая "
                              "программа.")
            .arg(target.path());
    }
    return QStringLiteral("Не удалось открыть сайт %1: не найден браузер.").arg(target.toString());
}

void OpenThroughShell(QWidget* parent, const QUrl& target) {
    if (!ShellOpen()(target)) {
        MessageBoxes::Current().ShowError(parent, ShellOpenFailureMessage(target));
    }
}

void OpenHelpDocument(QWidget* parent) {
    // Beside the executable, not in the current directory, which depends on how the program was
    // started.
    OpenThroughShell(parent, HelpTarget(QCoreApplication::applicationDirPath()));
}
