#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace report {

// The picture as a Windows bitmap file: file header, 40-byte information header, rows stored
// bottom-up, 32 bits per pixel (blue, green, red, 255), no compression.
QByteArray EncodeBitmap32(const QImage& picture);

// Writes the picture as a 32-bit bitmap file through WriteFileAtomically (an existing file is
// replaced only by a complete new one). Raises std::runtime_error on failure.
void WriteBitmapFile(const QString& fileName, const QImage& picture);

} // namespace report
