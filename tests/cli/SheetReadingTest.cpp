// Reading house sheets piece by piece, and the stricter rules of a sheet's rows beside the page's.

#include "HouseInput.h"
#include "HouseRows.h"
#include "HouseSheet.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using sheet::Encoding;
using sheet::SheetError;
using sheet::SheetReader;
using sheet::SheetRecord;

struct Read {
    std::vector<std::string> Header;
    std::size_t HeaderLine = 0;
    std::vector<SheetRecord> Records;
};

Read InPieces(std::string_view text, std::size_t piece, Encoding encoding = Encoding::Detect) {
    SheetReader reader(encoding);
    Read read;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        reader.Feed(text.substr(at, piece));
        for (SheetRecord& record : reader.TakeRecords()) {
            read.Records.push_back(std::move(record));
        }
    }
    reader.Finish();
    for (SheetRecord& record : reader.TakeRecords()) {
        read.Records.push_back(std::move(record));
    }
    read.Header = reader.Header();
    read.HeaderLine = reader.HeaderLine();
    return read;
}

TEST(SheetReading, PiecesOfAnySizeGiveTheSameRecords) {
    // A byte-order mark, blank lines, CR LF, a lone CR, a quoted line break and a doubled quote,
    // Cyrillic (two-byte characters): every cut between two pieces lands somewhere awkward.
    const std::string text = "\xEF\xBB\xBF\r\n\r\nAddress;Tariff\r\n\"ул. \"\"Мира\"\",\r\nд. 1\";"
                             "1,5\r\r\nб;2\rв;3\n\n;\nг;4";
    const std::vector<std::size_t> expectedLines = {4, 7, 8, 11};
    for (std::size_t piece = 1; piece <= 9; ++piece) {
        SCOPED_TRACE(piece);
        const Read read = InPieces(text, piece);
        EXPECT_EQ(read.Header, (std::vector<std::string>{"Address", "Tariff"}));
        EXPECT_EQ(read.HeaderLine, 3u);
        ASSERT_EQ(read.Records.size(), expectedLines.size());
        for (std::size_t i = 0; i < expectedLines.size(); ++i) {
            EXPECT_EQ(read.Records[i].Line, expectedLines[i]) << i;
        }
        EXPECT_EQ(read.Records[0].Cells,
                  (std::vector<std::string>{"ул. \"Мира\",\r\nд. 1", "1,5"}));
        EXPECT_EQ(read.Records[3].Cells, (std::vector<std::string>{"г", "4"}));
    }
}

TEST(SheetReading, TheEncodingIsDecidedOnTheStartOfTheText) {
    // Windows-1251 ("Мир") is detected and converted, whatever the pieces.
    const std::string windows = "Address\n\xCC\xE8\xF0\n";
    for (std::size_t piece : {1u, 3u, 100u}) {
        const Read read = InPieces(windows, piece);
        ASSERT_EQ(read.Records.size(), 1u);
        EXPECT_EQ(read.Records[0].Cells[0], "Мир");
    }
    EXPECT_EQ(sheet::ParseSheet(windows).TextEncoding, Encoding::Windows1251);
    EXPECT_EQ(sheet::ParseSheet("Address\nМир\n").TextEncoding, Encoding::Utf8);
    // Told UTF-8, the row with bytes that are not is spoilt, not the file.
    const sheet::Sheet forced = sheet::ParseSheet(windows, Encoding::Utf8);
    ASSERT_EQ(forced.Records.size(), 1u);
    EXPECT_EQ(forced.Records[0].Problems.size(), 1u);

    // UTF-8 for the whole sample, then a byte that is not: that row is spoilt, with its line;
    // the rows after it are read.
    std::string late = "Address\n";
    while (late.size() <= sheet::EncodingSample) {
        late += "ул. Мира\n";
    }
    const std::size_t lines = static_cast<std::size_t>(std::count(late.begin(), late.end(), '\n'));
    late += "\xCC\xE8\xF0\nул. Мира\n";
    const Read spoilt = InPieces(late, 4096);
    ASSERT_EQ(spoilt.Records.size(), lines + 1);
    EXPECT_EQ(spoilt.Records[lines - 1].Line, lines + 1);
    EXPECT_EQ(spoilt.Records[lines - 1].Problems.size(), 1u);
    EXPECT_EQ(spoilt.Records[lines - 2].Problems.size(), 0u);
    EXPECT_EQ(spoilt.Records[lines].Problems.size(), 0u);
    EXPECT_EQ(spoilt.Records[lines].Cells[0], "ул. Мира");
    EXPECT_NO_THROW(InPieces(late, 4096, Encoding::Windows1251));

    // Lines that end in CR alone, or CR LF cut between pieces, are lines too: the damaged row is
    // line 4's, not the header's (a text once refused whole and read in pieces).
    const std::string returns = "\xEF\xBB\xBF"
                                "Address;Tariff\r\r\nа;1\rб\xFF;2\r\nв;3\r";
    for (std::size_t piece : {1u, 2u, 6u, 100u}) {
        SCOPED_TRACE(piece);
        const Read read = InPieces(returns, piece);
        ASSERT_EQ(read.Records.size(), 3u);
        EXPECT_EQ(read.Records[1].Line, 4u);
        EXPECT_EQ(read.Records[0].Problems.size(), 0u);
        EXPECT_EQ(read.Records[1].Problems.size(), 1u);
        EXPECT_EQ(read.Records[2].Problems.size(), 0u);
    }
    try {
        sheet::ParseSheet("Address\ra\rb\x01\n");
        FAIL() << "a control character is read";
    } catch (const SheetError& e) {
        EXPECT_NE(std::string(e.what()).find("строка 3:"), std::string::npos) << e.what();
    }
}

TEST(SheetReading, AnOverlongRecordIsRefusedBeforeItIsHeldWhole) {
    SheetReader reader;
    reader.Feed("Address\n\"");
    const std::string piece(1 << 16, 'x');
    std::size_t fed = 0;
    try {
        for (; fed < 64 * sheet::LongestRecord; fed += piece.size()) {
            reader.Feed(piece);
        }
        FAIL() << "an endless cell is read";
    } catch (const SheetError& e) {
        EXPECT_NE(std::string(e.what()).find("строка 2: запись длиннее 1 МБ"), std::string::npos);
    }
    EXPECT_LE(fed, sheet::LongestRecord + piece.size());
    // A long header line without an end, likewise.
    EXPECT_THROW(sheet::ParseSheet(std::string(sheet::LongestRecord + 2, 'a')), SheetError);
}

TEST(SheetReading, SheetRulesAreStricterThanThePagesWhichStaysAsItWas) {
    const auto fields = model::HouseFields();
    const auto index = [&](std::string_view name) {
        return static_cast<std::size_t>(model::FieldNamed(name) - fields.data());
    };
    std::vector<std::optional<std::string_view>> texts(fields.size());
    texts[index("HoldTimeLanding")] = "-5";
    texts[index("ExistingHoursLanding")] = "25";
    texts[index("PlannedLampsLanding")] = "00";
    const std::vector<model::NumberLocale> locales = {{",", ""}};
    model::ProjectParameters page;
    EXPECT_TRUE(model::ReadHouse(texts, locales, page).empty());
    EXPECT_EQ(page.PlannedBlocksLanding, 1); // the page switches a zone off only for "0"
    model::ProjectParameters row;
    const auto errors = model::ReadHouse(texts, locales, row, model::ReadingRules::Sheet);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(sheet::FieldMessage(errors[0]),
              "ExistingHoursLanding: 25 — вне допустимых пределов (0..24)");
    EXPECT_EQ(sheet::FieldMessage(errors[1]),
              "HoldTimeLanding: -5 — вне допустимых пределов (не меньше 0)");
    texts[index("HoldTimeLanding")] = std::nullopt;
    texts[index("ExistingHoursLanding")] = "24";
    EXPECT_TRUE(model::ReadHouse(texts, locales, row, model::ReadingRules::Sheet).empty());
    EXPECT_EQ(row.PlannedBlocksLanding, 0);
}

TEST(SheetReading, DigitGroupsAreOfThree) {
    EXPECT_EQ(model::Ungrouped("1 250,00"), "1250,00");
    EXPECT_EQ(model::Ungrouped("-12\xC2\xA0"
                               "345\xE2\x80\xAF"
                               "678.5"),
              "-12345678.5");
    EXPECT_EQ(model::Ungrouped("100 000"), "100000");
    for (const std::string_view text :
         {"1250", "1 25", "1 2500", "1234 567", " 1 250", "1  250", "a 250", "1 250 0", ""}) {
        EXPECT_EQ(model::Ungrouped(text), std::nullopt) << text;
    }
}

} // namespace
