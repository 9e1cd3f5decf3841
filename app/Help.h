#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// Runs `opener` (xdg-open) on the target and waits up to waitMs for its exit status: false when the
// opener cannot be started or exits with a failure (no program for the document), true when it
// succeeds or is still running after the wait.
bool OpenWithOpener(const QString& opener, const QUrl& target, int waitMs);

// The shell's "open": hands a document, web address or mail link to the user's default program
// through xdg-open; false when nothing could be started to open it. Tests replace it.
std::function<bool(const QUrl&)>& ShellOpen();

// The maker's web site and support mail.
QUrl WebSiteUrl();
QUrl SupportMailUrl();

// The user guide: "help.pdf" beside the executable (the build folder), otherwise the installed copy
// (INSTALLED_HELP_DOCUMENT, relative to the executable's folder: ../share/doc/virasvet/help.pdf),
// otherwise the web site. Only files count, not directories of that name.
QUrl HelpTarget(const QString& executableDirectory);

// The error box text when the shell could not open the target; names the document, the web site
// or the mail address.
QString ShellOpenFailureMessage(const QUrl& target);

// Hands the target to the shell; when that fails, says so in the error box over the parent.
void OpenThroughShell(QWidget* parent, const QUrl& target);

// Opens the help document (or the web site) with the shell.
void OpenHelpDocument(QWidget* parent);
