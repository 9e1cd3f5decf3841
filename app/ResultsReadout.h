#pragma once

#include "KeyboardAccess.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "ReportTable.h"
#include "SimulationResult.h"

#include <QRect>
#include <QString>

#include <vector>

class QWidget;
class ReadoutWidget;

// What a screen reader reads of the painted results page: the report table as a list of its
// rows (Tab reaches the list, the arrow keys, PageUp, PageDown, Home and End its rows), and one
// line for each chart. The parts lie over the pictures they describe, draw nothing
// but a focus frame, let the mouse through and come after the page's buttons in the Tab order.
class ResultsReadout {
public:
    explicit ResultsReadout(QWidget& clientArea);

    // Shows the readout of a finished calculation; the rectangles are where the page paints the
    // table and the charts, in client coordinates.
    void Show(const std::vector<report::ReportRow>& rows, const QString& monthlyChart,
              const QString& costChart, const QRect& tableArea, const QRect& monthlyArea,
              const QRect& costArea);
    void Hide();

    ReadoutWidget* Table() const { return table_; }

private:
    // Focuses the row, kept within the table; false when there are no rows.
    bool focusRow(int index);
    int moveFrom(int row, MoveKey key) const;

    ReadoutWidget* table_;
    std::vector<ReadoutWidget*> rows_; // children of table_
    ReadoutWidget* monthlyChart_;
    ReadoutWidget* costChart_;
};

// One row of the report as read aloud: "label: существующая схема X, планируемая схема Y".
QString ReportRowText(const report::ReportRow& row);

// The tracer's read-out of a day in whole words, as a screen reader says it.
QString TracerSpokenReadout(const model::SimulationResult& result, int day,
                            const model::NumberLocale& locale);

// The one-line descriptions of the charts.
QString MonthlyChartSummary(const model::SimulationResult& result,
                            const model::NumberLocale& locale);
QString CostChartSummary(const model::SimulationResult& result, const model::NumberLocale& locale);
