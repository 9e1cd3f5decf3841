#include "PlanTab.h"

#include "Accessibility.h"
#include "HouseInput.h"
#include "HouseOffer.h"
#include "PlanRun.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace app {
namespace {

constexpr int SortRole = Qt::UserRole;
constexpr int HouseRole = Qt::UserRole + 1;

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// Draws the plan's chart as large as the widget.
class PlanChartView : public QWidget {
public:
    PlanChartView(const PlanTab& tab, const model::NumberLocale& locale, QWidget* parent)
        : QWidget(parent), tab_(tab), locale_(locale) {
        setMinimumSize(320, 220);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        report::DrawPlanChart(painter, rect(), tab_.ChartData(), locale_);
    }

private:
    const PlanTab& tab_;
    model::NumberLocale locale_;
};

QStandardItem* Cell(const QString& text, const QVariant& sortKey) {
    auto* item = new QStandardItem(text);
    item->setData(sortKey, SortRole);
    item->setEditable(false);
    return item;
}

// A message as a sentence: a message ending in "руб." ends the sentence already.
QString Sentence(const QString& text) {
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

QTableWidgetItem* ReadOnly(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

std::optional<PlanTabHouse> PlanHouseOf(const stock::BatchHouse& house) {
    if (!house.Figures || !house.Figures->Economics) {
        return std::nullopt;
    }
    return PlanTabHouse{plan::OfferOf(house.EconomicsInputs, *house.Figures),
                        house.Source.Line,
                        house.Source.Sheet,
                        house.Source.Address,
                        house.Source.ManagementCompany,
                        house.Carried,
                        house.EconomicsInputs,
                        house.PlanYear};
}

PlanTab::PlanTab(const model::NumberLocale& locale, QWidget* parent)
    : QWidget(parent), locale_(locale) {
    BuildControls();
    SetYears(1);
    ShowPlan();
}

PlanTab::~PlanTab() {
    StopWorker();
}

void PlanTab::BuildControls() {
    BuildInputs();
    BuildResults();
    LayOut();
}

// What the plan is asked for, and the buttons that start, stop and save it.
void PlanTab::BuildInputs() {
    years_ = new QSpinBox(this);
    years_->setRange(1, plan::MaxYears);
    years_->setAccessibleName(QStringLiteral("Лет в плане"));
    connect(years_, &QSpinBox::valueChanged, this, &PlanTab::SetYears);

    budgets_ = new QTableWidget(0, 1, this);
    budgets_->setHorizontalHeaderLabels({QStringLiteral("Бюджет, руб.")});
    budgets_->horizontalHeader()->setStretchLastSection(true);
    budgets_->setAccessibleName(QStringLiteral("Бюджеты по годам"));
    budgets_->setMinimumWidth(200);

    objective_ = new QComboBox(this);
    objective_->addItem(QStringLiteral("Чистая приведённая стоимость"),
                        static_cast<int>(plan::Objective::NetPresentValue));
    objective_->addItem(QStringLiteral("Сэкономленная энергия"),
                        static_cast<int>(plan::Objective::Energy));
    objective_->addItem(QStringLiteral("Предотвращённые выбросы CO₂"),
                        static_cast<int>(plan::Objective::CO2));
    objective_->setAccessibleName(QStringLiteral("Цель плана"));

    carryOver_ =
        new QCheckBox(QStringLiteral("Остаток бюджета переносится на следующий год"), this);
    carryOver_->setChecked(true);
    carryOver_->setAccessibleName(carryOver_->text());
    maxHouses_ = new QSpinBox(this);
    maxHouses_->setRange(0, 1000000);
    maxHouses_->setSpecialValueText(QStringLiteral("без ограничения"));
    maxHouses_->setAccessibleName(QStringLiteral("Домов в год, не более"));

    solve_ = new QPushButton(QStringLiteral("Составить план"), this);
    solve_->setAccessibleName(solve_->text());
    connect(solve_, &QPushButton::clicked, this, &PlanTab::Solve);
    stop_ = new QPushButton(QStringLiteral("Остановить"), this);
    stop_->setAccessibleName(QStringLiteral("Остановить поиск плана"));
    stop_->setEnabled(false);
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (stopFlag_) {
            *stopFlag_ = true;
        }
    });
    save_ = new QPushButton(QStringLiteral("Сохранить план…"), this);
    save_->setAccessibleName(QStringLiteral("Сохранить план"));
    connect(save_, &QPushButton::clicked, this, &PlanTab::SavePlanFile);
}

// The search's progress, the plan's summary, its houses, totals and chart.
void PlanTab::BuildResults() {
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 0);
    progress_->setVisible(false);
    progress_->setAccessibleName(QStringLiteral("Ход поиска плана"));
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setAccessibleName(QStringLiteral("Итог плана"));

    planModel_ = new QStandardItemModel(this);
    planSorted_ = new QSortFilterProxyModel(this);
    planSorted_->setSourceModel(planModel_);
    planSorted_->setSortRole(SortRole);
    planTable_ = new QTableView(this);
    planTable_->setModel(planSorted_);
    planTable_->setSortingEnabled(true);
    planTable_->sortByColumn(-1,
                             Qt::AscendingOrder); // by year, then line, until a header is clicked
    planTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    planTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    planTable_->setAccessibleName(QStringLiteral("План: дома по годам"));
    connect(planTable_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const QModelIndex source = planSorted_->mapToSource(index);
        const QVariant house = planModel_->item(source.row(), 0)->data(HouseRole);
        emit houseRequested(static_cast<std::size_t>(house.toULongLong()));
    });

    totals_ = new QTableWidget(this);
    totals_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totals_->setAccessibleName(QStringLiteral("Итоги по годам"));
    chart_ = new PlanChartView(*this, locale_, this);
    chart_->setAccessibleName(QStringLiteral("График расходов и бюджета по годам"));
}

// The inputs in a column on the left; the summary, the plan's houses, its totals and chart on the
// right.
void PlanTab::LayOut() {
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Лет в плане:"), years_);
    form->addRow(QStringLiteral("Цель:"), objective_);
    form->addRow(QStringLiteral("Домов в год, не более:"), maxHouses_);
    form->addRow(carryOver_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(solve_);
    buttons->addWidget(stop_);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(budgets_, 1);
    left->addLayout(buttons);
    left->addWidget(progress_);
    left->addWidget(save_);

    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(totals_);
    lower->addWidget(chart_);
    auto* right = new QSplitter(Qt::Vertical, this);
    right->addWidget(planTable_);
    right->addWidget(lower);

    auto* rightBox = new QVBoxLayout;
    rightBox->addWidget(status_);
    rightBox->addWidget(right, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(rightBox, 1);
}

void PlanTab::SetYears(int years) {
    const int old = budgets_->rowCount();
    budgets_->setRowCount(years);
    for (int k = old; k < years; ++k) {
        budgets_->setItem(k, 0, new QTableWidgetItem(QStringLiteral("0")));
    }
    QStringList names;
    for (int k = 0; k < years; ++k) {
        names << QStringLiteral("Год %1").arg(k + 1);
    }
    budgets_->setVerticalHeaderLabels(names);
    if (years_->value() != years) {
        years_->setValue(years);
    }
}

void PlanTab::SetHouses(PlanTabInput input) {
    const std::size_t houses = input.Houses.size();
    SetHouses(std::move(input), houses, {});
    houses_ = {houses, [this](std::size_t i) { return input_.Houses[i]; }};
}

void PlanTab::SetHouses(PlanTabInput input, std::size_t houses,
                        std::function<PlanTabHouses()> take) {
    StopWorker();
    input_ = std::move(input);
    houseCount_ = houses;
    houses_ = {};
    take_ = std::move(take);
    DropPlan();
}

void PlanTab::DropPlan() {
    solution_.reset();
    problem_ = {};
    sources_ = {};
    ShowPlan();
}

void PlanTab::SetStatus(const QString& text) {
    ShowReadout(*status_, text);
}

stock::PlanDocument PlanTab::Document() const {
    return {problem_, *solution_, sources_, input_.CarriedNames, rules_};
}

plan::Objective PlanTab::CurrentObjective() const {
    return static_cast<plan::Objective>(objective_->currentData().toInt());
}

std::optional<std::vector<double>> PlanTab::ReadBudgets() {
    std::vector<double> budgets;
    for (int k = 0; k < budgets_->rowCount(); ++k) {
        const QTableWidgetItem* item = budgets_->item(k, 0);
        double value = 0;
        const std::optional<std::string> message =
            stock::ReadBudget(item == nullptr ? std::string() : item->text().toStdString(), value);
        if (message) {
            SetStatus(
                Sentence(QStringLiteral("Бюджет года %1: %2").arg(k + 1).arg(Text(*message))));
            budgets_->setCurrentCell(k, 0);
            budgets_->setFocus();
            return std::nullopt;
        }
        budgets.push_back(value);
    }
    if (const auto error = plan::BudgetsError(budgets)) {
        SetStatus(Text(*error));
        return std::nullopt;
    }
    return budgets;
}

std::optional<plan::Problem> PlanTab::RuledProblem(const std::vector<double>& budgets) {
    std::vector<plan::HouseOffer> offers;
    std::vector<plan::HouseRule> houseRules;
    std::vector<stock::PlanHouseSource> sources;
    offers.reserve(houses_.Count);
    houseRules.reserve(houses_.Count);
    sources.reserve(houses_.Count);
    for (std::size_t i = 0; i < houses_.Count; ++i) {
        PlanTabHouse h = houses_.At(i);
        offers.push_back(h.Offer);
        houseRules.push_back(h.Rule);
        sources.push_back(
            {h.Line, {}, std::move(h.Address), std::move(h.Company), std::move(h.Sheet)});
    }
    plan::BudgetRules rules;
    rules.CarryOver = carryOver_->isChecked();
    if (maxHouses_->value() > 0) {
        rules.MaxHouses = {maxHouses_->value()};
    }
    plan::Problem problem =
        plan::MakeProblem(offers, budgets, CurrentObjective(), rules, houseRules);
    if (const auto error = stock::PlanRulesError(problem, sources, locale_)) {
        SetStatus(Sentence(QStringLiteral("Плана нет: %1").arg(Text(*error))));
        return std::nullopt;
    }
    return problem;
}

void PlanTab::NoteRules(const std::vector<double>& budgets) {
    solving_ = {};
    std::vector<plan::HouseRule> houseRules;
    houseRules.reserve(houses_.Count);
    for (std::size_t i = 0; i < houses_.Count; ++i) {
        const PlanTabHouse h = houses_.At(i);
        solving_.Take(h.Economics);
        houseRules.push_back(h.Rule);
    }
    stock::CountHouseRules(houseRules, solving_);
    solving_.Budgets = budgets;
    solving_.Objective = CurrentObjective();
    solving_.Filter = input_.Filter;
    solving_.CarryOver = carryOver_->isChecked();
    if (maxHouses_->value() > 0) {
        solving_.MostHouses = {maxHouses_->value()};
    }
}

void PlanTab::Solve() {
    if (worker_ != nullptr) {
        return;
    }
    DropPlan(); // neither a refused budget nor a new search leaves the old plan as current
    if (take_) {
        houses_ = take_();
        take_ = nullptr;
        houseCount_ = houses_.Count;
    }
    const std::optional<std::vector<double>> budgets = ReadBudgets();
    if (!budgets) {
        return;
    }
    std::optional<plan::Problem> ruled = RuledProblem(*budgets);
    if (!ruled) {
        return;
    }
    NoteRules(*budgets);
    auto problem = std::make_shared<const plan::Problem>(std::move(*ruled));
    stopFlag_ = std::make_shared<std::atomic<bool>>(false);
    plan::SolveOptions options;
    options.TimeLimitSeconds = timeLimit_;
    solving_.TimeLimitSeconds = options.TimeLimitSeconds;
    solving_.GapPercent = options.RelativeGap * 100;
    options.Stop = stopFlag_.get();
    options.Progress = [this](const plan::SolveProgress& p) {
        QMetaObject::invokeMethod(
            this,
            [this, p] {
                const double gap = p.Bound > 0 ? (p.Bound - p.BestValue) / p.Bound * 100 : 0;
                SetStatus(QStringLiteral(
                              "Идёт поиск: %1 с, лучший возможный план может быть ценнее на %2 %")
                              .arg(std::lround(p.Seconds))
                              .arg(Text(model::FormatNumber(gap, "0.000", locale_))));
            },
            Qt::QueuedConnection);
    };
    const int generation = ++generation_;
    worker_ = QThread::create([this, problem, options, generation, flag = stopFlag_] {
        std::shared_ptr<plan::Solution> solution;
        QString error;
        try {
            solution = std::make_shared<plan::Solution>(plan::SolvePlan(*problem, options));
            if (!solution->HasPlan()) {
                error = QStringLiteral("План не составлен: %1.")
                            .arg(QString::fromStdString(solution->Message));
                solution.reset();
            }
        } catch (const std::exception& e) {
            error = QStringLiteral("План не составлен: %1").arg(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            error = QStringLiteral("План не составлен: ошибка решателя.");
        }
        QMetaObject::invokeMethod(
            this,
            [this, problem, solution, error, generation] {
                if (generation == generation_) {
                    Finish(*problem, solution, error);
                }
            },
            Qt::QueuedConnection);
    });
    solve_->setEnabled(false);
    stop_->setEnabled(true);
    save_->setEnabled(false);
    progress_->setVisible(true);
    SetStatus(QStringLiteral("Идёт поиск плана…"));
    worker_->start();
}

void PlanTab::Finish(const plan::Problem& problem, std::shared_ptr<plan::Solution> solution,
                     QString error) {
    ReleaseWorker();
    if (solution) {
        problem_ = problem;
        rules_ = solving_;
        solution_ = std::move(*solution);
        // The houses as the plan's file names them, taken only for a plan made and only for the
        // houses it chose (the file, list and report name no other): a stock may hold a million.
        sources_.assign(houses_.Count, {});
        for (const plan::Choice& chosen : solution_->Best.Choices) {
            PlanTabHouse h = houses_.At(chosen.House);
            sources_[chosen.House] = {h.Line, std::move(h.Carried), std::move(h.Address),
                                      std::move(h.Company), std::move(h.Sheet)};
        }
    }
    ShowPlan();
    if (!error.isEmpty()) {
        SetStatus(error);
    }
    emit solvingFinished();
}

void PlanTab::StopWorker() {
    ++generation_; // a result still on its way belongs to the search stopped here
    if (worker_ == nullptr) {
        return;
    }
    *stopFlag_ = true;
    ReleaseWorker();
}

// The search's thread, ended or told to stop, waited for and let go; the controls ready again.
void PlanTab::ReleaseWorker() {
    if (worker_ != nullptr) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    stopFlag_.reset();
    solve_->setEnabled(true);
    stop_->setEnabled(false);
    progress_->setVisible(false);
}

void PlanTab::ShowPlan() {
    planModel_->clear();
    save_->setEnabled(solution_.has_value());
    const QString unit = Text(stock::ObjectiveUnit(rules_.Objective));
    QStringList headers{QStringLiteral("Год плана"), QStringLiteral("Строка")};
    for (const std::string& name : input_.CarriedNames) {
        headers << Text(stock::PlanCarriedHeading(name));
    }
    headers << QStringLiteral("Адрес") << QStringLiteral("Управляющая компания")
            << QStringLiteral("Расходы, руб.") << QStringLiteral("Ценность, ") + unit;
    planModel_->setHorizontalHeaderLabels(headers);
    ShowTotals();
    chart_->update();
    if (!solution_) {
        SetStatus(houseCount_ == 0
                      ? QStringLiteral("Нет рассчитанных домов для плана.")
                      : QStringLiteral("Задайте бюджеты по годам и нажмите «Составить план»."));
        return;
    }
    const char* valuePattern = rules_.Objective == plan::Objective::CO2 ? ",0.000" : ",0.00";
    for (const stock::PlanEntry& e : stock::PlanEntries(Document())) {
        const PlanTabHouse house = houses_.At(e.House);
        QList<QStandardItem*> row;
        row << Cell(QString::number(e.Year + 1), e.Year)
            << Cell(Text(model::RowLine(house.Line, house.Sheet)),
                    static_cast<qulonglong>(house.Line));
        row.front()->setData(static_cast<qulonglong>(e.House), HouseRole);
        for (const std::string& cell : house.Carried) {
            row << Cell(Text(cell), Text(cell));
        }
        row << Cell(Text(house.Address), Text(house.Address))
            << Cell(Text(house.Company), Text(house.Company))
            << Cell(Text(stock::PlanMoney(e.Spend, locale_)), e.Spend)
            << Cell(Text(model::FormatNumber(e.Value, valuePattern, locale_)), e.Value);
        planModel_->appendRow(row);
    }
    planTable_->scrollToTop(); // the plan from its first year
    // Columns at least as wide as their titles ("Управляющая компания" was cut to its middle);
    // measuring every row of a large plan would take long.
    const QFontMetrics metrics(planTable_->horizontalHeader()->font());
    for (int column = 0; column < planModel_->columnCount(); ++column) {
        const QString title = planModel_->headerData(column, Qt::Horizontal).toString();
        planTable_->setColumnWidth(column, std::max(planTable_->columnWidth(column),
                                                    metrics.horizontalAdvance(title) + 28));
    }
    SetStatus(Text(stock::PlanSummary(Document(), locale_)).trimmed());
}

// The totals by year of the plan shown: "Остаток" is the money carried into the next year.
void PlanTab::ShowTotals() {
    totals_->clear();
    const QStringList headers{QStringLiteral("Домов"), QStringLiteral("Расходы, руб."),
                              QStringLiteral("Бюджет, руб."), QStringLiteral("Остаток, руб."),
                              QStringLiteral("Ценность, ") +
                                  Text(stock::ObjectiveUnit(rules_.Objective))};
    totals_->setColumnCount(static_cast<int>(headers.size()));
    totals_->setHorizontalHeaderLabels(headers);
    totals_->setRowCount(0);
    if (!solution_) {
        return;
    }
    const auto money = [this](double v) { return Text(stock::PlanMoney(v, locale_)); };
    const char* valuePattern = stock::PlanValuePattern(rules_.Objective);
    const std::vector<plan::YearTotals> totals = plan::TotalsByYear(problem_, solution_->Best);
    totals_->setRowCount(static_cast<int>(totals.size()));
    QStringList years;
    for (std::size_t k = 0; k < totals.size(); ++k) {
        const int r = static_cast<int>(k);
        const plan::YearTotals& t = totals[k];
        years << QStringLiteral("Год %1").arg(r + 1);
        totals_->setItem(r, 0, ReadOnly(QString::number(t.Houses)));
        totals_->setItem(r, 1, ReadOnly(money(t.Spend)));
        totals_->setItem(r, 2, ReadOnly(money(t.Budget)));
        totals_->setItem(r, 3, ReadOnly(money(t.Left)));
        totals_->setItem(
            r, 4,
            ReadOnly(Text(model::FormatNumber(t.Value, std::string(",") + valuePattern, locale_))));
    }
    totals_->setVerticalHeaderLabels(years);
    totals_->resizeColumnsToContents(); // whole values, not cut with "…"
}

report::PlanChartData PlanTab::ChartData() const {
    report::PlanChartData data;
    data.ValueUnit = Text(stock::ObjectiveUnit(rules_.Objective));
    if (!solution_) {
        return data;
    }
    double cumulative = 0;
    for (const plan::YearTotals& t : plan::TotalsByYear(problem_, solution_->Best)) {
        cumulative += t.Value;
        data.Years.push_back({t.Budget, t.Spend, cumulative});
    }
    return data;
}

std::optional<report::StockPlanPage> PlanTab::ReportPage() const {
    if (!solution_) {
        return std::nullopt;
    }
    const stock::PlanDocument document = Document();
    report::StockPlanPage page;
    page.Lines =
        Text(stock::PlanSummary(document, locale_)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const std::string& line : stock::PlanRuleLines(rules_, locale_)) {
        page.Rules << Text(line);
    }
    page.Chart = ChartData();
    page.ValueHeading = QStringLiteral("Ценность, ") + Text(stock::ObjectiveUnit(rules_.Objective));
    for (const stock::PlanListRow& row : stock::PlanList(document, locale_)) {
        report::PlanListLine line;
        line.What = row.What == stock::PlanListRow::Kind::Year ? report::PlanListLine::Kind::Year
                    : row.What == stock::PlanListRow::Kind::House
                        ? report::PlanListLine::Kind::House
                        : report::PlanListLine::Kind::Subtotal;
        for (std::size_t c = 0; c < row.Cells.size(); ++c) {
            line.Cells[c] = Text(row.Cells[c]);
        }
        page.List.push_back(std::move(line));
    }
    return page;
}

void PlanTab::SavePlanFile() {
    if (!solution_) {
        return;
    }
    QFileDialog dialog(
        this, QStringLiteral("Сохранить план"), QString(),
        QStringLiteral("Книга Excel (*.xlsx);;Таблица OpenDocument (*.ods);;Таблица CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without its ending takes the chosen kind's ("план" as Excel is "план.xlsx")
    // before the dialog asks whether to replace a file of that name.
    const auto endingOf = [](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        return filter.mid(star + 2, filter.indexOf(QLatin1Char(')'), star) - star - 2);
    };
    dialog.setDefaultSuffix(endingOf(dialog.selectedNameFilter()));
    connect(&dialog, &QFileDialog::filterSelected, &dialog,
            [&](const QString& filter) { dialog.setDefaultSuffix(endingOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString fileName = dialog.selectedFiles().front();
    try {
        stock::SavePlan(fileName, Document());
    } catch (const std::exception& e) {
        QMessageBox::warning(this, QStringLiteral("План не сохранён"),
                             QString::fromStdString(e.what()));
    }
}

} // namespace app
