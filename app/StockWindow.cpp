#include "StockWindow.h"

#include "Accessibility.h"
#include "AtomicFile.h"
#include "BatchResults.h"
#include "HouseRows.h"
#include "InputSheet.h"
#include "MessageBoxes.h"
#include "ProblemTable.h"
#include "StockChartView.h"
#include "StockDefaultsPanel.h"
#include "StockModel.h"
#include "StockRun.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <thread>

namespace {

// The rows a stock window holds at most (its memory grows with them); past them the run ends with
// a message, and virasvet-calc calculates the whole file.
constexpr std::size_t MostStockRows = 1000000;

QString SaveName(QWidget* parent, const QString& title, const QString& suggested,
                 const QStringList& filters) {
    QFileDialog dialog(parent, title, suggested, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // the window asks, as for every save
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    QString name = dialog.selectedFiles().value(0);
    if (QFileInfo(name).suffix().isEmpty()) {
        const QString filter = dialog.selectedNameFilter();
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        name += filter.mid(star + 1, filter.indexOf(QLatin1Char(')'), star) - star - 1);
    }
    return name;
}

StockWindow::Questions Dialogs() {
    StockWindow::Questions questions;
    questions.TableFileName = [](QWidget* parent, const QString& title, const QString& suggested) {
        return SaveName(parent, title, suggested,
                        {QStringLiteral("Книга Excel (*.xlsx)"),
                         QStringLiteral("Таблица OpenDocument (*.ods)"),
                         QStringLiteral("Таблица CSV (*.csv)")});
    };
    questions.ReportFileName = [](QWidget* parent, const QString& suggested) {
        return SaveName(parent, QStringLiteral("Сохранить отчёт"), suggested,
                        {QStringLiteral("Документ PDF (*.pdf)")});
    };
    questions.ProblemsFileName = [](QWidget* parent, const QString& suggested) {
        return SaveName(parent, QStringLiteral("Сохранить проблемы"), suggested,
                        {QStringLiteral("Книга Excel (*.xlsx)"),
                         QStringLiteral("Таблица OpenDocument (*.ods)"),
                         QStringLiteral("Таблица CSV (*.csv)")});
    };
    questions.PrintSetup = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    return questions;
}

QString Grouped(double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::FormatNumber(value, ",0", locale)); // "0,0" gives "03"
}

} // namespace

namespace {

// A rejected row's house as far as it reads: its faulty fields at their start-up values. None
// when even that fails (a row whose cells cannot be told apart).
std::optional<model::ProjectParameters> ReadableHouse(const sheet::HouseRow& row) {
    if (row.Texts.empty() || std::any_of(row.Problems.begin(), row.Problems.end(),
                                         [](const sheet::RowProblem& p) { return !p.Field; })) {
        return std::nullopt;
    }
    std::vector<std::optional<std::string_view>> texts = row.Texts;
    for (const sheet::RowProblem& problem : row.Problems) {
        texts[*problem.Field].reset();
    }
    model::ProjectParameters p;
    const std::vector<model::NumberLocale> locales = sheet::NumberLocalesOf(';');
    if (!model::ReadHouse(texts, locales, p, model::ReadingRules::Sheet).empty()) {
        return std::nullopt;
    }
    return p;
}

} // namespace

std::optional<OpenedHouse> ReadSheetRow(const std::string& fileName, std::size_t line,
                                        const std::string& sheetName,
                                        const sheet::FieldDefaults& defaults,
                                        const std::atomic<bool>& stop, bool readable) {
    const std::unique_ptr<stock::InputSheet> input =
        stock::OpenInput(fileName, sheet::Encoding::Detect);
    input->ReadHeader();
    const sheet::HeaderFields header = sheet::MapHeader(input->Header());
    bool more = true;
    while (more && !stop) {
        std::vector<sheet::SheetRecord> records;
        more = input->ReadRecords(4096, records);
        for (const sheet::SheetRecord& record : records) {
            if (record.Sheet != sheetName || line < record.Line ||
                line - record.Line >= record.Repeats) {
                continue;
            }
            const std::string name =
                QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
            const sheet::HouseRow row =
                sheet::ReadHouseRow(input->Header().size(), input->Delimiter().value_or(';'),
                                    header, record, name, &defaults);
            std::optional<model::ProjectParameters> house = row.House;
            if (!house && readable) {
                house = ReadableHouse(row);
            }
            if (!house) {
                std::string messages;
                for (const std::string& message : row.Messages) {
                    messages += (messages.empty() ? "" : "\n") + message;
                }
                throw std::runtime_error(messages);
            }
            OpenedHouse opened;
            opened.House = *house;
            // An empty cell keeps the start-up value, as a missing column does: the page shows
            // that value rather than an empty field it would refuse.
            for (const std::optional<std::string_view>& text : row.Texts) {
                opened.Texts.push_back(text && !text->empty() ? std::optional<std::string>(*text)
                                                              : std::nullopt);
            }
            return opened;
        }
    }
    return std::nullopt;
}

StockWindow::StockWindow(const QString& fileName, std::uint32_t seed,
                         const model::NumberLocale& locale, QWidget* parent)
    : QWidget(parent, Qt::Window), fileName_(fileName), seed_(seed), locale_(locale),
      questions_(Dialogs()), model_(new StockModel(locale, this)),
      problems_(new ProblemModel(*model_, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Жилой фонд — ") + QFileInfo(fileName).fileName());
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeTop());
    defaultsPanel_ = new StockDefaultsPanel(this);
    connect(defaultsPanel_, &StockDefaultsPanel::recalculateRequested, this,
            [this] { RunGuarded(this, [this] { Recalculate(); }); });
    layout->addWidget(defaultsPanel_);
    notice_ = new QLabel(this);
    notice_->setWordWrap(true);
    notice_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    notice_->setAccessibleName(QStringLiteral("Сообщения"));
    notice_->hide();
    layout->addWidget(notice_);
    tabs_ = new QTabWidget(this);
    tabs_->setAccessibleName(QStringLiteral("Страницы жилого фонда"));
    tabs_->addTab(MakeHousesPage(), QStringLiteral("Дома"));
    tabs_->addTab(MakeProblemsPage(), QStringLiteral("Проблемы (0)"));
    tabs_->addTab(MakeChartsPage(), QStringLiteral("Графики"));
    layout->addWidget(tabs_, 1);
    layout->addWidget(MakeButtons());

    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(200);
    connect(progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(); });
    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(300);
    connect(refreshTimer_, &QTimer::timeout, this,
            [this] { RunGuarded(this, [this] { Refresh(); }); });
    resize(1100, 700);
    Start();
}

StockWindow::~StockWindow() {
    stopRowReader_ = true;
    if (rowReader_.joinable()) {
        rowReader_.join();
    }
    run_.reset(); // stops the run and waits for its threads
}

QWidget* StockWindow::MakeTop() {
    auto* top = new QWidget(this);
    auto* column = new QVBoxLayout(top);
    column->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    auto* seedLabel = new QLabel(QStringLiteral("Зерно расчёта"), top);
    seedBox_ = new QLineEdit(QString::number(seed_), top);
    seedBox_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{1,10}")), seedBox_));
    seedBox_->setMaximumWidth(120);
    seedBox_->setAccessibleName(seedLabel->text());
    seedLabel->setBuddy(seedBox_);
    auto* again = new QPushButton(QStringLiteral("Пересчитать"), top);
    again->setAccessibleName(QStringLiteral("Пересчитать с этим зерном"));
    connect(again, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { Recalculate(); }); });
    connect(seedBox_, &QLineEdit::returnPressed, again, &QPushButton::click);
    strictBox_ = new QCheckBox(QStringLiteral("Отклонять строки с пустыми ячейками"), top);
    strictBox_->setAccessibleName(strictBox_->text());
    strictBox_->setToolTip(
        QStringLiteral("Пустая ячейка не заполняется значением при запуске или значением для всех "
                       "домов: строка отклоняется и попадает в «Проблемы»"));
    connect(strictBox_, &QCheckBox::toggled, this,
            [this] { RunGuarded(this, [this] { Recalculate(); }); });
    progress_ = new QProgressBar(top);
    progress_->setRange(0, 1000);
    progress_->setAccessibleName(QStringLiteral("Ход расчёта"));
    progressText_ = new QLabel(top);
    progressText_->setMinimumWidth(480);
    progressText_->setAccessibleName(QStringLiteral("Состояние расчёта"));
    stopButton_ = new QPushButton(QStringLiteral("Остановить"), top);
    stopButton_->setAccessibleName(stopButton_->text());
    connect(stopButton_, &QPushButton::clicked, this, [this] { Stop(); });
    // The run's settings on one line, its progress on the next: neither squeezes the other.
    seedBox_->setMinimumWidth(
        seedBox_->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")) + 16);
    row->addWidget(seedLabel);
    row->addWidget(seedBox_);
    row->addWidget(again);
    row->addSpacing(16);
    row->addWidget(strictBox_);
    row->addStretch(1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(progressText_);
    progressRow->addWidget(stopButton_);
    column->addLayout(row);
    column->addLayout(progressRow);
    return top;
}

QWidget* StockWindow::MakeHousesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("Отбор по адресу или столбцу"), page);
    filter_ = new QLineEdit(page);
    filter_->setClearButtonEnabled(true);
    filter_->setAccessibleName(filterLabel->text());
    filterLabel->setBuddy(filter_);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        RunGuarded(this, [&] {
            model_->SetFilter(text);
            refreshTimer_->start(0);
        });
    });
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    layout->addLayout(filterRow);
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    table_ = new QTableView(splitter);
    table_->setModel(model_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setDefaultSectionSize(130);
    table_->setWordWrap(false);
    table_->setAccessibleName(QStringLiteral("Дома"));
    table_->setAccessibleDescription(
        QStringLiteral("Enter или двойной щелчок открывает дом в главном окне"));
    connect(table_, &QTableView::activated, this,
            [this](const QModelIndex& index) { RunGuarded(this, [&] { OpenRow(index.row()); }); });
    totalsText_ = new QLabel(splitter);
    totalsText_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    totalsText_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    totalsText_->setFocusPolicy(Qt::StrongFocus);
    totalsText_->setAccessibleName(QStringLiteral("Итоги по показанным домам"));
    totalsText_->setMinimumWidth(300);
    totalsText_->setWordWrap(true);
    splitter->addWidget(table_);
    splitter->addWidget(totalsText_);
    splitter->setStretchFactor(0, 1);
    layout->addWidget(splitter, 1);
    return page;
}

QWidget* StockWindow::MakeProblemsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    problemTable_ = new QTableView(page);
    problemTable_->setModel(problems_);
    problemTable_->setAccessibleName(QStringLiteral("Проблемы"));
    problemTable_->setAccessibleDescription(
        QStringLiteral("Enter или двойной щелчок открывает дом в главном окне на этой ячейке"));
    problemTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    problemTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    problemTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    problemTable_->setTabKeyNavigation(false);
    problemTable_->setWordWrap(false);
    problemTable_->horizontalHeader()->setStretchLastSection(true);
    problemTable_->verticalHeader()->hide();
    for (const auto& [column, width] :
         {std::pair(0, 70), {1, 180}, {2, 150}, {3, 170}, {4, 80}, {5, 340}}) {
        problemTable_->setColumnWidth(column, width);
    }
    connect(problemTable_, &QTableView::activated, this, [this](const QModelIndex& index) {
        RunGuarded(this, [&] { OpenProblem(index.row()); });
    });
    layout->addWidget(problemTable_, 1);
    auto* row = new QHBoxLayout;
    auto* save = new QPushButton(QStringLiteral("Сохранить проблемы…"), page);
    save->setAccessibleName(save->text());
    connect(save, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { SaveProblems(); }); });
    row->addWidget(save);
    row->addStretch(1);
    layout->addLayout(row);
    return page;
}

QWidget* StockWindow::MakeChartsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    bars_ = new StockChartView(StockChartView::Chart::PaybackBars, locale_, page);
    curve_ = new StockChartView(StockChartView::Chart::InvestmentCurve, locale_, page);
    layout->addWidget(bars_, 1);
    layout->addWidget(curve_, 1);
    return page;
}

QWidget* StockWindow::MakeButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const QString& text, void (StockWindow::*action)()) {
        auto* button = new QPushButton(text, box);
        button->setAccessibleName(text);
        connect(button, &QPushButton::clicked, this,
                [this, action] { RunGuarded(this, [this, action] { (this->*action)(); }); });
        row->addWidget(button);
    };
    add(QStringLiteral("Сохранить таблицу…"), &StockWindow::SaveTable);
    add(QStringLiteral("Сохранить отчёт…"), &StockWindow::SaveReport);
    add(QStringLiteral("Печать…"), &StockWindow::Print);
    row->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), box);
    close->setAccessibleName(close->text());
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(close);
    return box;
}

void StockWindow::AddTab(QWidget* page, const QString& title) {
    tabs_->addTab(page, title);
}

std::vector<stock::BatchHouse> StockWindow::Houses() const {
    std::vector<stock::BatchHouse> houses;
    for (std::size_t i = 0; i < model_->Houses().Size(); ++i) {
        houses.push_back(model_->Houses().House(i));
    }
    return houses;
}

namespace {

// Hands every house of the store to `write`, a thousand at a time.
template <typename Write> void WriteInBlocks(const stock::HouseStore& houses, Write&& write) {
    std::vector<stock::BatchHouse> block;
    for (std::size_t i = 0; i < houses.Size(); ++i) {
        block.push_back(houses.House(i));
        if (block.size() == 1000 || i + 1 == houses.Size()) {
            write(block);
            block.clear();
        }
    }
}

} // namespace

void StockWindow::Start() {
    run_.reset();
    notices_.clear();
    notice_->hide();
    problems_->Reset();
    model_->Reset({}, false);
    tabs_->setTabText(1, QStringLiteral("Проблемы (0)"));
    stock::BatchOptions options;
    options.Files = {fileName_.toStdString()};
    options.Seed = seed_;
    options.Jobs = std::max(1u, std::thread::hardware_concurrency());
    options.EconomicsFigures = true; // the yearly savings of every house
    options.FirstBlock = 32;         // the first rows show at once
    options.Defaults = defaults_;
    options.MostRows = MostStockRows;
    options.Strict = strictBox_->isChecked();
    // Every handler runs guarded: no exception crosses the event loop.
    StockRun::Handlers handlers;
    handlers.Opened = [this](bool usable) { RunGuarded(this, [&] { Opened(usable); }); };
    handlers.Message = [this](const QString& message) {
        RunGuarded(this, [&] { ShowNotice(message); });
    };
    handlers.Houses = [this](std::vector<stock::BatchHouse>& houses) {
        RunGuarded(this, [&] { Arrived(houses); });
    };
    handlers.Ended = [this](stock::BatchEnd end, const QString& failure) {
        RunGuarded(this, [&] { Ended(end, failure); });
    };
    running_ = true;
    stopButton_->setEnabled(true);
    progress_->setValue(0);
    ShowReadout(*progressText_, QStringLiteral("Чтение файла…"));
    clock_.start();
    progressTimer_->start();
    run_ = std::make_unique<StockRun>(std::move(options), std::move(handlers));
    emit housesChanged(); // the table is emptied: whoever reads its houses lets them go now
}

void StockWindow::Opened(bool usable) {
    if (!usable) {
        running_ = false;
        progressTimer_->stop();
        stopButton_->setEnabled(false);
        ShowReadout(*progressText_, QStringLiteral("Файл не посчитан"));
        emit runEnded();
        return;
    }
    // A recalculation keeps the order the table was sorted in, as it keeps the filter.
    QHeaderView* header = table_->horizontalHeader();
    const int sortColumn = header->sortIndicatorSection();
    const Qt::SortOrder sortOrder = header->sortIndicatorOrder();
    model_->Reset(run_->Run().CarriedColumns(), run_->Run().Economics());
    if (sortColumn >= 0 && sortColumn < model_->columnCount()) {
        model_->sort(sortColumn, sortOrder);
    } else {
        header->setSortIndicator(-1, Qt::AscendingOrder);
    }
    // Columns as wide as their titles: measuring the cells of 100,000 rows would take long.
    const QFontMetrics metrics(table_->horizontalHeader()->font());
    for (int column = 0; column < model_->columnCount(); ++column) {
        const QString title = model_->headerData(column, Qt::Horizontal).toString();
        const bool address = column == static_cast<int>(model_->CarriedColumns().size()) + 1;
        table_->setColumnWidth(
            column, std::clamp(metrics.horizontalAdvance(title) + 28, address ? 220 : 70, 300));
    }
}

void StockWindow::Arrived(std::vector<stock::BatchHouse>& houses) {
    model_->Append(houses);
    problems_->Follow();
    tabs_->setTabText(1, QStringLiteral("Проблемы (%1)")
                             .arg(Grouped(static_cast<double>(problems_->rowCount()), locale_)));
    if (!refreshTimer_->isActive()) {
        refreshTimer_->start();
    }
}

void StockWindow::Ended(stock::BatchEnd end, const QString& failure) {
    running_ = false;
    progressTimer_->stop();
    stopButton_->setEnabled(false);
    ShowProgress();
    if (end == stock::BatchEnd::ReadingFailed) {
        ShowNotice(failure +
                   QStringLiteral(" — расчёт прерван; показано прочитанное до этого места"));
    } else if (end == stock::BatchEnd::Stopped) {
        ShowNotice(QStringLiteral("Расчёт остановлен: показаны посчитанные дома"));
    }
    Refresh();
    emit runEnded();
}

void StockWindow::ShowNotice(const QString& text) {
    notices_.append(text);
    // The first messages and the last: a file of many rejected rows lists them on its tab.
    QStringList shown = notices_.mid(0, 5);
    if (notices_.size() > 5) {
        shown.append(QStringLiteral("…"));
        shown.append(notices_.back());
    }
    ShowReadout(*notice_, shown.join(QLatin1Char('\n')));
    notice_->show();
}

void StockWindow::ShowProgress() {
    if (!run_) {
        return;
    }
    const stock::BatchRun& run = run_->Run();
    // Once ended, the rows handed out: a stop drops the houses calculated past the first gap.
    const std::size_t done = running_ ? run.HousesDone() : run.Calculated() + run.Rejected();
    const double seconds = std::max(1e-3, clock_.elapsed() / 1000.0);
    const double rate = done / seconds;
    // The rows of the whole file, estimated from the rows read in the bytes read.
    double total = static_cast<double>(run.RowsRead());
    if (run.TotalBytes() > 0 && run.BytesRead() > 0) {
        total = std::max(total, total * static_cast<double>(run.TotalBytes()) /
                                    static_cast<double>(run.BytesRead()));
    }
    // A run that ended early shows the share it calculated, not a full bar.
    const double share =
        total > 0 ? std::min(1.0, done / total) : (!running_ && run.RowsRead() > 0 ? 1.0 : 0.0);
    progress_->setValue(static_cast<int>(share * 1000));
    QString text = QStringLiteral("посчитано %1 из ~%2 · %3 домов/с")
                       .arg(Grouped(static_cast<double>(done), locale_),
                            Grouped(std::max(total, static_cast<double>(done)), locale_),
                            Grouped(rate, locale_));
    if (running_ && rate > 0 && total > done) {
        const long long left = static_cast<long long>((total - done) / rate);
        text += QStringLiteral(" · осталось %1:%2")
                    .arg(left / 60)
                    .arg(left % 60, 2, 10, QLatin1Char('0'));
    } else if (!running_) {
        text = QStringLiteral("посчитано %1 домов, отклонено строк: %2")
                   .arg(Grouped(static_cast<double>(run.Calculated()), locale_),
                        Grouped(static_cast<double>(run.Rejected()), locale_));
        if (run.Filled() > 0) {
            text += QStringLiteral(", с пустыми ячейками: %1")
                        .arg(Grouped(static_cast<double>(run.Filled()), locale_));
        }
    }
    ShowReadout(*progressText_, text);
    progress_->setAccessibleDescription(text);
}

void StockWindow::Refresh() {
    model_->ShowWaiting();
    // Read from the table, not copied: a stock may show a million houses.
    const report::StockHouseSource shown = model_->ShownSource();
    totals_ = report::TotalsOf(shown, model_->RejectedCount());
    QString text;
    for (const auto& [caption, value] : report::TotalsLines(totals_, locale_)) {
        text += caption + QStringLiteral(": ") + value + QLatin1Char('\n');
    }
    totalsText_->setText(QStringLiteral("Итоги по показанным домам\n\n") + text.trimmed());
    totalsText_->setAccessibleDescription(text.trimmed());
    bars_->SetHouses(shown);
    curve_->SetHouses(shown);
    emit housesChanged();
}

void StockWindow::Stop() {
    if (run_) {
        run_->Stop();
    }
    stopButton_->setEnabled(false);
}

void StockWindow::Recalculate() {
    bool ok = false;
    const qulonglong seed = seedBox_->text().toULongLong(&ok);
    if (!ok || seed > 0xFFFFFFFFull) {
        seedBox_->setFocus();
        seedBox_->selectAll();
        throw std::runtime_error("Зерно расчёта — целое число от 0 до 4294967295");
    }
    defaults_ = defaultsPanel_->Read();
    seed_ = static_cast<std::uint32_t>(seed);
    Start();
}

void StockWindow::closeEvent(QCloseEvent* event) {
    Stop();
    QWidget::closeEvent(event);
}

void StockWindow::OpenRow(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        return;
    }
    OpenLine(model_->LineAt(row), model_->SheetAt(row));
}

void StockWindow::OpenProblem(int row) {
    if (row < 0 || row >= problems_->rowCount()) {
        return;
    }
    const ProblemModel::Entry& entry = problems_->At(row);
    // A problem of no field (a row whose cells cannot be told apart) opens nothing to focus.
    OpenLine(entry.Line, entry.Sheet, entry.Field ? entry.Field : std::optional<std::size_t>(0));
}

void StockWindow::OpenLine(std::size_t line, const std::string& sheetName,
                           std::optional<std::size_t> focusField) {
    if (!opener_ || rowReader_.joinable()) {
        return;
    }
    const std::string fileName = fileName_.toStdString();
    stopRowReader_ = false;
    setCursor(Qt::BusyCursor);
    rowReader_ = std::thread([this, fileName, line, sheetName, focusField, defaults = defaults_] {
        std::optional<OpenedHouse> house;
        QString failure;
        try {
            house = ReadSheetRow(fileName, line, sheetName, defaults, stopRowReader_,
                                 focusField.has_value());
            if (house) {
                house->FocusField = focusField;
            }
            if (!house && !stopRowReader_) {
                failure = QStringLiteral("Строка %1 больше не читается из файла")
                              .arg(QString::fromStdString(model::RowLine(line, sheetName)));
            }
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, house, failure] { HouseRowRead(house, failure); }, Qt::QueuedConnection);
    });
}

void StockWindow::HouseRowRead(std::optional<OpenedHouse> house, const QString& failure) {
    rowReader_.join();
    unsetCursor();
    if (!failure.isEmpty()) {
        MessageBoxes::Current().ShowError(this, ErrorBoxText(failure));
        return;
    }
    if (house && opener_) {
        RunGuarded(this, [&] { opener_(*house, seed_); });
    }
}

QString StockWindow::SuggestedName(const QString& last, const QString& ending) const {
    if (!last.isEmpty()) {
        return last;
    }
    const QFileInfo file(fileName_);
    return file.absoluteDir().filePath(file.completeBaseName() + ending);
}

void StockWindow::SaveTable() {
    const QString suggested = SuggestedName(lastTable_, QStringLiteral("-итоги.xlsx"));
    // With a filter the file holds the houses shown, and the dialog says so.
    const QString filter = filter_->text().trimmed();
    const QString title =
        filter.isEmpty() ? QStringLiteral("Сохранить таблицу")
                         : QStringLiteral("Сохранить таблицу: показанные дома (%1) по отбору «%2»")
                               .arg(model_->rowCount())
                               .arg(filter);
    const QString name = questions_.TableFileName(this, title, suggested);
    if (name.isEmpty() || !MayReplace(this, name)) {
        return;
    }
    lastTable_ = name;
    if (!run_) {
        return;
    }
    const stock::BatchRun& run = run_->Run();
    stock::ResultWriter writer(name,
                               {run.FirstDelimiter().value_or(';'), true, run.FirstDelimiter()},
                               model_->CarriedColumns(), model_->EconomicsColumns(), seed_);
    if (filter.isEmpty()) {
        WriteInBlocks(model_->Houses(), [&](const auto& block) { writer.Write(block); });
    } else {
        std::vector<stock::BatchHouse> shown;
        for (int row = 0; row < model_->rowCount(); ++row) {
            shown.push_back(model_->HouseAt(row));
            if (shown.size() == 1000 || row + 1 == model_->rowCount()) {
                writer.Write(shown);
                shown.clear();
            }
        }
    }
    writer.Finish();
}

report::StockReportContent StockWindow::ReportContent() const {
    report::StockReportContent content;
    content.FileName = QFileInfo(fileName_).fileName();
    content.Date =
        QLocale(QLocale::Russian)
            .toString(QDateTime::currentDateTime(), QStringLiteral("d MMMM yyyy, HH:mm"));
    content.Seed = seed_;
    content.Houses = model_->ShownHouses();
    content.Totals = report::TotalsOf(content.Houses, model_->RejectedCount());
    content.Locale = locale_;
    if (planPage_) {
        content.Plan = planPage_();
    }
    return content;
}

void StockWindow::SaveReport() {
    const QString name =
        questions_.ReportFileName(this, SuggestedName(lastReport_, QStringLiteral("-отчёт.pdf")));
    if (name.isEmpty() || !MayReplace(this, name)) {
        return;
    }
    lastReport_ = name;
    report::WriteFileAtomically(name, report::StockReportPdf(ReportContent()));
}

void StockWindow::SaveProblems() {
    const QString name = questions_.ProblemsFileName(
        this, SuggestedName(lastProblems_, QStringLiteral("-проблемы.xlsx")));
    if (name.isEmpty() || !MayReplace(this, name)) {
        return;
    }
    lastProblems_ = name;
    stock::ProblemWriter writer(name);
    WriteInBlocks(model_->Houses(), [&](const auto& block) { writer.Write(block); });
    writer.Finish();
}

void StockWindow::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(windowTitle());
    if (!questions_.PrintSetup(this, printer)) {
        return;
    }
    report::PaintStockReport(printer, ReportContent());
}
