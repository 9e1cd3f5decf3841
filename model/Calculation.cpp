#include "Calculation.h"

#include "ResultFigures.h"
#include "Simulation.h"

namespace model {

void Calculate(const ProjectParameters& p, std::uint32_t seed, SimulatedDays days,
               SimulationResult& result) {
    ComputeDailyEnergy(p, result);
    if (days == SimulatedDays::All) {
        RunSimulation(p, result, seed);
    } else {
        RunSimulationUntilPayback(p, result, seed);
    }
}

namespace {

// Goes on until both the report's and the economics' figures are found.
class FiguresObserver final : public DayObserver {
public:
    FiguresObserver(EconomicsRun& economics, const SimulationResult& run)
        : economics_(economics), run_(run) {}
    int FirstDayToAsk() const override { return economics_.HorizonLastDay(); }
    int AfterDay(int day) override {
        const bool economicsGoOn = economics_.AddDays(day);
        return economicsGoOn || !run_.PaybackFound ? day + 1 : -1;
    }

private:
    EconomicsRun& economics_;
    const SimulationResult& run_;
};

} // namespace

HouseFigures CalculateFigures(const ProjectParameters& p, std::uint32_t seed,
                              CalculationMemory& memory, bool economics) {
    SimulationResult& days = memory.Days;
    std::optional<EconomicsFigures> economicsFigures;
    if (economics) {
        ComputeDailyEnergy(p, days);
        EconomicsRun run(p, days, EconomicsInputsOf(p), memory.Economics);
        FiguresObserver observer(run, days);
        RunSimulationWhile(p, days, seed, observer, memory.Simulation);
        economicsFigures = run.Figures();
    } else {
        ComputeDailyEnergy(p, days);
        RunSimulationUntilPayback(p, days, seed, memory.Simulation);
    }
    std::vector<DayRecord> existingDays = std::move(days.ExistingDays);
    std::vector<DayRecord> plannedDays = std::move(days.PlannedDays);
    HouseFigures figures{days, FlatCount(p), std::move(economicsFigures)};
    days.ExistingDays = std::move(existingDays);
    days.PlannedDays = std::move(plannedDays);
    return figures;
}

} // namespace model
