#pragma once

#include "Calculation.h"
#include "Rendering.h"
#include "ReportTable.h"
#include "ResultsPage.h"
#include "StartUpProject.h"

namespace test_support {

// "Вперед " on the start-up page with a fixed seed: the figures and the window's pictures of
// them. Needs the report library and a running Qt GUI application.
struct CalculatedResults {
    model::NumberLocale Locale{",", " "};
    model::ProjectParameters Parameters = StartUpCalculation();
    model::SimulationResult Result;
    report::ChartView View;
    report::ResultPictures Pictures;

    CalculatedResults() { Draw(); }

    // Draws the pictures again from the figures, after a change of Parameters or View.
    void Draw() {
        report::ReportTable table;
        Pictures.Recreate();
        model::Calculate(Parameters, 12345, model::SimulatedDays::All, Result);
        report::DrawMonthlyChart(Pictures.MonthlyChartBitmap, Result, Locale);
        report::RenderResults(Pictures, table, Parameters, Result, View, Locale);
    }

    report::ResultsPage Page() const { return {Pictures, Parameters, Result, View, Locale}; }
};

} // namespace test_support
