#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using model::ConversionError;
using model::FormatNumber;
using model::NumberLocale;
using model::ParseReal;

namespace {
const NumberLocale Comma{",", " "};
const NumberLocale Point{".", ","};
} // namespace

TEST(FormatNumber, PatternsWithCommaAndPointSeparators) {
    EXPECT_EQ(FormatNumber(12.3, "0.0", Comma), "12,3");
    EXPECT_EQ(FormatNumber(12.3, "0.0", Point), "12.3");
    EXPECT_EQ(FormatNumber(1.4583, "0.00", Comma), "1,46");
    EXPECT_EQ(FormatNumber(0, "0.00", Comma), "0,00");
    EXPECT_EQ(FormatNumber(3, "0.00", Point), "3.00");
    EXPECT_EQ(FormatNumber(5, "0,0", Comma), "05");
    EXPECT_EQ(FormatNumber(0, "0,0", Comma), "00");
    EXPECT_EQ(FormatNumber(5, "0,00", Comma), "005");
    EXPECT_EQ(FormatNumber(12300, "0,0", Comma), "12 300");
    EXPECT_EQ(FormatNumber(12300, "0,0", Point), "12,300");
    EXPECT_EQ(FormatNumber(1234567.4, "0,00", Comma), "1 234 567");
    EXPECT_EQ(FormatNumber(999.6, "0,0", Comma), "1 000");
    EXPECT_EQ(FormatNumber(7, "0", Comma), "7");
    EXPECT_EQ(FormatNumber(369, "0", Comma), "369");
    // A group separator of more than one byte (no-break space in UTF-8).
    EXPECT_EQ(FormatNumber(12300, "0,0", NumberLocale{",", "\xC2\xA0"}), "12\xC2\xA0"
                                                                         "300");
}

TEST(FormatNumber, RoundsHalvesAwayFromZeroWithLeadingMinus) {
    EXPECT_EQ(FormatNumber(2.5, "0", Comma), "3");
    EXPECT_EQ(FormatNumber(-2.5, "0", Comma), "-3");
    EXPECT_EQ(FormatNumber(0.125, "0.00", Comma), "0,13");
    EXPECT_EQ(FormatNumber(1.005, "0.00", Comma), "1,01");
    EXPECT_EQ(FormatNumber(0.05, "0.0", Comma), "0,1");
    EXPECT_EQ(FormatNumber(9.95, "0.0", Comma), "10,0");
    EXPECT_EQ(FormatNumber(-1234.5, "0,0", Comma), "-1 235");
    EXPECT_EQ(FormatNumber(-0.001, "0.00", Comma), "0,00");
    EXPECT_EQ(FormatNumber(0.4, "0", Comma), "0");
    EXPECT_EQ(FormatNumber(369.0 / 30, "0.0", Comma), "12,3");
}

TEST(FormatNumber, HugeAndSpecialValuesDoNotBreak) {
    EXPECT_EQ(FormatNumber(1e20, "0", Comma), "100000000000000000000");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), "0", Comma), "INF");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), "0.00", Comma), "NAN");
    EXPECT_FALSE(FormatNumber(1e300, "0,0", Comma).empty());
}

TEST(ParseReal, AcceptsTheLocaleSeparatorOnly) {
    EXPECT_DOUBLE_EQ(ParseReal("1,38", Comma), 1.38);
    EXPECT_DOUBLE_EQ(ParseReal("1.38", Point), 1.38);
    EXPECT_DOUBLE_EQ(ParseReal(" -2,5 ", Comma), -2.5);
    EXPECT_DOUBLE_EQ(ParseReal("+7", Comma), 7);
    EXPECT_DOUBLE_EQ(ParseReal("1,5e3", Comma), 1500);
    EXPECT_DOUBLE_EQ(ParseReal(",5", Comma), 0.5);
    EXPECT_DOUBLE_EQ(ParseReal("5,", Comma), 5);
    EXPECT_DOUBLE_EQ(ParseReal("40", Point), 40);
    EXPECT_THROW(ParseReal("1,38", Point), ConversionError);
    EXPECT_THROW(ParseReal("1.38", Comma), ConversionError);
}

TEST(ParseReal, RejectsNonNumbersWithTheirText) {
    for (const char* text : {"", " ", "abc", "1,2,3", "1e", "-", ",", "1 000", "0x10", "12abc"}) {
        EXPECT_THROW(ParseReal(text, Comma), ConversionError) << text;
    }
    try {
        ParseReal("abc", Comma);
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid floating point value");
    }
}

TEST(ParseReal, InfinityNotANumberAndOutOfRangeAreConversionFailures) {
    for (const char* text : {"inf", "INF", "-infinity", "nan", "NaN", "1e400", "-1e999"}) {
        EXPECT_THROW(ParseReal(text, Comma), ConversionError) << text;
        EXPECT_THROW(ParseReal(text, Point), ConversionError) << text;
    }
}

TEST(FormatNumber, TextsAtTheTopOfTheDoubleRangeReadBackAsFiniteNumbers) {
    const double largest = std::numeric_limits<double>::max();
    std::vector<double> values{1e308, 1.5e308, 1.797693134862315e308};
    for (double v = largest, i = 0; i < 4; ++i, v = std::nextafter(v, 0.0)) {
        values.push_back(v);
    }
    const auto withoutGroups = [](std::string text, const std::string& group) {
        for (std::size_t at = text.find(group); at != std::string::npos; at = text.find(group)) {
            text.erase(at, group.size());
        }
        return text;
    };
    for (const NumberLocale& locale : {Comma, Point}) {
        for (const char* pattern : {"0", "0.0", "0.00", "0,0", "0,00"}) {
            for (const double magnitude : values) {
                for (const double value : {magnitude, -magnitude}) {
                    const std::string text = FormatNumber(value, pattern, locale);
                    SCOPED_TRACE(text);
                    double back = 0;
                    ASSERT_TRUE(model::TryParseReal(withoutGroups(text, locale.GroupSeparator),
                                                    locale, back));
                    EXPECT_NEAR(back / value, 1, 1e-14);
                }
            }
        }
    }
    // Only there the value keeps its 17 digits; a little lower the usual 15 stay.
    EXPECT_EQ(FormatNumber(largest, "0", Comma), "179769313486231570" + std::string(291, '0'));
    EXPECT_EQ(FormatNumber(-largest, "0.0", Point),
              "-179769313486231570" + std::string(291, '0') + ".0");
    EXPECT_EQ(FormatNumber(1.79769313486231e308, "0", Comma),
              "179769313486231" + std::string(294, '0'));
}
