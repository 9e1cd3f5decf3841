#include "HouseRows.h"
#include "WholeSheet.h"

#include <gtest/gtest.h>

using namespace sheet;

// Settings for the whole stock: what is accepted and the message of what is not.
TEST(FieldDefaults, SettingsReadAndCheckedAsCells) {
    struct Case {
        const char* setting;
        const char* message; // empty: accepted
    };
    const Case cases[] = {
        {"DiscountRate=8", ""},
        {"discount_rate=7,5", ""},
        {"Tariff = 1 250,5", ""}, // names go blanks aside, numbers may be grouped
        {"Tariff=0", "Tariff: 0"},
        {"TariffGrowth=101", "TariffGrowth: 101"},
        {"HorizonYears=28", "HorizonYears: 28"},
        {"Tarif=5", "Tarif"},
        {"Colour=5", "нет такого поля"},
        {"DiscountRate", "ожидается ПОЛЕ=ЗНАЧЕНИЕ"},
        {"EntranceCount=много", "EntranceCount"},
        {"Address==1+1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        FieldDefaults defaults;
        const std::optional<std::string> message = AddFieldDefault(c.setting, defaults);
        if (*c.message == '\0') {
            EXPECT_FALSE(message) << *message;
        } else {
            ASSERT_TRUE(message);
            EXPECT_NE(message->find(c.message), std::string::npos) << *message;
        }
    }
}

// A row's own value wins; an empty cell or a missing column takes the setting.
TEST(FieldDefaults, FillEmptyCellsAndMissingColumns) {
    FieldDefaults defaults;
    ASSERT_FALSE(AddFieldDefault("DiscountRate=8", defaults));
    ASSERT_FALSE(AddFieldDefault("Tariff=2,5", defaults));
    ASSERT_FALSE(AddFieldDefault("LampPriceGrowth=3", defaults));
    // A field given twice keeps its first value and says so.
    ASSERT_TRUE(AddFieldDefault("tariff=9", defaults));
    const Sheet sheet = ParseSheet("Address;Tariff;DiscountRate\n"
                                   "a;1,5;5\n"
                                   "b;;\n"
                                   "c; ;0\n");
    const HeaderFields header = MapHeader(sheet.Header);
    struct Expected {
        double tariff;
        double discount;
    };
    const Expected expected[] = {{1.5, 5}, {2.5, 8}, {2.5, 0}};
    for (std::size_t i = 0; i < sheet.Records.size(); ++i) {
        SCOPED_TRACE(i);
        const HouseRow row = ReadHouseRow(sheet.Header.size(), sheet.Delimiter, header,
                                          sheet.Records[i], "f.csv", &defaults);
        ASSERT_TRUE(row.House);
        EXPECT_DOUBLE_EQ(row.House->Tariff, expected[i].tariff);
        EXPECT_DOUBLE_EQ(row.House->DiscountRate, expected[i].discount);
        EXPECT_DOUBLE_EQ(row.House->LampPriceGrowth, 3); // no column: every row
        const HouseRow plain =
            ReadHouseRow(sheet.Header.size(), sheet.Delimiter, header, sheet.Records[i], "f.csv");
        EXPECT_DOUBLE_EQ(plain.House->LampPriceGrowth, 0);
    }
}
