#include "InputPageControls.h"

#include "IntSpinEdit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <stdexcept>

InputPageControls::InputPageControls(QWidget* page, QPushButton* back, QPushButton* next,
                                     std::function<void(const QString&)> showMessage)
    : lift_(page->findChild<QCheckBox*>(QStringLiteral("hasLift"))), back_(back), next_(next),
      showMessage_(std::move(showMessage)) {
    for (IntSpinEdit* spin : page->findChildren<IntSpinEdit*>()) {
        fields_.insert(spin->objectName(), spin);
    }
    for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
        // The spin fields' own line edits are reached through their fields.
        if (qobject_cast<IntSpinEdit*>(edit->parentWidget()) == nullptr) {
            fields_.insert(edit->objectName(), edit);
        }
    }
    if (lift_ == nullptr) {
        throw std::logic_error("the input page has no lift check box");
    }
}

std::string InputPageControls::ControlText(std::string_view name) const {
    QWidget* field =
        fields_.value(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (auto* spin = qobject_cast<IntSpinEdit*>(field)) {
        return spin->text().toStdString();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        return edit->text().toStdString();
    }
    throw std::logic_error("the input page has no field " + std::string(name));
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
