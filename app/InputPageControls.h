#pragma once

#include "InputReading.h"

#include <QHash>
#include <QString>

#include <functional>
#include <string_view>

class QCheckBox;
class QPushButton;
class QWidget;

// The input page as the reading sees it: the control that shows each field of the house, the
// lift check box and the two page buttons.
class InputPageControls : public model::InputPage {
public:
    // `controls` maps the record's field names (model::HouseFields()) to the page's controls.
    InputPageControls(QHash<QString, QWidget*> controls, QPushButton* back, QPushButton* next,
                      std::function<void(const QString&)> showMessage);

    // The control of a field, or nullptr for a field the page does not show.
    QWidget* Control(std::string_view field) const;

    std::string FieldText(std::string_view field) const override;
    bool LiftChecked() const override;
    void SetPageButtons(bool backEnabled, bool nextEnabled) override;
    void ShowMessage(const std::string& message) override;

private:
    QHash<QString, QWidget*> controls_;
    QCheckBox* lift_;
    QPushButton* back_;
    QPushButton* next_;
    std::function<void(const QString&)> showMessage_;
};
