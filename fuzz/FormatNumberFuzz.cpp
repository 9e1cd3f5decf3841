// Number formatting: any double, each pattern the program uses (or a fuzzed one), either
// separator. What the formatter writes for a finite value reads back, after taking out the group
// separators, as a finite number within the rounding of the pattern.
#include "FuzzCheck.h"
#include "NumberFormat.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <string>
#include <string_view>

namespace {

const model::NumberLocale Comma{",", " "};
const model::NumberLocale Point{".", ","};
// The separators a user's region may have: a no-break space between groups.
const model::NumberLocale CommaNoBreak{",", "\xC2\xA0"};

constexpr std::array<std::string_view, 5> PatternsInUse{"0", "0.0", "0.00", "0,0", "0,00"};

std::string WithoutGroups(std::string text, const std::string& group) {
    for (std::size_t at = text.find(group); at != std::string::npos; at = text.find(group, at)) {
        text.erase(at, group.size());
    }
    return text;
}

int Decimals(std::string_view pattern) {
    const std::size_t point = pattern.find('.');
    if (point == std::string_view::npos) {
        return 0;
    }
    int count = 0;
    for (const char c : pattern.substr(point)) {
        count += c == '0';
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    FuzzedDataProvider input(data, size);
    const double value = std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
    const int localeChoice = input.ConsumeIntegralInRange(0, 2);
    const model::NumberLocale& locale =
        localeChoice == 0 ? Comma : (localeChoice == 1 ? Point : CommaNoBreak);
    const std::size_t patternChoice = input.ConsumeIntegralInRange<std::size_t>(0, 5);
    const std::string pattern = patternChoice < PatternsInUse.size()
                                    ? std::string(PatternsInUse[patternChoice])
                                    : input.ConsumeRandomLengthString(24);

    const std::string text = model::FormatNumber(value, pattern, locale);
    if (!std::isfinite(value)) {
        return 0;
    }
    const std::string plain =
        pattern.find(',') == std::string::npos ? text : WithoutGroups(text, locale.GroupSeparator);
    double back = 0;
    Require(model::TryParseReal(plain, locale, back), "a formatted number reads back");
    Require(std::isfinite(back), "a formatted number reads back finite");
    // Rounded to the pattern's decimals from 15 significant digits: half a unit of the last shown
    // decimal plus half a unit of the 15th digit, and the conversion's own rounding.
    const int decimals = Decimals(pattern);
    const double tolerance =
        0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(value) * 1e-14;
    Require(std::fabs(back - value) <= tolerance, "a formatted number is the value rounded");
    Require(text[0] != '-' || value < 0, "only a negative value gets a minus");
    return 0;
}
