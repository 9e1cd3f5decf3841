#include "Unit1.h"

#include "Fabout.h"
#include "Help.h"
#include "HouseInput.h"
#include "InputPageControls.h"
#include "IntSpinEdit.h"
#include "LampPower.h"
#include "Locale.h"
#include "MessageBoxes.h"
#include "Prop.h"
#include "Rendering.h"
#include "ReportTable.h"
#include "ResultsOutput.h"
#include "Saturate.h"
#include "Simulation.h"
#include "TrafficEstimate.h"
#include "UpDownStepper.h"
#include "ui_Unit1.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

#include <cmath>
#include <ctime>

namespace {

constexpr int ClientWidth = 1000;
constexpr int ClientHeight = 642;

// Tariffs of houses with electric and with gas cookers, written with a decimal comma.
const QString ElectricCookerTariff = QStringLiteral("1,38");
const QString GasCookerTariff = QStringLiteral("1,97");

QFont PageFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

TForm1::TForm1(const model::NumberLocale& locale, QWidget* parent)
    : QMainWindow(parent), ui_(new Ui::TForm1), locale_(locale) {
    // The images live in the static window library, where nothing else would pull them in.
    Q_INIT_RESOURCE(mainwindow);
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ApplyFonts();
    WriteDefaultsWithDecimalSeparator();

    QPalette toolPanel = ui_->PZ->palette();
    toolPanel.setColor(QPalette::Window, Qt::white);
    ui_->PZ->setPalette(toolPanel);
    ui_->ClientArea->setFixedSize(ClientWidth, ClientHeight);
    ui_->ClientArea->setMouseTracking(true);
    ui_->ClientArea->installEventFilter(this);
    ShowPageBackground(palette().color(QPalette::Button));

    existingZones_ = {Zone{ui_->CLTE, ui_->COPE, ui_->COHE, ui_->UpDown1, nullptr},
                      Zone{ui_->CLTM, ui_->COPM, ui_->COHM, ui_->UpDown6, nullptr},
                      Zone{ui_->CLTD, ui_->COPD, ui_->COHD, ui_->UpDown8, nullptr}};
    plannedZones_ = {Zone{ui_->CLPE, ui_->CNPE, ui_->CNHE, ui_->UpDown2, ui_->CBPE},
                     Zone{ui_->CLPM, ui_->CNPM, ui_->CNHM, ui_->UpDown3, ui_->CBPM},
                     Zone{ui_->CLPD, ui_->CNPD, ui_->CNHD, ui_->UpDown5, ui_->CBPD}};
    page_ = std::make_unique<InputPageControls>(
        ui_->PK, ui_->BBack, ui_->BNext,
        [this](const QString& message) { MessageBoxes::Current().ShowInformation(this, message); });

    ConnectHandlers();

    resize(ClientWidth, ClientHeight + ui_->MainMenu1->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }

    // Creation errors leave the constructor: the program shows them and ends.
    FormCreate();
}

TForm1::~TForm1() {
    // The children outlive this destructor: whatever they signal while being destroyed must not
    // reach the handlers.
    for (QObject* child : findChildren<QObject*>()) {
        child->blockSignals(true);
    }
    delete ui_;
}

void TForm1::SetDialogs(TForm2* about, TForm3* settings) {
    about_ = about;
    settings_ = settings;
}

QWidget* TForm1::ClientArea() const {
    return ui_->ClientArea;
}

void TForm1::ConnectHandlers() {
    // Every handler runs guarded: an error it raises is shown in the error box and the window
    // goes on in the state the handler left.
    const auto on = [this](auto handler) {
        return [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); };
    };

    connect(ui_->BNext, &QPushButton::clicked, this, on(&TForm1::BNextClick));
    connect(ui_->BBack, &QPushButton::clicked, this, on(&TForm1::BBackClick));
    connect(ui_->BPrint, &QPushButton::clicked, this, on(&TForm1::BPrintClick));
    connect(ui_->BSP, &QPushButton::clicked, this, on(&TForm1::BSPClick));
    connect(ui_->N1, &QAction::triggered, this, on(&TForm1::N1Click));
    connect(ui_->NHelp, &QAction::triggered, this, on(&TForm1::NHelpClick));
    connect(ui_->NAbout, &QAction::triggered, this, on(&TForm1::NAboutClick));

    connect(ui_->BXMin, &QToolButton::clicked, this, on(&TForm1::BXMinClick));
    connect(ui_->BXMax, &QToolButton::clicked, this, on(&TForm1::BXMaxClick));
    connect(ui_->BYMin, &QToolButton::clicked, this, on(&TForm1::BYMinClick));
    connect(ui_->BYMax, &QToolButton::clicked, this, on(&TForm1::BYMaxClick));
    connect(ui_->Button1, &QPushButton::clicked, this, on(&TForm1::Button1Click));

    connect(ui_->UpDown1, &UpDownStepper::clicked, this, on(&TForm1::UpDown1Click));
    connect(ui_->UpDown2, &UpDownStepper::clicked, this, on(&TForm1::UpDown2Click));
    connect(ui_->UpDown3, &UpDownStepper::clicked, this, on(&TForm1::UpDown3Click));
    connect(ui_->UpDown5, &UpDownStepper::clicked, this, on(&TForm1::UpDown5Click));
    connect(ui_->UpDown6, &UpDownStepper::clicked, this, on(&TForm1::UpDown6Click));
    connect(ui_->UpDown8, &UpDownStepper::clicked, this, on(&TForm1::UpDown8Click));

    connect(ui_->CLTE, &IntSpinEdit::textChanged, this, on(&TForm1::CLTEChange));
    connect(ui_->CLTM, &IntSpinEdit::textChanged, this, on(&TForm1::CLTMChange));
    connect(ui_->CLTD, &IntSpinEdit::textChanged, this, on(&TForm1::CLTDChange));
    connect(ui_->CLPE, &IntSpinEdit::textChanged, this, on(&TForm1::CLPEChange));
    connect(ui_->CLPM, &IntSpinEdit::textChanged, this, on(&TForm1::CLPMChange));
    connect(ui_->CLPD, &IntSpinEdit::textChanged, this, on(&TForm1::CLPDChange));

    connect(ui_->COPE, &IntSpinEdit::textChanged, this, on(&TForm1::COPEChange));
    connect(ui_->COPM, &IntSpinEdit::textChanged, this, on(&TForm1::COPMChange));
    connect(ui_->COPD, &IntSpinEdit::textChanged, this, on(&TForm1::COPDChange));
    connect(ui_->CNPE, &IntSpinEdit::textChanged, this, on(&TForm1::CNPEChange));
    connect(ui_->CNPM, &IntSpinEdit::textChanged, this, on(&TForm1::CNPMChange));
    connect(ui_->CNPD, &IntSpinEdit::textChanged, this, on(&TForm1::CNPDChange));

    for (IntSpinEdit* blocks : {ui_->CBPE, ui_->CBPM, ui_->CBPD}) {
        connect(blocks, &IntSpinEdit::textChanged, this, on(&TForm1::BTimeClick));
    }
    connect(ui_->Button2, &QPushButton::clicked, this, on(&TForm1::BTimeClick));
    connect(ui_->BTime, &QPushButton::clicked, this, on(&TForm1::BTimeClick));

    // Keyboard selection checks a radio button without a click, so both follow the check state.
    connect(ui_->RB1, &QRadioButton::toggled, this, on(&TForm1::RB1Click));
    connect(ui_->RB2, &QRadioButton::toggled, this, on(&TForm1::RB2Click));
    connect(ui_->CT1, &QComboBox::activated, this, on(&TForm1::CT1Click));
    connect(ui_->CT2, &QComboBox::activated, this, on(&TForm1::CT1Click));
    connect(ui_->Lift, &QCheckBox::clicked, this, on(&TForm1::LiftClick));
}

void TForm1::ApplyFonts() {
    const QFont label = PageFont(11);
    const QFont field = PageFont(13);
    setFont(label);
    for (QWidget* widget : ui_->ClientArea->findChildren<QWidget*>()) {
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

void TForm1::WriteDefaultsWithDecimalSeparator() {
    for (QLineEdit* edit :
         {ui_->EPAY, ui_->COHE, ui_->COHM, ui_->COHD, ui_->CNHE, ui_->CNHM, ui_->CNHD}) {
        edit->setText(WithDecimalSeparator(edit->text(), locale_));
    }
}

QString TForm1::Format(double value, const char* pattern) const {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale_));
}

QImage TForm1::Logo() const {
    return ui_->I1->pixmap().toImage();
}

void TForm1::ShowPageBackground(const QColor& colour) {
    // Beyond the page, when the window is made larger than it, the scroll area's own background
    // shows; it follows the page.
    QWidget* viewport = ui_->ClientScroll->viewport();
    QPalette palette = viewport->palette();
    palette.setColor(QPalette::Window, colour);
    viewport->setPalette(palette);
    viewport->setAutoFillBackground(true);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->ClientArea) {
        if (event->type() == QEvent::Paint) {
            try {
                QPainter painter(ui_->ClientArea);
                FormPaint(painter);
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
            RunGuarded(this, [this, x, y] { FormMouseMove(x, y); });
            return false;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Creation and the model's steps ---

void TForm1::FormCreate() {
    reportTable_ = std::make_unique<report::ReportTable>();
    reportTable_->Reset();
    SetDefaultParameters();
    ReadInputPage(model::ReadScope::House);
    EstimatePlannedBurnHours();
}

void TForm1::SetDefaultParameters() {
    model::SetDefaultParameters(parameters_);
    pictures_.Recreate();
    view_ = report::ChartView{};
    resultsShown_ = 0;
    ui_->BBack->setEnabled(false);
    ui_->BNext->setEnabled(true);
}

void TForm1::ReadInputPage(model::ReadScope scope) {
    model::ReadInputPage(scope, *page_, parameters_, locale_);
}

void TForm1::EstimatePlannedBurnHours() {
    model::EstimatePlannedBurnHours(parameters_, [this] {
        RefreshExistingGroup();
        RefreshPlannedGroup();
    });
}

void TForm1::DrawMonthlyChart() {
    report::DrawMonthlyChart(pictures_.MonthlyChartBitmap, parameters_, result_, locale_);
    resultsShown_ = 1;
}

void TForm1::RunSimulation() {
    model::RunSimulation(parameters_, result_,
                         seedSource_ ? seedSource_()
                                     : static_cast<std::uint32_t>(std::time(nullptr)));
}

void TForm1::RenderResults() {
    report::RenderResults(pictures_, *reportTable_, parameters_, result_, view_, locale_);
    resultsShown_ = 1;
}

// --- Page flow and menu ---

void TForm1::BNextClick() {
    pictures_.Recreate();
    ReadInputPage(model::ReadScope::All);
    DrawMonthlyChart();
    RunSimulation();
    RenderResults();
    ui_->PK->hide();
    ui_->BBack->setEnabled(true);
    ui_->BNext->setEnabled(false);
    ui_->BPrint->show();
    ui_->BSP->show();
    ui_->PZ->show();
    ShowPageBackground(Qt::white);
    ui_->ClientArea->update();
}

void TForm1::BBackClick() {
    ui_->PK->show();
    ui_->BBack->setEnabled(false);
    ui_->BNext->setEnabled(true);
    ui_->BPrint->hide();
    ui_->BSP->hide();
    ui_->PZ->hide();
    resultsShown_ = 0;
    view_.TracerOn = false;
    ShowPageBackground(palette().color(QPalette::Button));
    ui_->ClientArea->update();
}

void TForm1::N1Click() {
    if (settings_ != nullptr) {
        settings_->exec();
    }
    ReadInputPage(model::ReadScope::House);
    EstimatePlannedBurnHours();
}

void TForm1::NHelpClick() {
    OpenHelpDocument(this);
}

void TForm1::NAboutClick() {
    if (about_ != nullptr) {
        about_->exec();
    }
}

void TForm1::BPrintClick() {
    PrintResults(pictures_, Logo());
}

void TForm1::BSPClick() {
    SaveResults(this, pictures_, Logo(), saveFileName_);
}

// --- Chart tools and the results page ---

void TForm1::BXMinClick() {
    if (view_.XScale > 0.1) {
        view_.XScale *= 0.5;
        RenderResults();
        ui_->ClientArea->update();
    }
}

void TForm1::BXMaxClick() {
    if (view_.XScale < 100) {
        view_.XScale *= 2;
        RenderResults();
        ui_->ClientArea->update();
    }
}

void TForm1::BYMinClick() {
    if (view_.YScale > 0.1) {
        view_.YScale *= 0.5;
        RenderResults();
        ui_->ClientArea->update();
    }
}

void TForm1::BYMaxClick() {
    if (view_.YScale < 100) {
        view_.YScale *= 2;
        RenderResults();
        ui_->ClientArea->update();
    }
}

void TForm1::Button1Click() {
    if (view_.TracerOn) {
        view_.TracerOn = false;
        ui_->ClientArea->update();
    } else {
        // The line appears with the next mouse movement over the chart.
        view_.TracerOn = true;
    }
}

void TForm1::FormMouseMove(int x, int y) {
    if (view_.TracerOn && x > 559 && x < 961 && y > 49 && y < 570) {
        view_.TracerX = x;
        ui_->ClientArea->update();
    }
}

void TForm1::FormPaint(QPainter& painter) {
    const QRect area = ui_->ClientArea->rect();
    if (resultsShown_ != 1) {
        painter.fillRect(area, palette().color(QPalette::Button));
        return;
    }
    painter.fillRect(area, Qt::white);
    painter.drawImage(QPoint(10, 20), pictures_.ReportBitmap);
    painter.drawImage(QPoint(50, 320), pictures_.MonthlyChartBitmap);
    painter.drawImage(QPoint(550, 1), pictures_.CostChartBitmap);
    report::DrawTracer(painter, view_, result_, locale_);
}

// --- Input page ---

void TForm1::BurnHoursStepped(const Zone& zone) {
    zone.Hours->setText(Format(zone.Stepper->position() * 0.1, "0.0"));
}

void TForm1::UpDown1Click() {
    BurnHoursStepped(existingZones_[0]);
}

void TForm1::UpDown6Click() {
    BurnHoursStepped(existingZones_[1]);
}

void TForm1::UpDown8Click() {
    BurnHoursStepped(existingZones_[2]);
}

void TForm1::UpDown2Click() {
    BurnHoursStepped(plannedZones_[0]);
}

void TForm1::UpDown3Click() {
    BurnHoursStepped(plannedZones_[1]);
}

void TForm1::UpDown5Click() {
    BurnHoursStepped(plannedZones_[2]);
}

void TForm1::LampCountChanged(const Zone& zone) {
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

void TForm1::CLTEChange() {
    LampCountChanged(existingZones_[0]);
}

void TForm1::CLTMChange() {
    LampCountChanged(existingZones_[1]);
}

void TForm1::CLTDChange() {
    LampCountChanged(existingZones_[2]);
}

void TForm1::CLPEChange() {
    LampCountChanged(plannedZones_[0]);
}

void TForm1::CLPMChange() {
    LampCountChanged(plannedZones_[1]);
}

void TForm1::CLPDChange() {
    LampCountChanged(plannedZones_[2]);
}

void TForm1::LampPowerChanged(IntSpinEdit* power) {
    // Snapping is a convenience: whatever goes wrong here must not interrupt the typing.
    try {
        power->setValue(model::SnapLampPower(power->value()));
    } catch (...) {
    }
}

void TForm1::COPEChange() {
    LampPowerChanged(ui_->COPE);
}

void TForm1::COPMChange() {
    LampPowerChanged(ui_->COPM);
}

void TForm1::COPDChange() {
    LampPowerChanged(ui_->COPD);
}

void TForm1::CNPEChange() {
    LampPowerChanged(ui_->CNPE);
}

void TForm1::CNPMChange() {
    LampPowerChanged(ui_->CNPM);
}

void TForm1::CNPDChange() {
    LampPowerChanged(ui_->CNPD);
}

void TForm1::RB1Click() {
    if (ui_->RB1->isChecked()) {
        if (ui_->EPAY->text() == WithDecimalSeparator(GasCookerTariff, locale_)) {
            ui_->EPAY->setText(WithDecimalSeparator(ElectricCookerTariff, locale_));
        }
        ui_->RB2->setChecked(false);
    }
}

void TForm1::RB2Click() {
    if (ui_->RB2->isChecked()) {
        if (ui_->EPAY->text() == WithDecimalSeparator(ElectricCookerTariff, locale_)) {
            ui_->EPAY->setText(WithDecimalSeparator(GasCookerTariff, locale_));
        }
        ui_->RB1->setChecked(false);
    }
}

void TForm1::CT1Click() {
    if (ui_->CT1->currentIndex() != parameters_.ExistingSchemeType) {
        RefreshExistingGroup();
    }
}

void TForm1::LiftClick() {
    // The lift enters the estimate at the next reading of the page.
}

void TForm1::BTimeClick() {
    Recalculate();
}

void TForm1::Recalculate() {
    const auto seconds = [this](const QLineEdit* field) {
        return model::ParseReal(field->text().toStdString(), locale_);
    };
    parameters_.HoldTimeLanding = seconds(ui_->ETe) / 3600;
    parameters_.HoldTimeBetween = seconds(ui_->ETm) / 3600;
    parameters_.HoldTimeVestibule = seconds(ui_->ETd) / 3600;
    ReadInputPage(model::ReadScope::All);
    EstimatePlannedBurnHours();
    // The page now shows the values rounded as the refresh wrote them; take those.
    ReadInputPage(model::ReadScope::All);
}

void TForm1::RefreshExistingGroup() {
    const model::ProjectParameters& p = parameters_;
    parameters_.ExistingSchemeType = ui_->CT1->currentIndex();
    ui_->EOLive->setText(Format(p.ExistingLampLife, "0"));
    ui_->EORep->setText(Format(p.ExistingLampPrice, "0"));
    ui_->EOSc->setText(Format(p.ExistingFittingPrice, "0"));
    ui_->EOSMc->setText(Format(p.ExistingFittingInstallPrice, "0"));
    ui_->COPE->setText(Format(p.ExistingPowerLanding, "0"));
    ui_->COPM->setText(Format(p.ExistingPowerBetween, "0"));
    ui_->COPD->setText(Format(p.ExistingPowerVestibule, "0"));
    const std::array<double, 3> hours = {p.ExistingHoursLanding, p.ExistingHoursBetween,
                                         p.ExistingHoursVestibule};
    for (std::size_t i = 0; i < hours.size(); ++i) {
        existingZones_[i].Hours->setText(
            QString::fromStdString(model::BurnHoursText(hours[i], locale_)));
        existingZones_[i].Stepper->setPosition(model::SaturatingTrunc(hours[i] * 10));
    }
}

void TForm1::RefreshPlannedGroup() {
    const model::ProjectParameters& p = parameters_;
    parameters_.PlannedSchemeType = ui_->CT2->currentIndex();
    ui_->ENLive->setText(Format(p.PlannedLampLife, "0"));
    ui_->ENRep->setText(Format(p.PlannedLampPrice, "0"));
    ui_->ENSc->setText(Format(p.PlannedFittingPrice, "0"));
    ui_->ENSMc->setText(Format(p.PlannedFittingInstallPrice, "0"));
    ui_->ENBc->setText(Format(p.BlockPrice, "0"));
    ui_->ENBMc->setText(Format(p.BlockInstallPrice, "0"));
    ui_->CNPE->setText(Format(p.PlannedPowerLanding, "0"));
    ui_->CNPM->setText(Format(p.PlannedPowerBetween, "0"));
    ui_->CNPD->setText(Format(p.PlannedPowerVestibule, "0"));
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
