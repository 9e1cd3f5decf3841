#include "SettingsDialog.h"

#include "Accessibility.h"
#include "MessageBoxes.h"
#include "WindowLook.h"
#include "ui_SettingsDialog.h"

SettingsDialog::SettingsDialog(model::ProjectParameters& parameters,
                               const model::NumberLocale& locale, QWidget* parent)
    : QDialog(parent), ui_(new Ui::SettingsDialog), parameters_(parameters), locale_(locale) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(313, 448);
    setFont(DialogFont());
    DescribeControls(*this);
    connect(ui_->saveButton, &QPushButton::clicked, this, &SettingsDialog::saveAndClose);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &SettingsDialog::cancel);
    showParameters();
}

SettingsDialog::~SettingsDialog() {
    delete ui_;
}

Ui::SettingsDialog* SettingsDialog::ui() const {
    return ui_;
}

void SettingsDialog::setVisible(bool visible) {
    if (visible) {
        CenterOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

QString SettingsDialog::format(double value, const char* pattern) const {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale_));
}

double SettingsDialog::readReal(const QString& text) const {
    return model::ParseReal(text.toStdString(), locale_);
}

void SettingsDialog::showParameters() {
    const model::ProjectParameters& p = parameters_;
    ui_->liftFromFloor->setValue(p.LiftFromFloor);
    if (p.LiftModel == model::LiftModelExponential) {
        ui_->exponentialLift->setChecked(true);
    } else {
        ui_->linearLift->setChecked(true);
    }
    ui_->individualityCoefficient->setText(format(p.IndividualityCoefficient, "0.00"));
    ui_->passagesPerResident->setText(format(p.PassagesPerResident, "0.00"));
    ui_->landingHoldTime->setText(format(p.HoldTimeLanding * 3600, "0"));
    ui_->flightHoldTime->setText(format(p.HoldTimeBetween * 3600, "0"));
    ui_->vestibuleHoldTime->setText(format(p.HoldTimeVestibule * 3600, "0"));
    ui_->incandescentTheft->setText(format(p.TheftRateIncandescent, "0.0"));
    ui_->energySavingTheft->setText(format(p.TheftRateEnergySaving, "0.0"));
    ui_->soundSensorTheft->setText(format(p.TheftRateSoundSensor, "0.0"));
    ui_->externalBlockTheft->setText(format(p.TheftRateExternalBlock, "0.0"));
    ui_->countLampTheft->setChecked(p.CountLampTheft);
    ui_->burnOutGamma->setText(format(p.BurnOutGamma, "0.00"));
}

void SettingsDialog::saveAndClose() {
    // Stored field by field: a text that is not a number ends the save there, with the fields
    // before it already stored, and the dialog stays open. The ranges in the labels are advice, not
    // limits.
    RunGuarded(this, [this] {
        model::ProjectParameters& p = parameters_;
        p.LiftFromFloor = ui_->liftFromFloor->value();
        p.LiftModel = ui_->exponentialLift->isChecked() ? model::LiftModelExponential
                                                        : model::LiftModelLinear;
        p.IndividualityCoefficient = readReal(ui_->individualityCoefficient->text());
        p.PassagesPerResident = readReal(ui_->passagesPerResident->text());
        // The hold times are not stored: they are edited on the input page, and the hidden copies
        // here still hold the start-up values, which would silently replace the user's.
        p.CountLampTheft = ui_->countLampTheft->isChecked();
        p.TheftRateIncandescent = readReal(ui_->incandescentTheft->text());
        p.TheftRateEnergySaving = readReal(ui_->energySavingTheft->text());
        p.TheftRateSoundSensor = readReal(ui_->soundSensorTheft->text());
        p.TheftRateExternalBlock = readReal(ui_->externalBlockTheft->text());
        p.BurnOutGamma = readReal(ui_->burnOutGamma->text());
        accept();
    });
}

void SettingsDialog::cancel() {
    reject();
}
