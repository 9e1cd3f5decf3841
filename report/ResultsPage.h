#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "ResultPictures.h"
#include "SimulationResult.h"

#include <QByteArray>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QSize>
#include <QString>

#include <array>

namespace report {

// A finished calculation as the results page shows it: the window's pictures at 96 dots per inch
// and the figures they were drawn from, so that every output can draw them afresh at its own
// resolution.
struct ResultsPage {
    const ResultPictures& Pictures;
    const model::ProjectParameters& Parameters;
    const model::SimulationResult& Result;
    const ChartView& View;
    const model::NumberLocale& Locale;
};

// Draws the report table, the monthly chart and the cost chart where the window shows them, in
// window coordinates, each on white and cut at its edges, later ones over earlier ones.
void DrawWindowPictures(QPainter& painter, const ResultsPage& page);

// Draws the output picture (ComposeOutputPicture's 1000 x 600 layout) in its own coordinates:
// the same pieces at the same places, drawn rather than copied, and the logo.
void DrawOutputPage(QPainter& painter, const ResultsPage& page, const QImage& logo);

// The title of a saved document: the program's name and, when the table shows one, the house's
// address.
QString DocumentTitle(const QString& programName, const ResultsPage& page);

// The one-page landscape A4 PDF of the output picture, drawn as text and paths.
QByteArray EncodeResultsPdf(const ResultsPage& page, const QImage& logo, const QString& title);

// Prints the output picture drawn at the device's resolution, placed as PrintPicture places it.
// Raises std::runtime_error when the device cannot be painted on.
void PrintResultsPage(QPaintDevice& device, const ResultsPage& page, const QImage& logo);

// The window's three pictures at the screen's device pixel ratio. At ratio 1 they are the
// window's pictures themselves; at any other they are drawn afresh for that ratio and kept until
// the ratio, the area or the pictures change.
class ScreenPictures {
public:
    // Paints onto a painter of the results page's widget of size `area`.
    void Paint(QPainter& painter, const ResultsPage& page, QSize area);

private:
    QImage drawn_;
    std::array<qint64, 3> drawnFrom_{};
};

} // namespace report
