#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <QDialog>

namespace Ui {
class SettingsDialog;
}

// The settings dialog: edits the model coefficients of the main window's project. Filled from the
// project when created and when a house is opened; keeps its texts between openings. However it is
// closed, the caller re-reads the house part of the input page and re-runs the burn-time estimate.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(model::ProjectParameters& parameters, const model::NumberLocale& locale,
                   QWidget* parent = nullptr);
    ~SettingsDialog() override;

    Ui::SettingsDialog* ui() const; // for tests

    void setVisible(bool visible) override;

    // Shows the project's settings again, after a house was opened.
    void showParameters();

private:
    void saveAndClose();
    void cancel();

    QString format(double value, const char* pattern) const;

    Ui::SettingsDialog* ui_;
    model::ProjectParameters& parameters_;
    model::NumberLocale locale_;
};
