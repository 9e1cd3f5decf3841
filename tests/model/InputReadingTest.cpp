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
        texts_ = {{"managementCompany", ""},
                  {"address", "ул.   д. "},
                  {"entranceCount", "5"},
                  {"floorCount", "9"},
                  {"residentsPerFlat", "4"},
                  {"flatsPerFloor", "3"},
                  {"tariff", "1,38"},
                  {"existingLandingLamps", "1"},
                  {"existingFlightLamps", "1"},
                  {"existingVestibuleLamps", "2"},
                  {"existingLampLife", "6"},
                  {"existingLampPrice", "10"},
                  {"existingLandingPower", "40"},
                  {"existingFlightPower", "40"},
                  {"existingVestibulePower", "40"},
                  {"existingLandingHours", "13,00"},
                  {"existingFlightHours", "13,00"},
                  {"existingVestibuleHours", "24,00"},
                  {"plannedLandingLamps", "1"},
                  {"plannedFlightLamps", "1"},
                  {"plannedVestibuleLamps", "2"},
                  {"plannedLandingBlocks", "1"},
                  {"plannedFlightBlocks", "1"},
                  {"plannedVestibuleBlocks", "1"},
                  {"plannedLampLife", "18"},
                  {"plannedLampPrice", "10"},
                  {"plannedLandingPower", "40"},
                  {"plannedFlightPower", "40"},
                  {"plannedVestibulePower", "40"},
                  {"plannedLandingHours", "1,46"},
                  {"plannedFlightHours", "0,49"},
                  {"plannedVestibuleHours", "1,05"},
                  {"existingFittingPrice", "0"},
                  {"existingFittingInstallPrice", "0"},
                  {"plannedFittingPrice", "0"},
                  {"plannedFittingInstallPrice", "0"},
                  {"blockPrice", "350"},
                  {"blockInstallPrice", "100"}};
    }
    std::string ControlText(std::string_view name) const override {
        const auto it = texts_.find(std::string(name));
        if (it == texts_.end()) {
            ADD_FAILURE() << "unknown control " << name;
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
    page.Set("entranceCount", "41");
    page.Set("tariff", "0");
    page.Set("existingVestibuleLamps", "11");
    page.Set("existingLampLife", "");
    page.Set("plannedVestibuleBlocks", "-1");
    page.Set("plannedLampLife", "x");
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
    page.Set("existingLandingLamps", "3");
    page.Set("existingFlightLamps", "4");
    page.Set("existingVestibuleLamps", "5");
    page.Set("existingLampLife", "");
    page.Set("existingLandingPower", "60");
    page.Set("plannedLandingLamps", "7");
    page.Set("plannedLandingPower", "75");
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
    page.Set("tariff", "0");
    ReadInputPage(ReadScope::House, page, p, Comma);
    EXPECT_EQ(page.messages, std::vector<std::string>{Range});
    EXPECT_DOUBLE_EQ(p.Tariff, 1.5);

    page.messages.clear();
    page.Set("tariff", "");
    page.Set("floorCount", "12");
    ReadInputPage(ReadScope::House, page, p, Comma);
    EXPECT_EQ(page.messages, std::vector<std::string>{FillIn});
    EXPECT_EQ(p.FloorCount, 12);
    EXPECT_DOUBLE_EQ(p.Tariff, 1.5);
    // Only All touches the page buttons.
    EXPECT_EQ(page.buttonCalls, 0);
}

TEST(ReadInputPage, PriceThatIsNotANumberRaisesAfterStoringThePricesBeforeIt) {
    FakePage page;
    page.Set("existingFittingPrice", "12");
    page.Set("existingFittingInstallPrice", "3,5");
    page.Set("plannedFittingPrice", "abc");
    page.Set("blockPrice", "777");
    page.Set("existingLampLife", "");
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
    page.Set("blockInstallPrice", "150");
    page.Set("existingLandingLamps", "7");
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
    page.Set("existingLandingLamps", "0,5");
    page.Set("entranceCount", "39,9");
    page.Set("existingVestibuleLamps", "10,5");
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
    page.Set("existingLandingHours", "13.00");
    page.Set("existingFlightHours", "13.00");
    page.Set("existingVestibuleHours", "24.00");
    page.Set("plannedLandingHours", "1.46");
    page.Set("plannedFlightHours", "0.49");
    page.Set("plannedVestibuleHours", "1.05");
    ReadInputPage(ReadScope::All, page, p, Point);
    EXPECT_EQ(page.messages, std::vector<std::string>{FillIn});
    EXPECT_DOUBLE_EQ(p.Tariff, 2);
    EXPECT_DOUBLE_EQ(p.PlannedHoursBetween, 0.49);

    page.messages.clear();
    page.Set("tariff", "1.38");
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
        {"entranceCount", 1, 40, [](auto& p) { return p.EntranceCount; }},
        {"floorCount", 1, 40, [](auto& p) { return p.FloorCount; }},
        {"residentsPerFlat", 1, 40, [](auto& p) { return p.ResidentsPerFlat; }},
        {"flatsPerFloor", 1, 40, [](auto& p) { return p.FlatsPerFloor; }},
        {"existingLandingLamps", 0, 10, [](auto& p) { return p.ExistingLampsLanding; }},
        {"existingFlightLamps", 0, 10, [](auto& p) { return p.ExistingLampsBetween; }},
        {"existingVestibuleLamps", 0, 10, [](auto& p) { return p.ExistingLampsVestibule; }},
        {"plannedLandingLamps", 0, 10, [](auto& p) { return p.PlannedLampsLanding; }},
        {"plannedFlightLamps", 0, 10, [](auto& p) { return p.PlannedLampsBetween; }},
        {"plannedVestibuleLamps", 0, 10, [](auto& p) { return p.PlannedLampsVestibule; }},
        {"plannedLandingBlocks", 0, 10, [](auto& p) { return p.PlannedBlocksLanding; }},
        {"plannedFlightBlocks", 0, 10, [](auto& p) { return p.PlannedBlocksBetween; }},
        {"plannedVestibuleBlocks", 0, 10, [](auto& p) { return p.PlannedBlocksVestibule; }},
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
