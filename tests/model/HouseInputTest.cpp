#include "HouseInput.h"
#include "Economics.h"
#include "InputReading.h"
#include "StartUpProject.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>

using namespace model;

namespace {

const NumberLocale Comma{",", ""};
const NumberLocale Point{".", ""};

struct Read {
    ProjectParameters P;
    std::vector<HouseFieldError> Errors;
};

// Reads a house given as column -> text; the other columns are left out.
Read ReadTexts(const std::map<std::string_view, std::string_view>& given,
               std::vector<NumberLocale> locales = {Comma, Point}) {
    std::vector<std::optional<std::string_view>> texts(HouseFields().size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (const auto cell = given.find(HouseFields()[i].Name); cell != given.end()) {
            texts[i] = cell->second;
        }
    }
    Read read;
    read.Errors = ReadHouse(texts, locales, read.P);
    return read;
}

// The field's value as a real, whatever its type.
double Value(const ProjectParameters& p, const HouseField& field) {
    return std::visit(
        [&](auto member) -> double {
            if constexpr (std::is_same_v<decltype(member), std::string ProjectParameters::*>) {
                return static_cast<double>((p.*member).size());
            } else {
                return static_cast<double>(p.*member);
            }
        },
        field.Target);
}

} // namespace

TEST(HouseInput, StartUpProjectIsWhatForwardCalculatesUnchanged) {
    ProjectParameters expected = test_support::StartUpCalculation();
    expected.PlannedSchemeType = 1; // the page refresh at start-up
    const ProjectParameters startUp = StartUpProject();
    for (const HouseField& field : HouseFields()) {
        EXPECT_DOUBLE_EQ(Value(startUp, field), Value(expected, field)) << field.Name;
    }
    EXPECT_EQ(startUp.Address, expected.Address);
    EXPECT_EQ(startUp.PlannedHoursLanding, 1.46);
}

TEST(HouseInput, FourteenRangeChecksAsThePageChecks) {
    int checks = 0;
    for (const HouseField& field : HouseFields()) {
        if (!field.Check) {
            continue;
        }
        ++checks;
        SCOPED_TRACE(std::string(field.Name));
        const RangeCheck& range = *field.Check;
        const auto errors = [&](std::string_view text) {
            const Read read = ReadTexts({{field.Name, text}});
            return read.Errors.size() == 1 && read.Errors[0].Field == &field &&
                   read.Errors[0].Message == OutOfRangeMessage;
        };
        if (range.LowExclusive) {
            EXPECT_TRUE(errors("0"));
            EXPECT_FALSE(errors("0,001"));
            EXPECT_TRUE(errors("-1"));
            continue;
        }
        const std::string low = std::to_string(static_cast<int>(range.Low));
        const std::string high = std::to_string(static_cast<int>(range.High));
        EXPECT_FALSE(errors(low));
        EXPECT_FALSE(errors(high));
        EXPECT_TRUE(errors(std::to_string(static_cast<int>(range.Low) - 1)));
        EXPECT_TRUE(errors(high + ",01"));
    }
    EXPECT_EQ(checks, 14);

    // Counts are checked as reals and truncated; reals are kept.
    const Read read = ReadTexts({{"EntranceCount", "39,9"},
                                 {"ExistingLampsLanding", "0.5"},
                                 {"FlatsPerFloor", "2,5"},
                                 {"HoldTimeLanding", "36"},
                                 {"HasLift", "0"}});
    ASSERT_TRUE(read.Errors.empty());
    EXPECT_EQ(read.P.EntranceCount, 39);
    EXPECT_EQ(read.P.ExistingLampsLanding, 0);
    EXPECT_EQ(read.P.FlatsPerFloor, 2.5);
    EXPECT_EQ(read.P.HoldTimeLanding, 0.01);
    EXPECT_FALSE(read.P.HasLift);

    // Every failure is reported, in page order, with the conversion message for a non-number.
    const Read bad = ReadTexts({{"Tariff", "abc"},
                                {"FloorCount", "41"},
                                {"HasLift", "maybe"},
                                {"LiftModel", "2"},
                                {"BlockPrice", "1,5"}},
                               {Point});
    ASSERT_EQ(bad.Errors.size(), 5u);
    EXPECT_EQ(bad.Errors[0].Field->Name, "FloorCount");
    EXPECT_EQ(bad.Errors[1].Field->Name, "HasLift");
    EXPECT_EQ(bad.Errors[2].Message, "'abc' is not a valid floating point value");
    EXPECT_EQ(bad.Errors[3].Message, "'1,5' is not a valid floating point value");
    EXPECT_EQ(bad.Errors[4].Field->Name, "LiftModel");
    EXPECT_EQ(ConversionMessage(std::string(100, '7')),
              "'" + std::string(60, '7') + "…' is not a valid floating point value");
    // Sixty characters whatever their bytes: a Russian text is not cut at thirty.
    std::string sixty;
    for (int i = 0; i < 60; ++i) {
        sixty += "ж";
    }
    EXPECT_EQ(Shortened(sixty), sixty);
    EXPECT_EQ(Shortened(sixty + "ы"), sixty + "…");
}

TEST(HouseInput, PlannedBurnHoursAsThePageShowsThem) {
    // A zone without blocks repeats the existing zone's hours as the page shows them.
    Read read = ReadTexts({{"PlannedBlocksLanding", "0"},
                           {"ExistingHoursLanding", "13,456"},
                           {"PlannedLampsVestibule", "0"},
                           {"ExistingHoursVestibule", "7,001"}});
    ASSERT_TRUE(read.Errors.empty());
    EXPECT_EQ(read.P.PlannedHoursLanding, 13.46);
    EXPECT_EQ(read.P.PlannedHoursBetween, 0.49); // the estimate, to two decimals
    EXPECT_EQ(read.P.PlannedBlocksVestibule, 0); // switched off with its lamps
    EXPECT_EQ(read.P.PlannedHoursVestibule, 7.0);

    // "00" is not the page's "0": the blocks stay. Given hours are kept as they are.
    read = ReadTexts({{"PlannedLampsVestibule", "00"},
                      {"PlannedHoursBetween", "3,333"},
                      {"PlannedHoursLanding", " "},
                      {"HoldTimeVestibule", "20"}});
    ASSERT_TRUE(read.Errors.empty());
    EXPECT_EQ(read.P.PlannedBlocksVestibule, 1);
    EXPECT_EQ(read.P.PlannedHoursBetween, 3.333);
    EXPECT_EQ(read.P.PlannedHoursLanding, 1.46);
    EXPECT_EQ(read.P.PlannedHoursVestibule, 2.1);
}

// A row's whole-number fields take whole numbers only: a fraction is refused with the range, as
// out of it, never cut; the page itself still truncates a count as it always has.
TEST(HouseInput, WholeNumberFieldsRefuseFractionsInARow) {
    const auto read = [](std::string_view field, std::string_view text, ReadingRules rules) {
        std::vector<std::optional<std::string_view>> texts(HouseFields().size());
        texts[static_cast<std::size_t>(FieldNamed(field) - HouseFields().data())] = text;
        ProjectParameters p;
        std::vector<HouseFieldError> errors =
            ReadHouse(texts, std::vector<NumberLocale>{Comma, Point}, p, rules);
        return std::pair(p, std::move(errors));
    };
    struct Refused {
        std::string_view field;
        std::string_view text;
        std::string_view range;
    };
    for (const Refused& c : std::initializer_list<Refused>{
             {"HorizonYears", "10,5", "1..27, целое число"},
             {"HorizonYears", "10.5", "1..27, целое число"},
             {"HorizonYears", "26,99", "1..27, целое число"},
             {"HorizonYears", "0", "1..27, целое число"},
             {"HorizonYears", "28", "1..27, целое число"},
             {"HorizonYears", "1,0001", "1..27, целое число"},
             {"ExistingLampsLanding", "1,5", "0..10, целое число"},
             {"PlannedBlocksBetween", "0,5", "0..10, целое число"},
             {"EntranceCount", "2,5", "1..40, целое число"},
             {"FloorCount", "-5,2", "1..40, целое число"},
             {"ExistingLampLife", "6,5", "не меньше 0, целое число"},
             {"PlannedLampLife", "18.25", "не меньше 0, целое число"},
             {"LiftFromFloor", "1,5", "целое число"},
         }) {
        SCOPED_TRACE(std::string(c.field) + "=" + std::string(c.text));
        const auto [p, errors] = read(c.field, c.text, ReadingRules::Sheet);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].Field->Name, c.field);
        EXPECT_EQ(errors[0].Problem, FieldProblem::OutOfRange);
        EXPECT_EQ(AllowedRange(errors[0].Range), c.range);
    }
    for (const auto& [field, text, expected] :
         std::vector<std::tuple<std::string_view, std::string_view, int>>{
             {"HorizonYears", "1", 1},
             {"HorizonYears", "27", 27},
             {"HorizonYears", "12,0", 12},
             {"ExistingLampsLanding", "3,0", 3},
             {"EntranceCount", "40", 40}}) {
        SCOPED_TRACE(std::string(field) + "=" + std::string(text));
        const auto [p, errors] = read(field, text, ReadingRules::Sheet);
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(field == "HorizonYears"    ? p.HorizonYears
                  : field == "EntranceCount" ? p.EntranceCount
                                             : p.ExistingLampsLanding,
                  expected);
    }
    const auto [page, pageErrors] = read("ExistingLampsLanding", "1,5", ReadingRules::Page);
    EXPECT_TRUE(pageErrors.empty());
    EXPECT_EQ(page.ExistingLampsLanding, 1);
}

TEST(HouseInput, EveryStartReadsBackFromItsTextWithinItsRanges) {
    for (const HouseField& field : HouseFields()) {
        SCOPED_TRACE(std::string(field.Name));
        // Only texts and the estimated burn hours start without a number.
        ASSERT_EQ(field.Start.has_value(), field.Kind != FieldKind::Text && !field.PlannedHours);
        if (!field.Start) {
            EXPECT_EQ(field.StartText.empty(), field.PlannedHours || field.Name != "Address");
            continue;
        }
        double read = 0;
        ASSERT_TRUE(TryParseReal(field.StartText, Comma, read)) << field.StartText;
        EXPECT_EQ(read, *field.Start) << field.StartText;
        for (const std::optional<RangeCheck>& range : {field.Check, field.Bounds}) {
            EXPECT_TRUE(!range || range->Accepts(*field.Start));
        }
        if (field.Kind == FieldKind::Code || field.Kind == FieldKind::Flag) {
            EXPECT_TRUE(*field.Start == 0 || *field.Start == 1);
        }
    }
}

TEST(HouseInput, RecordStartsAsThePageButWhereThePageFillsItLater) {
    // Where the record's start-up values differ from what the start-up page reads into it.
    const std::map<std::string_view, double> waiting = {
        {"PlannedSchemeType", 0},      {"PlannedBlocksLanding", 0}, {"PlannedBlocksBetween", 0},
        {"PlannedBlocksVestibule", 0}, {"PlannedHoursLanding", 1},  {"PlannedHoursBetween", 1},
        {"PlannedHoursVestibule", 6},
    };
    ProjectParameters p;
    p.EntranceCount = 17; // the house is the page's: left alone
    p.Tariff = 7.5;
    p.HasLift = false;
    SetDefaultParameters(p);
    EXPECT_EQ(p.EntranceCount, 17);
    EXPECT_EQ(p.Tariff, 7.5);
    EXPECT_FALSE(p.HasLift);
    const ProjectParameters startUp = StartUpProject();
    const std::span<const HouseField> house = PageSectionFields(PageSection::House);
    for (const HouseField& field : HouseFields()) {
        if (field.Kind == FieldKind::Text ||
            (&field >= &house.front() && &field <= &house.back())) {
            continue;
        }
        const auto wait = waiting.find(field.Name);
        EXPECT_EQ(Value(p, field), wait == waiting.end() ? Value(startUp, field) : wait->second)
            << field.Name;
        EXPECT_EQ(wait != waiting.end(), Value(p, field) != Value(startUp, field)) << field.Name;
    }

    // The economics start alike wherever they are held.
    const std::array<EconomicsInputs, 3> held = {EconomicsInputsOf(p), EconomicsInputsOf({}),
                                                 EconomicsInputsOf(startUp)};
    for (const EconomicsInputs& inputs : held) {
        EXPECT_EQ(inputs.TariffGrowth, EconomicsInputs{}.TariffGrowth);
        EXPECT_EQ(inputs.LampPriceGrowth, EconomicsInputs{}.LampPriceGrowth);
        EXPECT_EQ(inputs.DiscountRate, EconomicsInputs{}.DiscountRate);
        EXPECT_EQ(inputs.HorizonYears, 10);
        EXPECT_EQ(inputs.EmissionFactor, EconomicsInputs{}.EmissionFactor);
    }
}
