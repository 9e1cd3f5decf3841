#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "Printing.h"

namespace report {

enum class PictureFormat { Bitmap, Png, Pdf };

// The format named by the file name's suffix (.bmp, .png, .pdf in any case); the given one for any
// other suffix or none.
PictureFormat PictureFormatOf(const QString& fileName, PictureFormat otherwise);

// The picture as a PNG file, lossless, 8 bits per colour, no transparency.
QByteArray EncodePng(const QImage& picture);

// A PDF document of one landscape A4 page on which `draw` draws a picture of `size` pixels,
// centred at the largest size that fits the whole page: text stays text, lines and areas stay
// paths. `title` goes into the document's information.
QByteArray EncodePdf(QSize size, const PictureDrawing& draw, const QString& title = {});

// A PDF document of one landscape A4 page with the picture on it, centred at the largest size
// that fits the whole page. The picture is stored lossless at its own pixels.
QByteArray EncodePdf(const QImage& picture);

// Writes the picture in the given format as WriteFileAtomically does (an existing file is
// replaced only by a complete new one; devices and pipes are refused). Raises std::runtime_error.
void WritePictureFile(const QString& fileName, const QImage& picture, PictureFormat format);

} // namespace report
