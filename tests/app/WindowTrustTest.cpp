// What the window promises a user who types, opens and saves houses, and who works with the
// keyboard: a calculated page can be saved and opened again, a house file is read by the
// program's rules and within bounds, the economics belong to the house shown, the settings are
// stored whole, and the results and the tracer are reached by keys.
#include "EconomicsDialog.h"
#include "HouseFile.h"
#include "IntSpinEdit.h"
#include "MainWindow.h"
#include "MessageBoxes.h"
#include "ResultsReadout.h"
#include "SettingsDialog.h"
#include "Tracer.h"
#include "ui_MainWindow.h"
#include "ui_SettingsDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <sys/stat.h>

class WindowTrustTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void forwardRefusesWhatNoHouseCanHave();
    void houseFilesAreReadByTheProgramsRules();
    void savedHouseFileIsThePinnedText();
    void houseFilesThatAreNoFilesOrTooLongAreRefused();
    void economicsBelongToTheHouseShown();
    void settingsAreStoredWholeOrNotAtAll();
    void focusStaysOnThePage();
    void reportRowsAndTracerMoveByKeys();

private:
    Ui::MainWindow& Ui() { return *window_->ui(); }
    // Answers the house file's questions with this file; `row` for a list of houses.
    void Answer(const QString& fileName, int row = 0) {
        HouseFileQuestions questions;
        questions.OpenFileName = [fileName](QWidget*, const QString&) { return fileName; };
        questions.SaveFileName = questions.OpenFileName;
        questions.ChooseRow = [this, row](QWidget*, const QStringList& rows) {
            offered_ = rows;
            return row;
        };
        window_->SetHouseFileQuestions(questions);
    }
    QString Write(const QString& name, const QByteArray& text) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return path;
    }
    QString TakeBox() { return boxes_.isEmpty() ? QString() : boxes_.takeFirst(); }

    model::NumberLocale locale_{",", " "};
    MessageBoxes savedBoxes_;
    QStringList boxes_;
    QStringList offered_;
    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
};

void WindowTrustTest::init() {
    savedBoxes_ = MessageBoxes::Current();
    MessageBoxes::Current().ShowInformation = [this](QWidget*, const QString& m) {
        boxes_.append(m);
    };
    MessageBoxes::Current().ShowError = MessageBoxes::Current().ShowInformation;
    MessageBoxes::Current().Confirm = [](QWidget*, const QString&) { return true; };
    window_ = std::make_unique<MainWindow>(locale_);
    window_->SetSeedSource([] { return 4242u; });
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    offered_.clear();
}

void WindowTrustTest::cleanup() {
    window_.reset();
    MessageBoxes::Current() = savedBoxes_;
    QCOMPARE(boxes_, QStringList());
}

void WindowTrustTest::forwardRefusesWhatNoHouseCanHave() {
    struct Case {
        QLineEdit* Field;
        const char* Text;
        const char* Message;
    };
    const std::vector<Case> cases = {
        {Ui().existingLampPrice, "-10",
         "Существующая: стоимость лампы при замене: -10 — вне допустимых пределов (не меньше 0)"},
        {Ui().existingLandingHours, "30",
         "Существующая, этаж: время горения лампы в сутки: 30 — вне допустимых пределов (0..24)"},
        {Ui().plannedVestibuleHours, "24,01",
         "Планируемая, тамбур: время горения лампы в сутки: 24,01 — вне допустимых пределов "
         "(0..24)"},
        {Ui().landingHoldTime, "-60",
         "Время горения на этажах (датчик): -60 — вне допустимых пределов (не меньше 0)"},
        {Ui().blockInstallPrice, "-1", "вне допустимых пределов (не меньше 0)"},
        {Ui().plannedLampLife, "-0,5", "вне допустимых пределов (не меньше 0, целое число)"},
    };
    for (const Case& c : cases) {
        const QString before = c.Field->text();
        c.Field->setText(QString::fromUtf8(c.Text));
        Ui().nextButton->click();
        QCOMPARE(window_->ResultsShown(), 0);
        QVERIFY2(TakeBox().endsWith(QString::fromUtf8(c.Message)), c.Text);
        QCOMPARE(QApplication::focusWidget(), c.Field);
        QCOMPARE(c.Field->selectedText(), QString::fromUtf8(c.Text));
        QVERIFY(!Ui().economicsAction->isEnabled());
        c.Field->setText(before);
    }
    // The bounds themselves are allowed.
    Ui().existingLandingHours->setText(QStringLiteral("24"));
    Ui().existingLampPrice->setText(QStringLiteral("0"));
    Ui().nextButton->click();
    QCOMPARE(window_->ResultsShown(), 1);
    Ui().backButton->click();

    // A price no house has makes infinite sums: nothing is shown.
    Ui().existingLampPrice->setText(QStringLiteral("1e308"));
    Ui().nextButton->click();
    QCOMPARE(window_->ResultsShown(), 0);
    QCOMPARE(TakeBox(), InfiniteFiguresMessage);
    QVERIFY(!Ui().economicsAction->isEnabled());
}

void WindowTrustTest::houseFilesAreReadByTheProgramsRules() {
    struct Case {
        const char* Name;
        QByteArray Text;
        QStringList Offered; // empty: opened without asking
        QString Tariff;
        QString Hours;
        QString Address;
    };
    const std::vector<Case> cases = {
        {"points.csv",
         "Address,Tariff,ExistingHoursLanding\r\nул. Точечная 1,2.15,11.5\r\n",
         {},
         "2,15",
         "11,5",
         "ул. Точечная 1"},
        {"points-semicolon.csv",
         "Address;Tariff;ExistingHoursLanding\nдом 2;3.5;9.25\n",
         {},
         "3,5",
         "9,25",
         "дом 2"},
        {"two.csv",
         "Address;Tariff\r\nпервый;1,5\r\nвторой;2,5\r\n",
         {QStringLiteral("строка 2: первый"), QStringLiteral("строка 3: второй")},
         "2,5",
         "13,00",
         "второй"},
    };
    for (const Case& c : cases) {
        offered_.clear();
        Answer(Write(QString::fromUtf8(c.Name), c.Text), 1);
        Ui().openHouseAction->trigger();
        QCOMPARE(offered_, c.Offered);
        QCOMPARE(Ui().tariff->text(), c.Tariff);
        QCOMPARE(Ui().existingLandingHours->text(), c.Hours);
        QCOMPARE(Ui().address->text(), c.Address);
    }
}

void WindowTrustTest::savedHouseFileIsThePinnedText() {
    Ui().address->setText(QStringLiteral("ул. Мира; д. 1"));
    Ui().tariff->setText(QStringLiteral("2,5"));
    Ui().existingLandingHours->setText(QStringLiteral("12,75"));
    window_->ProjectParameters().PassagesPerResident = 2.85;
    window_->ProjectParameters().TariffGrowth = 5.5;
    const QString house = dir_.filePath(QStringLiteral("дом.csv"));
    Answer(house);
    Ui().saveHouseAction->trigger();
    QFile file(house);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "Address;ManagementCompany;EntranceCount;FloorCount;HasLift;ResidentsPerFlat;"
        "FlatsPerFloor;Tariff;ExistingSchemeType;ExistingLampsLanding;ExistingLampsBetween;"
        "ExistingLampsVestibule;ExistingLampLife;ExistingLampPrice;ExistingPowerLanding;"
        "ExistingPowerBetween;ExistingPowerVestibule;ExistingHoursLanding;ExistingHoursBetween;"
        "ExistingHoursVestibule;PlannedSchemeType;PlannedLampsLanding;PlannedLampsBetween;"
        "PlannedLampsVestibule;PlannedBlocksLanding;PlannedBlocksBetween;PlannedBlocksVestibule;"
        "PlannedLampLife;PlannedLampPrice;PlannedPowerLanding;PlannedPowerBetween;"
        "PlannedPowerVestibule;PlannedHoursLanding;PlannedHoursBetween;PlannedHoursVestibule;"
        "ExistingFittingPrice;ExistingFittingInstallPrice;PlannedFittingPrice;"
        "PlannedFittingInstallPrice;BlockPrice;BlockInstallPrice;HoldTimeLanding;HoldTimeBetween;"
        "HoldTimeVestibule;LiftFromFloor;LiftModel;IndividualityCoefficient;PassagesPerResident;"
        "CountLampTheft;TheftRateIncandescent;TheftRateEnergySaving;TheftRateSoundSensor;"
        "TheftRateExternalBlock;BurnOutGamma;TariffGrowth;LampPriceGrowth;DiscountRate;"
        "HorizonYears;EmissionFactor\r\n"
        "\"ул. Мира; д. 1\";;5;9;1;4;3;2,5;0;1;1;2;6;10;40;40;40;12,75;13,00;24,00;1;1;1;2;1;1;1;"
        "18;10;40;40;40;1,46;0,49;1,05;0;0;0;0;350;100;60;20;10;1;1;1;2,85;1;10;4;1,5;1,5;0,1;5,5;"
        "0;0;10;0\r\n";
    const QByteArray saved = file.readAll();
    // Cell by cell first, so that a failure names the cell.
    QCOMPARE(QString::fromUtf8(saved).split(QLatin1Char(';')),
             QString::fromUtf8(expected).split(QLatin1Char(';')));
    QCOMPARE(saved, expected);
}

void WindowTrustTest::houseFilesThatAreNoFilesOrTooLongAreRefused() {
    const QString fifo = dir_.filePath(QStringLiteral("канал"));
    QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString before = Ui().address->text();
    struct Case {
        QString File;
        const char* Message;
    };
    QByteArray header = "Address;Tariff\r\n";
    QByteArray manyRows = header;
    for (int i = 0; i <= 10000; ++i) {
        manyRows += "дом;2\r\n";
    }
    const std::vector<Case> cases = {
        {fifo, "это не обычный файл"},
        {QStringLiteral("/dev/zero"), "это не обычный файл"},
        {dir_.path(), "это не обычный файл"},
        {Write(QStringLiteral("many.csv"), manyRows), "больше 10000 строк"},
        {Write(QStringLiteral("huge.csv"), header + QByteArray(17 << 20, '\n')), "больше 16 МБ"},
    };
    for (const Case& c : cases) {
        Answer(c.File);
        Ui().openHouseAction->trigger(); // a pipe would wait here for ever
        const QString message = TakeBox();
        QVERIFY2(message.contains(QString::fromUtf8(c.Message)), qPrintable(message));
        QVERIFY2(message.contains(c.File), qPrintable(message));
        QCOMPARE(Ui().address->text(), before);
    }
    // Saving into the pipe names the house file, not results.
    Answer(fifo);
    Ui().saveHouseAction->trigger();
    const QString message = TakeBox();
    QVERIFY2(message.startsWith(QStringLiteral("Нельзя сохранить дом в файл ") + fifo),
             qPrintable(message));
}

void WindowTrustTest::economicsBelongToTheHouseShown() {
    // What the economics window shows when opened from the menu.
    const auto shown = [this] {
        report::EconomicsPage page;
        QTimer::singleShot(0, this, [&page] {
            auto* dialog = qobject_cast<EconomicsDialog*>(QApplication::activeModalWidget());
            if (dialog != nullptr) {
                dialog->WaitForSensitivity();
                page = dialog->Page();
                dialog->reject();
            }
        });
        Ui().economicsAction->trigger();
        return page;
    };
    QVERIFY(!Ui().economicsAction->isEnabled());
    Ui().nextButton->click();
    QVERIFY(Ui().economicsAction->isEnabled());
    const report::EconomicsPage first = shown();
    QCOMPARE(first.Address, Ui().address->text());

    // Another house opened: no economics until it is calculated, then its own.
    Answer(Write(QStringLiteral("other.csv"),
                 "Address;Tariff;EntranceCount;DiscountRate\r\nдругой дом;4,2;2;7\r\n"));
    Ui().openHouseAction->trigger();
    QCOMPARE(window_->ResultsShown(), 0);
    QVERIFY(!Ui().economicsAction->isEnabled());
    Ui().nextButton->click();
    const report::EconomicsPage other = shown();
    QCOMPARE(other.Address, QStringLiteral("другой дом"));
    QCOMPARE(other.Inputs.DiscountRate, 7.0);
    model::ProjectParameters p = window_->ProjectParameters();
    const model::EconomicsFigures expected =
        model::CalculateEconomics(p, window_->SimulationResult(), model::EconomicsInputsOf(p));
    QCOMPARE(other.Figures.NetPresentValue, expected.NetPresentValue);
    QCOMPARE(other.Figures.DiscountedPaybackDay, expected.DiscountedPaybackDay);
    QVERIFY(other.Figures.NetPresentValue != first.Figures.NetPresentValue);

    // Back, a change and a recalculation: still no economics until "Вперед".
    Ui().backButton->click();
    QVERIFY(!Ui().economicsAction->isEnabled());
    Ui().floorCount->setText(QStringLiteral("3"));
    Ui().recalculateHouse->click();
    QVERIFY(!Ui().economicsAction->isEnabled());
    Ui().nextButton->click();
    QCOMPARE(shown().Figures.EnergySavedPerYear,
             model::CalculateEconomics(window_->ProjectParameters(), window_->SimulationResult(),
                                       model::EconomicsInputsOf(window_->ProjectParameters()))
                 .EnergySavedPerYear);
}

void WindowTrustTest::settingsAreStoredWholeOrNotAtAll() {
    model::ProjectParameters& p = window_->ProjectParameters();
    SettingsDialog settings(p, locale_, window_.get());
    settings.show();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    // The chosen lift model has the focus, not the first of the two buttons.
    QCOMPARE(settings.focusWidget(), settings.ui()->exponentialLift);

    const model::ProjectParameters before = p;
    settings.ui()->individualityCoefficient->setText(QStringLiteral("0,5"));
    settings.ui()->passagesPerResident->setText(QStringLiteral("7"));
    settings.ui()->soundSensorTheft->setText(QStringLiteral("много"));
    settings.ui()->saveButton->click();
    QCOMPARE(TakeBox(), ErrorBoxText(QString::fromStdString(model::ConversionMessage("много"))));
    QCOMPARE(p.IndividualityCoefficient, before.IndividualityCoefficient);
    QCOMPARE(p.PassagesPerResident, before.PassagesPerResident);
    QVERIFY(settings.isVisible());
    QCOMPARE(settings.focusWidget(), settings.ui()->soundSensorTheft);
    QCOMPARE(settings.ui()->soundSensorTheft->selectedText(), QStringLiteral("много"));

    // Enter in a field saves.
    settings.ui()->soundSensorTheft->setText(QStringLiteral("2"));
    QTest::keyClick(settings.ui()->soundSensorTheft, Qt::Key_Return);
    QCOMPARE(settings.result(), int(QDialog::Accepted));
    QCOMPARE(p.IndividualityCoefficient, 0.5);
    QCOMPARE(p.PassagesPerResident, 7.0);
    QCOMPARE(p.TheftRateSoundSensor, 2.0);
}

void WindowTrustTest::focusStaysOnThePage() {
    QCOMPARE(Ui().clientScroll->focusPolicy(), Qt::NoFocus);
    QCOMPARE(QApplication::focusWidget(), Ui().address);
    Ui().floorCount->setFocus();
    Ui().nextButton->click();
    Ui().backButton->click();
    QCOMPARE(QApplication::focusWidget(), Ui().address);
    Ui().floorCount->setFocus();
    Answer(Write(QStringLiteral("one.csv"), "Address\r\nдом\r\n"));
    Ui().openHouseAction->trigger();
    QCOMPARE(QApplication::focusWidget(), Ui().address);
}

void WindowTrustTest::reportRowsAndTracerMoveByKeys() {
    Ui().nextButton->click();
    auto* table = window_->findChild<QWidget*>(QStringLiteral("reportReadout"));
    QVERIFY(table != nullptr);
    table->setFocus();
    const std::vector<report::ReportRow> rows =
        report::ReportRows(window_->ProjectParameters(), window_->SimulationResult(), locale_);
    const auto focusedName = [] { return QApplication::focusWidget()->accessibleName(); };
    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(focusedName(), ReportRowText(rows.at(0)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(focusedName(), ReportRowText(rows.at(1)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QCOMPARE(focusedName(), ReportRowText(rows.back()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // stays on the last row
    QCOMPARE(focusedName(), ReportRowText(rows.back()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(focusedName(), ReportRowText(rows.at(rows.size() - 2)));

    const report::ChartView& view = window_->ChartView();
    const auto day = [&view] { return report::TracerDay(*view.TracerX, view.XScale); };
    // A column a day: a step of a day shows as one.
    Ui().zoomInDaysButton->click();
    QCOMPARE(view.XScale, 1.0);
    Ui().tracerButton->click();
    Ui().tracerButton->setFocus();
    QTest::keyClick(Ui().tracerButton, Qt::Key_End);
    QCOMPARE(view.TracerX, std::optional<int>(960));
    QTest::keyClick(Ui().tracerButton, Qt::Key_Home);
    QCOMPARE(view.TracerX, std::optional<int>(560));
    const int start = day();
    QTest::keyClick(Ui().tracerButton, Qt::Key_PageDown);
    QCOMPARE(day(), start + 30); // the first column of that day
    QVERIFY(report::TracerDay(*view.TracerX - 1, view.XScale) < start + 30);
    QTest::keyClick(Ui().tracerButton, Qt::Key_PageDown);
    QCOMPARE(day(), start + 60);
    QTest::keyClick(Ui().tracerButton, Qt::Key_PageUp);
    QCOMPARE(day(), start + 30);
    QTest::keyClick(Ui().tracerButton, Qt::Key_Right);
    const int next = day();
    QVERIFY(next > start + 30);
    QCOMPARE(report::TracerDay(*view.TracerX - 1, view.XScale), start + 30);
    // Read in whole words, the screen keeps its short texts.
    QCOMPARE(Ui().tracerButton->accessibleDescription(),
             TracerSpokenReadout(window_->SimulationResult(), next, locale_));
    QVERIFY(Ui().tracerButton->accessibleDescription().startsWith(
        QStringLiteral("День %1. Затраты нарастающим итогом: существующая схема ").arg(next)));
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    WindowTrustTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowTrustTest.moc"
