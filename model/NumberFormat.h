#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace model {

// The user's regional separators, handed in by the caller (UTF-8, may be more than one byte, e.g.
// a no-break space as group separator).
struct NumberLocale {
    std::string DecimalSeparator = ",";
    std::string GroupSeparator = " ";
};

// Formats value by a pattern of '0' digit positions, an optional '.' and an optional ',' that
// switches on grouping by thousands: "0", "0.0", "0.00", "0,0", "0,00". Rounds halves away from
// zero on the value's 15-significant-digit decimal form (17 digits at the top of the double range,
// where 15 would round above the largest double), so the text reads back as a finite number.
std::string FormatNumber(double value, std::string_view pattern, const NumberLocale& locale);

// Raised when a text is not a finite decimal real.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const std::string& text);
};

// Converts text written with the locale's decimal separator. Blanks around the number, a sign and
// an exponent are accepted; infinity, not-a-number and numbers beyond the range of a double are
// not.
double ParseReal(std::string_view text, const NumberLocale& locale);

// Same grammar, but reports failure instead of raising.
bool TryParseReal(std::string_view text, const NumberLocale& locale, double& value);

} // namespace model
