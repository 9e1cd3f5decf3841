#include "Prop.h"

#include "MessageBoxes.h"
#include "WindowLook.h"
#include "ui_Prop.h"

TForm3::TForm3(model::ProjectParameters& parameters, const model::NumberLocale& locale,
               QWidget* parent)
    : QDialog(parent), ui_(new Ui::TForm3), parameters_(parameters), locale_(locale) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(313, 448);
    setFont(DialogFont());
    connect(ui_->BO, &QPushButton::clicked, this, &TForm3::BOClick);
    connect(ui_->BC, &QPushButton::clicked, this, &TForm3::BCClick);
    FormCreate();
}

TForm3::~TForm3() {
    delete ui_;
}

Ui::TForm3* TForm3::ui() const {
    return ui_;
}

void TForm3::setVisible(bool visible) {
    if (visible) {
        CenterOnScreen(*this);
    }
    QDialog::setVisible(visible);
}

QString TForm3::Format(double value, const char* pattern) const {
    return QString::fromStdString(model::FormatNumber(value, pattern, locale_));
}

double TForm3::ReadReal(const QString& text) const {
    return model::ParseReal(text.toStdString(), locale_);
}

void TForm3::FormCreate() {
    const model::ProjectParameters& p = parameters_;
    ui_->CLFrom->setValue(p.LiftFromFloor);
    if (p.LiftModel == model::LiftModelExponential) {
        ui_->RLiftExponential->setChecked(true);
    } else {
        ui_->RLiftLinear->setChecked(true);
    }
    ui_->ESt->setText(Format(p.IndividualityCoefficient, "0.00"));
    ui_->EZa->setText(Format(p.PassagesPerResident, "0.00"));
    ui_->ETe->setText(Format(p.HoldTimeLanding * 3600, "0"));
    ui_->ETm->setText(Format(p.HoldTimeBetween * 3600, "0"));
    ui_->ETd->setText(Format(p.HoldTimeVestibule * 3600, "0"));
    ui_->VN->setText(Format(p.TheftRateIncandescent, "0.0"));
    ui_->VE->setText(Format(p.TheftRateEnergySaving, "0.0"));
    ui_->VZ->setText(Format(p.TheftRateSoundSensor, "0.0"));
    ui_->VP->setText(Format(p.TheftRateExternalBlock, "0.0"));
    ui_->CVor->setChecked(p.CountLampTheft);
    ui_->EG->setText(Format(p.BurnOutGamma, "0.00"));
}

void TForm3::BOClick() {
    // Stored field by field: a text that is not a number ends the save there, with the fields
    // before it already stored, and the dialog stays open. The ranges in the labels are advice, not
    // limits.
    RunGuarded(this, [this] {
        model::ProjectParameters& p = parameters_;
        p.LiftFromFloor = ui_->CLFrom->value();
        p.LiftModel = ui_->RLiftExponential->isChecked() ? model::LiftModelExponential
                                                         : model::LiftModelLinear;
        p.IndividualityCoefficient = ReadReal(ui_->ESt->text());
        p.PassagesPerResident = ReadReal(ui_->EZa->text());
        // The hold times are not stored: they are edited on the input page, and the hidden copies
        // here still hold the start-up values, which would silently replace the user's.
        p.CountLampTheft = ui_->CVor->isChecked();
        p.TheftRateIncandescent = ReadReal(ui_->VN->text());
        p.TheftRateEnergySaving = ReadReal(ui_->VE->text());
        p.TheftRateSoundSensor = ReadReal(ui_->VZ->text());
        p.TheftRateExternalBlock = ReadReal(ui_->VP->text());
        p.BurnOutGamma = ReadReal(ui_->EG->text());
        accept();
    });
}

void TForm3::BCClick() {
    reject();
}
