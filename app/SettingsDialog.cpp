#include "SettingsDialog.h"

#include "Accessibility.h"
#include "MessageBoxes.h"
#include "WindowLook.h"
#include "ui_SettingsDialog.h"

#include <QLineEdit>

#include <array>
#include <utility>

SettingsDialog::SettingsDialog(model::ProjectParameters& parameters,
                               const model::NumberLocale& locale, QWidget* parent)
    : QDialog(parent), ui_(new Ui::SettingsDialog), parameters_(parameters), locale_(locale) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(313, 448);
    setFont(DialogFont());
    DescribeControls(*this);
    // Enter presses the focused button, and "Сохранить" from a field.
    ui_->saveButton->setAutoDefault(true);
    ui_->cancelButton->setAutoDefault(true);
    ui_->saveButton->setDefault(true);
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
    if (visible) {
        // The lift model chosen, rather than the first of its two buttons.
        (ui_->exponentialLift->isChecked() ? ui_->exponentialLift : ui_->linearLift)
            ->setFocus(Qt::OtherFocusReason);
    }
}

QString SettingsDialog::format(double value, const char* pattern) const {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale_));
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
    // Stored whole or not at all: a text that is not a number is reported, focused and selected,
    // and nothing is stored. The ranges in the labels are advice, not limits.
    RunGuarded(this, [this] {
        using P = model::ProjectParameters;
        model::ProjectParameters p = parameters_;
        p.LiftFromFloor = ui_->liftFromFloor->value();
        p.LiftModel = ui_->exponentialLift->isChecked() ? model::LiftModelExponential
                                                        : model::LiftModelLinear;
        // The hold times are not stored: they are edited on the input page, and the hidden copies
        // here still hold the start-up values, which would silently replace the user's.
        p.CountLampTheft = ui_->countLampTheft->isChecked();
        const std::array<std::pair<QLineEdit*, double P::*>, 7> reals = {{
            {ui_->individualityCoefficient, &P::IndividualityCoefficient},
            {ui_->passagesPerResident, &P::PassagesPerResident},
            {ui_->incandescentTheft, &P::TheftRateIncandescent},
            {ui_->energySavingTheft, &P::TheftRateEnergySaving},
            {ui_->soundSensorTheft, &P::TheftRateSoundSensor},
            {ui_->externalBlockTheft, &P::TheftRateExternalBlock},
            {ui_->burnOutGamma, &P::BurnOutGamma},
        }};
        for (const auto& [edit, member] : reals) {
            const std::string text = edit->text().toStdString();
            if (!model::TryParseReal(text, locale_, p.*member)) {
                ShowErrorFor(this, std::make_exception_ptr(model::ConversionError(text)));
                edit->setFocus(Qt::OtherFocusReason);
                edit->selectAll();
                return;
            }
        }
        parameters_ = p;
        accept();
    });
}

void SettingsDialog::cancel() {
    reject();
}
