#include "BitmapFile.h"

#include "AtomicFile.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace report {

namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t PixelDataOffset = FileHeaderSize + InfoHeaderSize;

void PutUInt16(QByteArray& bytes, std::uint16_t value) {
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

void PutUInt32(QByteArray& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

} // namespace

QByteArray EncodeBitmap32(const QImage& picture) {
    const QImage source = picture.convertToFormat(QImage::Format_RGB32);
    const auto width = static_cast<std::uint64_t>(source.width());
    const auto height = static_cast<std::uint64_t>(source.height());
    const std::uint64_t imageSize = width * height * 4;
    if (imageSize + PixelDataOffset > std::numeric_limits<std::uint32_t>::max()) {
        throw std::runtime_error("The picture is too large for a bitmap file");
    }

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(PixelDataOffset + imageSize));

    // BITMAPFILEHEADER
    bytes.append("BM", 2);
    PutUInt32(bytes, static_cast<std::uint32_t>(PixelDataOffset + imageSize));
    PutUInt16(bytes, 0);
    PutUInt16(bytes, 0);
    PutUInt32(bytes, PixelDataOffset);

    // BITMAPINFOHEADER; a positive height means the rows are stored bottom-up.
    PutUInt32(bytes, InfoHeaderSize);
    PutUInt32(bytes, static_cast<std::uint32_t>(width));
    PutUInt32(bytes, static_cast<std::uint32_t>(height));
    PutUInt16(bytes, 1);  // planes
    PutUInt16(bytes, 32); // bits per pixel
    PutUInt32(bytes, 0);  // no compression
    PutUInt32(bytes, static_cast<std::uint32_t>(imageSize));
    PutUInt32(bytes, 0); // horizontal resolution
    PutUInt32(bytes, 0); // vertical resolution
    PutUInt32(bytes, 0); // colours used
    PutUInt32(bytes, 0); // important colours

    // The fourth byte of each pixel is reserved; some readers take it for opacity, so it is
    // written as fully opaque rather than 0.
    for (int y = source.height() - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = row[x];
            const char bgra[4] = {static_cast<char>(qBlue(pixel)), static_cast<char>(qGreen(pixel)),
                                  static_cast<char>(qRed(pixel)), static_cast<char>(0xFF)};
            bytes.append(bgra, 4);
        }
    }
    return bytes;
}

void WriteBitmapFile(const QString& fileName, const QImage& picture) {
    WriteFileAtomically(fileName, EncodeBitmap32(picture));
}

} // namespace report
