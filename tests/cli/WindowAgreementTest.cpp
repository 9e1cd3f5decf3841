// For the same houses and seed, virasvet-calc writes the figures the window's report shows.

#include "EconomicsDialog.h"
#include "HouseFile.h"
#include "HouseInput.h"
#include "HouseSheet.h"
#include "IntSpinEdit.h"
#include "MainWindow.h"
#include "MessageBoxes.h"
#include "ReportTable.h"
#include "ResultFigures.h"
#include "ui_MainWindow.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr std::uint32_t Seed = 20261207;

using House = std::map<std::string, std::string>; // column -> text with a decimal comma

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A report value as a plain number: no group separators, no leading zeros.
QString Plain(QString value) {
    value.remove(QLatin1Char(' '));
    while (value.size() > 1 && value.startsWith(QLatin1Char('0')) && value[1].isDigit()) {
        value.remove(0, 1);
    }
    return value;
}

} // namespace

class WindowAgreementTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageStartsWithTheSharedStartUpTexts();
    void programWritesTheReportsFigures();
    void savedHouseOpensToTheSamePageAndCalculatesAsTheProgram();
    void houseFileRowsAreChosenAndRejectedRowsLeaveThePage();

private:
    // Types the house into the page, recalculates and goes forward, as a user does.
    void Calculate(const House& house);
    // The texts of every control of the page, in field order.
    QStringList PageTexts();
    // Answers the house file's questions with this file and row.
    void AnswerHouseFile(const QString& fileName, int row = 0);
    // The cells of one row of the program's results against the window's report and charts.
    void CompareWithReport(const QStringList& cells);

    model::NumberLocale locale_{",", " "};
    MessageBoxes savedBoxes_;
    QStringList boxes_;
    std::unique_ptr<MainWindow> window_;
    QStringList rowsOffered_;
};

void WindowAgreementTest::init() {
    savedBoxes_ = MessageBoxes::Current();
    MessageBoxes::Current().ShowInformation = [this](QWidget*, const QString& m) {
        boxes_.append(m);
    };
    MessageBoxes::Current().ShowError = [this](QWidget*, const QString& m) { boxes_.append(m); };
    window_ = std::make_unique<MainWindow>(locale_);
    window_->SetSeedSource([] { return Seed; });
    window_->show();
}

void WindowAgreementTest::cleanup() {
    window_.reset();
    MessageBoxes::Current() = savedBoxes_;
    QCOMPARE(boxes_, QStringList());
}

void WindowAgreementTest::pageStartsWithTheSharedStartUpTexts() {
    const model::ProjectParameters startUp = model::StartUpProject();
    int compared = 0;
    for (const model::HouseField& field : model::HouseFields()) {
        QWidget* control = window_->ControlOfField(field.Name);
        if (control == nullptr) {
            continue; // a setting: the dialog holds it
        }
        ++compared;
        QString shown;
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            shown = edit->text();
        } else if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
            shown = spin->text();
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            shown = box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            continue; // the hidden scheme selectors
        }
        QString expected = Text(field.StartText);
        if (field.PlannedHours) {
            expected = QString::fromStdString(model::BurnHoursText(
                startUp.*std::get<double model::ProjectParameters::*>(field.Target), locale_));
        }
        QCOMPARE(shown, expected);
    }
    QCOMPARE(compared, 44);
    // Forward with nothing changed calculates the shared start-up project.
    window_->ui()->nextButton->click();
    const model::ProjectParameters& p = window_->ProjectParameters();
    QCOMPARE(p.PlannedHoursLanding, startUp.PlannedHoursLanding);
    QCOMPARE(p.PlannedBlocksBetween, startUp.PlannedBlocksBetween);
    QCOMPARE(p.Tariff, startUp.Tariff);
    QCOMPARE(p.HoldTimeLanding, startUp.HoldTimeLanding);
}

void WindowAgreementTest::Calculate(const House& house) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (const auto& [column, text] : house) {
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&column](const auto& f) { return f.Name == column; });
        QVERIFY2(field != fields.end(), column.c_str());
        QWidget* control = window_->ControlOfField(field->Name);
        QVERIFY2(control != nullptr, column.c_str());
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setText(QString::fromStdString(text));
        } else if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
            spin->setText(QString::fromStdString(text));
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            box->setChecked(text == "1");
        }
    }
    window_->ui()->recalculateSensors->click();
    window_->ui()->nextButton->click();
    QCOMPARE(window_->ResultsShown(), 1);
}

void WindowAgreementTest::programWritesTheReportsFigures() {
    const std::vector<House> houses = {
        {{"Address", "ул. Мира д. 1"}},
        {{"Address", "Садовая 3"},
         {"EntranceCount", "3"},
         {"FloorCount", "16"},
         {"HasLift", "0"},
         {"Tariff", "2,4"},
         {"ExistingLampLife", "4"},
         {"ExistingHoursLanding", "12,5"},
         {"PlannedBlocksLanding", "0"},
         {"PlannedLampsVestibule", "0"},
         {"HoldTimeLanding", "90"}},
        {{"Address", "без окупаемости"}, {"BlockPrice", "90000"}, {"FlatsPerFloor", "6"}},
    };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile sheet(dir.filePath(QStringLiteral("houses.csv")));
    QVERIFY(sheet.open(QIODevice::WriteOnly));
    std::vector<std::string> columns;
    for (const model::HouseField& field : model::HouseFields()) {
        columns.emplace_back(field.Name);
    }
    std::string content;
    for (const std::string& column : columns) {
        content += column + ";";
    }
    content += "\n";
    for (const House& house : houses) {
        for (const std::string& column : columns) {
            const auto cell = house.find(column);
            content += (cell == house.end() ? "" : cell->second) + ";";
        }
        content += "\n";
    }
    sheet.write(content.data(), static_cast<qint64>(content.size()));
    sheet.close();

    QProcess calc;
    calc.start(QStringLiteral(VIRASVET_CALC),
               {QStringLiteral("--seed"), QString::number(Seed), sheet.fileName()});
    QVERIFY(calc.waitForFinished(60000));
    // Empty cells take the start-up values, as on the page; the program only says so.
    const QString messages = QString::fromUtf8(calc.readAllStandardError());
    QVERIFY2(messages.isEmpty() ||
                 (messages.count(QLatin1Char('\n')) == 1 &&
                  messages.contains(QStringLiteral("пустые ячейки заполнены значениями"))),
             qPrintable(messages));
    QCOMPARE(calc.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(calc.readAllStandardOutput()).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), static_cast<qsizetype>(houses.size() + 2));

    for (std::size_t i = 0; i < houses.size(); ++i) {
        if (i > 0) {
            cleanup();
            init();
        }
        Calculate(houses[i]);
        CompareWithReport(lines[static_cast<qsizetype>(i) + 1].split(QLatin1Char(';')));
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}

void WindowAgreementTest::CompareWithReport(const QStringList& cells) {
    // The economics columns follow when the sheet gives the economics inputs.
    QVERIFY(cells.size() == 26 || cells.size() == 34);
    const model::SimulationResult& result = window_->SimulationResult();
    const std::vector<report::ReportRow> rows =
        report::ReportRows(window_->ProjectParameters(), result, locale_);
    // The figures start after the address and the company, when the report shows them.
    const auto first = std::find_if(rows.begin(), rows.end(), [](const report::ReportRow& r) {
        return r.Label.startsWith(QStringLiteral("Срок окупаемости"));
    });
    QVERIFY(rows.end() - first == 9);
    const report::ReportRow* row = &*first;
    // The company as a CSV cell: quoted when it holds quotes.
    QCOMPARE(cells[3], QString::fromStdString(
                           sheet::CsvField(window_->ProjectParameters().ManagementCompany, ';')));
    const bool payback = result.PaybackFound;
    QCOMPARE(cells[4], payback ? QStringLiteral("1") : QStringLiteral("0"));
    if (payback) {
        const QStringList time = row[0].ExistingValue.split(QStringLiteral("/ "));
        QCOMPARE(cells[6] + QStringLiteral("|") + cells[5],
                 time[0] + QStringLiteral("|") + time[1]);
        QCOMPARE(cells[7], Plain(row[1].ExistingValue));
        QCOMPARE(cells[8], Plain(row[1].PlannedValue));
        QCOMPARE(cells[23], row[8].ExistingValue);
        QCOMPARE(cells[24], row[8].PlannedValue);
    } else {
        QCOMPARE(row[0].ExistingValue, QStringLiteral("нет"));
        for (int empty : {5, 6, 7, 8, 23, 24}) {
            QCOMPARE(cells[empty], QString());
        }
    }
    QCOMPARE(cells[9], Plain(row[2].ExistingValue));
    QCOMPARE(cells[10], Plain(row[2].PlannedValue));
    QCOMPARE(cells[11], Plain(row[3].ExistingValue));
    QCOMPARE(cells[12], Plain(row[3].PlannedValue));
    QCOMPARE(cells[13], Plain(row[4].ExistingValue));
    QCOMPARE(cells[14], Plain(row[4].PlannedValue));
    QCOMPARE(cells[15], Plain(row[5].ExistingValue));
    QCOMPARE(cells[16], Plain(row[5].PlannedValue));
    // The monthly chart's figures.
    const auto monthly = [this](double daily) {
        return QString::fromStdString(model::FormatNumber(daily * 30, "0.00", locale_));
    };
    QCOMPARE(cells[19], monthly(result.DailyEnergyExisting));
    QCOMPARE(cells[20], monthly(result.DailyEnergyPlanned));
    QCOMPARE(cells[21], monthly(result.DailyEnergyCostExisting));
    QCOMPARE(cells[22], monthly(result.DailyEnergyCostPlanned));
    QCOMPARE(cells[25], QString::number(Seed));
}

QStringList WindowAgreementTest::PageTexts() {
    QStringList texts;
    for (const model::HouseField& field : model::HouseFields()) {
        if (const QWidget* control = window_->ControlOfField(field.Name)) {
            texts.append(Text(field.Name) + QStringLiteral("=") +
                         QString::fromStdString(ControlValue(control)));
        }
    }
    return texts;
}

void WindowAgreementTest::AnswerHouseFile(const QString& fileName, int row) {
    HouseFileQuestions questions;
    questions.OpenFileName = [fileName](QWidget*, const QString&) { return fileName; };
    questions.SaveFileName = questions.OpenFileName;
    questions.ChooseRow = [this, row](QWidget*, const QStringList& rows) {
        rowsOffered_ = rows;
        return row;
    };
    window_->SetHouseFileQuestions(questions);
}

void WindowAgreementTest::savedHouseOpensToTheSamePageAndCalculatesAsTheProgram() {
    // Typed values of every kind, settings changed in the project, a zone without lamps.
    Calculate({{"Address", "ул. Лесная, 7"},
               {"ManagementCompany", "ТСЖ \"Лес\""},
               {"EntranceCount", "6"},
               {"FloorCount", "12"},
               {"HasLift", "0"},
               {"ResidentsPerFlat", "2,7"},
               {"Tariff", "3,05"},
               {"ExistingLampLife", "4,5"},
               {"ExistingPowerBetween", "60"},
               {"ExistingPowerVestibule", "41"},
               {"ExistingHoursLanding", "9,75"},
               {"PlannedLampsBetween", "0"},
               {"PlannedLampPrice", "85"},
               {"BlockPrice", "2415"},
               {"HoldTimeLanding", "75"}});
    window_->ProjectParameters().PassagesPerResident = 2.85;
    window_->ProjectParameters().IndividualityCoefficient = 1.0 / 3;
    model::ProjectParameters& economics = window_->ProjectParameters();
    economics.TariffGrowth = 6;
    economics.LampPriceGrowth = 3.5;
    economics.DiscountRate = 9;
    economics.HorizonYears = 12;
    economics.EmissionFactor = 0.45;
    window_->ui()->recalculateSensors->click();
    window_->ui()->backButton->click();
    window_->ui()->nextButton->click();
    const QStringList typed = PageTexts();

    QTemporaryDir dir;
    const QString house = dir.filePath(QStringLiteral("дом.csv"));
    AnswerHouseFile(house);
    window_->ui()->saveHouseAction->trigger();
    QVERIFY(QFileInfo::exists(house));

    QProcess calc;
    calc.start(QStringLiteral(VIRASVET_CALC),
               {QStringLiteral("--seed"), QString::number(Seed), house});
    QVERIFY(calc.waitForFinished(60000));
    // Empty cells take the start-up values, as on the page; the program only says so.
    const QString messages = QString::fromUtf8(calc.readAllStandardError());
    QVERIFY2(messages.isEmpty() ||
                 (messages.count(QLatin1Char('\n')) == 1 &&
                  messages.contains(QStringLiteral("пустые ячейки заполнены значениями"))),
             qPrintable(messages));
    QCOMPARE(calc.exitCode(), 0);
    QString output = QString::fromUtf8(calc.readAllStandardOutput());
    if (output.startsWith(QChar(0xFEFF))) {
        output.remove(0, 1);
    }
    const QStringList lines = output.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    const QStringList cells = lines[1].split(QLatin1Char(';'));
    CompareWithReport(cells);
    // The economics window's figures for the same house.
    {
        EconomicsDialog dialog(window_->ProjectParameters(), window_->SimulationResult(), Seed,
                               locale_);
        const model::EconomicsFigures& f = dialog.Page().Figures;
        // The texts pinned, the window's figures within their rounding: a wrong entry of the
        // rounding table, which both would share, changes a text.
        QCOMPARE(cells.size(), 34);
        QCOMPARE(cells[26], QStringLiteral("1"));
        QVERIFY(f.DiscountedPaybackFound);
        QCOMPARE(cells[27], QStringLiteral("721"));
        QCOMPARE(f.DiscountedPaybackDay, 721);
        QCOMPARE(cells[29], QStringLiteral("832643,70"));
        QVERIFY(std::abs(f.NetPresentValue - 832643.70) <= 0.005);
        QCOMPARE(f.InternalRateOfReturn.Found, model::ReturnRate::Kind::Found);
        QCOMPARE(cells[30], QStringLiteral("78,00"));
        QVERIFY(std::abs(f.InternalRateOfReturn.Percent - 78.00) <= 0.005);
        QCOMPARE(cells[33], QStringLiteral("14,495"));
        QVERIFY(std::abs(f.CO2AvoidedPerYear - 14.495) <= 0.0005);
        QVERIFY(f.DiscountedPaybackDay != window_->SimulationResult().PaybackDay);
    }

    // A window started afresh shows the same page once the house is opened, and calculates the
    // same figures.
    cleanup();
    init();
    AnswerHouseFile(house);
    window_->ui()->openHouseAction->trigger();
    QCOMPARE(PageTexts(), typed);
    QVERIFY(!window_->ui()->plannedFlightBlocks->isEnabled());
    QCOMPARE(window_->ProjectParameters().IndividualityCoefficient, 1.0 / 3);
    window_->ui()->nextButton->click();
    QCOMPARE(window_->ResultsShown(), 1);
    CompareWithReport(lines[1].split(QLatin1Char(';')));
}

void WindowAgreementTest::houseFileRowsAreChosenAndRejectedRowsLeaveThePage() {
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("houses.csv"));
    QFile file(sheet);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Address;EntranceCount;Tariff\r\nпервый;2;1,5\r\nвторой;3;0\r\nтретий;4;2\r\n");
    file.close();
    const QStringList before = PageTexts();

    AnswerHouseFile(sheet, -1); // the user cancels the choice
    window_->ui()->openHouseAction->trigger();
    QCOMPARE(rowsOffered_,
             (QStringList{QStringLiteral("строка 2: первый"), QStringLiteral("строка 3: второй"),
                          QStringLiteral("строка 4: третий")}));
    QCOMPARE(PageTexts(), before);

    // A row virasvet-calc refuses is reported with its message and changes nothing.
    AnswerHouseFile(sheet, 1);
    window_->ui()->openHouseAction->trigger();
    QCOMPARE(boxes_.size(), 1);
    QVERIFY2(boxes_.takeFirst().startsWith(QStringLiteral("houses.csv:3: Tariff: ")),
             qPrintable(before.join(QLatin1Char(' '))));
    QCOMPARE(PageTexts(), before);

    AnswerHouseFile(sheet, 2);
    window_->ui()->openHouseAction->trigger();
    QCOMPARE(window_->ui()->address->text(), QStringLiteral("третий"));
    QCOMPARE(window_->ui()->entranceCount->text(), QStringLiteral("4"));
    QCOMPARE(window_->ui()->tariff->text(), QStringLiteral("2"));
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    WindowAgreementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowAgreementTest.moc"
