#pragma once

#include <QFont>
#include <QString>

namespace report {

// The faces the pictures ask for by name ("Arial", "MS Sans Serif" and the system's dialog face)
// are not on Linux; Liberation Sans is metric-compatible with Arial and has Cyrillic.
inline const QString SansFace = QStringLiteral("Liberation Sans");

// The face at a size in points, fixed in pixels as at 96 dots per inch (10 points are 13 pixels)
// so that screen, pictures and printout show the same text whatever the device resolution.
QFont PictureFont(double pointSize);

} // namespace report
