#include "Help.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

// The guide's name beside the executable, and its place relative to the executable's folder once
// installed (set by the build from the install layout).
const QString HelpBesideExecutable = QStringLiteral("help.pdf");
const QString HelpInstalled = QStringLiteral(INSTALLED_HELP_DOCUMENT);

} // namespace

std::function<bool(const QUrl&)>& ShellOpen() {
    static std::function<bool(const QUrl&)> open = [](const QUrl& target) {
        return QDesktopServices::openUrl(target);
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
