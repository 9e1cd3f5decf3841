#include "ReportTable.h"

#include "Fonts.h"
#include "ResultFigures.h"
#include "Saturate.h"

namespace report {
namespace {

const QColor HeaderFill(200, 200, 200);
const QColor LighterShade(245, 245, 245);
const QColor DarkerShade(235, 235, 235);
constexpr double ReportTextSize = 10;

QString F(model::Figure figure, double value, const model::NumberLocale& locale) {
    return QString::fromStdString(model::ShownFigure(figure, value, locale));
}

// Blanks here are spaces and control characters, as a user can type them into the field.
bool IsBlankOnly(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > u' ') {
            return false;
        }
    }
    return true;
}

} // namespace

void ReportTable::Reset() {
    Shaded = false;
    RowTop = 42;
}

void ReportTable::DrawHeader(Canvas& canvas) {
    canvas.SetOutlineColour(Qt::black);
    canvas.SetOutlineWidth(1);
    canvas.SetOutlineDotted(false);
    canvas.SetFill(HeaderFill);
    canvas.Rectangle(1, 1, 521, 41);
    canvas.Rectangle(350, 1, 521, 41);
    canvas.Rectangle(350, 21, 521, 41);
    canvas.Rectangle(435, 21, 521, 41);

    canvas.SetTextColour(Qt::white);
    canvas.SetFont(PictureFont(ReportTextSize));
    canvas.Text(130, 14, QStringLiteral("Параметры проекта"));
    canvas.Text(410, 4, QStringLiteral("Значение"));
    canvas.Text(360, 24, QStringLiteral("Тек. схема"));
    canvas.Text(445, 24, QStringLiteral("План. схема"));

    canvas.SetOutlineColour(Qt::black);
    canvas.SetFill(Qt::white);
}

void ReportTable::AddRow(RowShape shape, const QString& label, const QString& secondLine,
                         const QString& existingValue, const QString& plannedValue,
                         Canvas& canvas) {
    const QColor shade = Shaded ? DarkerShade : LighterShade;
    Shaded = !Shaded;
    canvas.SetOutlineColour(shade);
    canvas.SetFill(shade);
    canvas.SetTextColour(Qt::black);
    canvas.SetFont(PictureFont(ReportTextSize));

    const int y0 = RowTop;
    const bool twoLines = shape == RowShape::TwoLinesTwoValues;
    const int bandHeight = twoLines ? 40 : 20;
    canvas.Rectangle(2, y0, 520, y0 + bandHeight);

    canvas.Text(8, y0 + 2, label);
    if (twoLines) {
        canvas.Text(8, y0 + 22, secondLine);
        canvas.Text(360, y0 + 14, existingValue);
        canvas.Text(445, y0 + 14, plannedValue);
    } else {
        canvas.Text(360, y0 + 2, existingValue);
        if (shape == RowShape::TwoValues) {
            canvas.Text(445, y0 + 2, plannedValue);
        }
    }
    RowTop = model::SaturatingAdd(RowTop, bandHeight + 1);
}

void ReportTable::Close(Canvas& canvas) {
    canvas.SetOutlineColour(Qt::black);
    canvas.SetOutlineWidth(1);
    canvas.SetOutlineDotted(false);
    canvas.SetFill(Qt::white);
    canvas.Line(1, 41, 1, RowTop);
    canvas.Line(520, 41, 520, RowTop);
    canvas.Line(1, RowTop, 521, RowTop);
}

void DrawReport(ReportTable& table, Canvas& canvas, const model::ProjectParameters& parameters,
                const model::SimulationResult& result, const model::NumberLocale& locale) {
    table.Reset();
    table.DrawHeader(canvas);
    for (const ReportRow& row : ReportRows(parameters, result, locale)) {
        table.AddRow(row.Shape, row.Label, row.SecondLine, row.ExistingValue, row.PlannedValue,
                     canvas);
    }
    table.Close(canvas);
}

std::vector<ReportRow> ReportRows(const model::ProjectParameters& parameters,
                                  const model::SimulationResult& result,
                                  const model::NumberLocale& locale) {
    std::vector<ReportRow> rows;
    const QString address = QString::fromStdString(parameters.Address);
    if (address != DefaultAddress && !IsBlankOnly(address)) {
        rows.push_back({RowShape::OneValue, QStringLiteral("Адрес дома"), {}, address, {}});
    }
    const QString company = QString::fromStdString(parameters.ManagementCompany);
    if (!company.isEmpty()) {
        rows.push_back({RowShape::OneValue, QStringLiteral("УК/ТСЖ/ЖЭУ"), {}, company, {}});
    }

    // Without payback within the simulated days the payback fields hold no figures worth showing.
    const bool payback = result.PaybackFound;
    const QString none = QStringLiteral("нет");
    const QString dash = QStringLiteral("—");
    const double day = result.PaybackDay;

    const QString paybackTime =
        payback ? F(model::Figure::PaybackMonths, model::PaybackMonths(result), locale) +
                      QStringLiteral("/ ") + QString::number(result.PaybackDay)
                : none;
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Срок окупаемости, мес. /дней"),
                    {},
                    paybackTime,
                    paybackTime});
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Затраты по достижении окупаемости. руб."),
                    {},
                    payback ? F(model::Figure::Cost, result.PaybackCostExisting, locale) : dash,
                    payback ? F(model::Figure::Cost, result.PaybackCostPlanned, locale) : dash});
    rows.push_back({RowShape::TwoLinesTwoValues,
                    QStringLiteral("Начальные затраты на установку светильников "),
                    QStringLiteral("и блоков, руб."),
                    F(model::Figure::Cost, result.InstallCostExisting, locale),
                    F(model::Figure::Cost, result.InstallCostPlanned, locale)});
    const double flats = model::FlatCount(parameters);
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Начальные затраты на одну квартиру, примерно, руб."),
                    {},
                    F(model::Figure::Cost, result.InstallCostExisting / flats, locale),
                    F(model::Figure::Cost, result.InstallCostPlanned / flats, locale)});
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Количество установленных светильников, шт."),
                    {},
                    F(model::Figure::Count, result.FittingCountExisting, locale),
                    F(model::Figure::Count, result.FittingCountPlanned, locale)});
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Количество установленных блоков, шт."),
                    {},
                    F(model::Figure::Count, 0, locale),
                    F(model::Figure::Count, result.BlockCount, locale)});
    rows.push_back(
        {RowShape::TwoValues,
         QStringLiteral("Затраты на электроэнергию на день окупаемости, руб."),
         {},
         payback ? F(model::Figure::Cost, day * result.DailyEnergyCostExisting, locale) : dash,
         payback ? F(model::Figure::Cost, day * result.DailyEnergyCostPlanned, locale) : dash});
    rows.push_back({RowShape::TwoValues,
                    QStringLiteral("Затраты на замену ламп на день окупаемости, руб."),
                    {},
                    payback
                        ? F(model::Figure::Cost,
                            result.PaybackReplacedExisting * parameters.ExistingLampPrice, locale)
                        : dash,
                    payback ? F(model::Figure::Cost,
                                result.PaybackReplacedPlanned * parameters.PlannedLampPrice, locale)
                            : dash});
    rows.push_back(
        {RowShape::TwoValues,
         QStringLiteral("Кол. замененных ламп до окупаемости. шт."),
         {},
         payback ? F(model::Figure::ReplacedLamps, result.PaybackReplacedExisting, locale) : dash,
         payback ? F(model::Figure::ReplacedLamps, result.PaybackReplacedPlanned, locale) : dash});
    return rows;
}

} // namespace report
