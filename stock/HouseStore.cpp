#include "HouseStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace stock {

namespace {

constexpr std::uint32_t NumberCell = 0x80000000u;

// Every figure of a house is held: one added to the results must be added here too.
static_assert(sizeof(model::SimulationResult) == 144 && sizeof(model::EconomicsFigures) == 144,
              "a figure added to the results is held by HouseStore::PlainFigures too");

HouseStore::PlainFigures PlainOf(const model::HouseFigures& f) {
    HouseStore::PlainFigures p;
    const model::SimulationResult& r = f.Result;
    p.Calculated = true;
    p.PaybackFound = r.PaybackFound;
    p.FittingCountExisting = r.FittingCountExisting;
    p.FittingCountPlanned = r.FittingCountPlanned;
    p.BlockCount = r.BlockCount;
    p.PaybackDay = r.PaybackDay;
    p.PaybackReplacedExisting = r.PaybackReplacedExisting;
    p.PaybackReplacedPlanned = r.PaybackReplacedPlanned;
    p.DailyEnergyExisting = r.DailyEnergyExisting;
    p.DailyEnergyPlanned = r.DailyEnergyPlanned;
    p.DailyEnergyCostExisting = r.DailyEnergyCostExisting;
    p.DailyEnergyCostPlanned = r.DailyEnergyCostPlanned;
    p.InstallCostExisting = r.InstallCostExisting;
    p.InstallCostPlanned = r.InstallCostPlanned;
    p.PaybackCostExisting = r.PaybackCostExisting;
    p.PaybackCostPlanned = r.PaybackCostPlanned;
    p.Flats = f.Flats;
    if (f.Economics) {
        const model::EconomicsFigures& e = *f.Economics;
        p.HasEconomics = true;
        p.DiscountedPaybackFound = e.DiscountedPaybackFound;
        p.DiscountedPaybackDay = e.DiscountedPaybackDay;
        p.NetPresentValue = e.NetPresentValue;
        p.ValueParts = e.ValueParts;
        p.InternalRateOfReturn = e.InternalRateOfReturn;
        p.EnergySavedPerYear = e.EnergySavedPerYear;
        p.MoneySavedFirstYear = e.MoneySavedFirstYear;
        p.CO2AvoidedPerYear = e.CO2AvoidedPerYear;
    }
    return p;
}

model::HouseFigures FiguresOf(const HouseStore::PlainFigures& p) {
    model::HouseFigures f;
    model::SimulationResult& r = f.Result;
    r.PaybackFound = p.PaybackFound;
    r.FittingCountExisting = p.FittingCountExisting;
    r.FittingCountPlanned = p.FittingCountPlanned;
    r.BlockCount = p.BlockCount;
    r.PaybackDay = p.PaybackDay;
    r.PaybackReplacedExisting = p.PaybackReplacedExisting;
    r.PaybackReplacedPlanned = p.PaybackReplacedPlanned;
    r.DailyEnergyExisting = p.DailyEnergyExisting;
    r.DailyEnergyPlanned = p.DailyEnergyPlanned;
    r.DailyEnergyCostExisting = p.DailyEnergyCostExisting;
    r.DailyEnergyCostPlanned = p.DailyEnergyCostPlanned;
    r.InstallCostExisting = p.InstallCostExisting;
    r.InstallCostPlanned = p.InstallCostPlanned;
    r.PaybackCostExisting = p.PaybackCostExisting;
    r.PaybackCostPlanned = p.PaybackCostPlanned;
    f.Flats = p.Flats;
    if (p.HasEconomics) {
        model::EconomicsFigures& e = f.Economics.emplace();
        e.DiscountedPaybackFound = p.DiscountedPaybackFound;
        e.DiscountedPaybackDay = p.DiscountedPaybackDay;
        e.NetPresentValue = p.NetPresentValue;
        e.ValueParts = p.ValueParts;
        e.InternalRateOfReturn = p.InternalRateOfReturn;
        e.EnergySavedPerYear = p.EnergySavedPerYear;
        e.MoneySavedFirstYear = p.MoneySavedFirstYear;
        e.CO2AvoidedPerYear = p.CO2AvoidedPerYear;
    }
    return f;
}

std::uint32_t Narrow(std::size_t value) {
    if (value > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("более 4 294 967 295 записей о домах");
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

void HouseStore::Clear() {
    houses_ = {};
    texts_ = {};
    files_.clear();
    sheets_.clear();
    extras_.clear();
    yearEnds_ = {};
}

void HouseStore::AddText(std::string_view text, bool number) {
    const std::uint32_t length = Narrow(text.size()) | (number ? NumberCell : 0);
    char bytes[sizeof length];
    std::memcpy(bytes, &length, sizeof length);
    texts_.append(bytes, sizeof length);
    texts_.append(text);
}

void HouseStore::Add(const BatchHouse& house) {
    Stored stored;
    stored.Line = house.Source.Line;
    stored.Rows = Narrow(house.Rows);
    std::size_t file = 0;
    while (file < files_.size() &&
           (files_[file] != house.Source.File || sheets_[file] != house.Source.Sheet)) {
        ++file;
    }
    stored.File = Narrow(file);
    if (file == files_.size()) {
        files_.push_back(house.Source.File);
        sheets_.push_back(house.Source.Sheet);
    }
    stored.TextAt = texts_.size();
    stored.Cells = Narrow(2 + house.Carried.size());
    AddText(house.Source.Address, false);
    AddText(house.Source.ManagementCompany, false);
    for (std::size_t c = 0; c < house.Carried.size(); ++c) {
        AddText(house.Carried[c], c < house.CarriedNumbers.size() && house.CarriedNumbers[c]);
    }
    if (!house.Messages.empty() || !house.Problems.empty()) {
        extras_.push_back({house.Messages, house.Problems});
        stored.Extra = Narrow(extras_.size());
    }
    stored.PlanYear = house.PlanYear;
    stored.DecimalMark = house.DecimalMark.value_or('\0');
    if (house.Figures) {
        stored.Figures = PlainOf(*house.Figures);
        if (house.Figures->Economics) {
            const auto& ends = house.Figures->Economics->YearEndParts;
            stored.YearEndAt = Narrow(yearEnds_.size());
            stored.YearEnds = Narrow(ends.size());
            yearEnds_.insert(yearEnds_.end(), ends.begin(), ends.end());
        }
    }
    stored.EconomicsInputs = house.EconomicsInputs;
    houses_.push_back(stored);
}

std::string_view HouseStore::Text(std::size_t i, std::size_t cell) const {
    const Stored& house = houses_[i];
    if (cell >= house.Cells) {
        return {};
    }
    std::size_t at = house.TextAt;
    for (std::size_t c = 0;; ++c) {
        std::uint32_t length = 0;
        std::memcpy(&length, texts_.data() + at, sizeof length);
        length &= ~NumberCell;
        at += sizeof length;
        if (c == cell) {
            return std::string_view(texts_).substr(at, length);
        }
        at += length;
    }
}

bool HouseStore::TextIsNumber(std::size_t i, std::size_t cell) const {
    const std::string_view text = Text(i, cell);
    std::uint32_t length = 0;
    std::memcpy(&length, text.data() - sizeof length, sizeof length);
    return (length & NumberCell) != 0;
}

model::HouseFigures HouseStore::Figures(std::size_t i) const {
    return FiguresOf(houses_[i].Figures);
}

const std::vector<sheet::RowProblem>& HouseStore::Problems(std::size_t i) const {
    static const std::vector<sheet::RowProblem> none;
    const std::uint32_t extra = houses_[i].Extra;
    return extra == 0 ? none : extras_[extra - 1].Problems;
}

BatchHouse HouseStore::House(std::size_t i) const {
    const Stored& stored = houses_[i];
    BatchHouse house;
    house.Source = {files_[stored.File], stored.Line, std::string(Text(i, 0)),
                    std::string(Text(i, 1)), sheets_[stored.File]};
    house.Rows = stored.Rows;
    for (std::size_t c = 2; c < stored.Cells; ++c) {
        house.Carried.emplace_back(Text(i, c));
        house.CarriedNumbers.push_back(TextIsNumber(i, c));
    }
    house.PlanYear = stored.PlanYear;
    if (stored.DecimalMark != '\0') {
        house.DecimalMark = stored.DecimalMark;
    }
    if (stored.Extra != 0) {
        house.Messages = extras_[stored.Extra - 1].Messages;
        house.Problems = extras_[stored.Extra - 1].Problems;
    }
    if (stored.Figures.Calculated) {
        house.Figures = FiguresOf(stored.Figures);
        if (house.Figures->Economics) {
            const auto ends = yearEnds_.begin() + stored.YearEndAt;
            house.Figures->Economics->YearEndParts.assign(ends, ends + stored.YearEnds);
        }
    }
    house.EconomicsInputs = stored.EconomicsInputs;
    return house;
}

} // namespace stock
