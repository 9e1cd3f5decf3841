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

QByteArray EncodePdf(QSize size, const PictureDrawing& draw, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(title);

    QPainter painter;
    if (!painter.begin(&writer)) {
        throw std::runtime_error("Не удалось построить PDF");
    }
    // Without it pictures would be stored as JPEG, which blurs the thin lines and the text.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QSize page(writer.width(), writer.height());
    const QSize placed = PrintedSize(page, size);
    painter.translate((page.width() - placed.width()) / 2, (page.height() - placed.height()) / 2);
    DrawScaled(painter, placed, size, draw);
    if (!painter.end()) {
        throw std::runtime_error("Не удалось построить PDF");
    }
    return bytes;
}

QByteArray EncodePdf(const QImage& picture) {
    return EncodePdf(picture.size(),
                     [&picture](QPainter& painter) { painter.drawImage(QPoint(0, 0), picture); });
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
