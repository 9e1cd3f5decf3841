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
        p.Address = page.ControlText("EAdr");
        p.ManagementCompany = page.ControlText("EUK");
        read.Section([&] {
            read.Checked("CP1", p.EntranceCount);
            read.Checked("CF", p.FloorCount);
            p.HasLift = page.LiftChecked();
            read.Checked("CPep", p.ResidentsPerFlat);
            read.Checked("CFl", p.FlatsPerFloor);
            read.Checked("EPAY", p.Tariff);
        });
    }

    if (all || scope == ReadScope::Existing) {
        read.Section([&] {
            read.Checked("CLTE", p.ExistingLampsLanding);
            read.Checked("CLTM", p.ExistingLampsBetween);
            read.Checked("CLTD", p.ExistingLampsVestibule);
            p.ExistingLampLife = read.Real("EOLive");
            p.ExistingLampPrice = read.Real("EORep");
            p.ExistingPowerLanding = read.Real("COPE");
            p.ExistingPowerBetween = read.Real("COPM");
            p.ExistingPowerVestibule = read.Real("COPD");
            p.ExistingHoursLanding = read.Real("COHE");
            p.ExistingHoursBetween = read.Real("COHM");
            p.ExistingHoursVestibule = read.Real("COHD");
        });
    }

    if (all || scope == ReadScope::Planned) {
        read.Section([&] {
            read.Checked("CLPE", p.PlannedLampsLanding);
            read.Checked("CLPM", p.PlannedLampsBetween);
            read.Checked("CLPD", p.PlannedLampsVestibule);
            read.Checked("CBPE", p.PlannedBlocksLanding);
            read.Checked("CBPM", p.PlannedBlocksBetween);
            read.Checked("CBPD", p.PlannedBlocksVestibule);
            p.PlannedLampLife = read.Real("ENLive");
            p.PlannedLampPrice = read.Real("ENRep");
            p.PlannedPowerLanding = read.Real("CNPE");
            p.PlannedPowerBetween = read.Real("CNPM");
            p.PlannedPowerVestibule = read.Real("CNPD");
            p.PlannedHoursLanding = read.Real("CNHE");
            p.PlannedHoursBetween = read.Real("CNHM");
            p.PlannedHoursVestibule = read.Real("CNHD");
        });
    }

    if (all) {
        page.SetPageButtons(false, true);
    }

    p.ExistingFittingPrice = read.Unguarded("EOSc");
    p.ExistingFittingInstallPrice = read.Unguarded("EOSMc");
    p.PlannedFittingPrice = read.Unguarded("ENSc");
    p.PlannedFittingInstallPrice = read.Unguarded("ENSMc");
    p.BlockPrice = read.Unguarded("ENBc");
    p.BlockInstallPrice = read.Unguarded("ENBMc");

    if (read.Failed()) {
        page.ShowMessage(std::string(FillInMessage));
    }
}

} // namespace model
