#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The shell's "open": hands a document, web address or mail link to the user's default program.
// Tests replace it.
std::function<void(const QUrl&)>& ShellOpen();

// The maker's web site and support mail.
QUrl WebSiteUrl();
QUrl SupportMailUrl();

// "help.pdf" beside the executable when it is a file, otherwise the web site.
QUrl HelpTarget(const QString& executableDirectory);

// Opens the help document (or the web site) with the shell.
void OpenHelpDocument();
