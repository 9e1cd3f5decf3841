#include "NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace model {
namespace {

struct PatternShape {
    int IntegerDigits = 0;
    int Decimals = 0;
    bool Grouping = false;
};

PatternShape ParsePattern(std::string_view pattern) {
    PatternShape shape;
    bool afterPoint = false;
    for (char c : pattern) {
        if (c == '0') {
            (afterPoint ? shape.Decimals : shape.IntegerDigits)++;
        } else if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            shape.Grouping = true;
        }
    }
    return shape;
}

// Whether the value's 15-significant-digit form still names a finite double. Written with
// to_chars, which does not depend on the C locale of the process.
bool FifteenDigitsStayFinite(double magnitude) {
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, 14);
    double value = 0;
    const auto read = std::from_chars(text, written.ptr, value);
    return written.ec == std::errc() && read.ec == std::errc() && std::isfinite(value);
}

// Decimal digits of |value| rounded half away from zero to `decimals` places, as an integer
// string (the last `decimals` digits are the fraction).
std::string RoundedDigits(double magnitude, int decimals) {
    // 15 significant digits, like the conversion the program's users know from their spreadsheets:
    // 1.005 is read as 1.00500000000000 and rounds to 1.01.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
    // Near the top of the double range those digits can round above the largest double (its 15
    // digits are 1.79769313486232e308), and the text would no longer read back as a number. There
    // the value keeps the 17 digits that name it exactly.
    if (magnitude >= 1e308 && !FifteenDigitsStayFinite(magnitude)) {
        std::snprintf(buffer, sizeof buffer, "%.16e", magnitude);
    }
    std::string mantissa;
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            mantissa.push_back(*p);
        }
    }
    const int exponent = std::atoi(p + 1);
    // mantissa = d.dddddddddddddd × 10^exponent; the digit at index k has weight 10^(exponent - k).
    // Keep the digits whose weight is at least 10^-decimals.
    const int keep = exponent + decimals + 1;
    std::string digits;
    bool roundUp = false;
    if (keep <= 0) {
        digits.push_back('0');
        roundUp = keep == 0 && mantissa[0] >= '5';
    } else {
        for (int k = 0; k < keep; ++k) {
            digits.push_back(k < static_cast<int>(mantissa.size()) ? mantissa[k] : '0');
        }
        roundUp = keep < static_cast<int>(mantissa.size()) && mantissa[keep] >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i--] = '0';
        }
        if (i >= 0) {
            digits[i]++;
        } else {
            digits.insert(digits.begin(), '1');
        }
    }
    return digits;
}

} // namespace

std::string FormatNumber(double value, std::string_view pattern, const NumberLocale& locale) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    const PatternShape shape = ParsePattern(pattern);
    std::string digits = RoundedDigits(std::fabs(value), shape.Decimals);
    // Split into integer and fraction parts, padding with zeros on the left as the pattern asks.
    const int minimumLength = shape.Decimals + std::max(shape.IntegerDigits, 0);
    if (static_cast<int>(digits.size()) < minimumLength) {
        digits.insert(0, minimumLength - digits.size(), '0');
    }
    std::string integerPart = digits.substr(0, digits.size() - shape.Decimals);
    const std::string fraction = digits.substr(digits.size() - shape.Decimals);
    // A pattern without integer digits still shows "0" before the point? Keep what the digits say.
    while (integerPart.size() > 1 && integerPart[0] == '0' &&
           static_cast<int>(integerPart.size()) > shape.IntegerDigits) {
        integerPart.erase(0, 1);
    }

    std::string text;
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !allZero) {
        text.push_back('-');
    }
    if (shape.Grouping) {
        const std::size_t n = integerPart.size();
        for (std::size_t i = 0; i < n; ++i) {
            text.push_back(integerPart[i]);
            const std::size_t left = n - 1 - i;
            if (left > 0 && left % 3 == 0) {
                text += locale.GroupSeparator;
            }
        }
    } else {
        text += integerPart;
    }
    if (shape.Decimals > 0) {
        text += locale.DecimalSeparator;
        text += fraction;
    }
    return text;
}

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid floating point value") {}

bool TryParseReal(std::string_view text, const NumberLocale& locale, double& value) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) {
        ++begin;
    }
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    // Rewrite the number in the plain form std::from_chars reads, checking the grammar on the way:
    // [sign] digits [separator digits] [e [sign] digits], at least one mantissa digit.
    std::string plain;
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            plain.push_back('-');
        }
        ++i;
    }
    int mantissaDigits = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        plain.push_back(text[i++]);
        ++mantissaDigits;
    }
    const std::string_view separator = locale.DecimalSeparator;
    if (!separator.empty() && text.substr(i, separator.size()) == separator &&
        i + separator.size() <= end) {
        i += separator.size();
        plain.push_back('.');
        while (i < end && text[i] >= '0' && text[i] <= '9') {
            plain.push_back(text[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            plain.push_back(text[i++]);
        }
        int exponentDigits = 0;
        while (i < end && text[i] >= '0' && text[i] <= '9') {
            plain.push_back(text[i++]);
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    if (i != end) {
        return false;
    }
    double parsed = 0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (ec != std::errc() || ptr != plain.data() + plain.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

double ParseReal(std::string_view text, const NumberLocale& locale) {
    double value = 0;
    if (!TryParseReal(text, locale, value)) {
        throw ConversionError(std::string(text));
    }
    return value;
}

} // namespace model
