// The About logo's decoder on any bytes: it either gives a whole picture of a sensible size and no
// error, or no picture and a reason; it never reads or writes outside its buffers.
#include "FuzzCheck.h"
#include "JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const JpegDecoding decoded = DecodeJpeg(bytes);
    if (decoded.Image.isNull()) {
        Require(!decoded.Error.isEmpty(), "a failed decoding says why");
    } else {
        Require(decoded.Error.isEmpty(), "a decoded picture comes without an error");
        Require(decoded.Image.width() > 0 && decoded.Image.height() > 0,
                "a decoded picture has pixels");
        Require(static_cast<std::uint64_t>(decoded.Image.width()) * decoded.Image.height() <=
                    (std::uint64_t{1} << 26),
                "a decoded picture stays within the size limit");
    }
    return 0;
}
