#include "Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

std::function<void(const QUrl&)>& ShellOpen() {
    // The result is not examined: when nothing can open the target, nothing visible happens.
    static std::function<void(const QUrl&)> open = [](const QUrl& target) {
        QDesktopServices::openUrl(target);
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
    const QFileInfo document(QDir(executableDirectory).filePath(QStringLiteral("help.pdf")));
    if (document.exists() && !document.isDir()) {
        return QUrl::fromLocalFile(document.absoluteFilePath());
    }
    return WebSiteUrl();
}

void OpenHelpDocument() {
    // Beside the executable, not in the current directory, which depends on how the program was
    // started.
    ShellOpen()(HelpTarget(QCoreApplication::applicationDirPath()));
}
