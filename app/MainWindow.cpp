#include "MainWindow.h"

#include "AboutDialog.h"
#include "AtomicFile.h"
#include "Calculation.h"
#include "EconomicsDialog.h"
#include "Help.h"
#include "HouseInput.h"
#include "InputPageControls.h"
#include "IntSpinEdit.h"
#include "KeyboardAccess.h"
#include "LampPower.h"
#include "Locale.h"
#include "MainWindowAccess.h"
#include "MessageBoxes.h"
#include "Rendering.h"
#include "ReportTable.h"
#include "ResultSheet.h"
#include "ResultsOutput.h"
#include "ResultsReadout.h"
#include "Saturate.h"
#include "SettingsDialog.h"
#include "Tracer.h"
#include "TrafficEstimate.h"
#include "UpDownStepper.h"
#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 642;

// Tariffs of houses with electric and with gas cookers, written with a decimal comma.
const QString ElectricCookerTariff = QStringLiteral("1,38");
const QString GasCookerTariff = QStringLiteral("1,97");

// A field's value in the record as a number; 0 for a text.
double NumberOf(const model::ProjectParameters& p, const model::HouseField& field) {
    return std::visit(
        [&p](auto member) -> double {
            if constexpr (std::is_same_v<decltype(member),
                                         std::string model::ProjectParameters::*>) {
                return 0;
            } else {
                return static_cast<double>(p.*member);
            }
        },
        field.Target);
}

// Shows a field in its control: the text in an edit, the number in a check box or a selector.
void ShowInControl(QWidget* control, const QString& text, double number) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(number != 0);
    } else if (auto* selector = qobject_cast<QComboBox*>(control)) {
        selector->setCurrentIndex(model::SaturatingTrunc(number));
    } else if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
        spin->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    }
}

QFont PageFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

MainWindow::MainWindow(const model::NumberLocale& locale, QWidget* parent)
    : QMainWindow(parent), ui_(new Ui::MainWindow), locale_(locale) {
    // The images live in the static window library, where nothing else would pull them in.
    Q_INIT_RESOURCE(mainwindow);
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    applyFonts();

    QPalette toolPanel = ui_->zoomPanel->palette();
    toolPanel.setColor(QPalette::Window, Qt::white);
    ui_->zoomPanel->setPalette(toolPanel);
    ui_->clientArea->setFixedSize(ClientWidth, ClientHeight);
    ui_->clientArea->setMouseTracking(true);
    ui_->clientArea->installEventFilter(this);
    showPageBackground(palette().color(QPalette::Button));

    existingZones_ = {Zone{ui_->existingLandingLamps, ui_->existingLandingPower,
                           ui_->existingLandingHours, ui_->existingLandingHoursStepper, nullptr},
                      Zone{ui_->existingFlightLamps, ui_->existingFlightPower,
                           ui_->existingFlightHours, ui_->existingFlightHoursStepper, nullptr},
                      Zone{ui_->existingVestibuleLamps, ui_->existingVestibulePower,
                           ui_->existingVestibuleHours, ui_->existingVestibuleHoursStepper,
                           nullptr}};
    plannedZones_ = {
        Zone{ui_->plannedLandingLamps, ui_->plannedLandingPower, ui_->plannedLandingHours,
             ui_->plannedLandingHoursStepper, ui_->plannedLandingBlocks},
        Zone{ui_->plannedFlightLamps, ui_->plannedFlightPower, ui_->plannedFlightHours,
             ui_->plannedFlightHoursStepper, ui_->plannedFlightBlocks},
        Zone{ui_->plannedVestibuleLamps, ui_->plannedVestibulePower, ui_->plannedVestibuleHours,
             ui_->plannedVestibuleHoursStepper, ui_->plannedVestibuleBlocks}};
    page_ = std::make_unique<InputPageControls>(
        PageControls(), ui_->backButton, ui_->nextButton,
        [this](const QString& message) { MessageBoxes::Current().ShowInformation(this, message); });

    writeStartTexts();
    connectHandlers();
    SetUpMainWindowAccess(*this, *ui_);
    resultsReadout_ = std::make_unique<ResultsReadout>(*ui_->clientArea);
    OnMoveKeys(*ui_->tracerButton, [this](MoveKey key) {
        bool taken = false;
        RunGuarded(this, [&] { taken = moveTracerByKey(key); });
        return taken;
    });

    resize(ClientWidth, ClientHeight + ui_->menuBar->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }

    // Creation errors leave the constructor: the program shows them and ends.
    startUp();
}

MainWindow::~MainWindow() {
    // The children outlive this destructor: whatever they signal while being destroyed must not
    // reach the handlers.
    for (QObject* child : findChildren<QObject*>()) {
        child->blockSignals(true);
    }
    delete ui_;
}

void MainWindow::SetDialogs(AboutDialog* about, SettingsDialog* settings) {
    about_ = about;
    settings_ = settings;
}

QHash<QString, QWidget*> MainWindow::PageControls() const {
    const Ui::MainWindow& ui = *ui_;
    return {
        {QStringLiteral("Address"), ui.address},
        {QStringLiteral("ManagementCompany"), ui.managementCompany},
        {QStringLiteral("EntranceCount"), ui.entranceCount},
        {QStringLiteral("FloorCount"), ui.floorCount},
        {QStringLiteral("HasLift"), ui.hasLift},
        {QStringLiteral("ResidentsPerFlat"), ui.residentsPerFlat},
        {QStringLiteral("FlatsPerFloor"), ui.flatsPerFloor},
        {QStringLiteral("Tariff"), ui.tariff},
        {QStringLiteral("ExistingSchemeType"), ui.existingSchemeType},
        {QStringLiteral("ExistingLampsLanding"), ui.existingLandingLamps},
        {QStringLiteral("ExistingLampsBetween"), ui.existingFlightLamps},
        {QStringLiteral("ExistingLampsVestibule"), ui.existingVestibuleLamps},
        {QStringLiteral("ExistingLampLife"), ui.existingLampLife},
        {QStringLiteral("ExistingLampPrice"), ui.existingLampPrice},
        {QStringLiteral("ExistingPowerLanding"), ui.existingLandingPower},
        {QStringLiteral("ExistingPowerBetween"), ui.existingFlightPower},
        {QStringLiteral("ExistingPowerVestibule"), ui.existingVestibulePower},
        {QStringLiteral("ExistingHoursLanding"), ui.existingLandingHours},
        {QStringLiteral("ExistingHoursBetween"), ui.existingFlightHours},
        {QStringLiteral("ExistingHoursVestibule"), ui.existingVestibuleHours},
        {QStringLiteral("PlannedSchemeType"), ui.plannedSchemeType},
        {QStringLiteral("PlannedLampsLanding"), ui.plannedLandingLamps},
        {QStringLiteral("PlannedLampsBetween"), ui.plannedFlightLamps},
        {QStringLiteral("PlannedLampsVestibule"), ui.plannedVestibuleLamps},
        {QStringLiteral("PlannedBlocksLanding"), ui.plannedLandingBlocks},
        {QStringLiteral("PlannedBlocksBetween"), ui.plannedFlightBlocks},
        {QStringLiteral("PlannedBlocksVestibule"), ui.plannedVestibuleBlocks},
        {QStringLiteral("PlannedLampLife"), ui.plannedLampLife},
        {QStringLiteral("PlannedLampPrice"), ui.plannedLampPrice},
        {QStringLiteral("PlannedPowerLanding"), ui.plannedLandingPower},
        {QStringLiteral("PlannedPowerBetween"), ui.plannedFlightPower},
        {QStringLiteral("PlannedPowerVestibule"), ui.plannedVestibulePower},
        {QStringLiteral("PlannedHoursLanding"), ui.plannedLandingHours},
        {QStringLiteral("PlannedHoursBetween"), ui.plannedFlightHours},
        {QStringLiteral("PlannedHoursVestibule"), ui.plannedVestibuleHours},
        {QStringLiteral("ExistingFittingPrice"), ui.existingFittingPrice},
        {QStringLiteral("ExistingFittingInstallPrice"), ui.existingFittingInstallPrice},
        {QStringLiteral("PlannedFittingPrice"), ui.plannedFittingPrice},
        {QStringLiteral("PlannedFittingInstallPrice"), ui.plannedFittingInstallPrice},
        {QStringLiteral("BlockPrice"), ui.blockPrice},
        {QStringLiteral("BlockInstallPrice"), ui.blockInstallPrice},
        {QStringLiteral("HoldTimeLanding"), ui.landingHoldTime},
        {QStringLiteral("HoldTimeBetween"), ui.flightHoldTime},
        {QStringLiteral("HoldTimeVestibule"), ui.vestibuleHoldTime},
    };
}

QWidget* MainWindow::ControlOfField(std::string_view field) const {
    return page_->Control(field);
}

QWidget* MainWindow::ClientArea() const {
    return ui_->clientArea;
}

void MainWindow::connectHandlers() {
    // Every handler runs guarded: an error it raises is shown in the error box and the window
    // goes on in the state the handler left.
    const auto on = [this](auto handler) {
        return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
    };

    connect(ui_->nextButton, &QPushButton::clicked, this, on(&MainWindow::calculate));
    connect(ui_->backButton, &QPushButton::clicked, this, on(&MainWindow::showInputPage));
    connect(ui_->printButton, &QPushButton::clicked, this, on(&MainWindow::printResults));
    connect(ui_->saveButton, &QPushButton::clicked, this, on(&MainWindow::saveResults));
    connect(ui_->openHouseAction, &QAction::triggered, this, on(&MainWindow::openHouse));
    connect(ui_->saveHouseAction, &QAction::triggered, this, on(&MainWindow::saveHouse));
    auto* stockAction = new QAction(QStringLiteral("Открыть &жилой фонд…"), this);
    stockAction->setObjectName(QStringLiteral("openStockAction"));
    ui_->fileMenu->insertAction(ui_->saveHouseAction, stockAction);
    connect(stockAction, &QAction::triggered, this, on(&MainWindow::openStock));
    connect(ui_->economicsAction, &QAction::triggered, this, on(&MainWindow::openEconomics));
    connect(ui_->settingsAction, &QAction::triggered, this, on(&MainWindow::openSettings));
    connect(ui_->helpAction, &QAction::triggered, this, on(&MainWindow::openHelp));
    connect(ui_->aboutAction, &QAction::triggered, this, on(&MainWindow::openAbout));

    connect(ui_->zoomOutDaysButton, &QToolButton::clicked, this, on(&MainWindow::zoomOutDays));
    connect(ui_->zoomInDaysButton, &QToolButton::clicked, this, on(&MainWindow::zoomInDays));
    connect(ui_->zoomOutCostsButton, &QToolButton::clicked, this, on(&MainWindow::zoomOutCosts));
    connect(ui_->zoomInCostsButton, &QToolButton::clicked, this, on(&MainWindow::zoomInCosts));
    connect(ui_->tracerButton, &QPushButton::clicked, this, on(&MainWindow::toggleTracer));

    // The zones of both schemes behave alike: each runs the same three handlers on its own
    // controls.
    for (std::array<Zone, 3>* zones : {&existingZones_, &plannedZones_}) {
        for (const Zone& zone : *zones) {
            const auto guarded = [this](auto body) {
                return [this, body] { RunGuarded(this, body); };
            };
            connect(zone.Stepper, &UpDownStepper::clicked, this,
                    guarded([this, &zone] { burnHoursStepped(zone); }));
            connect(zone.Count, &IntSpinEdit::textChanged, this,
                    guarded([this, &zone] { lampCountChanged(zone); }));
            // A power snaps once it is finished, not while it is typed: 130 passes through 13.
            // Only a typed power waits to be finished; one opened from a house file stays as the
            // file gives it, as virasvet-calc takes it.
            connect(zone.Power->lineEdit(), &QLineEdit::textEdited, this,
                    [this, power = zone.Power] { unfinishedPowers_.insert(power); });
            connect(zone.Power, &IntSpinEdit::stepped, this,
                    guarded([this, power = zone.Power] { lampPowerChanged(power); }));
            connect(zone.Power, &IntSpinEdit::editingFinished, this,
                    guarded([this, power = zone.Power] { finishLampPower(power); }));
        }
    }

    for (IntSpinEdit* blocks :
         {ui_->plannedLandingBlocks, ui_->plannedFlightBlocks, ui_->plannedVestibuleBlocks}) {
        connect(blocks, &IntSpinEdit::textChanged, this, on(&MainWindow::recalculate));
    }
    connect(ui_->recalculateHouse, &QPushButton::clicked, this, on(&MainWindow::recalculate));
    connect(ui_->recalculateSensors, &QPushButton::clicked, this, on(&MainWindow::recalculate));

    // Keyboard selection checks a radio button without a click, so both follow the check state.
    connect(ui_->electricCookers, &QRadioButton::toggled, this,
            on(&MainWindow::electricCookersToggled));
    connect(ui_->gasCookers, &QRadioButton::toggled, this, on(&MainWindow::gasCookersToggled));
    connect(ui_->existingSchemeType, &QComboBox::activated, this,
            on(&MainWindow::schemeTypeChosen));
    connect(ui_->plannedSchemeType, &QComboBox::activated, this, on(&MainWindow::schemeTypeChosen));
    // The lift check box needs no handler: it enters the estimate at the next reading of the page.
}

void MainWindow::applyFonts() {
    const QFont label = PageFont(11);
    const QFont field = PageFont(13);
    setFont(label);
    for (QWidget* widget : ui_->clientArea->findChildren<QWidget*>()) {
        QWidget* parent = widget->parentWidget();
        if (qobject_cast<IntSpinEdit*>(parent) || qobject_cast<UpDownStepper*>(parent)) {
            continue; // the parts of a spin field or stepper take its font
        }
        if (widget->objectName().endsWith(QLatin1String("Title"))) {
            widget->setFont(PageFont(13, true));
        } else if (qobject_cast<QGroupBox*>(widget)) {
            widget->setFont(PageFont(11, true));
        } else if (qobject_cast<QLineEdit*>(widget) || qobject_cast<IntSpinEdit*>(widget)) {
            widget->setFont(field);
        } else {
            widget->setFont(label);
        }
    }
}

void MainWindow::writeStartTexts() {
    // Before the handlers are connected: nothing has been typed.
    for (const model::HouseField& field : model::HouseFields()) {
        const QString text = QString::fromStdString(field.StartText);
        ShowInControl(page_->Control(field.Name),
                      field.Kind == model::FieldKind::Text ? text
                                                           : WithDecimalSeparator(text, locale_),
                      field.Start.value_or(0));
    }
}

QString MainWindow::format(double value, const char* pattern) const {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale_));
}

QImage MainWindow::logo() const {
    // Four times the label's pixels, sharp on paper; saved bitmaps take it at the label's size.
    QImage sharp(QStringLiteral(":/logos/print-logo@4x.png"));
    if (sharp.isNull()) {
        return ui_->logo->pixmap().toImage();
    }
    sharp.setDevicePixelRatio(4);
    return sharp;
}

void MainWindow::showPageBackground(const QColor& colour) {
    // Beyond the page, when the window is made larger than it, the scroll area's own background
    // shows; it follows the page.
    QWidget* viewport = ui_->clientScroll->viewport();
    QPalette palette = viewport->palette();
    palette.setColor(QPalette::Window, colour);
    viewport->setPalette(palette);
    viewport->setAutoFillBackground(true);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->clientArea) {
        if (event->type() == QEvent::Paint) {
            try {
                QPainter painter(ui_->clientArea);
                paintClientArea(painter);
            } catch (...) {
                // A box opened inside the paint would be painted over and fail again: show it
                // once the paint is over.
                if (!paintErrorPending_) {
                    paintErrorPending_ = true;
                    QMetaObject::invokeMethod(
                        this,
                        [this, error = std::current_exception()] {
                            paintErrorPending_ = false;
                            ShowErrorFor(this, error);
                        },
                        Qt::QueuedConnection);
                }
            }
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            // Whole pixels by truncation: with fractional scaling 559.6 is still left of the chart.
            const QPointF at = static_cast<QMouseEvent*>(event)->position();
            const int x = model::SaturatingTrunc(std::floor(at.x()));
            const int y = model::SaturatingTrunc(std::floor(at.y()));
            RunGuarded(this, [this, x, y] { moveTracer(x, y); });
            return false;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Creation and the model's steps ---

void MainWindow::startUp() {
    reportTable_ = std::make_unique<report::ReportTable>();
    reportTable_->Reset();
    setDefaultParameters();
    readInputPage(model::ReadScope::House);
    estimatePlannedBurnHours();
    focusFirstField();
}

void MainWindow::setDefaultParameters() {
    model::SetDefaultParameters(parameters_);
    pictures_.Recreate();
    view_ = report::ChartView{};
    resultsShown_ = 0;
    ui_->backButton->setEnabled(false);
    ui_->nextButton->setEnabled(true);
}

void MainWindow::finishLampPowers() {
    for (const std::array<Zone, 3>* zones : {&existingZones_, &plannedZones_}) {
        for (const Zone& zone : *zones) {
            finishLampPower(zone.Power);
        }
    }
}

void MainWindow::finishLampPower(IntSpinEdit* power) {
    if (unfinishedPowers_.contains(power)) {
        lampPowerChanged(power);
    }
}

model::PageReading MainWindow::readInputPage(model::ReadScope scope) {
    finishLampPowers();
    return model::ReadInputPage(scope, *page_, parameters_, locale_);
}

void MainWindow::estimatePlannedBurnHours() {
    model::EstimatePlannedBurnHours(parameters_, [this] {
        refreshExistingScheme();
        refreshPlannedScheme();
    });
}

void MainWindow::runCalculation() {
    seed_ = stockSeed_    ? *stockSeed_
            : seedSource_ ? seedSource_()
                          : static_cast<std::uint32_t>(std::time(nullptr));
    model::Calculate(parameters_, seed_, model::SimulatedDays::All, result_);
    calculated_ = parameters_;
}

void MainWindow::openEconomics() {
    // The economics of the results shown, whatever the settings changed since; its five inputs
    // belong to the house and go back to the project.
    if (resultsShown_ != 1) {
        return;
    }
    EconomicsDialog dialog(calculated_, result_, seed_, locale_, this);
    dialog.exec();
    CopyEconomicsInputs(calculated_, parameters_);
}

void MainWindow::renderResults() {
    report::RenderResults(pictures_, *reportTable_, parameters_, result_, view_, locale_);
    resultsShown_ = 1;
    const auto area = [](QPoint at, const QImage& picture) {
        return QRect(at, picture.deviceIndependentSize().toSize());
    };
    resultsReadout_->Show(report::ReportRows(parameters_, result_, locale_),
                          MonthlyChartSummary(result_, locale_), CostChartSummary(result_, locale_),
                          area(QPoint(10, 20), pictures_.ReportBitmap),
                          area(QPoint(50, 320), pictures_.MonthlyChartBitmap),
                          area(QPoint(550, 1), pictures_.CostChartBitmap));
}

void MainWindow::focusField(const model::HouseField& field) {
    QWidget* control = page_->Control(field.Name);
    QLineEdit* edit = qobject_cast<QLineEdit*>(control);
    if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
        edit = spin->lineEdit();
    }
    if (edit != nullptr) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void MainWindow::focusFirstField() {
    ui_->address->setFocus(Qt::OtherFocusReason);
}

// --- Page flow and menu ---

std::vector<std::string> MainWindow::houseValues() {
    finishLampPowers(); // a saved value is a finished one
    std::vector<std::string> values;
    for (const model::HouseField& field : model::HouseFields()) {
        const QWidget* control = page_->Control(field.Name);
        values.push_back(control != nullptr ? ControlValue(control)
                                            : SettingValue(field, parameters_));
    }
    return values;
}

void MainWindow::saveHouse() {
    const QString fileName = houseQuestions_.SaveFileName(this, houseFileName_);
    if (fileName.isEmpty()) {
        return;
    }
    houseFileName_ = fileName;
    RefuseSpecialHouseFile(fileName);
    if (!MayReplace(this, fileName)) {
        return;
    }
    const std::string text = sheet::HouseSheet(houseValues(), ';');
    report::WriteFileAtomically(fileName,
                                QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

void MainWindow::openHouse() {
    const QString fileName = houseQuestions_.OpenFileName(this, houseFileName_);
    if (fileName.isEmpty()) {
        return;
    }
    const std::optional<OpenedHouse> house =
        OpenHouseFile(fileName, [this](const QStringList& rows) {
            return houseQuestions_.ChooseRow(this, rows);
        });
    if (!house) {
        return;
    }
    houseFileName_ = fileName;
    showInputPage();
    fillPage(*house);
}

void MainWindow::fillPage(const OpenedHouse& house) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const model::ProjectParameters& p = house.House;
    // The page shows the row's texts, as if typed; the handlers of typing stay quiet, since the
    // house as read is already what they would make of it.
    std::vector<QSignalBlocker> quiet;
    for (QWidget* control : PageControls()) {
        quiet.emplace_back(control);
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const model::HouseField& field = fields[i];
        QWidget* control = page_->Control(field.Name);
        if (control == nullptr) {
            continue;
        }
        QString text =
            QString::fromStdString(house.Texts[i] ? *house.Texts[i] : std::string(field.StartText));
        if (field.Kind != model::FieldKind::Text) {
            text = text.trimmed();
            // The sheet's decimal comma or point becomes the page's separator.
            const QString separator = QString::fromStdString(locale_.DecimalSeparator);
            text.replace(QLatin1Char(','), separator).replace(QLatin1Char('.'), separator);
        }
        if (field.PlannedHours && !house.Texts[i]) {
            // The estimate as the page shows it.
            text = QString::fromStdString(model::BurnHoursText(
                p.*std::get<double model::ProjectParameters::*>(field.Target), locale_));
        }
        ShowInControl(control, text, NumberOf(p, field));
    }
    for (std::array<Zone, 3>* zones : {&existingZones_, &plannedZones_}) {
        for (const Zone& zone : *zones) {
            lampCountChanged(zone); // a zone without lamps has its blocks at 0 already
        }
    }
    parameters_ = p;
    unfinishedPowers_.clear();
    const std::array<double, 3> existingHours = {p.ExistingHoursLanding, p.ExistingHoursBetween,
                                                 p.ExistingHoursVestibule};
    const std::array<double, 3> plannedHours = {p.PlannedHoursLanding, p.PlannedHoursBetween,
                                                p.PlannedHoursVestibule};
    for (std::size_t i = 0; i < 3; ++i) {
        existingZones_[i].Stepper->setPosition(model::SaturatingTrunc(existingHours[i] * 10));
        plannedZones_[i].Stepper->setPosition(plannedZones_[i].Blocks->value() < 1
                                                  ? existingZones_[i].Stepper->position()
                                                  : model::SaturatingTrunc(plannedHours[i] * 10));
    }
    if (settings_ != nullptr) {
        settings_->showParameters();
    }
}

void MainWindow::calculate() {
    pictures_.Recreate();
    // A value the reading rejected keeps its old value in the project: calculating now would show
    // results of values the page does not show. The user corrects the field first.
    if (const model::HouseField* rejected = readInputPage(model::ReadScope::All).FirstRejected) {
        focusField(*rejected);
        return;
    }
    // What a house row could not have is refused too: the page is then always one that can be
    // saved and opened again.
    if (const std::optional<PageHouseProblem> problem =
            HouseBoundsProblem(houseValues(), locale_)) {
        MessageBoxes::Current().ShowInformation(this, problem->Message);
        focusField(*problem->Field);
        return;
    }
    runCalculation();
    if (!FiguresAreFinite(parameters_, result_)) {
        MessageBoxes::Current().ShowInformation(this, InfiniteFiguresMessage);
        return;
    }
    report::DrawMonthlyChart(pictures_.MonthlyChartBitmap, result_, locale_);
    renderResults();
    ui_->inputPage->hide();
    ui_->economicsAction->setEnabled(true);
    ui_->backButton->setEnabled(true);
    ui_->nextButton->setEnabled(false);
    ui_->printButton->show();
    ui_->saveButton->show();
    ui_->zoomPanel->show();
    showPageBackground(Qt::white);
    ui_->clientArea->update();
}

void MainWindow::showInputPage() {
    ui_->inputPage->show();
    ui_->economicsAction->setEnabled(false);
    ui_->backButton->setEnabled(false);
    ui_->nextButton->setEnabled(true);
    ui_->printButton->hide();
    ui_->saveButton->hide();
    ui_->zoomPanel->hide();
    resultsShown_ = 0;
    view_.TracerOn = false;
    ui_->tracerButton->setChecked(false);
    resultsReadout_->Hide();
    showPageBackground(palette().color(QPalette::Button));
    ui_->clientArea->update();
    focusFirstField();
}

void MainWindow::openSettings() {
    if (settings_ != nullptr) {
        settings_->exec();
    }
    readInputPage(model::ReadScope::House);
    estimatePlannedBurnHours();
}

void MainWindow::openHelp() {
    OpenHelpDocument(this);
}

void MainWindow::openAbout() {
    if (about_ != nullptr) {
        about_->exec();
    }
}

void MainWindow::printResults() {
    PrintResults({pictures_, parameters_, result_, view_, locale_}, logo());
}

void MainWindow::saveResults() {
    SaveResults(this, {pictures_, parameters_, result_, view_, locale_}, logo(), saveFileName_);
}

// --- Chart tools and the results page ---

void MainWindow::zoomOutDays() {
    if (view_.XScale > 0.1) {
        view_.XScale *= 0.5;
        renderResults();
        ui_->clientArea->update();
    }
}

void MainWindow::zoomInDays() {
    if (view_.XScale < 100) {
        view_.XScale *= 2;
        renderResults();
        ui_->clientArea->update();
    }
}

void MainWindow::zoomOutCosts() {
    if (view_.YScale > 0.1) {
        view_.YScale *= 0.5;
        renderResults();
        ui_->clientArea->update();
    }
}

void MainWindow::zoomInCosts() {
    if (view_.YScale < 100) {
        view_.YScale *= 2;
        renderResults();
        ui_->clientArea->update();
    }
}

void MainWindow::toggleTracer() {
    // The button is checked while the tracer is on. The line appears with the next mouse
    // movement over the chart or the next arrow key.
    view_.TracerOn = ui_->tracerButton->isChecked();
    if (!view_.TracerOn) {
        ui_->clientArea->update();
    }
}

bool MainWindow::moveTracerByKey(MoveKey key) {
    if (!view_.TracerOn) {
        return false;
    }
    // The chart's columns; the first step enters from the chart's edge.
    constexpr int first = 560;
    constexpr int last = 960;
    const auto day = [this](int x) { return report::TracerDay(x, view_.XScale); };
    const bool placed = view_.TracerX.has_value();
    const bool forward = key == MoveKey::Next || key == MoveKey::PageOn || key == MoveKey::First;
    int x = placed ? *view_.TracerX : first;
    if (key == MoveKey::First || key == MoveKey::Last) {
        x = key == MoveKey::First ? first : last;
    } else if (!placed) {
        x = forward ? first : last;
    } else {
        // To the next column that shows another day, or a month of days on.
        const int step = forward ? 1 : -1;
        const bool page = key == MoveKey::PageOn || key == MoveKey::PageBack;
        const int target = day(x) + (page ? 30 : 1) * step;
        do {
            x += step;
        } while (x > first && x < last && (forward ? day(x) < target : day(x) > target));
        x = std::clamp(x, first, last);
    }
    moveTracer(x, 300);
    ui_->tracerButton->setAccessibleDescription(TracerSpokenReadout(result_, day(x), locale_));
    return true;
}

void MainWindow::moveTracer(int x, int y) {
    if (view_.TracerOn && x > 559 && x < 961 && y > 49 && y < 570) {
        view_.TracerX = x;
        ui_->clientArea->update();
    }
}

void MainWindow::paintClientArea(QPainter& painter) {
    const QRect area = ui_->clientArea->rect();
    if (resultsShown_ != 1) {
        painter.fillRect(area, palette().color(QPalette::Button));
        return;
    }
    painter.fillRect(area, Qt::white);
    screenPictures_.Paint(painter, {pictures_, parameters_, result_, view_, locale_}, area.size());
    report::DrawTracer(painter, view_, result_, locale_);
}

// --- Input page ---

void MainWindow::burnHoursStepped(const Zone& zone) {
    zone.Hours->setText(format(zone.Stepper->position() * 0.1, "0.0"));
}

void MainWindow::lampCountChanged(const Zone& zone) {
    const QString text = zone.Count->text();
    if (text.isEmpty()) {
        return;
    }
    // Only the text "0" switches the zone off: "00" is a count the user is still typing.
    const bool lit = !model::SwitchesZoneOff(text.toStdString());
    zone.Power->setEnabled(lit);
    zone.Hours->setEnabled(lit);
    zone.Stepper->setEnabled(lit);
    if (zone.Blocks != nullptr) {
        if (!lit) {
            zone.Blocks->setValue(0); // a changed block count recalculates
        }
        zone.Blocks->setEnabled(lit);
    }
}

void MainWindow::lampPowerChanged(IntSpinEdit* power) {
    unfinishedPowers_.erase(power);
    power->setValue(model::SnapLampPower(power->value()));
}

void MainWindow::electricCookersToggled() {
    if (ui_->electricCookers->isChecked()) {
        if (ui_->tariff->text() == WithDecimalSeparator(GasCookerTariff, locale_)) {
            ui_->tariff->setText(WithDecimalSeparator(ElectricCookerTariff, locale_));
        }
        ui_->gasCookers->setChecked(false);
    }
}

void MainWindow::gasCookersToggled() {
    if (ui_->gasCookers->isChecked()) {
        if (ui_->tariff->text() == WithDecimalSeparator(ElectricCookerTariff, locale_)) {
            ui_->tariff->setText(WithDecimalSeparator(GasCookerTariff, locale_));
        }
        ui_->electricCookers->setChecked(false);
    }
}

void MainWindow::schemeTypeChosen() {
    if (ui_->existingSchemeType->currentIndex() != parameters_.ExistingSchemeType) {
        refreshExistingScheme();
    }
}

void MainWindow::recalculate() {
    const auto seconds = [this](const QLineEdit* field) {
        return model::ParseReal(field->text().toStdString(), locale_);
    };
    parameters_.HoldTimeLanding = seconds(ui_->landingHoldTime) / 3600;
    parameters_.HoldTimeBetween = seconds(ui_->flightHoldTime) / 3600;
    parameters_.HoldTimeVestibule = seconds(ui_->vestibuleHoldTime) / 3600;
    readInputPage(model::ReadScope::All);
    estimatePlannedBurnHours();
    // The page now shows the values rounded as the refresh wrote them; take those.
    readInputPage(model::ReadScope::All);
}

void MainWindow::refreshExistingScheme() {
    const model::ProjectParameters& p = parameters_;
    parameters_.ExistingSchemeType = ui_->existingSchemeType->currentIndex();
    ui_->existingLampLife->setText(format(p.ExistingLampLife, "0"));
    ui_->existingLampPrice->setText(format(p.ExistingLampPrice, "0"));
    ui_->existingFittingPrice->setText(format(p.ExistingFittingPrice, "0"));
    ui_->existingFittingInstallPrice->setText(format(p.ExistingFittingInstallPrice, "0"));
    ui_->existingLandingPower->setText(format(p.ExistingPowerLanding, "0"));
    ui_->existingFlightPower->setText(format(p.ExistingPowerBetween, "0"));
    ui_->existingVestibulePower->setText(format(p.ExistingPowerVestibule, "0"));
    const std::array<double, 3> hours = {p.ExistingHoursLanding, p.ExistingHoursBetween,
                                         p.ExistingHoursVestibule};
    for (std::size_t i = 0; i < hours.size(); ++i) {
        existingZones_[i].Hours->setText(
            QString::fromStdString(model::BurnHoursText(hours[i], locale_)));
        existingZones_[i].Stepper->setPosition(model::SaturatingTrunc(hours[i] * 10));
    }
}

void MainWindow::refreshPlannedScheme() {
    const model::ProjectParameters& p = parameters_;
    parameters_.PlannedSchemeType = ui_->plannedSchemeType->currentIndex();
    ui_->plannedLampLife->setText(format(p.PlannedLampLife, "0"));
    ui_->plannedLampPrice->setText(format(p.PlannedLampPrice, "0"));
    ui_->plannedFittingPrice->setText(format(p.PlannedFittingPrice, "0"));
    ui_->plannedFittingInstallPrice->setText(format(p.PlannedFittingInstallPrice, "0"));
    ui_->blockPrice->setText(format(p.BlockPrice, "0"));
    ui_->blockInstallPrice->setText(format(p.BlockInstallPrice, "0"));
    ui_->plannedLandingPower->setText(format(p.PlannedPowerLanding, "0"));
    ui_->plannedFlightPower->setText(format(p.PlannedPowerBetween, "0"));
    ui_->plannedVestibulePower->setText(format(p.PlannedPowerVestibule, "0"));
    const std::array<double, 3> hours = {p.PlannedHoursLanding, p.PlannedHoursBetween,
                                         p.PlannedHoursVestibule};
    for (std::size_t i = 0; i < hours.size(); ++i) {
        const Zone& planned = plannedZones_[i];
        const std::int32_t blocks = planned.Blocks->value();
        planned.Hours->setText(QString::fromStdString(model::PlannedHoursText(
            hours[i], blocks, existingZones_[i].Hours->text().toStdString(), locale_)));
        // Without a sensor block the zone's lamps burn as the existing ones do.
        planned.Stepper->setPosition(blocks < 1 ? existingZones_[i].Stepper->position()
                                                : model::SaturatingTrunc(hours[i] * 10));
    }
}
