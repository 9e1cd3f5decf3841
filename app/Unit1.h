#pragma once

#include "InputReading.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "ResultPictures.h"
#include "SimulationResult.h"

#include <QImage>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class InputPageControls;
class IntSpinEdit;
class QLineEdit;
class QPainter;
class TForm2;
class TForm3;
class UpDownStepper;

namespace Ui {
class TForm1;
}

namespace report {
class ReportTable;
}

// The main window: the input page, and the results page painted from the three result pictures.
// Owns the project, the result of the last calculation and the chart's display state.
//
// One calculation ("Вперед "): the page's texts are read into the project (model::ReadInputPage,
// range and fill-in messages on the way) -> the monthly chart runs the daily energy -> the
// simulation of 10,000 days -> the report table and the cost chart are drawn into their pictures
// -> the results page paints the three pictures and the tracer. The traffic estimate of the
// planned burn hours runs at start-up, after the settings dialog and on "Пересчитать".
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const model::NumberLocale& locale, QWidget* parent = nullptr);
    ~TForm1() override;

    // The About window and the settings dialog, created after this window.
    void SetDialogs(TForm2* about, TForm3* settings);

    model::ProjectParameters& ProjectParameters() { return parameters_; }
    const model::SimulationResult& SimulationResult() const { return result_; }
    const report::ResultPictures& Pictures() const { return pictures_; }
    const report::ChartView& ChartView() const { return view_; }
    std::int32_t ResultsShown() const { return resultsShown_; }
    Ui::TForm1* ui() const { return ui_; } // for tests
    // Where "Вперед " takes the generator's seed from; by default the clock's whole seconds.
    void SetSeedSource(std::function<std::uint32_t()> seedSource) {
        seedSource_ = std::move(seedSource);
    }
    // The widget holding both pages; its coordinates are the window's client coordinates.
    QWidget* ClientArea() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One lit zone of a scheme and its controls; the existing scheme has no block count.
    struct Zone {
        IntSpinEdit* Count;
        IntSpinEdit* Power;
        QLineEdit* Hours;
        UpDownStepper* Stepper;
        IntSpinEdit* Blocks;
    };

    void ConnectHandlers();
    void ApplyFonts();
    void WriteDefaultsWithDecimalSeparator();
    QString Format(double value, const char* pattern) const;
    QImage Logo() const;
    void ShowPageBackground(const QColor& colour);

    // Creation and the model's steps as the window runs them
    void FormCreate();
    void SetDefaultParameters();
    void ReadInputPage(model::ReadScope scope);
    void EstimatePlannedBurnHours();
    void DrawMonthlyChart();
    void RunSimulation();
    void RenderResults();

    // Page flow and menu
    void BNextClick();
    void BBackClick();
    void N1Click();
    void NHelpClick();
    void NAboutClick();
    void BPrintClick();
    void BSPClick();

    // Chart tools and the results page
    void BXMinClick();
    void BXMaxClick();
    void BYMinClick();
    void BYMaxClick();
    void Button1Click();
    void FormMouseMove(int x, int y);
    void FormPaint(QPainter& painter);

    // Input page
    void UpDown1Click();
    void UpDown2Click();
    void UpDown3Click();
    void UpDown5Click();
    void UpDown6Click();
    void UpDown8Click();
    void CLTEChange();
    void CLTMChange();
    void CLTDChange();
    void CLPEChange();
    void CLPMChange();
    void CLPDChange();
    void COPEChange();
    void COPMChange();
    void COPDChange();
    void CNPEChange();
    void CNPMChange();
    void CNPDChange();
    void RB1Click();
    void RB2Click();
    void CT1Click();
    void LiftClick();
    void BTimeClick();
    void Recalculate();
    void RefreshExistingGroup();
    void RefreshPlannedGroup();

    void BurnHoursStepped(const Zone& zone);
    void LampCountChanged(const Zone& zone);
    void LampPowerChanged(IntSpinEdit* power);

    Ui::TForm1* ui_;
    model::NumberLocale locale_;
    model::ProjectParameters parameters_;
    model::SimulationResult result_;
    report::ResultPictures pictures_;
    report::ChartView view_;
    std::unique_ptr<report::ReportTable> reportTable_;
    std::int32_t resultsShown_ = 0;
    std::unique_ptr<InputPageControls> page_;
    std::array<Zone, 3> existingZones_{};
    std::array<Zone, 3> plannedZones_{};
    TForm2* about_ = nullptr;
    TForm3* settings_ = nullptr;
    QString saveFileName_;
    bool paintErrorPending_ = false;
    std::function<std::uint32_t()> seedSource_;
};
