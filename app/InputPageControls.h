#pragma once

#include "InputReading.h"

#include <QHash>
#include <QString>

#include <functional>

class QCheckBox;
class QPushButton;
class QWidget;

// The input page as the reading sees it: the texts of the named fields under `page`, the lift
// check box and the two page buttons.
class InputPageControls : public model::InputPage {
public:
    InputPageControls(QWidget* page, QPushButton* back, QPushButton* next,
                      std::function<void(const QString&)> showMessage);

    std::string ControlText(std::string_view name) const override;
    bool LiftChecked() const override;
    void SetPageButtons(bool backEnabled, bool nextEnabled) override;
    void ShowMessage(const std::string& message) override;

private:
    QHash<QString, QWidget*> fields_;
    QCheckBox* lift_;
    QPushButton* back_;
    QPushButton* next_;
    std::function<void(const QString&)> showMessage_;
};
