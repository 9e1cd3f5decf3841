#pragma once

#include "BatchRun.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stock {

// The houses of a run, every one of them, held compactly for a receiver that keeps them all (the
// window holds up to a million): their texts side by side in one buffer, their figures as plain
// numbers, the yearly parts of their values in one list, the problems only of the houses that
// have any. A house given back is the house that was added, field for field.
class HouseStore {
public:
    void Clear();
    void Add(const BatchHouse& house);

    std::size_t Size() const { return houses_.size(); }
    // The house as it was added.
    BatchHouse House(std::size_t i) const;

    std::size_t Line(std::size_t i) const { return houses_[i].Line; }
    // The continuation sheet of its line (sheet::SheetRecord::Sheet).
    const std::string& Sheet(std::size_t i) const { return sheets_[houses_[i].File]; }
    std::size_t Rows(std::size_t i) const { return houses_[i].Rows; }
    bool Calculated(std::size_t i) const { return houses_[i].Figures.Calculated; }
    std::string_view Address(std::size_t i) const { return Text(i, 0); }
    // The house's cell of carried column `column`; empty past its cells.
    std::string_view Carried(std::size_t i, std::size_t column) const {
        return Text(i, 2 + column);
    }
    std::size_t CarriedCount(std::size_t i) const { return houses_[i].Cells - 2; }
    // The figures of a calculated house, without the yearly parts of its value (the plan's).
    model::HouseFigures Figures(std::size_t i) const;
    const std::vector<sheet::RowProblem>& Problems(std::size_t i) const;

    // A house's figures as plain numbers: a calculated house's result but its day series.
    struct PlainFigures {
        bool Calculated = false;
        bool PaybackFound = false;
        bool HasEconomics = false;
        bool DiscountedPaybackFound = false;
        std::int32_t FittingCountExisting = 0;
        std::int32_t FittingCountPlanned = 0;
        std::int32_t BlockCount = 0;
        std::int32_t PaybackDay = 0;
        std::int32_t PaybackReplacedExisting = 0;
        std::int32_t PaybackReplacedPlanned = 0;
        std::int32_t DiscountedPaybackDay = 0;
        double DailyEnergyExisting = 0;
        double DailyEnergyPlanned = 0;
        double DailyEnergyCostExisting = 0;
        double DailyEnergyCostPlanned = 0;
        double InstallCostExisting = 0;
        double InstallCostPlanned = 0;
        double PaybackCostExisting = 0;
        double PaybackCostPlanned = 0;
        double Flats = 1;
        double NetPresentValue = 0;
        model::NetPresentValueParts ValueParts;
        model::ReturnRate InternalRateOfReturn;
        double EnergySavedPerYear = 0;
        double MoneySavedFirstYear = 0;
        double CO2AvoidedPerYear = 0;
    };

private:
    struct Stored {
        std::uint64_t Line = 0;
        std::uint64_t TextAt = 0;    // in texts_: the address, the company, the carried cells
        std::uint32_t Cells = 0;     // texts of the house
        std::uint32_t Rows = 1;      // BatchHouse::Rows
        std::uint32_t File = 0;      // in files_ and sheets_
        std::uint32_t Extra = 0;     // in extras_ from 1; 0: no messages or problems
        std::uint32_t YearEndAt = 0; // in yearEnds_
        std::uint32_t YearEnds = 0;
        model::PlanYearRule PlanYear;
        char DecimalMark = 0; // 0: none
        PlainFigures Figures;
        model::EconomicsInputs EconomicsInputs;
    };
    struct Extra {
        std::vector<std::string> Messages;
        std::vector<sheet::RowProblem> Problems;
    };

    std::string_view Text(std::size_t i, std::size_t cell) const;
    bool TextIsNumber(std::size_t i, std::size_t cell) const;
    void AddText(std::string_view text, bool number);

    std::vector<Stored> houses_;
    std::string texts_; // each text after its length (4 bytes, the top bit: a number's cell)
    std::vector<std::string> files_;
    std::vector<std::string> sheets_; // the sheet of each file's entry
    std::vector<Extra> extras_;
    std::vector<model::NetPresentValueParts> yearEnds_;
};

} // namespace stock
