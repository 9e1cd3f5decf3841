// Number conversion: the first byte picks the decimal separator, the rest is the text of a field.
// An accepted value is finite, both variants of the conversion agree, the C library reads the same
// number, and the same text with the other separator means the same value.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

const model::NumberLocale Comma{",", " "};
const model::NumberLocale Point{".", ","};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    using fuzz::SameBits;
    if (size == 0) {
        return 0;
    }
    const bool comma = (data[0] & 1) == 0;
    const model::NumberLocale& locale = comma ? Comma : Point;
    const model::NumberLocale& other = comma ? Point : Comma;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    double value = 0;
    const bool accepted = model::TryParseReal(text, locale, value);
    try {
        const double raised = model::ParseReal(text, locale);
        Require(accepted, "ParseReal accepts only what TryParseReal accepts");
        Require(SameBits(raised, value), "ParseReal and TryParseReal give the same value");
    } catch (const model::ConversionError& error) {
        Require(!accepted, "ParseReal refuses only what TryParseReal refuses");
        // A message is a C string: a text with a zero byte shows up to it.
        const std::string expected = "'" + text + "' is not a valid floating point value";
        Require(std::strcmp(error.what(), expected.c_str()) == 0,
                "the conversion error quotes the text");
    }
    if (!accepted) {
        return 0;
    }
    Require(std::isfinite(value), "an accepted value is finite");

    // An accepted text holds at most the locale's separator, never the other one.
    std::string swapped = text;
    std::replace(swapped.begin(), swapped.end(), locale.DecimalSeparator[0],
                 other.DecimalSeparator[0]);
    double again = 0;
    Require(model::TryParseReal(swapped, other, again) && SameBits(again, value),
            "the other separator reads the same number");

    std::string plain = comma ? swapped : text;
    errno = 0;
    char* end = nullptr;
    const double c = std::strtod(plain.c_str(), &end);
    // The C library flags a result below the normal range, which the program takes as it comes.
    const bool flaggedTiny = errno == ERANGE && std::fabs(c) < std::numeric_limits<double>::min();
    Require((errno == 0 || flaggedTiny) && SameBits(c, value),
            "the C library reads the same number");
    const std::string_view rest(end);
    Require(rest.find_first_not_of(" \t") == std::string_view::npos,
            "the C library reads the whole number");
    return 0;
}
