#pragma once

#include "HouseFile.h"
#include "InputReading.h"
#include "KeyboardAccess.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "ResultPictures.h"
#include "ResultsPage.h"
#include "SimulationResult.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

class InputPageControls;
class IntSpinEdit;
class QLineEdit;
class QPainter;
class ResultsReadout;
class AboutDialog;
class SettingsDialog;
class StockWindow;
class UpDownStepper;

namespace Ui {
class MainWindow;
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
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const model::NumberLocale& locale, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The About window and the settings dialog, created after this window.
    void SetDialogs(AboutDialog* about, SettingsDialog* settings);

    model::ProjectParameters& ProjectParameters() { return parameters_; }
    const model::SimulationResult& SimulationResult() const { return result_; }
    const report::ResultPictures& Pictures() const { return pictures_; }
    const report::ChartView& ChartView() const { return view_; }
    std::int32_t ResultsShown() const { return resultsShown_; }
    Ui::MainWindow* ui() const { return ui_; } // for tests
    // Where "Вперед " takes the generator's seed from; by default the clock's whole seconds.
    void SetSeedSource(std::function<std::uint32_t()> seedSource) {
        seedSource_ = std::move(seedSource);
    }
    // The file dialogs of "Файл"; tests answer them without dialogs.
    void SetHouseFileQuestions(HouseFileQuestions questions) {
        houseQuestions_ = std::move(questions);
    }
    // Opens a file given to the program: a file of one house into the input page, as "Открыть
    // дом…" does, a file of several as the housing stock. Errors are shown in the error box.
    void OpenFile(const QString& fileName);
    // Opens a register of houses in a housing stock window, calculated with a seed of the seed
    // source; nullptr when the file cannot be opened (the error box has said why).
    StockWindow* OpenStock(const QString& fileName);
    // Fills the input page with a house of the stock and shows its results with the stock's seed.
    void OpenStockHouse(const OpenedHouse& house, std::uint32_t seed);
    // The file dialog of "Открыть жилой фонд…"; tests answer it without a dialog.
    void SetStockFileQuestion(std::function<QString(QWidget*, const QString&)> question) {
        stockFileQuestion_ = std::move(question);
    }
    // The page's control that shows a field of the house (model::HouseFields() names), or nullptr
    // for a field edited in the settings dialog.
    QWidget* ControlOfField(std::string_view field) const;
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

    QHash<QString, QWidget*> PageControls() const;
    void connectHandlers();
    void applyFonts();
    void writeStartTexts(); // the field table's, in the user's decimal separator
    QString format(double value, const char* pattern) const;
    QImage logo() const;
    void showPageBackground(const QColor& colour);

    // Creation and the model's steps as the window runs them
    void startUp();
    void setDefaultParameters();
    model::PageReading readInputPage(model::ReadScope scope);
    void estimatePlannedBurnHours();
    void runCalculation();
    void renderResults();
    void focusField(const model::HouseField& field);
    void focusFirstField();
    // The texts of every field of the house as the house file holds them.
    std::vector<std::string> houseValues();

    // Page flow and menu
    void openEconomics();
    void openHouse();
    void openStock();
    void saveHouse();
    void fillPage(const OpenedHouse& house);
    void calculate();
    void showInputPage();
    void openSettings();
    void openHelp();
    void openAbout();
    void printResults();
    void saveResults();

    // Chart tools and the results page
    void zoomOutDays();
    void zoomInDays();
    void zoomOutCosts();
    void zoomInCosts();
    void toggleTracer();
    void moveTracer(int x, int y);
    // Moves the tracer for a key: a day's column, 30 days, to either end of the chart; false when
    // the tracer is off.
    bool moveTracerByKey(MoveKey key);
    void paintClientArea(QPainter& painter);

    // Input page
    void electricCookersToggled();
    void gasCookersToggled();
    void schemeTypeChosen();
    void recalculate();
    void refreshExistingScheme();
    void refreshPlannedScheme();

    void burnHoursStepped(const Zone& zone);
    void lampCountChanged(const Zone& zone);
    void lampPowerChanged(IntSpinEdit* power);
    void finishLampPower(IntSpinEdit* power);
    // Snaps every power field as if its value had been finished; the page's reading calls it
    // first, so a power still being typed is read as it will be shown.
    void finishLampPowers();

    Ui::MainWindow* ui_;
    model::NumberLocale locale_;
    model::ProjectParameters parameters_;
    model::SimulationResult result_;
    model::ProjectParameters calculated_; // the project of result_
    report::ResultPictures pictures_;
    report::ScreenPictures screenPictures_; // the pictures at the screen's pixel ratio
    report::ChartView view_;
    std::unique_ptr<report::ReportTable> reportTable_;
    std::int32_t resultsShown_ = 0;
    std::unique_ptr<InputPageControls> page_;
    std::unique_ptr<ResultsReadout> resultsReadout_;
    std::array<Zone, 3> existingZones_{};
    std::array<Zone, 3> plannedZones_{};
    AboutDialog* about_ = nullptr;
    SettingsDialog* settings_ = nullptr;
    QString saveFileName_;
    HouseFileQuestions houseQuestions_ = HouseFileDialogs();
    QString houseFileName_;
    std::uint32_t seed_ = 0;                  // of the last calculation
    std::set<IntSpinEdit*> unfinishedPowers_; // typed since they were last snapped
    bool paintErrorPending_ = false;
    std::function<std::uint32_t()> seedSource_;
    // The housing stock: the file last opened, its dialog, the seed of a house opened from it.
    QString stockFileName_;
    std::function<QString(QWidget*, const QString&)> stockFileQuestion_;
    std::optional<std::uint32_t> stockSeed_;
};
