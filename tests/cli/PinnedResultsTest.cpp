// virasvet-calc's result cells pinned for houses in which every input has a value of its own, so
// that a field read into the wrong place, a figure taken from the wrong scheme or rounded wrongly,
// or a payback a day off changes a cell. Where the first row follows from its inputs alone it was
// worked out by hand: 3 entrances of 7 landings, 6 flights and a vestibule have 3 × (7 × 2 + 6 + 3)
// = 69 existing fittings at 130 + 45 (12 075), 69 planned at 270 + 65 and 69 blocks at 480 + 120
// (64 515), 84 flats (144 and 768 each), and 3 × (14 × 60 × 11,5 + 6 × 75 × 9,25 + 3 × 95 × 20)
// / 1000 = 58,5675 kWh a day (1 757,03 in 30 days, 3 812,74 roubles at 2,17).
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <string>
#include <vector>

namespace {

const std::string Header =
    "Address;ManagementCompany;EntranceCount;FloorCount;HasLift;ResidentsPerFlat;FlatsPerFloor;"
    "Tariff;ExistingSchemeType;ExistingLampsLanding;ExistingLampsBetween;ExistingLampsVestibule;"
    "ExistingLampLife;ExistingLampPrice;ExistingPowerLanding;ExistingPowerBetween;"
    "ExistingPowerVestibule;ExistingHoursLanding;ExistingHoursBetween;ExistingHoursVestibule;"
    "PlannedLampsLanding;PlannedLampsBetween;PlannedLampsVestibule;PlannedBlocksLanding;"
    "PlannedBlocksBetween;PlannedBlocksVestibule;PlannedLampLife;PlannedLampPrice;"
    "PlannedPowerLanding;PlannedPowerBetween;PlannedPowerVestibule;PlannedHoursLanding;"
    "PlannedHoursBetween;PlannedHoursVestibule;ExistingFittingPrice;ExistingFittingInstallPrice;"
    "PlannedFittingPrice;PlannedFittingInstallPrice;BlockPrice;BlockInstallPrice;HoldTimeLanding;"
    "HoldTimeBetween;HoldTimeVestibule;LiftModel;IndividualityCoefficient;PassagesPerResident\n";

// 1: blanks around the address and the lift flag, planned burn hours from the estimate, payback on
//    day 362 (a day earlier would round the months to 12,0).
// 2: planned burn hours given, payback on day 766 (a day later would round to 25,6).
// 3: no payback within the simulated days.
const std::string Houses =
    "\" ул. Мира 5 \";ТСЖ Заря;3;7;\"\t1 \";2,5;4;2,17;1;2;1;3;5;23;60;75;95;11,5;9,25;20;1;2;4;"
    "2;1;3;14;41;11;18;15;;;;130;45;270;65;480;120;50;25;15;0;0,8;4,2\n"
    "Садовая 3;;4;9;0;3,5;2;1,96;0;1;2;2;7;17;40;25;100;10,75;12;18,5;2;1;3;1;2;1;20;55;9;20;13;"
    "2,35;1,15;3,05;110;40;240;70;500;110;45;35;20;1;0,65;3,1\n"
    "без окупаемости;УК;5;9;1;4;3;1,38;0;1;1;2;6;10;40;40;40;13;13;24;1;1;2;1;1;1;18;10;40;40;"
    "40;;;;0;0;0;0;90000;100;60;20;10;1;1;3,5\n";

const std::array<std::string, 3> ExpectedRows = {
    "houses.csv;2;\" ул. Мира 5 \";ТСЖ "
    "Заря;1;362;12,1;65489;65368;12075;64515;144;768;69;69;0;69;58,57;"
    "0,82;1757,03;24,61;3812,74;53,40;311;5;20261207",
    "houses.csv;3;Садовая 3;;1;766;25,5;103567;103516;16200;99400;225;1381;108;116;0;104;49,48;"
    "2,73;1484,40;82,04;2909,42;160,79;758;0;20261207",
    "houses.csv;4;без окупаемости;УК;0;;;;;0;8109000;0;60067;95;95;0;90;53,80;3,83;1614,00;114,96;"
    "2227,32;158,64;;;20261207",
};

// The same houses with economics inputs of their own, pinned from the day-by-day valuation:
// 1: tariff +5 %, lamps +3 %, 8 %, one year: discounted payback on day 376, after the horizon's
//    last day 364, and a return rate barely above 0;
// 2: tariff +10 %, lamps -5 %, 12 %, three years, 0,4 kg CO2 a kWh;
// 3: 5 % over ten years without any payback: no return rate.
const std::string EconomicsColumns =
    ";TariffGrowth;LampPriceGrowth;DiscountRate;HorizonYears;EmissionFactor";
const std::array<std::string, 3> EconomicsInputs = {"5;3;8;1;0", "10;-5;12;3;0,4", "0;0;5;10;0,5"};
const std::array<std::string, 3> ExpectedEconomics = {
    "1;376;12,5;-1698,43;1,11;21077,76;45738,75;0,000",
    "1;827;27,6;24791,24;34,87;17062,07;33441,66;6,825",
    "0;;;-7878145,46;;18238,32;25168,88;9,119",
};

using cli_test::Outcome;

class PinnedResults : public cli_test::ProgramRun {
protected:
    void Write(const std::string& name, const std::string& content) { File(name, content); }

    // The rows of the results, without the byte-order mark.
    static std::vector<std::string> Rows(std::string text) {
        if (text.starts_with("\xEF\xBB\xBF")) {
            text.erase(0, 3);
        }
        return cli_test::Lines(text);
    }
};

TEST_F(PinnedResults, EveryCellOfHousesWithDistinctInputs) {
    Write("houses.csv", Header + Houses);
    const Outcome run = Calc("--seed 20261207 houses.csv");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> rows = Rows(run.Out);
    ASSERT_EQ(rows.size(), 4u) << run.Out;
    for (std::size_t i = 0; i < ExpectedRows.size(); ++i) {
        EXPECT_EQ(rows[i + 1], ExpectedRows[i]);
    }
}

TEST_F(PinnedResults, TheWholeResultHeader) {
    // Every column by name, in order: two columns swapped would go unnoticed by a row check of
    // equal figures.
    Write("houses.csv", Header + Houses);
    const std::string report =
        "File;Line;Address;ManagementCompany;PaybackFound;PaybackDay;PaybackMonths;"
        "PaybackCostExisting;"
        "PaybackCostPlanned;InstallCostExisting;InstallCostPlanned;InstallCostPerFlatExisting;"
        "InstallCostPerFlatPlanned;FittingCountExisting;FittingCountPlanned;BlockCountExisting;"
        "BlockCountPlanned;DailyEnergyExisting;DailyEnergyPlanned;MonthlyEnergyExisting;"
        "MonthlyEnergyPlanned;MonthlyEnergyCostExisting;MonthlyEnergyCostPlanned;"
        "PaybackReplacedExisting;PaybackReplacedPlanned;Seed";
    EXPECT_EQ(Rows(Calc("--seed 1 houses.csv").Out).at(0), report);
    EXPECT_EQ(Rows(Calc("--seed 1 --economics houses.csv").Out).at(0),
              report + ";DiscountedPaybackFound;DiscountedPaybackDay;DiscountedPaybackMonths;"
                       "NetPresentValue;InternalRateOfReturn;EnergySavedPerYear;"
                       "MoneySavedFirstYear;CO2AvoidedPerYear");
}

TEST_F(PinnedResults, EconomicsOfHousesWithDistinctInputs) {
    std::string houses = Header.substr(0, Header.size() - 1) + EconomicsColumns + "\n";
    std::size_t start = 0;
    for (const std::string& inputs : EconomicsInputs) {
        const std::size_t end = Houses.find('\n', start);
        houses += Houses.substr(start, end - start) + ";" + inputs + "\n";
        start = end + 1;
    }
    Write("houses.csv", houses);
    const Outcome run = Calc("--seed 20261207 houses.csv");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> rows = Rows(run.Out);
    ASSERT_EQ(rows.size(), 4u) << run.Out;
    EXPECT_TRUE(rows[0].ends_with(";Seed;DiscountedPaybackFound;DiscountedPaybackDay;"
                                  "DiscountedPaybackMonths;NetPresentValue;InternalRateOfReturn;"
                                  "EnergySavedPerYear;MoneySavedFirstYear;CO2AvoidedPerYear"))
        << rows[0];
    for (std::size_t i = 0; i < ExpectedRows.size(); ++i) {
        // The report's own cells do not change with the economics.
        EXPECT_EQ(rows[i + 1], ExpectedRows[i] + ";" + ExpectedEconomics[i]);
    }
}

TEST_F(PinnedResults, SeedWholeRangeAndClockByDefault) {
    Write("houses.csv", Header + Houses);
    const Outcome highest = Calc("--seed 4294967295 houses.csv");
    EXPECT_EQ(highest.Status, 0);
    EXPECT_TRUE(Rows(highest.Out).at(1).ends_with(";4294967295")) << highest.Out;
    EXPECT_EQ(Calc("--seed 4294967296 houses.csv").Status, 2);

    const auto before = static_cast<unsigned long>(std::time(nullptr));
    const Outcome byClock = Calc("houses.csv");
    const auto after = static_cast<unsigned long>(std::time(nullptr));
    const std::string row = Rows(byClock.Out).at(1);
    const unsigned long seed = std::stoul(row.substr(row.rfind(';') + 1));
    EXPECT_GE(seed, before);
    EXPECT_LE(seed, after);
}

TEST_F(PinnedResults, DelimiterOfTheOptionTheFileAndTheTemplate) {
    Write("houses.csv", Header + Houses);
    // The option wins over the file's ';', and numbers follow it with a decimal point.
    const std::vector<std::string> comma =
        Rows(Calc("--seed 20261207 --delimiter , houses.csv").Out);
    EXPECT_TRUE(comma.at(1).starts_with("houses.csv,2,\" ул. Мира 5 \",ТСЖ Заря,1,362,12.1,65489,"))
        << comma.at(1);
    // Without the option, the first file's delimiter.
    Write("comma.csv", "Address,EntranceCount,Tariff\nx,3,2.5\n");
    EXPECT_TRUE(Rows(Calc("--seed 1 comma.csv").Out).at(1).starts_with("comma.csv,2,x,,1,"));

    const std::vector<std::string> pointTemplate = Rows(Calc("--template --delimiter ,").Out);
    EXPECT_NE(pointTemplate.at(1).find(",1.38,"), std::string::npos) << pointTemplate.at(1);
    EXPECT_TRUE(pointTemplate.at(1).starts_with("\"ул.   д. \",")) << pointTemplate.at(1);
    const std::vector<std::string> commaTemplate = Rows(Calc("--template").Out);
    EXPECT_NE(commaTemplate.at(1).find(";1,38;"), std::string::npos) << commaTemplate.at(1);
}

TEST_F(PinnedResults, EveryUnusableFileIsReported) {
    Write("unknown.csv", "Address;EntranceCont\nx;3\n");
    Write("good.csv", Header + Houses);
    const Outcome run = Calc("missing.csv unknown.csv good.csv");
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("missing.csv"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("unknown.csv:1: EntranceCont"), std::string::npos) << run.Err;
}

TEST_F(PinnedResults, CodesAreWholeNumbers) {
    for (const char* column : {"LiftModel", "ExistingSchemeType", "PlannedSchemeType"}) {
        for (const char* value : {"0,5", "1,5", "2", "-1"}) {
            Write("codes.csv", std::string("Address;") + column + "\nx;" + value + "\n");
            const Outcome run = Calc("--seed 1 codes.csv");
            EXPECT_EQ(run.Status, 1) << column << " " << value;
            EXPECT_NE(run.Err.find(std::string("codes.csv:2: ") + column), std::string::npos)
                << run.Err;
        }
        Write("codes.csv", std::string("Address;") + column + "\nx;1,0\n");
        EXPECT_EQ(Calc("--seed 1 codes.csv").Status, 0) << column;
    }
}

} // namespace
