#include "PictureFile.h"

#include "AtomicFile.h"
#include "BitmapFile.h"
#include "Printing.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <stdexcept>

namespace report {

PictureFormat PictureFormatOf(const QString& fileName, PictureFormat otherwise) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bmp")) {
        return PictureFormat::Bitmap;
    }
    if (suffix == QLatin1String("png")) {
        return PictureFormat::Png;
    }
    if (suffix == QLatin1String("pdf")) {
        return PictureFormat::Pdf;
    }
    return otherwise;
}

QByteArray EncodePng(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB32))) {
        throw std::runtime_error("Не удалось построить PNG: " + writer.errorString().toStdString());
    }
    return bytes;
}

QByteArray EncodePdf(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));

    QPainter painter;
    if (!painter.begin(&writer)) {
        throw std::runtime_error("Не удалось построить PDF");
    }
    // Without it the picture would be stored as JPEG, which blurs the thin lines and the text.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QSize page(writer.width(), writer.height());
    const QSize size = PrintedSize(page, picture.size());
    const QPoint topLeft((page.width() - size.width()) / 2, (page.height() - size.height()) / 2);
    painter.drawImage(QRect(topLeft, size), picture);
    if (!painter.end()) {
        throw std::runtime_error("Не удалось построить PDF");
    }
    return bytes;
}

void WritePictureFile(const QString& fileName, const QImage& picture, PictureFormat format) {
    switch (format) {
    case PictureFormat::Png:
        WriteFileAtomically(fileName, EncodePng(picture));
        return;
    case PictureFormat::Pdf:
        WriteFileAtomically(fileName, EncodePdf(picture));
        return;
    case PictureFormat::Bitmap:
        break;
    }
    WriteFileAtomically(fileName, EncodeBitmap32(picture));
}

} // namespace report
