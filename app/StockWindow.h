#pragma once

#include "BatchRun.h"
#include "HouseFile.h"
#include "NumberFormat.h"
#include "StockReport.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QPrinter;
class QTabWidget;
class QTableView;
class QTimer;
class ProblemModel;
class QCheckBox;
class StockChartView;
class StockDefaultsPanel;
class StockModel;
class StockRun;

// The housing stock: every house of a register file calculated on background threads by the batch
// run of virasvet-calc, shown as a table to sort and filter, the rejected rows, totals and two
// charts; a house opens into the main window; the table saves as virasvet-calc writes it and the
// stock as a PDF report or a printout. The window's thread never waits on the file or on a
// calculation; closing the window stops the run.
class StockWindow : public QWidget {
    Q_OBJECT
public:
    // What the window asks the user; tests answer without dialogs.
    struct Questions {
        std::function<QString(QWidget* parent, const QString& title, const QString& suggested)>
            TableFileName;
        std::function<QString(QWidget* parent, const QString& suggested)> ReportFileName;
        std::function<QString(QWidget* parent, const QString& suggested)> ProblemsFileName;
        std::function<bool(QWidget* parent, QPrinter& printer)> PrintSetup;
    };
    // Opens a house in the main window and calculates it with the stock's seed.
    using HouseOpener = std::function<void(const OpenedHouse& house, std::uint32_t seed)>;
    // The capital plan's page of the report, none while no plan is made.
    using PlanPageSource = std::function<std::optional<report::StockPlanPage>()>;

    // Starts calculating the file at once with the seed.
    StockWindow(const QString& fileName, std::uint32_t seed, const model::NumberLocale& locale,
                QWidget* parent = nullptr);
    ~StockWindow() override;

    void SetHouseOpener(HouseOpener opener) { opener_ = std::move(opener); }
    void SetQuestions(Questions questions) { questions_ = std::move(questions); }
    void SetPlanPageSource(PlanPageSource source) { planPage_ = std::move(source); }
    // Another page beside the table, charts and rejected rows (the capital plan).
    void AddTab(QWidget* page, const QString& title);

    // Every row of the file in input order, as calculated so far; a rejected row has no figures.
    // A copy of what the table holds compactly: for a few houses.
    std::vector<stock::BatchHouse> Houses() const;
    std::uint32_t Seed() const { return seed_; }
    bool Running() const { return run_ != nullptr && running_; }
    QString FileName() const { return fileName_; }

    // Calculates the file again with the seed typed in "Зерно расчёта" and the stock-wide values
    // of the panel. Throws std::runtime_error, the field focused, when one cannot be taken.
    void Recalculate();
    void Stop();
    void OpenRow(int row);
    // Opens the house of a problem in the main window with the problem's field focused, as far
    // as its row can be read, without calculating it.
    void OpenProblem(int row);
    // Opens the house of input line `line` (of the continuation sheet `sheetName`, when not empty,
    // as sheet::SheetRecord::Sheet) as a row of the table is opened.
    void OpenLine(std::size_t line, const std::string& sheetName = {},
                  std::optional<std::size_t> focusField = std::nullopt);
    void SaveTable();
    void SaveReport();
    // The problems tab as a file (.xlsx, .ods or .csv), as virasvet-calc --problems writes it.
    void SaveProblems();
    void Print();
    // The report of the houses shown, as saved and printed.
    report::StockReportContent ReportContent() const;

    // For tests and the plan: the parts of the window.
    StockModel& Model() const { return *model_; }
    ProblemModel& Problems() const { return *problems_; }
    QTableView* ProblemTable() const { return problemTable_; }
    QCheckBox* StrictBox() const { return strictBox_; }
    QTableView* Table() const { return table_; }
    QTabWidget* Tabs() const { return tabs_; }
    QLineEdit* FilterBox() const { return filter_; }
    QLineEdit* SeedBox() const { return seedBox_; }
    QLabel* Notice() const { return notice_; }
    StockDefaultsPanel* DefaultsPanel() const { return defaultsPanel_; }
    QProgressBar* ProgressBar() const { return progress_; }
    StockChartView* BarsChart() const { return bars_; }
    StockChartView* CurveChart() const { return curve_; }
    const report::StockTotals& Totals() const { return totals_; }

signals:
    // The run has ended (finished, stopped or failed); its rows are all in the table.
    void runEnded();
    // Houses have been added, the table emptied for a new run, or the filter changed which are
    // shown.
    void housesChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* MakeTop();
    QWidget* MakeHousesPage();
    QWidget* MakeChartsPage();
    QWidget* MakeProblemsPage();
    // A name to save into, suggested in the register's folder or where the last file went.
    QString SuggestedName(const QString& last, const QString& ending) const;
    QWidget* MakeButtons();
    void Start();
    void Opened(bool usable);
    void Arrived(std::vector<stock::BatchHouse>& houses);
    void Ended(stock::BatchEnd end, const QString& failure);
    void ShowProgress();
    void Refresh();
    void ShowNotice(const QString& text);
    void HouseRowRead(std::optional<OpenedHouse> house, const QString& failure);

    QString fileName_;
    std::uint32_t seed_;
    model::NumberLocale locale_;
    HouseOpener opener_;
    Questions questions_;
    PlanPageSource planPage_;
    StockModel* model_;
    ProblemModel* problems_;
    std::unique_ptr<StockRun> run_;
    bool running_ = false;
    QElapsedTimer clock_;
    report::StockTotals totals_;
    QStringList notices_;
    QString lastTable_;
    QString lastReport_;
    QString lastProblems_;

    // The stock-wide values the houses shown were calculated with.
    sheet::FieldDefaults defaults_;

    QLineEdit* seedBox_ = nullptr;
    QCheckBox* strictBox_ = nullptr;
    QTableView* problemTable_ = nullptr;
    StockDefaultsPanel* defaultsPanel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressText_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QLabel* notice_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* totalsText_ = nullptr;
    StockChartView* bars_ = nullptr;
    StockChartView* curve_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QTimer* refreshTimer_ = nullptr;

    // Reading one row again for the main window, off the window's thread.
    std::thread rowReader_;
    std::atomic<bool> stopRowReader_{false};
};

// The row of a sheet at an input line, read as "Открыть дом…" reads a house, the stock-wide
// values filling what it lacks; none when the file has no such row. Stops early, with none, once
// `stop` is set. Throws std::runtime_error with the row's messages when it is rejected, and
// sheet::SheetError when the file cannot be read.
// With `readable`, a rejected row opens as far as it can be read: the cells that read as they
// stand, the faulty ones shown as written over the start-up values.
std::optional<OpenedHouse> ReadSheetRow(const std::string& fileName, std::size_t line,
                                        const std::string& sheetName,
                                        const sheet::FieldDefaults& defaults,
                                        const std::atomic<bool>& stop, bool readable = false);
