#include "Printing.h"

#include "Saturate.h"

#include <cstdint>
#include <stdexcept>

namespace report {

QSize PrintedSize(QSize page, QSize picture) {
    if (page.width() <= 0 || page.height() <= 0 || picture.width() <= 0 || picture.height() <= 0) {
        return QSize(0, 0);
    }
    const std::int64_t pageWidth = page.width();
    const std::int64_t pageHeight = page.height();
    const std::int64_t width = picture.width();
    const std::int64_t height = picture.height();

    const std::int64_t heightAtPageWidth = height * pageWidth / width;
    if (heightAtPageWidth <= pageHeight) {
        return QSize(page.width(), model::SaturateToInt32(heightAtPageWidth));
    }
    return QSize(model::SaturateToInt32(width * pageHeight / height), page.height());
}

void DrawPrintedPicture(QPainter& painter, const QImage& picture, QSize page) {
    const QSize printed = PrintedSize(page, picture.size());
    if (printed.isEmpty()) {
        return;
    }
    painter.drawImage(QRect(QPoint(0, 0), printed), picture);
}

void DrawScaled(QPainter& painter, QSize placed, QSize size, const PictureDrawing& draw) {
    if (placed.isEmpty()) {
        return;
    }
    painter.scale(static_cast<double>(placed.width()) / size.width(),
                  static_cast<double>(placed.height()) / size.height());
    painter.setClipRect(QRect(QPoint(0, 0), size));
    draw(painter);
}

void PrintDrawing(QPaintDevice& device, QSize size, const PictureDrawing& draw) {
    QPainter painter;
    if (!painter.begin(&device)) {
        throw std::runtime_error("Не удалось начать печать");
    }
    DrawScaled(painter, PrintedSize(QSize(device.width(), device.height()), size), size, draw);
    if (!painter.end()) {
        throw std::runtime_error("Не удалось завершить печать");
    }
}

void PrintPicture(QPaintDevice& device, const QImage& picture) {
    QPainter painter;
    if (!painter.begin(&device)) {
        throw std::runtime_error("Не удалось начать печать");
    }
    DrawPrintedPicture(painter, picture, QSize(device.width(), device.height()));
    if (!painter.end()) {
        throw std::runtime_error("Не удалось завершить печать");
    }
}

} // namespace report
