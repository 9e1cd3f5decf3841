#include "InputReading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

using namespace model;

namespace {

class FakePage : public InputPage {
public:
    FakePage() {
        texts_ = {{"ManagementCompany", ""},
                  {"Address", "ул.   д. "},
                  {"EntranceCount", "5"},
                  {"FloorCount", "9"},
                  {"ResidentsPerFlat", "4"},
                  {"FlatsPerFloor", "3"},
                  {"Tariff", "1,38"},
                  {"ExistingLampsLanding", "1"},
                  {"ExistingLampsBetween", "1"},
                  {"ExistingLampsVestibule", "2"},
                  {"ExistingLampLife", "6"},
                  {"ExistingLampPrice", "10"},
                  {"ExistingPowerLanding", "40"},
                  {"ExistingPowerBetween", "40"},
                  {"ExistingPowerVestibule", "40"},
                  {"ExistingHoursLanding", "13,00"},
                  {"ExistingHoursBetween", "13,00"},
                  {"ExistingHoursVestibule", "24,00"},
                  {"PlannedLampsLanding", "1"},
                  {"PlannedLampsBetween", "1"},
                  {"PlannedLampsVestibule", "2"},
                  {"PlannedBlocksLanding", "1"},
                  {"PlannedBlocksBetween", "1"},
                  {"PlannedBlocksVestibule", "1"},
                  {"PlannedLampLife", "18"},
                  {"PlannedLampPrice", "10"},
                  {"PlannedPowerLanding", "40"},
                  {"PlannedPowerBetween", "40"},
                  {"PlannedPowerVestibule", "40"},
                  {"PlannedHoursLanding", "1,46"},
                  {"PlannedHoursBetween", "0,49"},
                  {"PlannedHoursVestibule", "1,05"},
                  {"ExistingFittingPrice", "0"},
                  {"ExistingFittingInstallPrice", "0"},
                  {"PlannedFittingPrice", "0"},
                  {"PlannedFittingInstallPrice", "0"},
                  {"BlockPrice", "350"},
                  {"BlockInstallPrice", "100"}};
    }
    std::string FieldText(std::string_view name) const override {
        const auto it = texts_.find(std::string(name));
        if (it == texts_.end()) {
            ADD_FAILURE() << "unknown field " << name;
            return {};
        }
        return it->second;
    }
    bool LiftChecked() const override { return lift; }
    void SetPageButtons(bool back, bool next) override {
        buttonCalls++;
        backEnabled = back;
        nextEnabled = next;
    }
    void ShowMessage(const std::string& message) override { messages.push_back(message); }

    void Set(const std::string& name, const std::string& text) { texts_.at(name) = text; }

    bool lift = true;
    int buttonCalls = 0;
    bool backEnabled = true;
    bool nextEnabled = false;
    std::vector<std::string> messages;

private:
    std::map<std::string, std::string> texts_;
};

const NumberLocale Comma{",", " "};
const NumberLocale Point{".", ","};
const std::string Range(OutOfRangeMessage);
const std::string FillIn(FillInMessage);

ProjectParameters Defaults() {
    ProjectParameters p;
    SetDefaultParameters(p);
    return p;
}

} // namespace

TEST(ReadInputPage, ReadsTheWholeDefaultPage) {
    FakePage page;
    ProjectParameters p = Defaults();
    ReadInputPage(ReadScope::All, page, p, Comma);
    EXPECT_TRUE(page.messages.empty());
    EXPECT_EQ(p.Address, "ул.   д. ");
    EXPECT_EQ(p.EntranceCount, 5);
    EXPECT_EQ(p.FloorCount, 9);
    EXPECT_TRUE(p.HasLift);
    EXPECT_DOUBLE_EQ(p.Tariff, 1.38);
    EXPECT_EQ(p.ExistingLampsVestibule, 2);
    EXPECT_DOUBLE_EQ(p.ExistingHoursLanding, 13);
    EXPECT_EQ(p.PlannedBlocksLanding, 1);
    EXPECT_DOUBLE_EQ(p.PlannedHoursBetween, 0.49);
    EXPECT_DOUBLE_EQ(p.BlockPrice, 350);
    EXPECT_DOUBLE_EQ(p.BlockInstallPrice, 100);
    EXPECT_EQ(page.buttonCalls, 1);
    EXPECT_FALSE(page.backEnabled);
    EXPECT_TRUE(page.nextEnabled);
}

TEST(ReadInputPage, RangeFailuresComeInReadingOrderBeforeOneFillInMessage) {
    FakePage page;
    page.Set("EntranceCount", "41");
    page.Set("Tariff", "0");
    page.Set("ExistingLampsVestibule", "11");
    page.Set("ExistingLampLife", "");
    page.Set("PlannedBlocksVestibule", "-1");
    page.Set("PlannedLampLife", "x");
    ProjectParameters p = Defaults();
    p.EntranceCount = 3;
    p.Tariff = 2;
    p.ExistingLampsVestibule = 1;
    p.ExistingLampPrice = 99;
    ReadInputPage(ReadScope::All, page, p, Comma);
    EXPECT_EQ(page.messages, (std::vector<std::string>{Range, Range, Range, Range, FillIn}));
    EXPECT_EQ(p.EntranceCount, 3);
    EXPECT_DOUBLE_EQ(p.Tariff, 2);
    EXPECT_EQ(p.ExistingLampsVestibule, 1);
    // The existing section stopped at the lamp life: the price after it was not read.
    EXPECT_DOUBLE_EQ(p.ExistingLampPrice, 99);
    EXPECT_EQ(Range.find('\n'), Range.find("Пожалуйста") - 1);
}

TEST(ReadInputPage, EmptyLampLifeStoresTheCountsBeforeItAndReadsThePlannedSection) {
    FakePage page;
    page.Set("ExistingLampsLanding", "3");
    page.Set("ExistingLampsBetween", "4");
    page.Set("ExistingLampsVestibule", "5");
    page.Set("ExistingLampLife", "");
    page.Set("ExistingPowerLanding", "60");
    page.Set("PlannedLampsLanding", "7");
    page.Set("PlannedPowerLanding", "75");
    ProjectParameters p = Defaults();
    ReadInputPage(ReadScope::All, page, p, Comma);
    EXPECT_EQ(page.messages, std::vector<std::string>{FillIn});
    EXPECT_EQ(p.ExistingLampsLanding, 3);
    EXPECT_EQ(p.ExistingLampsBetween, 4);
    EXPECT_EQ(p.ExistingLampsVestibule, 5);
    EXPECT_DOUBLE_EQ(p.ExistingLampLife, 6);
    EXPECT_DOUBLE_EQ(p.ExistingPowerLanding, 40);
    EXPECT_EQ(p.PlannedLampsLanding, 7);
    EXPECT_DOUBLE_EQ(p.PlannedPowerLanding, 75);
}

TEST(ReadInputPage, TariffZeroAndEmptyTariff) {
    FakePage page;
    ProjectParameters p = Defaults();
    p.Tariff = 1.5;
    page.Set("Tariff", "0");
    ReadInputPage(ReadScope::House, page, p, Comma);
    EXPECT_EQ(page.messages, std::vector<std::string>{Range});
    EXPECT_DOUBLE_EQ(p.Tariff, 1.5);

    page.messages.clear();
    page.Set("Tariff", "");
    page.Set("FloorCount", "12");
    ReadInputPage(ReadScope::House, page, p, Comma);
    EXPECT_EQ(page.messages, std::vector<std::string>{FillIn});
    EXPECT_EQ(p.FloorCount, 12);
    EXPECT_DOUBLE_EQ(p.Tariff, 1.5);
    // Only All touches the page buttons.
    EXPECT_EQ(page.buttonCalls, 0);
}

TEST(ReadInputPage, PriceThatIsNotANumberRaisesAfterStoringThePricesBeforeIt) {
    FakePage page;
    page.Set("ExistingFittingPrice", "12");
    page.Set("ExistingFittingInstallPrice", "3,5");
    page.Set("PlannedFittingPrice", "abc");
    page.Set("BlockPrice", "777");
    page.Set("ExistingLampLife", "");
    ProjectParameters p = Defaults();
    try {
        ReadInputPage(ReadScope::All, page, p, Comma);
        FAIL() << "no error raised";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid floating point value");
    }
    EXPECT_DOUBLE_EQ(p.ExistingFittingPrice, 12);
    EXPECT_DOUBLE_EQ(p.ExistingFittingInstallPrice, 3.5);
    EXPECT_DOUBLE_EQ(p.BlockPrice, 350);
    // The final fill-in message is skipped with the rest of the reading.
    EXPECT_TRUE(page.messages.empty());
    EXPECT_EQ(page.buttonCalls, 1);
}

TEST(ReadInputPage, HouseScopeReadsTheSixPricesButNotTheSchemes) {
    FakePage page;
    page.Set("BlockInstallPrice", "150");
    page.Set("ExistingLampsLanding", "7");
    page.lift = false;
    ProjectParameters p = Defaults();
    ReadInputPage(ReadScope::House, page, p, Comma);
    EXPECT_DOUBLE_EQ(p.BlockInstallPrice, 150);
    EXPECT_EQ(p.ExistingLampsLanding, 1);
    EXPECT_FALSE(p.HasLift);
    EXPECT_EQ(p.PlannedBlocksLanding, 0);
}

TEST(ReadInputPage, CountsAreCheckedAsRealsThenTruncated) {
    FakePage page;
    page.Set("ExistingLampsLanding", "0,5");
    page.Set("EntranceCount", "39,9");
    page.Set("ExistingLampsVestibule", "10,5");
    ProjectParameters p = Defaults();
    p.ExistingLampsVestibule = 3;
    ReadInputPage(ReadScope::All, page, p, Comma);
    EXPECT_EQ(p.ExistingLampsLanding, 0);
    EXPECT_EQ(p.EntranceCount, 39);
    EXPECT_EQ(p.ExistingLampsVestibule, 3);
    EXPECT_EQ(page.messages, std::vector<std::string>{Range});
}

TEST(ReadInputPage, CommaTextsUnderAPointSeparatorAreConversionFailures) {
    FakePage page;
    ProjectParameters p = Defaults();
    p.Tariff = 2;
    page.Set("ExistingHoursLanding", "13.00");
    page.Set("ExistingHoursBetween", "13.00");
    page.Set("ExistingHoursVestibule", "24.00");
    page.Set("PlannedHoursLanding", "1.46");
    page.Set("PlannedHoursBetween", "0.49");
    page.Set("PlannedHoursVestibule", "1.05");
    ReadInputPage(ReadScope::All, page, p, Point);
    EXPECT_EQ(page.messages, std::vector<std::string>{FillIn});
    EXPECT_DOUBLE_EQ(p.Tariff, 2);
    EXPECT_DOUBLE_EQ(p.PlannedHoursBetween, 0.49);

    page.messages.clear();
    page.Set("Tariff", "1.38");
    ReadInputPage(ReadScope::All, page, p, Point);
    EXPECT_TRUE(page.messages.empty());
    EXPECT_DOUBLE_EQ(p.Tariff, 1.38);
}

TEST(ReadInputPage, RangeBoundsAreInclusiveAndTheSmallestStepBeyondFails) {
    struct Field {
        const char* control;
        double low;
        double high;
        std::function<double(const ProjectParameters&)> stored;
    };
    const std::vector<Field> fields{
        {"EntranceCount", 1, 40, [](auto& p) { return p.EntranceCount; }},
        {"FloorCount", 1, 40, [](auto& p) { return p.FloorCount; }},
        {"ResidentsPerFlat", 1, 40, [](auto& p) { return p.ResidentsPerFlat; }},
        {"FlatsPerFloor", 1, 40, [](auto& p) { return p.FlatsPerFloor; }},
        {"ExistingLampsLanding", 0, 10, [](auto& p) { return p.ExistingLampsLanding; }},
        {"ExistingLampsBetween", 0, 10, [](auto& p) { return p.ExistingLampsBetween; }},
        {"ExistingLampsVestibule", 0, 10, [](auto& p) { return p.ExistingLampsVestibule; }},
        {"PlannedLampsLanding", 0, 10, [](auto& p) { return p.PlannedLampsLanding; }},
        {"PlannedLampsBetween", 0, 10, [](auto& p) { return p.PlannedLampsBetween; }},
        {"PlannedLampsVestibule", 0, 10, [](auto& p) { return p.PlannedLampsVestibule; }},
        {"PlannedBlocksLanding", 0, 10, [](auto& p) { return p.PlannedBlocksLanding; }},
        {"PlannedBlocksBetween", 0, 10, [](auto& p) { return p.PlannedBlocksBetween; }},
        {"PlannedBlocksVestibule", 0, 10, [](auto& p) { return p.PlannedBlocksVestibule; }},
    };
    const auto text = [](double value) {
        std::string s = std::to_string(value);
        std::replace(s.begin(), s.end(), '.', ',');
        return s;
    };
    for (const Field& field : fields) {
        SCOPED_TRACE(field.control);
        for (const double bound : {field.low, field.high}) {
            FakePage page;
            page.Set(field.control, text(bound));
            ProjectParameters p = Defaults();
            ReadInputPage(ReadScope::All, page, p, Comma);
            EXPECT_TRUE(page.messages.empty()) << bound;
            EXPECT_EQ(field.stored(p), bound);
        }
        for (const double beyond : {field.low - 0.0001, field.high + 0.0001, field.high + 1}) {
            FakePage page;
            page.Set(field.control, text(beyond));
            ProjectParameters p = Defaults();
            const double before = field.stored(p);
            ReadInputPage(ReadScope::All, page, p, Comma);
            EXPECT_EQ(page.messages, std::vector<std::string>{Range}) << beyond;
            EXPECT_EQ(field.stored(p), before);
        }
    }
}
