// The housing stock window: a small register with pinned figures (a rejected row, a carried column,
// a house without payback), sorting, filtering and totals, a stop that keeps the finished rows, a
// row opened into the main window, the saved table against virasvet-calc's bytes and the PDF.
#include "StockWindow.h"
#include "MainWindow.h"
#include "MessageBoxes.h"
#include "PlanTab.h"
#include "ProblemRegister.h"
#include "ResultOutput.h"
#include "StockChartView.h"
#include "StockDefaultsPanel.h"
#include "StockModel.h"
#include "StockPlan.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Five houses of distinct inputs: line 4 is rejected, line 6 never pays back; "№" is carried.
const QByteArray SmallStock =
    "\xEF\xBB\xBF№;Address;EntranceCount;FloorCount;FlatsPerFloor;Tariff;BlockPrice;"
    "TariffGrowth;DiscountRate\r\n"
    "7;ул. Мира 1;5;9;3;1,38;350;5;8\r\n"
    "8;ул. Ленина 2;2;5;4;4,5;350;5;8\r\n"
    "9;ул. Плохая 3;0;5;4;1,38;350;5;8\r\n"
    "10;ул. Садовая 10;12;16;4;2,1;350;5;8\r\n"
    "11;пр. Дорогой 5;1;2;1;0,5;90000;5;8\r\n";

constexpr std::uint32_t Seed = 1;

} // namespace

class StockWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void smallStockShowsPinnedFiguresRejectedRowAndTotals();
    void columnsSortByValueWithNoneLast();
    void addressesSortAsAReaderExpects();
    void filterNarrowsRowsAndTotals();
    void sortedWhileCalculatingShowsEveryHouseInOrder();
    void savedTableIsTheProgramsBytes();
    void reportHasTextAndTheRightPageCount();
    void reportGainsThePlansPageOnceAPlanIsMade();
    void planTabIsTheProgramsPlan_data();
    void planTabIsTheProgramsPlan();
    void stopKeepsTheRowsFinishedInInputOrder();
    void closingDuringACalculationStopsCleanly();
    void openedRowShowsItsFiguresInTheMainWindow();
    void aFileGivenIsReadOffTheWindowsThread();
    void unusableHeaderIsToldAndNothingShown();
    void stockWideValuesFillWhatRowsLackAndBadOnesAreRefused();
    void problemsOfARegisterArePinnedMarkedAndSaved();
    void aProblemOpensItsHouseWithTheCellFocused();

private:
    QString Write(const QString& name, const QByteArray& content);
    static std::vector<std::vector<std::string>> ProblemRows(StockWindow& window);
    std::unique_ptr<StockWindow> Open(const QString& name, std::uint32_t seed = Seed);
    static void WaitForEnd(StockWindow& window);
    static QString Cell(StockWindow& window, int row, const QString& column);
    static int Column(StockWindow& window, const QString& title);
    static QStringList ColumnTexts(StockWindow& window, const QString& column);
    // The saved report's page count (pdfinfo) and text (pdftotext).
    QString SaveReportText(StockWindow& window, int& pages);

    model::NumberLocale locale_{",", " "};
    QTemporaryDir dir_;
    MessageBoxes savedBoxes_;
    QStringList boxes_;
};

void StockWindowTest::init() {
    savedBoxes_ = MessageBoxes::Current();
    MessageBoxes::Current().ShowError = [this](QWidget*, const QString& m) { boxes_.append(m); };
    MessageBoxes::Current().ShowInformation = MessageBoxes::Current().ShowError;
    MessageBoxes::Current().Confirm = [](QWidget*, const QString&) { return true; };
}

void StockWindowTest::cleanup() {
    MessageBoxes::Current() = savedBoxes_;
    boxes_.clear();
}

QString StockWindowTest::Write(const QString& name, const QByteArray& content) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        qFatal("cannot write the test file");
    }
    return path;
}

std::unique_ptr<StockWindow> StockWindowTest::Open(const QString& name, std::uint32_t seed) {
    auto window = std::make_unique<StockWindow>(name, seed, locale_);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    return window;
}

void StockWindowTest::WaitForEnd(StockWindow& window) {
    QSignalSpy ended(&window, &StockWindow::runEnded);
    QVERIFY(ended.count() > 0 || !window.Running() || ended.wait(60000));
    QCoreApplication::processEvents();
}

int StockWindowTest::Column(StockWindow& window, const QString& title) {
    for (int c = 0; c < window.Model().columnCount(); ++c) {
        if (window.Model().headerData(c, Qt::Horizontal).toString() == title) {
            return c;
        }
    }
    qFatal("no such column");
}

QString StockWindowTest::Cell(StockWindow& window, int row, const QString& column) {
    return window.Model().index(row, Column(window, column)).data().toString();
}

QStringList StockWindowTest::ColumnTexts(StockWindow& window, const QString& column) {
    QStringList texts;
    for (int row = 0; row < window.Model().rowCount(); ++row) {
        texts << Cell(window, row, column);
    }
    return texts;
}

void StockWindowTest::smallStockShowsPinnedFiguresRejectedRowAndTotals() {
    const auto window = Open(Write(QStringLiteral("stock.csv"), SmallStock));
    QVERIFY(window->windowTitle() == QStringLiteral("Жилой фонд — stock.csv"));
    WaitForEnd(*window);
    // The figures virasvet-calc gives for the same file and seed, as the report rounds them.
    struct Row {
        const char* line;
        const char* number;
        const char* address;
        const char* cost;
        const char* payback;
        const char* energy;
        const char* money;
        const char* npv;
    };
    const Row expected[] = {
        {"2", "7", "ул. Мира 1", "40 500", "16,8", "18 238,32", "25 168,88", "201 446,24"},
        {"3", "8", "ул. Ленина 2", "9 000", "5,2", "4 415,92", "19 871,62", "167 194,90"},
        {"5", "10", "ул. Садовая 10", "172 800", "12,9", "70 996,30", "149 092,22", "1 185 944,78"},
        {"6", "11", "пр. Дорогой 5", "360 400", "нет", "1 251,80", "625,90", "-352 948,20"},
    };
    QCOMPARE(window->Model().rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        const Row& e = expected[row];
        QCOMPARE(Cell(*window, row, QStringLiteral("Строка")), QString::fromUtf8(e.line));
        QCOMPARE(Cell(*window, row, QStringLiteral("№")), QString::fromUtf8(e.number));
        QCOMPARE(Cell(*window, row, QStringLiteral("Адрес")), QString::fromUtf8(e.address));
        QCOMPARE(Cell(*window, row, QStringLiteral("Стоимость установки, руб.")),
                 QString::fromUtf8(e.cost));
        QCOMPARE(Cell(*window, row, QStringLiteral("Окупаемость, мес.")),
                 QString::fromUtf8(e.payback));
        QCOMPARE(Cell(*window, row, QStringLiteral("Экономия энергии, кВт·ч в год")),
                 QString::fromUtf8(e.energy));
        QCOMPARE(Cell(*window, row, QStringLiteral("Экономия в первый год, руб.")),
                 QString::fromUtf8(e.money));
        QCOMPARE(Cell(*window, row, QStringLiteral("Чистая приведённая стоимость, руб.")),
                 QString::fromUtf8(e.npv));
    }
    QCOMPARE(Cell(*window, 1, QStringLiteral("Внутренняя норма доходности, % в год")),
             QStringLiteral("925,16"));
    QCOMPARE(Cell(*window, 3, QStringLiteral("Внутренняя норма доходности, % в год")),
             QStringLiteral("нет"));
    QCOMPARE(Cell(*window, 0, QStringLiteral("Дисконтированная окупаемость, мес.")),
             QStringLiteral("17,6"));
    QCOMPARE(Cell(*window, 0, QStringLiteral("Затраты до окупаемости, сущ. схема, руб.")),
             QStringLiteral("43 602"));
    QCOMPARE(Cell(*window, 0, QStringLiteral("Затраты до окупаемости, план. схема, руб.")),
             QStringLiteral("43 581"));

    // The rejected row with its line, address, heading as written, caption, value, message.
    QCOMPARE(window->Tabs()->tabText(1), QStringLiteral("Проблемы (1)"));
    QCOMPARE(window->Problems().rowCount(), 1);
    QStringList problem;
    for (int column = 0; column < window->Problems().columnCount(); ++column) {
        problem << window->Problems().index(0, column).data().toString();
    }
    QCOMPARE(problem, (QStringList{"4", "ул. Плохая 3", "EntranceCount", "Подъездов", "0",
                                   "«0» — вне допустимых пределов (1..40)", "строка отклонена"}));

    // Totals of the shown houses, and the ranking by payback ("нет" last).
    const report::StockTotals& totals = window->Totals();
    QCOMPARE(totals.Calculated, std::size_t{4});
    QCOMPARE(totals.Rejected, std::size_t{1});
    const auto lines = report::TotalsLines(totals, locale_);
    const QStringList values = [&] {
        QStringList v;
        for (const auto& line : lines) {
            v << line.second;
        }
        return v;
    }();
    QCOMPARE(values, (QStringList{"4", "1", "582 700", "94 902,34", "194 758,63", "0,000",
                                  "1 201 637,72", "1", "3", "3", "3"}));
    const report::StockReportContent content = window->ReportContent();
    QStringList ranked;
    for (const std::size_t i : report::PaybackRanking(content.Houses)) {
        ranked << QString::number(content.Houses[i].Line);
    }
    QCOMPARE(ranked, (QStringList{"3", "5", "2", "6"}));
    // The investment curve: houses that pay back, soonest first, sums as they go.
    const auto& curve = window->CurveChart()->Curve();
    QCOMPARE(curve.size(), std::size_t{3});
    QCOMPARE(curve.back().Cost, 9000.0 + 172800 + 40500);
    window->CurveChart()->SetTracer(1);
    QVERIFY(
        window->CurveChart()->TracerText().startsWith(QStringLiteral("ул. Садовая 10 (строка 5)")));
}

void StockWindowTest::columnsSortByValueWithNoneLast() {
    const auto window = Open(Write(QStringLiteral("stock.csv"), SmallStock));
    WaitForEnd(*window);
    QTableView* table = window->Table();
    const int payback = Column(*window, QStringLiteral("Окупаемость, мес."));
    table->sortByColumn(payback, Qt::AscendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Окупаемость, мес.")),
             (QStringList{"5,2", "12,9", "16,8", "нет"}));
    table->sortByColumn(payback, Qt::DescendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Окупаемость, мес.")),
             (QStringList{"16,8", "12,9", "5,2", "нет"}));
    // By value, not by text: "9 000" < "40 500" < "172 800" < "360 400".
    table->sortByColumn(Column(*window, QStringLiteral("Стоимость установки, руб.")),
                        Qt::AscendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Стоимость установки, руб.")),
             (QStringList{"9 000", "40 500", "172 800", "360 400"}));
    // A carried column of numbers sorts as numbers: 7, 8, 10, 11, not 10, 11, 7, 8.
    table->sortByColumn(Column(*window, QStringLiteral("№")), Qt::DescendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("№")), (QStringList{"11", "10", "8", "7"}));
    table->sortByColumn(Column(*window, QStringLiteral("Адрес")), Qt::AscendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Адрес")),
             (QStringList{"пр. Дорогой 5", "ул. Ленина 2", "ул. Мира 1", "ул. Садовая 10"}));
    // The current row keeps its house through a sort.
    table->setCurrentIndex(window->Model().index(2, 0));
    table->sortByColumn(payback, Qt::AscendingOrder);
    QCOMPARE(Cell(*window, table->currentIndex().row(), QStringLiteral("Адрес")),
             QStringLiteral("ул. Мира 1"));
}

void StockWindowTest::addressesSortAsAReaderExpects() {
    // Letters whatever their case, "ё" after "е" and before "ж", numbers by their value whatever
    // their leading zeros.
    const auto window = Open(Write(QStringLiteral("names.csv"), "Address\r\n"
                                                                "ул. Жукова 1\r\n"
                                                                "ул. Ёлочная 3\r\n"
                                                                "ул. Еловая 20\r\n"
                                                                "ул. Еловая 010\r\n"
                                                                "ул. ели 4\r\n"
                                                                "ул. Еловая 2\r\n"));
    WaitForEnd(*window);
    window->Table()->sortByColumn(Column(*window, QStringLiteral("Адрес")), Qt::AscendingOrder);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Адрес")),
             (QStringList{"ул. ели 4", "ул. Еловая 2", "ул. Еловая 010", "ул. Еловая 20",
                          "ул. Ёлочная 3", "ул. Жукова 1"}));
}

void StockWindowTest::filterNarrowsRowsAndTotals() {
    const auto window = Open(Write(QStringLiteral("stock.csv"), SmallStock));
    WaitForEnd(*window);
    window->FilterBox()->setText(QStringLiteral("УЛ."));
    QCOMPARE(window->Model().rowCount(), 3);
    QTRY_COMPARE(window->Totals().Calculated, std::size_t{3});
    QCOMPARE(window->Totals().InstallCost, 40500.0 + 9000 + 172800);
    window->FilterBox()->setText(QStringLiteral("11")); // the carried "№" of the last house
    QCOMPARE(window->Model().rowCount(), 1);
    QCOMPARE(Cell(*window, 0, QStringLiteral("Адрес")), QStringLiteral("пр. Дорогой 5"));
    QTRY_COMPARE(window->Totals().Calculated, std::size_t{1});
    QCOMPARE(window->Table()->verticalHeader()->count(), 1);
    window->FilterBox()->clear();
    QCOMPARE(window->Model().rowCount(), 4);
    // "Пересчитать" keeps the filter and the order the table was sorted in.
    window->FilterBox()->setText(QStringLiteral("ул."));
    const int cost = Column(*window, QStringLiteral("Стоимость установки, руб."));
    window->Table()->sortByColumn(cost, Qt::DescendingOrder);
    const QStringList sorted = ColumnTexts(*window, QStringLiteral("Адрес"));
    QCOMPARE(sorted, (QStringList{"ул. Садовая 10", "ул. Мира 1", "ул. Ленина 2"}));
    window->Recalculate();
    WaitForEnd(*window);
    QCOMPARE(ColumnTexts(*window, QStringLiteral("Адрес")), sorted);
    QCOMPARE(window->Table()->horizontalHeader()->sortIndicatorSection(), cost);
    QCOMPARE(window->Table()->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
}

void StockWindowTest::sortedWhileCalculatingShowsEveryHouseInOrder() {
    QByteArray sheet = "Address;EntranceCount;FloorCount;TariffGrowth\r\n";
    for (int i = 1; i <= 400; ++i) {
        sheet += "дом " + QByteArray::number(i) + ";" + QByteArray::number(1 + i % 12) + ";" +
                 QByteArray::number(2 + i % 20) + ";1\r\n";
    }
    const auto window = Open(Write(QStringLiteral("sorted.csv"), sheet));
    QTRY_VERIFY_WITH_TIMEOUT(!window->Houses().empty(), 60000);
    QVERIFY(window->Running()); // the rest come into a sorted table
    window->Table()->sortByColumn(Column(*window, QStringLiteral("Окупаемость, мес.")),
                                  Qt::AscendingOrder);
    WaitForEnd(*window);
    QCOMPARE(window->Model().rowCount(), 400);
    QCOMPARE(window->Totals().Calculated, std::size_t{400});
    double before = -1;
    for (int row = 0; row < 400; ++row) {
        const stock::BatchHouse house = window->Model().HouseAt(row);
        const model::SimulationResult& r = house.Figures->Result;
        const double months = r.PaybackFound ? r.PaybackDay / 30.0 : 1e9;
        QVERIFY(months >= before);
        before = months;
    }
}

void StockWindowTest::savedTableIsTheProgramsBytes() {
    const QString input = Write(QStringLiteral("stock.csv"), SmallStock);
    const auto window = Open(input);
    WaitForEnd(*window);
    const QString saved = dir_.filePath(QStringLiteral("window.csv"));
    const QString program = dir_.filePath(QStringLiteral("program.csv"));
    Write(QStringLiteral("window.csv"), "an older file");
    int asked = 0;
    StockWindow::Questions questions;
    QString title;
    questions.TableFileName = [&](QWidget*, const QString& asked, const QString&) {
        title = asked;
        return saved;
    };
    window->SetQuestions(questions);
    MessageBoxes::Current().Confirm = [&](QWidget*, const QString&) { return ++asked, true; };
    window->SaveTable();
    QCOMPARE(asked, 1); // the replace question
    QCOMPARE(QProcess::execute(QStringLiteral(VIRASVET_CALC),
                               {QStringLiteral("--seed"), QString::number(Seed), input,
                                QStringLiteral("-o"), program}),
             1); // a row is rejected
    QFile a(saved);
    QFile b(program);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray windowBytes = a.readAll();
    QCOMPARE(windowBytes, b.readAll());
    a.close();
    QVERIFY(windowBytes.contains("ул. Плохая 3")); // the rejected row is there, without figures
    QCOMPARE(title, QStringLiteral("Сохранить таблицу"));

    // With a filter: the rows shown, and the dialog's title says so.
    window->FilterBox()->setText(QStringLiteral("мира"));
    QTRY_COMPARE(window->Model().rowCount(), 1);
    window->SaveTable();
    QCOMPARE(title, QStringLiteral("Сохранить таблицу: показанные дома (1) по отбору «мира»"));
    QVERIFY(a.open(QIODevice::ReadOnly));
    const QByteArray shownBytes = a.readAll();
    QVERIFY(shownBytes.contains("ул. Мира 1"));
    QVERIFY(!shownBytes.contains("ул. Ленина 2") && !shownBytes.contains("ул. Плохая 3"));
    QCOMPARE(shownBytes.count('\n'), 2); // the header and the one house
    QVERIFY(boxes_.isEmpty());
}

void StockWindowTest::reportHasTextAndTheRightPageCount() {
    // 110 houses, two full pages of 55 rows: the summary page, then the ranking's two pages.
    QByteArray sheet = "Address;EntranceCount;TariffGrowth\r\n";
    for (int i = 1; i <= 110; ++i) {
        sheet += "ул. Длинная д. " + QByteArray::number(i) + ";" + QByteArray::number(1 + i % 12) +
                 ";3\r\n";
    }
    const auto window = Open(Write(QStringLiteral("many.csv"), sheet));
    WaitForEnd(*window);
    QCOMPARE(window->Model().rowCount(), 110);
    const QString pdf = dir_.filePath(QStringLiteral("отчёт.pdf"));
    StockWindow::Questions questions;
    questions.ReportFileName = [&](QWidget*, const QString&) { return pdf; };
    window->SetQuestions(questions);
    window->SaveReport();
    QCOMPARE(report::RankingRowsPerPage(841.89), 55); // A4: (841,89 − 146) / 13
    const int pages = 3;
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished());
    const QByteArray infoText = info.readAllStandardOutput();
    QVERIFY2(infoText.simplified().contains(QStringLiteral("Pages: %1 ").arg(pages).toUtf8()),
             infoText.constData());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished());
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(words.contains(QStringLiteral("Зерно расчёта: 1")));
    QVERIFY(words.contains(QStringLiteral("стр. %1 из %1").arg(pages)));
    QVERIFY(words.contains(QStringLiteral("ул. Длинная д. 110")));
    QVERIFY(!words.contains(QStringLiteral("стр. 4")));
    // The ranking's header on every page after the summary.
    QCOMPARE(words.count(QStringLiteral("Строка")), pages - 1);
}

QString StockWindowTest::SaveReportText(StockWindow& window, int& pages) {
    const QString pdf = dir_.filePath(QStringLiteral("план.pdf"));
    StockWindow::Questions questions;
    questions.ReportFileName = [&](QWidget*, const QString&) { return pdf; };
    window.SetQuestions(questions);
    window.SaveReport();
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished();
    const QString infoText = QString::fromUtf8(info.readAllStandardOutput()).simplified();
    const qsizetype at = infoText.indexOf(QStringLiteral("Pages: "));
    pages = at < 0 ? -1 : infoText.mid(at + 7).section(QLatin1Char(' '), 0, 0).toInt();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    text.waitForFinished();
    return QString::fromUtf8(text.readAllStandardOutput());
}

void StockWindowTest::reportGainsThePlansPageOnceAPlanIsMade() {
    const auto window = Open(Write(QStringLiteral("stock.csv"), SmallStock));
    app::AttachPlanTab(*window, locale_);
    WaitForEnd(*window);
    int before = 0;
    const QString without = SaveReportText(*window, before);
    QCOMPARE(before, 2); // the summary and one page of the ranking
    QVERIFY(!without.contains(QStringLiteral("План на 1 г.")));

    auto* tab = window->findChild<app::PlanTab*>();
    QVERIFY(tab);
    auto* budgets = tab->findChild<QTableWidget*>();
    budgets->item(0, 0)->setText(QStringLiteral("10000000"));
    QSignalSpy finished(tab, &app::PlanTab::solvingFinished);
    for (auto* button : tab->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Составить план")) {
            button->click();
        }
    }
    QVERIFY(finished.wait(20000));
    QVERIFY(tab->HasPlan());
    int after = 0;
    const QString with = SaveReportText(*window, after);
    QCOMPARE(after, before + 2); // the plan's page and the page of its list
    QVERIFY(with.contains(QStringLiteral("План на 1 г.")));
    QVERIFY(with.contains(QStringLiteral("Год 1: домов")));
    QVERIFY(with.contains(QStringLiteral("Правила плана")));
    QVERIFY(with.contains(QStringLiteral("Дома: все рассчитанные")));
    QVERIFY(with.contains(QStringLiteral("Итого за год 1")));
    QVERIFY(with.contains(QStringLiteral("стр. 4 из 4")));
    QVERIFY(!with.contains(QStringLiteral("стр. 3 из 2")));

    // A filter gives the plan the houses shown: the plan made for all is gone, the next names it.
    window->FilterBox()->setText(QStringLiteral("Мира"));
    QTRY_VERIFY(!tab->HasPlan());
    budgets->item(0, 0)->setText(QStringLiteral("10000000"));
    for (auto* button : tab->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Составить план")) {
            button->click();
        }
    }
    QVERIFY(finished.wait(20000));
    const QString filtered = SaveReportText(*window, after);
    QVERIFY(filtered.contains(QStringLiteral("Дома плана — 1, показанные по отбору «Мира».")));
    QVERIFY(filtered.contains(QStringLiteral("ул. Мира 1")));
    QVERIFY(!filtered.contains(QStringLiteral("ул. Садовая 10")));

    // A new run empties the table the plan reads its houses from: the plan and its houses go at
    // once, not at the run's first rows.
    window->Recalculate();
    QVERIFY(!tab->HasPlan());
    for (auto* button : tab->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Составить план")) {
            button->click();
        }
    }
    QVERIFY(!tab->HasPlan());
    WaitForEnd(*window);
    QVERIFY(boxes_.isEmpty());
}

namespace {

// Six houses of 8 100 roubles an entrance at 9 floors, rates in the register; the office fixed
// line 3 in plan year 2 and excluded line 4.
const QByteArray PlanStock =
    "№;Address;EntranceCount;FloorCount;TariffGrowth;DiscountRate;EmissionFactor;Год плана\r\n"
    "1;ул. Мира 1;1;9;5;3;0,4;\r\n"
    "2;ул. Мира 2;2;9;5;3;0,4;2\r\n"
    "3;ул. Мира 3;3;9;5;3;0,4;исключить\r\n"
    "4;ул. Мира 4;4;9;5;3;0,4;\r\n"
    "5;ул. Мира 5;2;5;5;3;0,4;\r\n"
    "6;ул. Мира 6;3;5;5;3;0,4;\r\n";

} // namespace

// Budgets of 40 000 and 30 000 under each objective, with money carried over or not and crews.
void StockWindowTest::planTabIsTheProgramsPlan_data() {
    QTest::addColumn<QString>("objective");
    QTest::addColumn<bool>("carryOver");
    QTest::addColumn<int>("crews");            // houses a year at most, 0: no limit
    QTest::addColumn<QStringList>("expected"); // year;line;spend;value of each plan row
    // Line 3 fixed in year 2, line 4 never; the money carried on pays for three houses in year 2.
    QTest::newRow("npv, carried over")
        << "npv" << true << 0
        << QStringList{"1;5;32400,00;211990,90", "2;2;8100,00;47424,62", "2;3;16200,00;94920,81",
                       "2;6;9000,00;60253,10"};
    QTest::newRow("npv, not carried over, 2 a year")
        << "npv" << false << 2
        << QStringList{"1;5;32400,00;211990,90", "2;3;16200,00;94920,81", "2;7;13500,00;90418,63"};
    // The yearly saving × the years to the horizon's end: 3 647,664 kWh an entrance at 9 floors,
    // 10 years from year 1, 9 from year 2.
    QTest::newRow("energy, carried over, 2 a year")
        << "energy" << true << 2
        << QStringList{"1;2;8100,00;36476,64", "1;6;9000,00;45163,64", "2;3;16200,00;65657,95",
                       "2;5;32400,00;131315,90"};
    QTest::newRow("co2, not carried over")
        << "co2" << false << 0
        << QStringList{"1;5;32400,00;58,363", "2;3;16200,00;26,263", "2;7;13500,00;24,388"};
}

// The plan tab of the stock window and virasvet-calc --plan on the same register give the same
// houses in the same years at the same spend and value, and those pinned here.
void StockWindowTest::planTabIsTheProgramsPlan() {
    QFETCH(QString, objective);
    QFETCH(bool, carryOver);
    QFETCH(int, crews);
    QFETCH(QStringList, expected);
    const QString input = Write(QStringLiteral("plan-stock.csv"), PlanStock);
    QStringList arguments{QStringLiteral("--seed"),      QString::number(Seed),
                          QStringLiteral("--budget"),    QStringLiteral("40000"),
                          QStringLiteral("--budget"),    QStringLiteral("30000"),
                          QStringLiteral("--objective"), objective};
    if (!carryOver) {
        arguments << QStringLiteral("--no-carry-over");
    }
    if (crews > 0) {
        arguments << QStringLiteral("--max-houses") << QString::number(crews);
    }
    const QString planFile = dir_.filePath(QStringLiteral("plan.csv"));
    QFile::remove(planFile);
    arguments << QStringLiteral("--plan") << planFile << QStringLiteral("-o")
              << dir_.filePath(QStringLiteral("results.csv")) << input;
    QProcess calc;
    calc.start(QStringLiteral(VIRASVET_CALC), arguments);
    QVERIFY(calc.waitForFinished(60000));
    QCOMPARE(calc.exitCode(), 0);
    QVERIFY(
        QString::fromUtf8(calc.readAllStandardError()).contains(QStringLiteral("План оптимален")));
    QFile read(planFile);
    QVERIFY(read.open(QIODevice::ReadOnly));
    QStringList program;
    const QStringList lines = QString::fromUtf8(read.readAll()).split(QStringLiteral("\r\n"));
    // The register's plan year column is carried under a heading of its own beside the plan's.
    QCOMPARE(lines.front(), QStringLiteral("PlanYear;Line;№;Год плана (реестр);Address;"
                                           "ManagementCompany;Spend;Value"));
    for (const QString& line : lines.mid(1)) {
        const QStringList cells = line.split(QLatin1Char(';'));
        if (cells.size() > 4) {
            program << QStringList{cells[0], cells[1], cells[cells.size() - 2], cells.back()}.join(
                QLatin1Char(';'));
        }
    }

    const auto window = Open(input);
    app::AttachPlanTab(*window, locale_);
    WaitForEnd(*window);
    auto* tab = window->findChild<app::PlanTab*>();
    QVERIFY(tab);
    tab->findChild<QSpinBox*>()->setValue(2); // the years, the tab's first spin box
    auto* budgets = tab->findChild<QTableWidget*>();
    budgets->item(0, 0)->setText(QStringLiteral("40000"));
    budgets->item(1, 0)->setText(QStringLiteral("30000"));
    auto* objectives = tab->findChild<QComboBox*>();
    objectives->setCurrentIndex(objective == QStringLiteral("npv")      ? 0
                                : objective == QStringLiteral("energy") ? 1
                                                                        : 2);
    tab->findChild<QCheckBox*>()->setChecked(carryOver);
    for (auto* spin : tab->findChildren<QSpinBox*>()) {
        if (spin->accessibleName() == QStringLiteral("Домов в год, не более")) {
            spin->setValue(crews);
        }
    }
    QSignalSpy finished(tab, &app::PlanTab::solvingFinished);
    for (auto* button : tab->findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Составить план")) {
            button->click();
        }
    }
    QVERIFY(finished.wait(20000));
    QVERIFY(tab->HasPlan());
    const QAbstractItemModel* shown = nullptr;
    for (auto* table : tab->findChildren<QTableView*>()) {
        if (table->accessibleName() == QStringLiteral("План: дома по годам")) {
            shown = table->model();
        }
    }
    QVERIFY(shown);
    QStringList windowRows;
    const int columns = shown->columnCount();
    QCOMPARE(shown->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Год плана"));
    QCOMPARE(shown->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Год плана (реестр)"));
    for (int row = 0; row < shown->rowCount(); ++row) {
        QStringList cells;
        for (int column : {0, 1, columns - 2, columns - 1}) {
            cells << shown->index(row, column).data().toString().remove(QLatin1Char(' '));
        }
        windowRows << cells.join(QLatin1Char(';'));
    }
    QCOMPARE(windowRows, program);
    QCOMPARE(program, expected);
    QVERIFY(boxes_.isEmpty());
}

void StockWindowTest::stopKeepsTheRowsFinishedInInputOrder() {
    QByteArray sheet = "Address;TariffGrowth\r\n";
    constexpr int Houses = 3000;
    for (int i = 1; i <= Houses; ++i) {
        sheet += "дом " + QByteArray::number(i) + ";2\r\n";
    }
    const auto window = Open(Write(QStringLiteral("big.csv"), sheet));
    QTRY_VERIFY_WITH_TIMEOUT(!window->Houses().empty(), 60000);
    window->Stop();
    WaitForEnd(*window);
    const std::vector<stock::BatchHouse>& houses = window->Houses();
    QVERIFY2(houses.size() >= 32 && houses.size() < std::size_t{Houses},
             qPrintable(QString::number(houses.size())));
    for (std::size_t i = 0; i < houses.size(); ++i) {
        QCOMPARE(houses[i].Source.Line, i + 2); // no gap: the rows before the stop, all of them
        QVERIFY(houses[i].Figures.has_value());
        QCOMPARE(houses[i].Figures->Result.PaybackDay, houses[0].Figures->Result.PaybackDay);
    }
    QCOMPARE(window->Model().rowCount(), static_cast<int>(houses.size()));
    QVERIFY(window->Notice()->text().contains(QStringLiteral("Расчёт остановлен")));
    // The bar shows the share calculated, not a full bar.
    QVERIFY2(window->ProgressBar()->value() > 0 && window->ProgressBar()->value() < 1000,
             qPrintable(QString::number(window->ProgressBar()->value())));
}

void StockWindowTest::closingDuringACalculationStopsCleanly() {
    QByteArray sheet = "Address;TariffGrowth\r\n";
    for (int i = 1; i <= 3000; ++i) {
        sheet += "дом " + QByteArray::number(i) + ";2\r\n";
    }
    auto window = Open(Write(QStringLiteral("big.csv"), sheet));
    QTest::qWait(50);
    QVERIFY(window->Running());
    window->close();
    window.reset(); // waits for the threads; no handler runs after this
    QTest::qWait(50);
}

// `virasvet FILE`: the file is read while the window paints a progress bar; a file of one house
// fills the page, one that cannot be read is told.
void StockWindowTest::aFileGivenIsReadOffTheWindowsThread() {
    MainWindow main(locale_);
    main.OpenFile(Write(QStringLiteral("one.csv"), "Address;EntranceCount\nул. Мира 1;7\n"));
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('\n')));
    QCOMPARE(main.ProjectParameters().EntranceCount, 7);
    main.OpenFile(Write(QStringLiteral("bad.xlsx"), "PK\x03\x04 no archive"));
    QCOMPARE(boxes_.size(), 1);
    QVERIFY2(boxes_.front().startsWith(QStringLiteral("bad.xlsx: ")), qPrintable(boxes_.front()));
    QVERIFY(main.findChildren<QProgressDialog*>().isEmpty()); // gone once read
    // A spreadsheet whose header is sought through the whole file: the bar shows the share read
    // and stops the reading at once.
    const QString big = dir_.filePath(QStringLiteral("big.ods"));
    {
        const std::unique_ptr<stock::ResultOutput> book = stock::OdsResults(big);
        book->Header({"Address"});
        std::string text;
        for (int i = 0; text.size() < 500000; ++i) {
            text += std::to_string(i * 7919 % 1000003) + ' ';
        }
        for (int i = 0; i < 100; ++i) {
            book->Row({text}, {false});
        }
        book->Finish();
    }
    QList<int> values;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &main, [&] {
        for (QProgressDialog* dialog : main.findChildren<QProgressDialog*>()) {
            values << (dialog->maximum() == 0 ? -1 : dialog->value());
            if (dialog->value() > 0) {
                dialog->cancel();
            }
        }
    });
    watch.start(5);
    const qsizetype opened = main.findChildren<StockWindow*>().size();
    main.OpenFile(big);
    watch.stop();
    QVERIFY2(!values.isEmpty() && !values.contains(-1), qPrintable(QString::number(values.size())));
    QVERIFY2(values.back() > 0 && values.back() < 1000, qPrintable(QString::number(values.back())));
    QCOMPARE(main.findChildren<StockWindow*>().size(), opened); // stopped: nothing opened
    QCOMPARE(boxes_.size(), 1);
}

void StockWindowTest::openedRowShowsItsFiguresInTheMainWindow() {
    MainWindow main(locale_);
    main.SetSeedSource([] { return 99u; }); // the stock's seed, not this one, must be used
    StockWindow* window = main.OpenStock(Write(QStringLiteral("stock.csv"), SmallStock));
    QVERIFY(window != nullptr);
    QCOMPARE(window->Seed(), 99u);
    WaitForEnd(*window);
    // The stock opened from the main window plans its houses in a tab of its own.
    QCOMPARE(window->Tabs()->tabText(window->Tabs()->count() - 1), QStringLiteral("План"));
    window->Table()->sortByColumn(Column(*window, QStringLiteral("Стоимость установки, руб.")),
                                  Qt::DescendingOrder);
    const int row = 1; // ул. Садовая 10
    const stock::BatchHouse& house = window->Model().HouseAt(row);
    QCOMPARE(house.Source.Line, std::size_t{5});
    window->Table()->setCurrentIndex(window->Model().index(row, 0));
    window->Table()->setFocus();
    QSignalSpy activated(window->Table(), &QTableView::activated);
    QTest::keyClick(window->Table(), Qt::Key_Return);
    QCOMPARE(activated.count(), 1);
    QTRY_COMPARE(main.ResultsShown(), 1);
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('\n')));
    const model::SimulationResult& shown = main.SimulationResult();
    QCOMPARE(shown.PaybackDay, house.Figures->Result.PaybackDay);
    QCOMPARE(shown.InstallCostPlanned, house.Figures->Result.InstallCostPlanned);
    QCOMPARE(shown.PaybackCostExisting, house.Figures->Result.PaybackCostExisting);
    QCOMPARE(shown.DailyEnergyCostPlanned, house.Figures->Result.DailyEnergyCostPlanned);
    QCOMPARE(main.ProjectParameters().EntranceCount, 12);
    QVERIFY(boxes_.isEmpty());

    // A row of a continuation sheet opens itself, not the first sheet's row of the same line.
    const QString book = dir_.filePath(QStringLiteral("book.xlsx"));
    {
        const std::unique_ptr<stock::ResultOutput> output = stock::WorkbookResults(book);
        for (const auto& [sheet, entrances] :
             {std::pair<std::string, std::string>{"Дома", "2"}, {"Дома 2", "3"}}) {
            output->Sheet(sheet, {"Address", "EntranceCount"});
            output->Row({sheet, entrances}, {false, true});
        }
        output->Finish();
    }
    StockWindow* sheets = main.OpenStock(book);
    QVERIFY(sheets != nullptr);
    WaitForEnd(*sheets);
    QCOMPARE(ColumnTexts(*sheets, QStringLiteral("Строка")),
             (QStringList{QStringLiteral("2"), QStringLiteral("2, лист «Дома 2»")}));
    sheets->OpenLine(2, "Дома 2");
    QTRY_COMPARE(main.ProjectParameters().EntranceCount, 3);
    QCOMPARE(main.ResultsShown(), 1);
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('\n')));
}

void StockWindowTest::unusableHeaderIsToldAndNothingShown() {
    const auto window =
        Open(Write(QStringLiteral("typo.csv"), "Adress;EntranceCount\r\nул. Мира 1;5\r\n"));
    WaitForEnd(*window);
    QCOMPARE(window->Model().rowCount(), 0);
    QVERIFY(window->Notice()->isVisibleTo(window.get()));
    QVERIFY(window->Notice()->text().contains(QStringLiteral("Adress")));
    QVERIFY(window->Houses().empty());
    // A screen reader reads the messages and the calculation's state by their texts.
    QCOMPARE(window->Notice()->accessibleDescription(), window->Notice()->text());
    const auto* state = window->findChild<QLabel*>();
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->accessibleName() == QStringLiteral("Состояние расчёта")) {
            state = label;
        }
    }
    QCOMPARE(state->accessibleName(), QStringLiteral("Состояние расчёта"));
    QVERIFY(!state->text().isEmpty());
    QCOMPARE(state->accessibleDescription(), state->text());
}

void StockWindowTest::stockWideValuesFillWhatRowsLackAndBadOnesAreRefused() {
    MainWindow main(locale_);
    StockWindow* window = main.OpenStock(Write(QStringLiteral("rates.csv"),
                                               "Address;EntranceCount;Tariff;DiscountRate\r\n"
                                               "ул. Мира 1;5;;\r\n"
                                               "ул. Ленина 2;2;4,5;5\r\n"
                                               "ул. Садовая 10;12;1,38; \r\n"));
    QVERIFY(window != nullptr);
    WaitForEnd(*window);
    const auto inputs = [&](double model::EconomicsInputs::*input) {
        QList<double> values;
        for (const stock::BatchHouse& house : window->Houses()) {
            values << house.EconomicsInputs.*input;
        }
        return values;
    };
    QCOMPARE(inputs(&model::EconomicsInputs::DiscountRate), (QList<double>{0, 5, 0}));
    StockDefaultsPanel& panel = *window->DefaultsPanel();
    auto* again = panel.findChild<QPushButton*>();
    QVERIFY(!again->accessibleName().isEmpty());
    for (QLineEdit* edit : panel.findChildren<QLineEdit*>()) {
        QVERIFY(!edit->accessibleName().isEmpty());
    }
    panel.Edit("Tariff")->setText(QStringLiteral("2,5"));
    panel.Edit("DiscountRate")->setText(QStringLiteral("12"));
    panel.Edit("TariffGrowth")->setText(QStringLiteral(" 4 "));
    QSignalSpy ended(window, &StockWindow::runEnded);
    again->click();
    QVERIFY(ended.wait(60000));
    QCoreApplication::processEvents();
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('\n')));
    // A row's own value wins; an empty cell or a missing column takes the panel's.
    QCOMPARE(inputs(&model::EconomicsInputs::DiscountRate), (QList<double>{12, 5, 12}));
    QCOMPARE(inputs(&model::EconomicsInputs::TariffGrowth), (QList<double>{4, 4, 4}));
    QCOMPARE(window->Model().rowCount(), 3);
    QCOMPARE(window->ProgressBar()->accessibleDescription(),
             QStringLiteral("посчитано 3 домов, отклонено строк: 0, с пустыми ячейками: 2"));
    // The house opened from the table has the values it was calculated with.
    window->OpenLine(2);
    QTRY_COMPARE(main.ResultsShown(), 1);
    QCOMPARE(main.ProjectParameters().Tariff, 2.5);
    QCOMPARE(main.ProjectParameters().DiscountRate, 12.0);

    // A value a cell could not have is refused as a cell is, its field focused, nothing run.
    struct Bad {
        const char* field;
        const char* text;
        const char* message;
    };
    const Bad bad[] = {
        {"DiscountRate", "101", "Ставка дисконтирования: 101 — вне допустимых пределов (0..100)"},
        {"Tariff", "0", "Стоимость кВт электроэнергии: 0 — вне допустимых пределов (больше 0)"},
        {"TariffGrowth", "много", "Рост тарифа: «много» — не число"},
        {"HorizonYears", "28",
         "Горизонт расчёта: 28 — вне допустимых пределов (1..27, целое число)"},
        {"EmissionFactor", "-0,1", "Коэффициент выбросов сети: -0,1 — вне допустимых пределов"},
    };
    for (const Bad& b : bad) {
        QLineEdit* edit = panel.Edit(b.field);
        const QString kept = edit->text();
        edit->setText(QString::fromUtf8(b.text));
        boxes_.clear();
        ended.clear();
        again->click();
        QCOMPARE(boxes_.size(), 1);
        QVERIFY2(boxes_.front().contains(QString::fromUtf8(b.message)), qPrintable(boxes_.front()));
        QCOMPARE(window->focusWidget(), edit);
        QVERIFY(!window->Running());
        QCOMPARE(window->Model().rowCount(), 3);
        QCOMPARE(inputs(&model::EconomicsInputs::DiscountRate), (QList<double>{12, 5, 12}));
        edit->setText(kept);
    }
    boxes_.clear();
    window->close();
}

std::vector<std::vector<std::string>> StockWindowTest::ProblemRows(StockWindow& window) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < window.Problems().rowCount(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < window.Problems().columnCount(); ++column) {
            rows.back().push_back(
                window.Problems().index(row, column).data().toString().toStdString());
        }
    }
    return rows;
}

void StockWindowTest::problemsOfARegisterArePinnedMarkedAndSaved() {
    for (const QString name : {"reg.csv", "reg.xlsx", "reg.ods"}) {
        const QString path = dir_.filePath(name);
        test_support::WriteRegister(path);
        const auto window = Open(path);
        WaitForEnd(*window);
        QVERIFY2(ProblemRows(*window) == test_support::RegisterProblems, qPrintable(name));
        QCOMPARE(window->Tabs()->tabText(1), QStringLiteral("Проблемы (6)"));
        // The rows calculated with a start-up value are marked in the table: lines 2, 3 and 8.
        QCOMPARE(window->Model().rowCount(), 3);
        const QModelIndex line2 = window->Model().index(0, 0);
        QVERIFY(!line2.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(line2.data(Qt::ToolTipRole)
                    .toString()
                    .contains(
                        QStringLiteral("Тариф: пустая ячейка — взято значение при запуске: 1,38")));
        QVERIFY(window->Model().index(2, 0).data(Qt::DecorationRole).isNull());

        // "Сохранить проблемы…" suggests a name beside the register and writes the same table.
        QString suggested;
        StockWindow::Questions questions;
        const QString saved = dir_.filePath(QStringLiteral("problems.csv"));
        questions.ProblemsFileName = [&](QWidget*, const QString& s) {
            suggested = s;
            return saved;
        };
        window->SetQuestions(questions);
        window->SaveProblems();
        QCOMPARE(suggested, dir_.filePath(QFileInfo(name).completeBaseName() +
                                          QStringLiteral("-проблемы.xlsx")));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList lines = QString::fromUtf8(file.readAll()).remove(QChar(0xFEFF)).split("\r\n");
        QCOMPARE(lines.size(), 8); // the header, six problems and the empty end
        std::vector<std::vector<std::string>> read;
        for (const QString& line : lines.mid(1, 6)) {
            read.emplace_back();
            for (const QString& cell : line.split(';')) {
                read.back().push_back(cell.toStdString());
            }
        }
        QVERIFY(read == test_support::RegisterProblems);

        // The check box rejects the rows with empty cells instead.
        window->StrictBox()->setChecked(true);
        WaitForEnd(*window);
        QVERIFY2(ProblemRows(*window) == test_support::StrictRegisterProblems(), qPrintable(name));
        QCOMPARE(window->Model().rowCount(), 1);
        QVERIFY(window->Model().index(0, 0).data(Qt::DecorationRole).isNull());
    }
}

void StockWindowTest::aProblemOpensItsHouseWithTheCellFocused() {
    MainWindow main(locale_);
    main.show();
    const QString path = dir_.filePath(QStringLiteral("reg.xlsx"));
    test_support::WriteRegister(path);
    StockWindow* window = main.OpenStock(path);
    QVERIFY(window != nullptr);
    WaitForEnd(*window);
    // A rejected row opens as far as it reads: its faulty cell as written, focused, no results.
    window->OpenProblem(4); // line 6, floors -5,2
    const auto* floors = qobject_cast<QLineEdit*>(main.ControlOfField("FloorCount"));
    QVERIFY(floors != nullptr || main.ControlOfField("FloorCount") != nullptr);
    QTRY_VERIFY(main.ControlOfField("FloorCount")->hasFocus() ||
                main.ControlOfField("FloorCount")->isAncestorOf(QApplication::focusWidget()));
    const auto* address = qobject_cast<QLineEdit*>(main.ControlOfField("Address"));
    QVERIFY(address != nullptr);
    QCOMPARE(address->text(), QStringLiteral("ул. Мира, 5"));
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), QStringLiteral("-5,2"));
    QCOMPARE(main.ResultsShown(), 0);
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('\n')));
    window->close();
}

QTEST_MAIN(StockWindowTest)
#include "StockWindowTest.moc"
