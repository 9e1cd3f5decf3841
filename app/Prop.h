#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <QDialog>

namespace Ui {
class TForm3;
}

// The settings dialog: edits the model coefficients of the main window's project. Filled from the
// project once, when created; keeps its texts between openings. However it is closed, the caller
// re-reads the house part of the input page and re-runs the burn-time estimate.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(model::ProjectParameters& parameters, const model::NumberLocale& locale,
           QWidget* parent = nullptr);
    ~TForm3() override;

    Ui::TForm3* ui() const; // for tests

    void setVisible(bool visible) override;

private:
    void FormCreate();
    void BOClick();
    void BCClick();

    QString Format(double value, const char* pattern) const;
    double ReadReal(const QString& text) const;

    Ui::TForm3* ui_;
    model::ProjectParameters& parameters_;
    model::NumberLocale locale_;
};
