#include "Tracer.h"
#include "PixelHelpers.h"
#include "Rendering.h"

#include <gtest/gtest.h>

#include <limits>

using namespace report;

namespace {

const QColor TracerBlue(0, 0, 150);
const model::NumberLocale Comma{",", " "};

model::SimulationResult Series() {
    model::SimulationResult r;
    r.ExistingDays.resize(model::SimulationDays);
    r.PlannedDays.resize(model::SimulationDays);
    for (int i = 0; i < model::SimulationDays; ++i) {
        r.ExistingDays[i] = {1000.5 + i, i / 10};
        r.PlannedDays[i] = {2000.25 + i, i / 100};
    }
    return r;
}

QImage Window(const ChartView& view, const model::SimulationResult& result) {
    QImage window = WhiteImage(1000, 741);
    QPainter painter(&window);
    DrawTracer(painter, view, result, Comma);
    return window;
}

ChartView TracerAt(int x) {
    ChartView view;
    view.TracerOn = true;
    view.TracerX = x;
    return view;
}

} // namespace

TEST(Tracer, DayUnderTheLineStaysWithinTheSimulatedDays) {
    EXPECT_EQ(TracerDay(560, 0.5), 0);
    EXPECT_EQ(TracerDay(960, 0.5), 800);
    EXPECT_EQ(TracerDay(961, 0.5), 802);
    EXPECT_EQ(TracerDay(960, 0.0625), 6400);
    EXPECT_EQ(TracerDay(960, 128), 3);
    EXPECT_EQ(TracerDay(100, 0.5), 0);
    EXPECT_EQ(TracerDay(std::numeric_limits<int>::max(), 0.0625), 9999);
    EXPECT_EQ(TracerDay(std::numeric_limits<int>::min(), 0.0625), 0);
    EXPECT_EQ(TracerDay(700, 0), 9999);
    EXPECT_EQ(TracerDay(560, 0), 0);
}

TEST(Tracer, ReadOutShowsTheDayBothSumsAndBothLampCounts) {
    const QStringList lines = TracerReadout(Series(), 1234, Comma);
    EXPECT_EQ(lines, QStringList({"День:      1234", "Т. сумма:  2234,50", "П. сумма:  3234,25",
                                  "Т. л. пер: 123,00", "П. л. пер: 12,00"}));
}

TEST(Tracer, DrawsADottedLineAndTheReadOutBesideIt) {
    const model::SimulationResult r = Series();
    {
        SCOPED_TRACE("read-out right of the line");
        const QImage window = Window(TracerAt(700), r);
        EXPECT_EQ(PixelAt(window, 700, 550), TracerBlue);
        EXPECT_NE(PixelAt(window, 700, 50), TracerBlue);
        EXPECT_GT(CountPixels(window, QRect(700, 51, 1, 500), TracerBlue), 150);
        EXPECT_EQ(CountPixels(window, QRect(0, 0, 700, 741), TracerBlue), 0);
        EXPECT_EQ(CountPixels(window, QRect(701, 0, 299, 741), TracerBlue), 0);
        EXPECT_GT(CountInk(window, QRect(705, 430, 100, 70), Qt::black, 128), 50);
        EXPECT_EQ(CountInk(window, QRect(0, 0, 700, 741), Qt::black, 128), 0);
    }
    {
        SCOPED_TRACE("read-out left of the line from x 870 on");
        const QImage window = Window(TracerAt(870), r);
        EXPECT_GT(CountInk(window, QRect(765, 430, 100, 70), Qt::black, 128), 50);
        EXPECT_EQ(CountInk(window, QRect(871, 0, 129, 741), Qt::black, 128), 0);
        EXPECT_EQ(CountInk(window, QRect(0, 0, 765, 741), Qt::black, 128), 0);
    }
}

TEST(Tracer, DrawsNothingWhenOffOrBeforeTheFirstMouseMove) {
    const model::SimulationResult r = Series();
    const QImage blank = WhiteImage(1000, 741);
    ChartView off = TracerAt(700);
    off.TracerOn = false;
    EXPECT_EQ(Window(off, r), blank);
    ChartView noPosition;
    noPosition.TracerOn = true;
    EXPECT_EQ(Window(noPosition, r), blank);
    // Without a calculation only the line shows.
    const QImage lineOnly = Window(TracerAt(700), model::SimulationResult{});
    EXPECT_EQ(CountInk(lineOnly, lineOnly.rect(), Qt::black), 0);
    EXPECT_GT(CountPixels(lineOnly, lineOnly.rect(), TracerBlue), 150);
}

TEST(Tracer, LeavesThePainterAsItFoundIt) {
    QImage window = WhiteImage(1000, 741);
    QPainter painter(&window);
    painter.setPen(QPen(Qt::red, 3));
    painter.setRenderHint(QPainter::Antialiasing, true);
    DrawTracer(painter, TracerAt(700), Series(), Comma);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    EXPECT_EQ(painter.pen().width(), 3);
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
}
