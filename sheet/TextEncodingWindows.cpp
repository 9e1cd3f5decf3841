#include "TextEncoding.h"

#include "HouseSheet.h"

#include <windows.h>

namespace sheet {

std::optional<std::string> Windows1251ToUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return std::string();
    }
    // Windows maps 0x98, which Windows-1251 leaves out, to a control character: refused here as
    // iconv refuses it, so that a file reads alike on both systems.
    if (bytes.find('\x98') != std::string_view::npos) {
        return std::nullopt;
    }
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(bytes.size(), L'\0');
    if (MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), size) !=
        size) {
        if (GetLastError() == ERROR_INVALID_PARAMETER) {
            throw SheetError("в системе нет преобразования из Windows-1251");
        }
        return std::nullopt;
    }
    std::string text(bytes.size() * 3, '\0');
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(),
                                           static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace sheet
