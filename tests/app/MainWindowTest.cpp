#include "MainWindow.h"
#include "InputReading.h"
#include "IntSpinEdit.h"
#include "Locale.h"
#include "MessageBoxes.h"
#include "PageComposer.h"
#include "SettingsDialog.h"
#include "UpDownStepper.h"
#include "ui_MainWindow.h"
#include "ui_SettingsDialog.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString OutOfRange = QString::fromUtf8(
    model::OutOfRangeMessage.data(), static_cast<qsizetype>(model::OutOfRangeMessage.size()));
const QString FillIn = QString::fromUtf8(model::FillInMessage.data(),
                                         static_cast<qsizetype>(model::FillInMessage.size()));

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

bool IsAllWhite(const QImage& picture) {
    const QImage rgb = Rgb(picture);
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            if (rgb.pixel(x, y) != qRgb(255, 255, 255)) {
                return false;
            }
        }
    }
    return true;
}

// The columns in which two grabs of the window differ, as [first, last]; {-1, -1} when equal.
std::pair<int, int> DifferingColumns(const QImage& a, const QImage& b) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                first = first < 0 ? x : std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

} // namespace

// The main window under one pair of regional separators. Every box the window shows is recorded
// instead of shown; a test fails when a box appears that it did not expect.
class MainWindowTest : public QObject {
    Q_OBJECT
public:
    MainWindowTest(model::NumberLocale locale) : locale_(std::move(locale)) {}

private slots:
    void init();
    void cleanup();

    void startsOnTheInputPageWithTheEstimate();
    void forwardBackAndForwardAgain();
    void rejectedValuesOnTheForwardStep();
    void lampPowerSnapsToStandardPowers();
    void lampCountsSwitchZonesAndBlockCountsRecalculate();
    void recalculationReadsThePageTwice();
    void burnHoursSteppersAndTariffPresets();
    void zoomLimitsRedrawTheChart();
    void tracerFollowsTheMouseOverTheChart();
    void settingsDialogRereadsTheHouse();
    void savingTheSettingsKeepsThePageHoldTimes();
    void outputPictureHasTheLogoAndNoTracer();

private:
    // The locale's way of writing a number given with a decimal comma.
    QString Dec(const char* commaText) const {
        return WithDecimalSeparator(QString::fromUtf8(commaText), locale_);
    }
    QStringList TakeInformation() { return std::exchange(information_, {}); }
    QStringList TakeErrors() { return std::exchange(errors_, {}); }
    Ui::MainWindow& Ui() { return *window_->ui(); }
    QImage Grab() { return Rgb(window_->ClientArea()->grab().toImage()); }
    // A grab with the chart tools blanked out.
    QImage WithoutTools(QImage grab) {
        QPainter(&grab).fillRect(Ui().zoomPanel->geometry(), Qt::black);
        return grab;
    }
    void Forward() {
        Ui().nextButton->click();
        QCOMPARE(window_->ResultsShown(), 1);
    }
    void MoveMouse(int x, int y) {
        const QPointF local(x, y);
        QMouseEvent move(QEvent::MouseMove, local, window_->ClientArea()->mapToGlobal(local),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window_->ClientArea(), &move);
    }

    model::NumberLocale locale_;
    MessageBoxes savedBoxes_;
    QStringList information_;
    QStringList errors_;
    std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::init() {
    savedBoxes_ = MessageBoxes::Current();
    MessageBoxes::Current().ShowInformation = [this](QWidget*, const QString& message) {
        information_.append(message);
    };
    MessageBoxes::Current().ShowError = [this](QWidget*, const QString& message) {
        errors_.append(message);
    };
    MessageBoxes::Current().Confirm = [this](QWidget*, const QString& question) {
        errors_.append(QStringLiteral("unexpected question: ") + question);
        return false;
    };
    window_ = std::make_unique<MainWindow>(locale_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void MainWindowTest::cleanup() {
    window_.reset();
    MessageBoxes::Current() = savedBoxes_;
    QCOMPARE(TakeInformation(), QStringList());
    QCOMPARE(TakeErrors(), QStringList());
}

void MainWindowTest::startsOnTheInputPageWithTheEstimate() {
    QCOMPARE(window_->windowTitle(),
             QStringLiteral("Программа расчета электроэнергии на освещение МОП"));
    QCOMPARE(window_->ClientArea()->size(), QSize(1000, 642));
    QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
    // The texts shown, each with its Alt+letter mnemonic underlined.
    QCOMPARE(Ui().nextButton->text(), QStringLiteral("&Вперед "));
    const QList<QAction*> menu = Ui().menuBar->actions();
    QCOMPARE(menu.size(), 5);
    QCOMPARE(menu[0]->text(), QStringLiteral("&Файл"));
    QCOMPARE(menu[1]->text(), QStringLiteral("&Экономика…"));
    QVERIFY(!menu[1]->isEnabled()); // until there are results
    QCOMPARE(menu[2]->text(), QStringLiteral("&Настройки"));
    QCOMPARE(menu[3]->text(), QStringLiteral("&Помощь"));
    QCOMPARE(menu[4]->text(), QStringLiteral("&О программе"));
    const QList<QAction*> file = menu[0]->menu()->actions();
    QCOMPARE(file.size(), 3);
    QCOMPARE(file[0]->text(), QStringLiteral("&Открыть дом…"));
    QCOMPARE(file[1]->text(), QStringLiteral("Открыть &жилой фонд…"));
    QCOMPARE(file[2]->text(), QStringLiteral("&Сохранить дом…"));

    QVERIFY(Ui().inputPage->isVisible());
    QVERIFY(!Ui().backButton->isEnabled());
    QVERIFY(Ui().nextButton->isEnabled());
    QVERIFY(Ui().printButton->isHidden());
    QVERIFY(Ui().saveButton->isHidden());
    QVERIFY(Ui().zoomPanel->isHidden());
    QVERIFY(Ui().existingSchemeType->isHidden() && !Ui().existingSchemeType->isEnabled());
    QVERIFY(Ui().plannedSchemeType->isHidden() && !Ui().plannedSchemeType->isEnabled());
    QVERIFY(Ui().logo->isHidden());
    QCOMPARE(Ui().logo->pixmap().size(), QSize(181, 33)); // the logo of the printed page
    QCOMPARE(window_->ResultsShown(), 0);

    // The page refresh has replaced the layout's texts by the record's values.
    QCOMPARE(Ui().tariff->text(), Dec("1,38"));
    QCOMPARE(Ui().existingLampLife->text(), QStringLiteral("6"));
    QCOMPARE(Ui().plannedLampLife->text(), QStringLiteral("18"));
    QCOMPARE(Ui().existingLandingHours->text(), Dec("13,00"));
    QCOMPARE(Ui().existingVestibuleHours->text(), Dec("24,00"));
    QCOMPARE(Ui().existingLandingHoursStepper->position(), 130);
    QCOMPARE(Ui().existingFlightHoursStepper->position(), 130);
    QCOMPARE(Ui().existingVestibuleHoursStepper->position(), 240);
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("1,46"));
    QCOMPARE(Ui().plannedFlightHours->text(), Dec("0,49"));
    QCOMPARE(Ui().plannedVestibuleHours->text(), Dec("1,05"));
    QCOMPARE(Ui().plannedLandingHoursStepper->position(), 14);
    QCOMPARE(Ui().plannedFlightHoursStepper->position(), 4);
    QCOMPARE(Ui().plannedVestibuleHoursStepper->position(), 10);

    const model::ProjectParameters& p = window_->ProjectParameters();
    QCOMPARE(p.Tariff, 1.38);
    QCOMPARE(p.FloorCount, 9);
    QCOMPARE(p.PlannedSchemeType, 1);
    QCOMPARE(p.ExistingSchemeType, 0);
    QCOMPARE(p.Address, std::string("ул.   д. "));

    for (int size : {16, 32, 64, 128}) {
        const QImage icon(QStringLiteral(":/resources/icons/virasvet-%1.png").arg(size));
        QCOMPARE(icon.size(), QSize(size, size));
    }
    for (QToolButton* zoom : {Ui().zoomOutDaysButton, Ui().zoomInDaysButton,
                              Ui().zoomOutCostsButton, Ui().zoomInCostsButton}) {
        QVERIFY(!zoom->icon().isNull());
    }

    // The input page is painted in the button face colour.
    QCOMPARE(Grab().pixel(5, 640), window_->palette().color(QPalette::Button).rgb());
}

void MainWindowTest::forwardBackAndForwardAgain() {
    Forward();
    QVERIFY(Ui().inputPage->isHidden());
    QVERIFY(Ui().backButton->isEnabled());
    QVERIFY(!Ui().nextButton->isEnabled());
    QVERIFY(Ui().printButton->isVisible());
    QVERIFY(Ui().saveButton->isVisible());
    QVERIFY(Ui().zoomPanel->isVisible());
    const model::SimulationResult& result = window_->SimulationResult();
    QCOMPARE(static_cast<int>(result.ExistingDays.size()), model::SimulationDays);
    const model::ProjectParameters& p = window_->ProjectParameters();
    QCOMPARE(p.PlannedBlocksLanding, 1);
    QCOMPARE(p.PlannedHoursLanding, 1.46);

    // The results page shows the three pictures where they belong, the later over the earlier.
    const report::ResultPictures& pictures = window_->Pictures();
    QVERIFY(!IsAllWhite(pictures.ReportBitmap));
    QVERIFY(!IsAllWhite(pictures.MonthlyChartBitmap));
    QVERIFY(!IsAllWhite(pictures.CostChartBitmap));
    const QImage shown = Grab();
    QCOMPARE(shown.copy(10, 20, 540, 300), Rgb(pictures.ReportBitmap).copy(0, 0, 540, 300));
    QCOMPARE(shown.copy(50, 320, 500, 280), Rgb(pictures.MonthlyChartBitmap).copy(0, 0, 500, 280));
    QCOMPARE(shown.copy(550, 110, 450, 490), Rgb(pictures.CostChartBitmap).copy(0, 109, 450, 490));

    Ui().backButton->click();
    QVERIFY(Ui().inputPage->isVisible());
    QVERIFY(!Ui().backButton->isEnabled());
    QVERIFY(Ui().nextButton->isEnabled());
    QVERIFY(Ui().printButton->isHidden());
    QVERIFY(Ui().saveButton->isHidden());
    QVERIFY(Ui().zoomPanel->isHidden());
    QCOMPARE(window_->ResultsShown(), 0);
    QCOMPARE(Grab().pixel(5, 640), window_->palette().color(QPalette::Button).rgb());

    // Forward again runs a new calculation from the page as it stands.
    const double energyCost = result.DailyEnergyCostExisting;
    Ui().tariff->setText(Dec("2,76"));
    Forward();
    QCOMPARE(p.Tariff, 2.76);
    QCOMPARE(result.DailyEnergyCostExisting, energyCost * 2);
}

void MainWindowTest::rejectedValuesOnTheForwardStep() {
    // A tariff out of range is reported, nothing is calculated, and the tariff is selected for
    // correcting; so is the first of several rejected fields, a text that is not a number too.
    window_->show();
    Ui().tariff->setText(QStringLiteral("0"));
    Ui().nextButton->click();
    QCOMPARE(TakeInformation(), QStringList{OutOfRange});
    QCOMPARE(window_->ResultsShown(), 0);
    QVERIFY(Ui().inputPage->isVisible());
    QVERIFY(Ui().nextButton->isEnabled());
    QCOMPARE(window_->SimulationResult().InstallCostExisting, 0.0);
    QCOMPARE(window_->ProjectParameters().Tariff, 1.38);
    QCOMPARE(QApplication::focusWidget(), Ui().tariff);
    QCOMPARE(Ui().tariff->selectedText(), QStringLiteral("0"));
    Ui().existingLampLife->setText(QStringLiteral("x"));
    Ui().nextButton->click();
    QCOMPARE(TakeInformation(), (QStringList{OutOfRange, FillIn}));
    QCOMPARE(QApplication::focusWidget(), Ui().tariff);
    Ui().tariff->setText(Dec("1,38"));
    Ui().nextButton->click();
    QCOMPARE(TakeInformation(), QStringList{FillIn});
    QCOMPARE(QApplication::focusWidget(), Ui().existingLampLife);
    QCOMPARE(window_->ResultsShown(), 0);
    Ui().existingLampLife->setText(QStringLiteral("6"));

    // A floor count beyond the field's range is clamped when the focus leaves for the button.
    IntSpinEdit* floors = Ui().floorCount;
    floors->lineEdit()->setFocus(Qt::MouseFocusReason);
    floors->lineEdit()->selectAll();
    QTest::keyClicks(floors->lineEdit(), QStringLiteral("50"));
    QCOMPARE(floors->text(), QStringLiteral("50"));
    QTest::mouseClick(Ui().nextButton, Qt::LeftButton);
    QCOMPARE(window_->ResultsShown(), 1);
    QCOMPARE(floors->text(), QStringLiteral("40"));
    QCOMPARE(window_->ProjectParameters().FloorCount, 40);
    Ui().backButton->click();

    // A price that is not a number ends the step on the input page with the error box; the
    // pictures have been emptied already.
    Ui().existingFittingPrice->setText(QStringLiteral("abc"));
    Ui().nextButton->click();
    QCOMPARE(TakeErrors(),
             QStringList{QStringLiteral("'abc' is not a valid floating point value.")});
    QCOMPARE(window_->ResultsShown(), 0);
    QVERIFY(Ui().inputPage->isVisible());
    QVERIFY(Ui().nextButton->isEnabled());
    QVERIFY(!Ui().backButton->isEnabled());
    QVERIFY(IsAllWhite(window_->Pictures().CostChartBitmap));
}

void MainWindowTest::lampPowerSnapsToStandardPowers() {
    IntSpinEdit* power = Ui().existingLandingPower;
    const auto stepped = [power](const char* start, bool up) {
        power->setText(QString::fromLatin1(start));
        up ? power->stepUp() : power->stepDown();
        return power->text();
    };
    QCOMPARE(stepped("40", false), QStringLiteral("35"));
    QCOMPARE(stepped("40", true), QStringLiteral("50"));
    QCOMPARE(stepped("24", false), QStringLiteral("12"));
    QCOMPARE(stepped("150", true), QStringLiteral("151"));
    QCOMPARE(stepped("12", false), QStringLiteral("11"));
    QCOMPARE(stepped("11", true), QStringLiteral("12"));
    QCOMPARE(stepped("500", true), QStringLiteral("500"));
    QCOMPARE(stepped("1", false), QStringLiteral("1"));

    // The arrow keys step too.
    power->setText(QStringLiteral("60"));
    QTest::keyClick(power->lineEdit(), Qt::Key_Up);
    QCOMPARE(power->text(), QStringLiteral("75"));

    // Typed, a power snaps only once it is finished: 130 passes through 13 and stays 130;
    // 41 becomes 50 when the focus leaves, 25 becomes 35 on Enter (it would be 24 from below).
    power->lineEdit()->setFocus();
    power->lineEdit()->selectAll();
    QTest::keyClicks(power->lineEdit(), QStringLiteral("130"));
    QCOMPARE(power->text(), QStringLiteral("130"));
    QTest::keyClick(power->lineEdit(), Qt::Key_Tab);
    QCOMPARE(power->text(), QStringLiteral("130"));
    power->lineEdit()->setFocus();
    power->lineEdit()->selectAll();
    QTest::keyClicks(power->lineEdit(), QStringLiteral("41"));
    QCOMPARE(power->text(), QStringLiteral("41"));
    Ui().existingLandingHours->setFocus();
    QCOMPARE(power->text(), QStringLiteral("50"));
    power->lineEdit()->setFocus();
    power->lineEdit()->selectAll();
    QTest::keyClicks(power->lineEdit(), QStringLiteral("25"));
    QCOMPARE(power->text(), QStringLiteral("25"));
    QTest::keyClick(power->lineEdit(), Qt::Key_Return);
    QCOMPARE(power->text(), QStringLiteral("35"));

    // A power still being typed is finished before the page is read: the calculation uses the
    // value shown. Cleared, the field reads as its minimum.
    power->lineEdit()->setFocus();
    power->lineEdit()->selectAll();
    QTest::keyClicks(power->lineEdit(), QStringLiteral("59"));
    Forward();
    QCOMPARE(power->text(), QStringLiteral("50"));
    QCOMPARE(window_->ProjectParameters().ExistingPowerLanding, 50.0);
    Ui().backButton->click();
    power->lineEdit()->setFocus();
    power->lineEdit()->selectAll();
    QTest::keyClick(power->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(power->text(), QString());
    Ui().recalculateHouse->click();
    QCOMPARE(power->text(), QStringLiteral("1"));
    power->setText(QStringLiteral("40"));

    // Every power field snaps.
    for (IntSpinEdit* field :
         {Ui().existingFlightPower, Ui().existingVestibulePower, Ui().plannedLandingPower,
          Ui().plannedFlightPower, Ui().plannedVestibulePower}) {
        field->stepDown();
        QCOMPARE(field->text(), QStringLiteral("35"));
    }
}

void MainWindowTest::lampCountsSwitchZonesAndBlockCountsRecalculate() {
    const model::ProjectParameters& p = window_->ProjectParameters();

    // An existing zone without lamps has nothing to set; "00" is not "0".
    Ui().existingLandingLamps->setText(QStringLiteral("0"));
    QVERIFY(!Ui().existingLandingPower->isEnabled() && !Ui().existingLandingHours->isEnabled() &&
            !Ui().existingLandingHoursStepper->isEnabled());
    Ui().existingLandingLamps->setText(QStringLiteral("00"));
    QVERIFY(Ui().existingLandingPower->isEnabled() && Ui().existingLandingHours->isEnabled() &&
            Ui().existingLandingHoursStepper->isEnabled());
    Ui().existingLandingLamps->setText(QString());
    QVERIFY(Ui().existingLandingPower->isEnabled());
    Ui().existingLandingLamps->setText(QStringLiteral("1"));

    // A planned zone without lamps loses its blocks, which recalculates: the zone now burns as
    // the existing one does.
    Ui().plannedLandingLamps->setText(QStringLiteral("0"));
    QVERIFY(!Ui().plannedLandingPower->isEnabled() && !Ui().plannedLandingHours->isEnabled() &&
            !Ui().plannedLandingHoursStepper->isEnabled());
    QCOMPARE(Ui().plannedLandingBlocks->text(), QStringLiteral("0"));
    QVERIFY(!Ui().plannedLandingBlocks->isEnabled());
    QCOMPARE(p.PlannedLampsLanding, 0);
    QCOMPARE(p.PlannedBlocksLanding, 0);
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("13,00"));
    QCOMPARE(Ui().plannedLandingHoursStepper->position(), 130);
    QCOMPARE(p.PlannedHoursLanding, 13.0);

    // Lamps again: the block field is enabled but keeps 0 blocks.
    Ui().plannedLandingLamps->setText(QStringLiteral("1"));
    QVERIFY(Ui().plannedLandingBlocks->isEnabled() && Ui().plannedLandingHours->isEnabled());
    QCOMPARE(Ui().plannedLandingBlocks->text(), QStringLiteral("0"));
    Ui().existingLandingHours->setText(Dec("5,5"));
    Ui().recalculateSensors->click();
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("5,50"));

    // Every change of a block count, set or stepped, recalculates with the page's hold times.
    Ui().flightHoldTime->setText(QStringLiteral("40"));
    Ui().plannedFlightBlocks->stepUp();
    QCOMPARE(p.PlannedBlocksBetween, 2);
    QCOMPARE(p.HoldTimeBetween, 40.0 / 3600);
    QCOMPARE(Ui().plannedFlightHours->text(), Dec("0,97"));
    Ui().plannedVestibuleBlocks->setText(QStringLiteral("3"));
    QCOMPARE(p.PlannedBlocksVestibule, 3);
    Ui().vestibuleHoldTime->setText(QStringLiteral("20"));
    Ui().plannedLandingBlocks->setText(QStringLiteral("1"));
    QCOMPARE(Ui().plannedVestibuleHours->text(), Dec("2,10"));
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("1,46"));
}

void MainWindowTest::recalculationReadsThePageTwice() {
    const model::ProjectParameters& p = window_->ProjectParameters();

    Ui().tariff->setText(QStringLiteral("0"));
    Ui().recalculateHouse->click();
    QCOMPARE(TakeInformation(), (QStringList{OutOfRange, OutOfRange}));
    Ui().tariff->setText(Dec("1,38"));

    Ui().existingFlightLamps->setText(QString());
    Ui().recalculateSensors->click();
    QCOMPARE(TakeInformation(), (QStringList{FillIn, FillIn}));
    Ui().existingFlightLamps->setText(QStringLiteral("1"));

    // The refresh writes whole numbers back, and the second reading takes them.
    Ui().existingLampPrice->setText(Dec("10,4"));
    Ui().recalculateSensors->click();
    QCOMPARE(Ui().existingLampPrice->text(), QStringLiteral("10"));
    QCOMPARE(p.ExistingLampPrice, 10.0);

    // Hold times are converted without a guard: the first that is not a number stops it all.
    Ui().landingHoldTime->setText(QStringLiteral("120"));
    Ui().flightHoldTime->setText(QStringLiteral("x"));
    Ui().recalculateHouse->click();
    QCOMPARE(TakeErrors(), QStringList{QStringLiteral("'x' is not a valid floating point value.")});
    QCOMPARE(p.HoldTimeLanding, 120.0 / 3600);
    QCOMPARE(p.HoldTimeBetween, 20.0 / 3600);
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("1,46"));
}

void MainWindowTest::burnHoursSteppersAndTariffPresets() {
    // The stepper keeps its own position, whatever was typed into the field.
    Ui().existingLandingHours->setText(Dec("5,5"));
    Ui().existingLandingHoursStepper->clickUp();
    QCOMPARE(Ui().existingLandingHours->text(), Dec("13,1"));
    Ui().plannedVestibuleHoursStepper->clickDown();
    QCOMPARE(Ui().plannedVestibuleHours->text(), Dec("0,9"));
    for (UpDownStepper* stepper :
         {Ui().plannedLandingHoursStepper, Ui().plannedFlightHoursStepper,
          Ui().existingFlightHoursStepper, Ui().existingVestibuleHoursStepper}) {
        stepper->clickUp();
    }
    QCOMPARE(Ui().plannedLandingHours->text(), Dec("1,5"));
    QCOMPARE(Ui().plannedFlightHours->text(), Dec("0,5"));
    QCOMPARE(Ui().existingFlightHours->text(), Dec("13,1"));
    QCOMPARE(Ui().existingVestibuleHours->text(), Dec("24,1"));

    Ui().gasCookers->click();
    QCOMPARE(Ui().tariff->text(), Dec("1,97"));
    QVERIFY(!Ui().electricCookers->isChecked());
    Ui().electricCookers->click();
    QCOMPARE(Ui().tariff->text(), Dec("1,38"));
    QVERIFY(!Ui().gasCookers->isChecked());
    Ui().tariff->setText(Dec("2,5"));
    Ui().gasCookers->click();
    QCOMPARE(Ui().tariff->text(), Dec("2,5"));
    Ui().electricCookers->click();
    QCOMPARE(Ui().tariff->text(), Dec("2,5"));
}

void MainWindowTest::zoomLimitsRedrawTheChart() {
    Forward();
    const report::ChartView& view = window_->ChartView();
    const QImage before = window_->Pictures().CostChartBitmap;
    Ui().zoomOutDaysButton->click();
    QCOMPARE(view.XScale, 0.25);
    QVERIFY(window_->Pictures().CostChartBitmap != before);
    QCOMPARE(Grab().copy(550, 110, 450, 490),
             Rgb(window_->Pictures().CostChartBitmap).copy(0, 109, 450, 490));

    for (int i = 0; i < 3; ++i) {
        Ui().zoomOutDaysButton->click();
    }
    QCOMPARE(view.XScale, 0.0625);
    const QImage atLimit = window_->Pictures().CostChartBitmap;
    Ui().zoomOutDaysButton->click();
    QCOMPARE(view.XScale, 0.0625);
    for (int i = 0; i < 12; ++i) {
        Ui().zoomInDaysButton->click();
    }
    QCOMPARE(view.XScale, 128.0);

    for (int i = 0; i < 7; ++i) {
        Ui().zoomOutCostsButton->click();
    }
    QCOMPARE(view.YScale, 0.078125);
    for (int i = 0; i < 12; ++i) {
        Ui().zoomInCostsButton->click();
    }
    QCOMPARE(view.YScale, 160.0);
}

void MainWindowTest::tracerFollowsTheMouseOverTheChart() {
    Forward();
    const report::ChartView& view = window_->ChartView();
    const QImage plain = Grab();

    Ui().tracerButton->click();
    QVERIFY(view.TracerOn);
    QVERIFY(Ui().tracerButton->isChecked()); // the button shows the state
    QVERIFY(!view.TracerX.has_value());
    // Nothing on the chart before the mouse has been over it.
    QCOMPARE(WithoutTools(Grab()), WithoutTools(plain));

    for (const QPoint outside :
         {QPoint(559, 300), QPoint(961, 300), QPoint(700, 49), QPoint(700, 570)}) {
        MoveMouse(outside.x(), outside.y());
        QVERIFY(!view.TracerX.has_value());
    }
    MoveMouse(700, 300);
    QCOMPARE(view.TracerX, std::optional<int>(700));
    MoveMouse(961, 300);
    QCOMPARE(view.TracerX, std::optional<int>(700));
    // The read-out stands right of the line...
    auto [first, last] = DifferingColumns(WithoutTools(plain), WithoutTools(Grab()));
    QCOMPARE(first, 700);
    QVERIFY(last > 760);
    // ... and left of it near the right edge.
    MoveMouse(900, 300);
    std::tie(first, last) = DifferingColumns(WithoutTools(plain), WithoutTools(Grab()));
    QCOMPARE(last, 900);
    QVERIFY(first < 840 && first >= 795);

    Ui().tracerButton->click();
    QVERIFY(!view.TracerOn);
    QVERIFY(!Ui().tracerButton->isChecked());
    QCOMPARE(Grab(), plain);

    // Back switches the tracer off and keeps the zoom for the next calculation.
    Ui().tracerButton->click();
    Ui().zoomInDaysButton->click();
    Ui().backButton->click();
    QVERIFY(!view.TracerOn);
    QVERIFY(!Ui().tracerButton->isChecked());
    Forward();
    QVERIFY(!view.TracerOn);
    QCOMPARE(view.XScale, 1.0);
}

void MainWindowTest::settingsDialogRereadsTheHouse() {
    SettingsDialog settings(window_->ProjectParameters(), locale_, window_.get());
    window_->SetDialogs(nullptr, &settings);
    Forward();
    const QImage results = Grab();
    Ui().floorCount->setText(QStringLiteral("3"));
    QTimer::singleShot(0, &settings, [&settings] { settings.reject(); });
    Ui().settingsAction->trigger();
    QCOMPARE(window_->ProjectParameters().FloorCount, 3);
    QVERIFY(Ui().plannedLandingHours->text() != Dec("1,46"));
    // The results page keeps the previous calculation.
    QCOMPARE(window_->ResultsShown(), 1);
    QCOMPARE(Grab(), results);
}

void MainWindowTest::savingTheSettingsKeepsThePageHoldTimes() {
    SettingsDialog settings(window_->ProjectParameters(), locale_, window_.get());
    window_->SetDialogs(nullptr, &settings);
    Ui().landingHoldTime->setText(QStringLiteral("30"));
    Ui().recalculateSensors->click();
    const QString recalculated = Ui().plannedLandingHours->text();
    QCOMPARE(window_->ProjectParameters().HoldTimeLanding, 30.0 / 3600);

    // Saved: the hold times typed on the page stay, and so does the burn time estimated from them.
    QTimer::singleShot(0, &settings, [&settings] { settings.ui()->saveButton->click(); });
    Ui().settingsAction->trigger();
    QCOMPARE(window_->ProjectParameters().HoldTimeLanding, 30.0 / 3600);
    QCOMPARE(Ui().plannedLandingHours->text(), recalculated);

    // Closed by the close box: the estimate runs again with the settings in the record.
    settings.ui()->individualityCoefficient->setText(Dec("0,5"));
    QTimer::singleShot(0, &settings, [&settings] { settings.ui()->saveButton->click(); });
    Ui().settingsAction->trigger();
    const QString halfTraffic = Ui().plannedLandingHours->text();
    QVERIFY(halfTraffic != recalculated);
    window_->ProjectParameters().IndividualityCoefficient = 1;
    QTimer::singleShot(0, &settings, [&settings] { settings.close(); });
    Ui().settingsAction->trigger();
    QCOMPARE(Ui().plannedLandingHours->text(), recalculated);
}

void MainWindowTest::outputPictureHasTheLogoAndNoTracer() {
    Forward();
    const QImage logo = Ui().logo->pixmap().toImage();
    QCOMPARE(logo.size(), QSize(181, 33));
    const QImage withoutTracer = report::ComposeOutputPicture(window_->Pictures(), logo);

    Ui().tracerButton->click();
    MoveMouse(700, 300);
    QVERIFY(window_->ChartView().TracerOn);
    QVERIFY(window_->ChartView().TracerX.has_value());
    const QImage withTracer = report::ComposeOutputPicture(window_->Pictures(), logo);
    QCOMPARE(withTracer, withoutTracer);

    // The logo stands upright on the cost chart, its corner at (769, 40).
    const QImage rgbLogo = Rgb(logo);
    const QImage output = Rgb(withTracer);
    QCOMPARE(output.size(), QSize(1000, 600));
    for (const QPoint at : {QPoint(0, 0), QPoint(180, 0), QPoint(0, 32), QPoint(90, 16)}) {
        QCOMPARE(output.pixel(QPoint(769, 40) + at), rgbLogo.pixel(at));
    }
}

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int failures = 0;
    for (const model::NumberLocale& locale :
         {model::NumberLocale{",", " "}, model::NumberLocale{".", ","}}) {
        qInfo("Decimal separator '%s'", locale.DecimalSeparator.c_str());
        MainWindowTest test(locale);
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

#include "MainWindowTest.moc"
