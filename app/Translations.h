#pragma once

class QCoreApplication;

// Installs Qt's own Russian texts (the standard buttons, the file dialog, the fields' context
// menus, the command-line help) from Qt's translations folder; the texts stay English when the
// file is missing (Debian's qt6-translations-l10n not installed). False then.
bool InstallQtTranslations(QCoreApplication& application);
