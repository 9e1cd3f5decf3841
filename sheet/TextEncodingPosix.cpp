#include "TextEncoding.h"

#include "HouseSheet.h"

#include <iconv.h>

namespace sheet {

std::optional<std::string> Windows1251ToUtf8(std::string_view bytes) {
    // The conversion state lives in the thread's converter, made once.
    struct Converter {
        iconv_t Handle = iconv_open("UTF-8", "WINDOWS-1251");
        ~Converter() {
            if (Handle != reinterpret_cast<iconv_t>(-1)) {
                iconv_close(Handle);
            }
        }
    };
    thread_local const Converter converter;
    if (converter.Handle == reinterpret_cast<iconv_t>(-1)) {
        throw SheetError("в системе нет преобразования из Windows-1251");
    }
    std::string in(bytes);
    std::string text(bytes.size() * 3, '\0');
    char* from = in.data();
    std::size_t inLeft = in.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    if (iconv(converter.Handle, &from, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        iconv(converter.Handle, nullptr, nullptr, nullptr, nullptr); // ready for the next text
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
}

} // namespace sheet
