#include "InputReading.h"

#include "HouseInput.h"

#include <cmath>

namespace model {
namespace {

// Ends a guarded section at its first conversion failure.
struct SectionFailed {};

class PageReader {
public:
    PageReader(InputPage& page, const NumberLocale& locale) : page_(page), locale_(locale) {}

    double Real(std::string_view control) const {
        const std::string text = page_.ControlText(control);
        double value = 0;
        if (!TryParseReal(text, locale_, value)) {
            throw SectionFailed{};
        }
        return value;
    }

    void Checked(std::string_view control, double& field) {
        const double value = Real(control);
        if (InRange(value, PageRangeCheck(control))) {
            field = value;
        }
    }

    // Count fields are checked as reals, then truncated toward zero.
    void Checked(std::string_view control, std::int32_t& field) {
        const double value = Real(control);
        if (InRange(value, PageRangeCheck(control))) {
            field = static_cast<std::int32_t>(std::trunc(value));
        }
    }

    // Runs one guarded section; the first conversion failure skips the rest of it.
    template <typename Body> void Section(Body body) {
        try {
            body();
        } catch (const SectionFailed&) {
            failed_ = true;
        }
    }

    // The six prices at the end are not guarded: their conversion error reaches the caller.
    double Unguarded(std::string_view control) const {
        return ParseReal(page_.ControlText(control), locale_);
    }

    bool Failed() const { return failed_; }

private:
    bool InRange(double value, const RangeCheck& check) {
        if (!check.Accepts(value)) {
            page_.ShowMessage(std::string(OutOfRangeMessage));
            return false;
        }
        return true;
    }

    InputPage& page_;
    const NumberLocale& locale_;
    bool failed_ = false;
};

} // namespace

void ReadInputPage(ReadScope scope, InputPage& page, ProjectParameters& p,
                   const NumberLocale& locale) {
    PageReader read(page, locale);
    const bool all = scope == ReadScope::All;

    if (all || scope == ReadScope::House) {
        p.Address = page.ControlText("address");
        p.ManagementCompany = page.ControlText("managementCompany");
        read.Section([&] {
            read.Checked("entranceCount", p.EntranceCount);
            read.Checked("floorCount", p.FloorCount);
            p.HasLift = page.LiftChecked();
            read.Checked("residentsPerFlat", p.ResidentsPerFlat);
            read.Checked("flatsPerFloor", p.FlatsPerFloor);
            read.Checked("tariff", p.Tariff);
        });
    }

    if (all || scope == ReadScope::Existing) {
        read.Section([&] {
            read.Checked("existingLandingLamps", p.ExistingLampsLanding);
            read.Checked("existingFlightLamps", p.ExistingLampsBetween);
            read.Checked("existingVestibuleLamps", p.ExistingLampsVestibule);
            p.ExistingLampLife = read.Real("existingLampLife");
            p.ExistingLampPrice = read.Real("existingLampPrice");
            p.ExistingPowerLanding = read.Real("existingLandingPower");
            p.ExistingPowerBetween = read.Real("existingFlightPower");
            p.ExistingPowerVestibule = read.Real("existingVestibulePower");
            p.ExistingHoursLanding = read.Real("existingLandingHours");
            p.ExistingHoursBetween = read.Real("existingFlightHours");
            p.ExistingHoursVestibule = read.Real("existingVestibuleHours");
        });
    }

    if (all || scope == ReadScope::Planned) {
        read.Section([&] {
            read.Checked("plannedLandingLamps", p.PlannedLampsLanding);
            read.Checked("plannedFlightLamps", p.PlannedLampsBetween);
            read.Checked("plannedVestibuleLamps", p.PlannedLampsVestibule);
            read.Checked("plannedLandingBlocks", p.PlannedBlocksLanding);
            read.Checked("plannedFlightBlocks", p.PlannedBlocksBetween);
            read.Checked("plannedVestibuleBlocks", p.PlannedBlocksVestibule);
            p.PlannedLampLife = read.Real("plannedLampLife");
            p.PlannedLampPrice = read.Real("plannedLampPrice");
            p.PlannedPowerLanding = read.Real("plannedLandingPower");
            p.PlannedPowerBetween = read.Real("plannedFlightPower");
            p.PlannedPowerVestibule = read.Real("plannedVestibulePower");
            p.PlannedHoursLanding = read.Real("plannedLandingHours");
            p.PlannedHoursBetween = read.Real("plannedFlightHours");
            p.PlannedHoursVestibule = read.Real("plannedVestibuleHours");
        });
    }

    if (all) {
        page.SetPageButtons(false, true);
    }

    p.ExistingFittingPrice = read.Unguarded("existingFittingPrice");
    p.ExistingFittingInstallPrice = read.Unguarded("existingFittingInstallPrice");
    p.PlannedFittingPrice = read.Unguarded("plannedFittingPrice");
    p.PlannedFittingInstallPrice = read.Unguarded("plannedFittingInstallPrice");
    p.BlockPrice = read.Unguarded("blockPrice");
    p.BlockInstallPrice = read.Unguarded("blockInstallPrice");

    if (read.Failed()) {
        page.ShowMessage(std::string(FillInMessage));
    }
}

} // namespace model
