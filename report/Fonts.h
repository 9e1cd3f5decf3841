#pragma once

#include <QFont>
#include <QString>

namespace report {

// The faces the pictures ask for by name are not on Linux; Liberation Sans is metric-compatible
// with Arial and has Cyrillic.
inline const QString SansFace = QStringLiteral("Liberation Sans");

QFont PictureFont(double pointSize);

} // namespace report
