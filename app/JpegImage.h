#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A JPEG picture decoded with libjpeg. When decoding fails, Image is null and Error says why.
struct JpegDecoding {
    QImage Image;
    QString Error;
};

// Decodes a whole JPEG picture held in memory. Damaged or cut-off data is a failure, not a picture
// patched with grey.
JpegDecoding DecodeJpeg(const QByteArray& data);

// Reads a JPEG file or resource (":/...") and decodes it.
JpegDecoding LoadJpeg(const QString& path);
