#pragma once

#include "Canvas.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace report {

enum class RowShape { OneValue, TwoValues, TwoLinesTwoValues };

// Draws the results table row by row, keeping where the next row goes and which shade it gets.
class ReportTable {
public:
    bool Shaded = false;     // the next row gets the darker shade
    std::int32_t RowTop = 0; // top of the next row; after the last row, the table's bottom edge

    void Reset();
    void DrawHeader(Canvas& canvas);
    // Texts a shape does not show are passed empty.
    void AddRow(RowShape shape, const QString& label, const QString& secondLine,
                const QString& existingValue, const QString& plannedValue, Canvas& canvas);
    void Close(Canvas& canvas);
};

struct ReportRow {
    RowShape Shape = RowShape::TwoValues;
    QString Label;
    QString SecondLine;
    QString ExistingValue;
    QString PlannedValue;
};

// The rows of the table for a finished calculation, in order.
std::vector<ReportRow> ReportRows(const model::ProjectParameters& parameters,
                                  const model::SimulationResult& result,
                                  const model::NumberLocale& locale);

// Draws the whole table of a finished calculation from the top: header, rows and closing lines.
void DrawReport(ReportTable& table, Canvas& canvas, const model::ProjectParameters& parameters,
                const model::SimulationResult& result, const model::NumberLocale& locale);

// The address the input page starts with; the table leaves it out.
inline const QString DefaultAddress = QStringLiteral("ул.   д. ");

} // namespace report
