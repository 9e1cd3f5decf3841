#include "InputPageControls.h"

#include "IntSpinEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

namespace {

QString Name(std::string_view field) {
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

} // namespace

InputPageControls::InputPageControls(QHash<QString, QWidget*> controls, QPushButton* back,
                                     QPushButton* next,
                                     std::function<void(const QString&)> showMessage)
    : controls_(std::move(controls)),
      lift_(qobject_cast<QCheckBox*>(controls_.value(QStringLiteral("HasLift")))), back_(back),
      next_(next), showMessage_(std::move(showMessage)) {
    if (lift_ == nullptr) {
        throw std::logic_error("the input page has no lift check box");
    }
}

QWidget* InputPageControls::Control(std::string_view field) const {
    return controls_.value(Name(field));
}

std::string InputPageControls::FieldText(std::string_view field) const {
    QWidget* control = Control(field);
    if (auto* spin = qobject_cast<IntSpinEdit*>(control)) {
        return spin->text().toStdString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text().toStdString();
    }
    throw std::logic_error("the input page has no text field for " + std::string(field));
}

bool InputPageControls::LiftChecked() const {
    return lift_->isChecked();
}

void InputPageControls::SetPageButtons(bool backEnabled, bool nextEnabled) {
    back_->setEnabled(backEnabled);
    next_->setEnabled(nextEnabled);
}

void InputPageControls::ShowMessage(const std::string& message) {
    showMessage_(QString::fromStdString(message));
}
