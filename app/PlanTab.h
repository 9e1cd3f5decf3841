#pragma once

#include "BatchRun.h"
#include "NumberFormat.h"
#include "PlanChart.h"
#include "PlanSheet.h"
#include "PlanSolver.h"
#include "StockReport.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QStandardItemModel;
class QTableView;
class QTableWidget;
class QThread;

namespace app {

// A calculated house the plan may fit, and what identifies it in the stock.
struct PlanTabHouse {
    plan::HouseOffer Offer;
    std::size_t Line = 0;             // its line in the input
    std::string Sheet;                // its continuation sheet (sheet::SheetRecord::Sheet)
    std::string Address;              // UTF-8
    std::string Company;              // its management company, UTF-8
    std::vector<std::string> Carried; // its carried cells, UTF-8
    model::EconomicsInputs Economics; // its rates and horizon, for the plan's rules
    plan::HouseRule Rule;             // the office's decision (the register's PlanYear)
};

struct PlanTabInput {
    std::vector<std::string> CarriedNames; // the carried columns' names
    std::vector<PlanTabHouse> Houses;
    std::string Filter; // the stock table's filter the houses pass, UTF-8; empty: none
};

// The houses a plan is made of, read one at a time so that a stock of a million is not copied
// (they are made from the stock's table as they are asked for): how many, and house i.
struct PlanTabHouses {
    std::size_t Count = 0;
    std::function<PlanTabHouse(std::size_t i)> At;
};

// A row of a batch run as the plan takes it; none for a rejected row or one calculated without
// its economics figures (BatchOptions::EconomicsFigures).
std::optional<PlanTabHouse> PlanHouseOf(const stock::BatchHouse& house);

// The tab "План": budgets by year, the objective, the plan solved off the interface thread with
// its table, totals by year and chart, saved as .xlsx, .ods or .csv. A plan shown is always the
// one of the budgets, objective and houses last asked for: a refused budget or a new search
// clears it.
class PlanTab : public QWidget {
    Q_OBJECT

public:
    explicit PlanTab(const model::NumberLocale& locale, QWidget* parent = nullptr);
    ~PlanTab() override;

    // New houses: the plan made for the old ones is dropped (a search under way is stopped).
    void SetHouses(PlanTabInput input);
    // The same with the houses taken from `take` only once a plan is asked for (a stock may hold
    // a million), and read from what it gives whenever needed, never copied: `input` without
    // houses, `houses` how many `take` gives.
    void SetHouses(PlanTabInput input, std::size_t houses, std::function<PlanTabHouses()> take);
    void SetTimeLimit(double seconds) { timeLimit_ = seconds; }
    bool HasPlan() const { return solution_.has_value(); }
    bool IsSolving() const { return worker_ != nullptr; }
    // The chart of the current plan, for a page of the stock report.
    report::PlanChartData ChartData() const;
    // The plan's part of the stock report: its summary, rules, chart and list; none while no plan
    // is made.
    std::optional<report::StockPlanPage> ReportPage() const;

signals:
    // A row of the plan was double-clicked: the house's index in the input.
    void houseRequested(std::size_t house);
    // A search ended, with a plan or with its error shown.
    void solvingFinished();

private:
    void BuildControls();
    void BuildInputs();
    void BuildResults();
    void LayOut();
    void SetYears(int years);
    std::optional<std::vector<double>> ReadBudgets();
    // The problem of the houses under the tab's rules, or the message why it has no plan.
    std::optional<plan::Problem> RuledProblem(const std::vector<double>& budgets);
    // The rules of the plan about to be made, for its summary, file and report.
    void NoteRules(const std::vector<double>& budgets);
    void Solve();
    void Finish(const plan::Problem& problem, std::shared_ptr<plan::Solution> solution,
                QString error);
    void ShowPlan();
    void ShowTotals();
    void SetStatus(const QString& text);
    // Drops the plan shown: it is no longer the one asked for.
    void DropPlan();
    stock::PlanDocument Document() const;
    void SavePlanFile();
    plan::Objective CurrentObjective() const;
    void StopWorker();
    void ReleaseWorker();

    model::NumberLocale locale_;
    PlanTabInput input_;
    std::function<PlanTabHouses()> take_; // set: the houses are not yet taken
    std::size_t houseCount_ = 0;
    PlanTabHouses houses_; // input_'s houses, or those `take_` gave
    // One a house once planned, for its file; only the chosen houses' are filled in.
    std::vector<stock::PlanHouseSource> sources_;
    double timeLimit_ = 60;

    QSpinBox* years_ = nullptr;
    QTableWidget* budgets_ = nullptr;
    QComboBox* objective_ = nullptr;
    QCheckBox* carryOver_ = nullptr;
    QSpinBox* maxHouses_ = nullptr; // 0: no limit
    QPushButton* solve_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* save_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QStandardItemModel* planModel_ = nullptr;
    QSortFilterProxyModel* planSorted_ = nullptr;
    QTableView* planTable_ = nullptr;
    QTableWidget* totals_ = nullptr;
    QWidget* chart_ = nullptr;

    // The problem and objective of the plan shown (or being made).
    plan::Problem problem_;
    stock::PlanRules rules_;   // of the plan shown
    stock::PlanRules solving_; // of the plan being made
    std::optional<plan::Solution> solution_;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stopFlag_;
    int generation_ = 0; // of the search whose result is awaited
};

} // namespace app
