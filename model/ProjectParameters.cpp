#include "ProjectParameters.h"

namespace model {

void SetDefaultParameters(ProjectParameters& p) {
    p.ExistingSchemeType = 0;
    p.ExistingLampLife = 6;
    p.ExistingLampPrice = 10;
    p.ExistingFittingPrice = 0;
    p.ExistingFittingInstallPrice = 0;
    p.ExistingLampsLanding = 1;
    p.ExistingPowerLanding = 40;
    p.ExistingHoursLanding = 13;
    p.ExistingLampsBetween = 1;
    p.ExistingPowerBetween = 40;
    p.ExistingHoursBetween = 13;
    p.ExistingLampsVestibule = 2;
    p.ExistingPowerVestibule = 40;
    p.ExistingHoursVestibule = 24;

    // The page refresh at start-up sets the scheme type to 1 and the estimate replaces the hours;
    // the block counts arrive with the first reading of the whole page.
    p.PlannedSchemeType = 0;
    p.PlannedLampLife = 18;
    p.PlannedLampPrice = 10;
    p.PlannedFittingPrice = 0;
    p.PlannedFittingInstallPrice = 0;
    p.BlockPrice = 350;
    p.BlockInstallPrice = 100;
    p.PlannedLampsLanding = 1;
    p.PlannedBlocksLanding = 0;
    p.PlannedPowerLanding = 40;
    p.PlannedHoursLanding = 1;
    p.PlannedLampsBetween = 1;
    p.PlannedBlocksBetween = 0;
    p.PlannedPowerBetween = 40;
    p.PlannedHoursBetween = 1;
    p.PlannedLampsVestibule = 2;
    p.PlannedBlocksVestibule = 0;
    p.PlannedPowerVestibule = 40;
    p.PlannedHoursVestibule = 6;

    p.LiftFromFloor = 1;
    p.LiftModel = LiftModelExponential;
    p.IndividualityCoefficient = 1.0;
    p.PassagesPerResident = 3.5;
    p.HoldTimeVestibule = 10.0 / 3600;
    p.HoldTimeBetween = 20.0 / 3600;
    p.HoldTimeLanding = 60.0 / 3600;
    p.CountLampTheft = true;
    p.TheftRateIncandescent = 10.0;
    p.TheftRateEnergySaving = 4.0;
    p.TheftRateSoundSensor = 1.5;
    p.TheftRateExternalBlock = 1.5;
    p.BurnOutGamma = 0.1;
    p.TariffGrowth = 0;
    p.LampPriceGrowth = 0;
    p.DiscountRate = 0;
    p.HorizonYears = 10;
    p.EmissionFactor = 0;
}

} // namespace model
