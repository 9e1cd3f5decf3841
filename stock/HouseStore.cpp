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

// Each figure of a calculation beside its plain copy, listed once for both directions (either
// side may be const: the figures are visited, not copied, here).
template <class Result, class Plain, class Visit>
void PairFigures(Result& r, Plain& p, Visit visit) {
    visit(r.PaybackFound, p.PaybackFound);
    visit(r.FittingCountExisting, p.FittingCountExisting);
    visit(r.FittingCountPlanned, p.FittingCountPlanned);
    visit(r.BlockCount, p.BlockCount);
    visit(r.PaybackDay, p.PaybackDay);
    visit(r.PaybackReplacedExisting, p.PaybackReplacedExisting);
    visit(r.PaybackReplacedPlanned, p.PaybackReplacedPlanned);
    visit(r.DailyEnergyExisting, p.DailyEnergyExisting);
    visit(r.DailyEnergyPlanned, p.DailyEnergyPlanned);
    visit(r.DailyEnergyCostExisting, p.DailyEnergyCostExisting);
    visit(r.DailyEnergyCostPlanned, p.DailyEnergyCostPlanned);
    visit(r.InstallCostExisting, p.InstallCostExisting);
    visit(r.InstallCostPlanned, p.InstallCostPlanned);
    visit(r.PaybackCostExisting, p.PaybackCostExisting);
    visit(r.PaybackCostPlanned, p.PaybackCostPlanned);
}

template <class Economics, class Plain, class Visit>
void PairEconomics(Economics& e, Plain& p, Visit visit) {
    visit(e.DiscountedPaybackFound, p.DiscountedPaybackFound);
    visit(e.DiscountedPaybackDay, p.DiscountedPaybackDay);
    visit(e.NetPresentValue, p.NetPresentValue);
    visit(e.ValueParts, p.ValueParts);
    visit(e.InternalRateOfReturn, p.InternalRateOfReturn);
    visit(e.EnergySavedPerYear, p.EnergySavedPerYear);
    visit(e.MoneySavedFirstYear, p.MoneySavedFirstYear);
    visit(e.CO2AvoidedPerYear, p.CO2AvoidedPerYear);
}

constexpr auto IntoPlain = [](const auto& figure, auto& plain) { plain = figure; };
constexpr auto FromPlain = [](auto& figure, const auto& plain) { figure = plain; };

HouseStore::PlainFigures PlainOf(const model::HouseFigures& f) {
    HouseStore::PlainFigures p;
    p.Calculated = true;
    PairFigures(f.Result, p, IntoPlain);
    p.Flats = f.Flats;
    if (f.Economics) {
        p.HasEconomics = true;
        PairEconomics(*f.Economics, p, IntoPlain);
    }
    return p;
}

model::HouseFigures FiguresOf(const HouseStore::PlainFigures& p) {
    model::HouseFigures f;
    PairFigures(f.Result, p, FromPlain);
    f.Flats = p.Flats;
    if (p.HasEconomics) {
        PairEconomics(f.Economics.emplace(), p, FromPlain);
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
