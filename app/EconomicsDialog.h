#pragma once

#include "EconomicsPage.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace model {
struct HouseField;
}

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QThread;
class QVBoxLayout;

// The file name to save the economics into: the chosen one, with the chosen filter's extension
// ("PNG (*.png)" or "PDF (*.pdf)") added when it has none. Empty when the user cancelled.
QString EconomicsFileName(const QString& chosen, const QString& filter);

// "Экономика…": the project's money over the years for the last calculation — tariff and lamp
// price growth, discounting, net present value, return rate, yearly savings and emissions, the
// discounted saving as a chart and how the discounted payback moves when four inputs move by 20 %.
// Its five inputs belong to the house: the dialog stores them in the main window's project.
class EconomicsDialog : public QDialog {
    Q_OBJECT
public:
    EconomicsDialog(model::ProjectParameters& parameters, const model::SimulationResult& result,
                    std::uint32_t seed, const model::NumberLocale& locale,
                    QWidget* parent = nullptr);
    ~EconomicsDialog() override;

    // Where "Сохранить…" saves; tests answer without the file dialog. Empty: cancelled.
    void SetSaveFileQuestion(std::function<QString(QWidget* parent)> question) {
        saveFileQuestion_ = std::move(question);
    }
    const report::EconomicsPage& Page() const { return page_; }
    // Waits for the sensitivity table, for tests.
    void WaitForSensitivity();

    // Reads the five inputs; a rejected one is reported and selected, and nothing changes.
    // Returns true when the figures were calculated again.
    bool Recalculate();
    void Save();

private:
    struct Input {
        QLineEdit* Edit;
        QString Caption;
        const model::HouseField* Field;
    };

    // The parts of the window, top to bottom: the inputs with "Пересчитать" beside the figures,
    // the chart of the saving, the sensitivity table, the buttons.
    QFormLayout* MakeInputs();
    QFormLayout* MakeFigures();
    void AddChart(QVBoxLayout& layout);
    void AddSensitivityTable(QVBoxLayout& layout);
    void AddButtons(QVBoxLayout& layout);
    void ShowFigures();
    void StartSensitivity();

    model::ProjectParameters& parameters_;
    const model::SimulationResult& result_;
    std::uint32_t seed_;
    model::NumberLocale locale_;
    report::EconomicsPage page_;
    std::array<Input, 5> inputs_{};
    std::vector<QLabel*> figureValues_;
    QWidget* chart_ = nullptr;
    QTableWidget* sensitivity_ = nullptr;
    QThread* sensitivityThread_ = nullptr;
    std::function<QString(QWidget*)> saveFileQuestion_;
};
