#pragma once

// Converting legacy text, with the system's own converter: iconv on Unix (TextEncodingPosix.cpp),
// the code-page functions on Windows (TextEncodingWindows.cpp).

#include <optional>
#include <string>
#include <string_view>

namespace sheet {

// Windows-1251 text as UTF-8; none when a byte is no character of Windows-1251 (0x98). Windows-1251
// has one byte a character, so text converts piece by piece. Throws SheetError when the system
// has no converter.
std::optional<std::string> Windows1251ToUtf8(std::string_view bytes);

} // namespace sheet
