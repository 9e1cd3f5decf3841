#include "JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// More pixels than any picture of this program has; a damaged header can claim up to 65500 x 65500.
constexpr std::uint64_t MostPixels = std::uint64_t{1} << 26;

// libjpeg reports errors through this manager; base must come first, libjpeg only knows its part.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jumpBack;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailDecoding(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    errors->base.format_message(info, errors->message);
    std::longjmp(errors->jumpBack, 1);
}

// libjpeg goes on past damaged or missing data with a warning and fills the rest with grey; a
// picture patched like that is treated as a failure. Trace messages are dropped.
void FailOnWarning(j_common_ptr info, int level) {
    if (level < 0) {
        FailDecoding(info);
    }
}

// Everything that can fail runs after setjmp and creates no object with a destructor that a jump
// back could skip; image belongs to the caller.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const QByteArray& data,
            QImage& image) {
    if (setjmp(errors.jumpBack) != 0) {
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (std::uint64_t{info.output_width} * info.output_height > MostPixels) {
        std::snprintf(errors.message, sizeof errors.message, "Picture too large (%u x %u)",
                      info.output_width, info.output_height);
        return false;
    }
    if (info.output_components != 3) {
        std::snprintf(errors.message, sizeof errors.message, "Unexpected colour layout");
        return false;
    }
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        std::snprintf(errors.message, sizeof errors.message, "Out of memory for the picture");
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

JpegDecoding DecodeJpeg(const QByteArray& data) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = FailDecoding;
    errors.base.emit_message = FailOnWarning;

    JpegDecoding result;
    const bool decoded = Decode(info, errors, data, result.Image);
    jpeg_destroy_decompress(&info); // frees everything, also after a failure or before creation
    if (!decoded) {
        result.Image = QImage();
        result.Error = QStringLiteral("картинка JPEG не читается: %1")
                           .arg(QString::fromLocal8Bit(errors.message));
    }
    return result;
}

JpegDecoding LoadJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {QImage(),
                QStringLiteral("%1: не удалось прочитать: %2").arg(path, file.errorString())};
    }
    JpegDecoding result = DecodeJpeg(file.readAll());
    if (!result.Error.isEmpty()) {
        result.Error = path + QStringLiteral(": ") + result.Error;
    }
    return result;
}
