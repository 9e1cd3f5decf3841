#pragma once

#include <cstdint>
#include <string>

namespace model {

// The project's money over time: tariffs and lamp prices indexed every year, money discounted
// to day 0. Rates in percent a year. The values given here are those a house starts with.
struct EconomicsInputs {
    double TariffGrowth = 0;        // -50 .. 100
    double LampPriceGrowth = 0;     // -50 .. 100
    double DiscountRate = 0;        // 0 .. 100
    std::int32_t HorizonYears = 10; // 1 .. 27
    double EmissionFactor = 0;      // kg CO2 per kWh, 0 .. 2
};

// Every input of one calculation. Money in roubles, power in watts, the tariff in roubles per kWh,
// lamp lives in 30-day months, burn times in hours per day, hold times in hours (entered in
// seconds and divided by 3600). Texts hold UTF-8.
struct ProjectParameters {
    // House and tariff
    std::string Address;
    std::string ManagementCompany;
    std::int32_t EntranceCount = 0;
    std::int32_t FloorCount = 0;
    bool HasLift = false;
    double ResidentsPerFlat = 0;
    double FlatsPerFloor = 0;
    double Tariff = 0;

    // Existing scheme: lamps burning a fixed number of hours a day
    std::int32_t ExistingSchemeType = 0; // 0 incandescent lamps, 1 external sensor block
    double ExistingLampLife = 0;
    double ExistingLampPrice = 0;
    double ExistingFittingPrice = 0;
    double ExistingFittingInstallPrice = 0;
    std::int32_t ExistingLampsLanding = 0;
    double ExistingPowerLanding = 0;
    double ExistingHoursLanding = 0;
    std::int32_t ExistingLampsBetween = 0;
    double ExistingPowerBetween = 0;
    double ExistingHoursBetween = 0;
    std::int32_t ExistingLampsVestibule = 0;
    double ExistingPowerVestibule = 0;
    double ExistingHoursVestibule = 0;

    // Planned scheme: lamps switched by sensor blocks
    std::int32_t PlannedSchemeType = 0;
    double PlannedLampLife = 0;
    double PlannedLampPrice = 0;
    double PlannedFittingPrice = 0;
    double PlannedFittingInstallPrice = 0;
    double BlockPrice = 0;
    double BlockInstallPrice = 0;
    std::int32_t PlannedLampsLanding = 0;
    std::int32_t PlannedBlocksLanding = 0;
    double PlannedPowerLanding = 0;
    double PlannedHoursLanding = 0;
    std::int32_t PlannedLampsBetween = 0;
    std::int32_t PlannedBlocksBetween = 0;
    double PlannedPowerBetween = 0;
    double PlannedHoursBetween = 0;
    std::int32_t PlannedLampsVestibule = 0;
    std::int32_t PlannedBlocksVestibule = 0;
    double PlannedPowerVestibule = 0;
    double PlannedHoursVestibule = 0;

    // Model settings. LiftFromFloor, CountLampTheft, the theft rates and BurnOutGamma are kept and
    // edited but enter no calculation.
    std::int32_t LiftFromFloor = 0;
    std::uint8_t LiftModel = 0; // 0 linear, 1 exponential
    double IndividualityCoefficient = 0;
    double PassagesPerResident = 0; // per resident per day
    double HoldTimeVestibule = 0;   // hours
    double HoldTimeBetween = 0;     // hours
    double HoldTimeLanding = 0;     // hours
    bool CountLampTheft = false;
    double TheftRateIncandescent = 0;
    double TheftRateEnergySaving = 0;
    double TheftRateSoundSensor = 0;
    double TheftRateExternalBlock = 0;
    double BurnOutGamma = 0;

    // Economics: what the money of the schemes is worth over the years. No figure of the report
    // depends on them. Rates in percent a year. A house starts with EconomicsInputs' values.
    double TariffGrowth = EconomicsInputs{}.TariffGrowth;       // yearly indexation of the tariff
    double LampPriceGrowth = EconomicsInputs{}.LampPriceGrowth; // yearly rise of lamp prices
    double DiscountRate = EconomicsInputs{}.DiscountRate;
    std::int32_t HorizonYears = EconomicsInputs{}.HorizonYears; // whole years
    double EmissionFactor = EconomicsInputs{}.EmissionFactor;   // kg CO2 per kWh of the grid
};

inline constexpr std::uint8_t LiftModelLinear = 0;
inline constexpr std::uint8_t LiftModelExponential = 1;

// Sets the scheme and settings fields to their start-up values, as the table of house fields
// (HouseFields) gives them. House fields and the tariff are left alone: they come from the input
// page.
void SetDefaultParameters(ProjectParameters& p);

} // namespace model
