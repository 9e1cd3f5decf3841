#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <QDialog>

namespace Ui {
class TForm3;
}

// The settings dialog: edits the model coefficients of the main window's project. Filled from the
// project once, when created; keeps its texts between openings.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    TForm3(model::ProjectParameters& parameters, const model::NumberLocale& locale,
           QWidget* parent = nullptr);
    ~TForm3() override;

    Ui::TForm3* ui() const; // for tests

private:
    void FormCreate();
    void BOClick();
    void BCClick();

    Ui::TForm3* ui_;
    model::ProjectParameters& parameters_;
    model::NumberLocale locale_;
};
