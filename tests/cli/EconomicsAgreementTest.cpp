// virasvet-calc's economics columns against a calculation of their own: the plain day loop of the
// simulation and each day's discounted cost summed directly, for random houses and rates.
#include "HouseInput.h"
#include "Simulation.h"
#include "SimulationReference.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t Seed = 314159;

struct Independent {
    std::optional<int> PaybackDay;
    double NetPresentValue = 0;
    std::optional<double> ReturnRate; // percent; none when the value at 0 % is not positive
};

// Day d costs its energy at the year's tariff and its new lamps at the year's price, worth
// (1 + rate)^(-d / 365) today; the sums start with the installation.
double CostDifference(const model::ProjectParameters& p, const model::SimulationResult& r,
                      double rate, int lastDay, std::optional<int>* payback) {
    double existing = r.InstallCostExisting;
    double planned = r.InstallCostPlanned;
    for (int day = 0; day <= lastDay; ++day) {
        const int year = day / 365;
        const double worth = std::pow(1 + rate / 100, -day / 365.0);
        const double tariff = std::pow(1 + p.TariffGrowth / 100, year);
        const double price = std::pow(1 + p.LampPriceGrowth / 100, year);
        const auto bought = [day](const std::vector<model::DayRecord>& days) {
            return days[day].ReplacedLamps - (day > 0 ? days[day - 1].ReplacedLamps : 0);
        };
        existing += (r.DailyEnergyCostExisting * tariff +
                     bought(r.ExistingDays) * p.ExistingLampPrice * price) *
                    worth;
        planned += (r.DailyEnergyCostPlanned * tariff +
                    bought(r.PlannedDays) * p.PlannedLampPrice * price) *
                   worth;
        if (payback != nullptr && !*payback && existing > planned) {
            *payback = std::max(day - 1, 0);
        }
    }
    return existing - planned;
}

Independent Calculate(const model::ProjectParameters& p) {
    model::SimulationResult r;
    model::ComputeDailyEnergy(p, r);
    reference::RunSimulationReference(p, r, Seed);
    Independent result;
    CostDifference(p, r, p.DiscountRate, model::SimulationDays - 1, &result.PaybackDay);
    const int horizon = std::min(365 * p.HorizonYears, model::SimulationDays) - 1;
    result.NetPresentValue = CostDifference(p, r, p.DiscountRate, horizon, nullptr);
    if (CostDifference(p, r, 0, horizon, nullptr) > 0) {
        // The value falls as the rate grows: halve the interval down to a thousandth of a percent.
        double low = 0;
        double high = 1000;
        while (high - low > 0.001) {
            const double middle = (low + high) / 2;
            (CostDifference(p, r, middle, horizon, nullptr) > 0 ? low : high) = middle;
        }
        result.ReturnRate = low;
    }
    return result;
}

double Cell(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::stod(text);
}

} // namespace

TEST(EconomicsAgreement, RandomHousesAgreeWithADayLoopOfTheirOwn) {
    std::mt19937 random(20261207);
    const auto pick = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    const auto whole = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::vector<std::string> columns = {
        "Address",         "EntranceCount", "FloorCount",   "ExistingLampLife",
        "PlannedLampLife", "BlockPrice",    "Tariff",       "TariffGrowth",
        "LampPriceGrowth", "DiscountRate",  "HorizonYears", "EmissionFactor"};
    std::string sheet;
    for (const std::string& column : columns) {
        sheet += column + (column == columns.back() ? "\n" : ";");
    }
    std::vector<std::vector<std::string>> rows;
    constexpr int Houses = 12;
    for (int i = 0; i < Houses; ++i) {
        const auto text = [](double value) {
            std::ostringstream out;
            out.precision(4);
            out << std::fixed << value;
            std::string s = out.str();
            std::replace(s.begin(), s.end(), '.', ',');
            return s;
        };
        rows.push_back({std::string("h").append(std::to_string(i)), std::to_string(whole(1, 6)),
                        std::to_string(whole(2, 12)), std::to_string(whole(2, 12)),
                        std::to_string(whole(6, 30)), text(pick(100, 1500)), text(pick(0.5, 6)),
                        text(pick(-10, 25)), text(pick(-10, 30)),
                        text(i % 4 == 0 ? 0 : pick(0, 40)), std::to_string(whole(1, 27)),
                        text(pick(0, 1))});
        for (std::size_t c = 0; c < columns.size(); ++c) {
            sheet += rows.back()[c] + (c + 1 == columns.size() ? "\n" : ";");
        }
    }
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("virasvet-economics-" + std::to_string(::getpid()) + ".csv");
    std::ofstream(file, std::ios::binary) << sheet;
    const std::string command = std::string("'") + VIRASVET_CALC + "' --no-bom --seed " +
                                std::to_string(Seed) + " '" + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t n = 0; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        output.append(buffer.data(), n);
    }
    ASSERT_EQ(WEXITSTATUS(::pclose(pipe)), 0) << output;
    std::filesystem::remove(file);

    std::istringstream lines(output);
    std::string line;
    std::getline(lines, line); // header
    std::map<std::string, std::size_t> at;
    {
        std::istringstream names(line);
        std::string name;
        for (std::size_t i = 0; std::getline(names, name, ';'); ++i) {
            if (!name.empty() && name.back() == '\r') {
                name.pop_back();
            }
            at[name] = i;
        }
    }
    ASSERT_TRUE(at.contains("InternalRateOfReturn")) << line;
    int compared = 0;
    int withRate = 0;
    for (int i = 0; i < Houses && std::getline(lines, line); ++i) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> cells;
        std::istringstream in(line);
        for (std::string cell; std::getline(in, cell, ';');) {
            cells.push_back(cell);
        }
        cells.resize(at.size());
        std::vector<std::optional<std::string_view>> texts(model::HouseFields().size());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const model::HouseField* field = model::FieldNamed(columns[c]);
            texts[static_cast<std::size_t>(field - model::HouseFields().data())] = rows[i][c];
        }
        model::ProjectParameters p;
        const std::vector<model::NumberLocale> locales = {{",", ""}};
        ASSERT_TRUE(model::ReadHouse(texts, locales, p).empty());
        const Independent expected = Calculate(p);
        SCOPED_TRACE(line);
        EXPECT_EQ(cells[at["DiscountedPaybackFound"]], expected.PaybackDay ? "1" : "0");
        if (expected.PaybackDay) {
            EXPECT_EQ(cells[at["DiscountedPaybackDay"]], std::to_string(*expected.PaybackDay));
        }
        EXPECT_NEAR(Cell(cells[at["NetPresentValue"]]), expected.NetPresentValue, 0.01);
        const std::string rate = cells[at["InternalRateOfReturn"]];
        if (expected.ReturnRate && *expected.ReturnRate < 999) {
            ++withRate;
            EXPECT_NEAR(Cell(rate), *expected.ReturnRate, 0.01);
        } else if (!expected.ReturnRate) {
            EXPECT_EQ(rate, "");
        }
        ++compared;
    }
    EXPECT_EQ(compared, Houses);
    EXPECT_GT(withRate, 2);
}
