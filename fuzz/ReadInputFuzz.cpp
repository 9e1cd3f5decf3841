// Input reading over a fake page whose every field holds a fuzzed text. Only the conversion error
// of a price leaves the reading, quoting that price's text; every range-checked field ends inside
// its range whatever was typed, every real of the record stays finite, and the messages are the
// range message any number of times followed by at most one fill-in message.
#include "FuzzCheck.h"
#include "InputReading.h"
#include "PageRanges.h"
#include "StartUpProject.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using fuzz::Require;

constexpr std::array<const char*, 38> Fields{"ManagementCompany",
                                             "Address",
                                             "EntranceCount",
                                             "FloorCount",
                                             "ResidentsPerFlat",
                                             "FlatsPerFloor",
                                             "Tariff",
                                             "ExistingLampsLanding",
                                             "ExistingLampsBetween",
                                             "ExistingLampsVestibule",
                                             "ExistingLampLife",
                                             "ExistingLampPrice",
                                             "ExistingPowerLanding",
                                             "ExistingPowerBetween",
                                             "ExistingPowerVestibule",
                                             "ExistingHoursLanding",
                                             "ExistingHoursBetween",
                                             "ExistingHoursVestibule",
                                             "PlannedLampsLanding",
                                             "PlannedLampsBetween",
                                             "PlannedLampsVestibule",
                                             "PlannedBlocksLanding",
                                             "PlannedBlocksBetween",
                                             "PlannedBlocksVestibule",
                                             "PlannedLampLife",
                                             "PlannedLampPrice",
                                             "PlannedPowerLanding",
                                             "PlannedPowerBetween",
                                             "PlannedPowerVestibule",
                                             "PlannedHoursLanding",
                                             "PlannedHoursBetween",
                                             "PlannedHoursVestibule",
                                             "ExistingFittingPrice",
                                             "ExistingFittingInstallPrice",
                                             "PlannedFittingPrice",
                                             "PlannedFittingInstallPrice",
                                             "BlockPrice",
                                             "BlockInstallPrice"};
constexpr std::array<const char*, 6> Prices{"ExistingFittingPrice", "ExistingFittingInstallPrice",
                                            "PlannedFittingPrice",  "PlannedFittingInstallPrice",
                                            "BlockPrice",           "BlockInstallPrice"};

const model::NumberLocale Comma{",", " "};
const model::NumberLocale Point{".", ","};

class FuzzedPage : public model::InputPage {
public:
    std::string FieldText(std::string_view name) const override {
        const auto it = Texts.find(std::string(name));
        Require(it != Texts.end(), "the reading asks only for fields of the page");
        return it->second;
    }
    bool LiftChecked() const override { return Lift; }
    void SetPageButtons(bool backEnabled, bool nextEnabled) override {
        Require(!backEnabled && nextEnabled, "the reading disables Back and enables Next");
        ++ButtonCalls;
    }
    void ShowMessage(const std::string& message) override { Messages.push_back(message); }

    std::map<std::string, std::string> Texts;
    bool Lift = false;
    int ButtonCalls = 0;
    std::vector<std::string> Messages;
};

void CheckRecord(const model::ProjectParameters& p) {
    fuzz::RequirePageRanges(p);
    for (const double real : {p.ExistingLampLife,
                              p.ExistingLampPrice,
                              p.ExistingFittingPrice,
                              p.ExistingFittingInstallPrice,
                              p.ExistingPowerLanding,
                              p.ExistingPowerBetween,
                              p.ExistingPowerVestibule,
                              p.ExistingHoursLanding,
                              p.ExistingHoursBetween,
                              p.ExistingHoursVestibule,
                              p.PlannedLampLife,
                              p.PlannedLampPrice,
                              p.PlannedFittingPrice,
                              p.PlannedFittingInstallPrice,
                              p.BlockPrice,
                              p.BlockInstallPrice,
                              p.PlannedPowerLanding,
                              p.PlannedPowerBetween,
                              p.PlannedPowerVestibule,
                              p.PlannedHoursLanding,
                              p.PlannedHoursBetween,
                              p.PlannedHoursVestibule}) {
        Require(std::isfinite(real), "every real of the record stays finite");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto scope = static_cast<model::ReadScope>(input.ConsumeIntegralInRange(0, 3));
    const model::NumberLocale& locale = input.ConsumeBool() ? Point : Comma;
    FuzzedPage page;
    page.Lift = input.ConsumeBool();
    for (const char* field : Fields) {
        page.Texts[field] = input.ConsumeRandomLengthString(32);
    }

    model::ProjectParameters p = test_support::StartUpCalculation();
    const std::string range(model::OutOfRangeMessage);
    const std::string fillIn(model::FillInMessage);
    try {
        model::ReadInputPage(scope, page, p, locale);
        Require(page.Messages.empty() || page.Messages.back() == range ||
                    page.Messages.back() == fillIn,
                "a reading ends with its known messages");
    } catch (const model::ConversionError& error) {
        // The first price that is not a number is the one quoted.
        double ignored = 0;
        const char* failed = nullptr;
        for (const char* price : Prices) {
            if (!model::TryParseReal(page.Texts[price], locale, ignored)) {
                failed = price;
                break;
            }
        }
        Require(failed != nullptr, "only a price that is not a number raises");
        const std::string expected =
            "'" + page.Texts[failed] + "' is not a valid floating point value";
        Require(std::strcmp(error.what(), expected.c_str()) == 0,
                "the conversion error quotes the first failing price");
        Require(std::find(page.Messages.begin(), page.Messages.end(), fillIn) ==
                    page.Messages.end(),
                "a raised conversion error skips the fill-in message");
    }
    for (std::size_t i = 0; i < page.Messages.size(); ++i) {
        const bool last = i + 1 == page.Messages.size();
        Require(page.Messages[i] == range || (last && page.Messages[i] == fillIn),
                "range messages come first and at most one fill-in message last");
    }
    Require(page.ButtonCalls == (scope == model::ReadScope::All ? 1 : 0),
            "only a reading of the whole page sets the page buttons, once");
    CheckRecord(p);
    return 0;
}
