#pragma once

#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace model {

// The page's message for a value outside its field's range.
inline constexpr std::string_view OutOfRangeMessage =
    "Изменяемое значение вышло за допустимые пределы.\n"
    "Пожалуйста, иземеняйте параметры только в допустымых пределах.";

// How a text of the input page (or of a spreadsheet cell) becomes a field of the project.
enum class FieldKind {
    Text,    // taken as it stands
    Real,    // decimal real
    Count,   // decimal real, truncated toward zero after its range check
    Seconds, // decimal real in seconds, held in hours
    Flag,    // yes or no
    Code,    // a whole number from a short list (scheme type, lift model)
};

// Bounds of one of the input page's fourteen range checks, inclusive unless LowExclusive. A Whole
// range takes whole numbers only.
struct RangeCheck {
    double Low = 0;
    double High = 0;
    bool LowExclusive = false;
    bool Whole = false;

    bool Accepts(double value) const {
        return (LowExclusive ? value > Low : value >= Low) && value <= High &&
               (!Whole || value == std::trunc(value));
    }
};

using FieldTarget = std::variant<std::string ProjectParameters::*, double ProjectParameters::*,
                                 std::int32_t ProjectParameters::*, bool ProjectParameters::*,
                                 std::uint8_t ProjectParameters::*>;

// One input of a house: a field of ProjectParameters, the value it starts with and the text the
// window shows for it once the program has started.
struct HouseField {
    std::string_view Name;  // the record field's name, also the spreadsheet column
    std::string_view Label; // what the field is, in the window's words
    FieldKind Kind = FieldKind::Text;
    FieldTarget Target;
    // The number the field starts with, in the unit its text is written in (seconds for hold
    // times, 1 for yes); none for texts and for the planned burn hours.
    std::optional<double> Start;
    // The control's text after start-up, decimal comma: Start as the page writes it, or the text
    // itself. Empty for the planned burn hours, which the traffic estimate fills in.
    std::string StartText;
    // What SetDefaultParameters gives the record where it is not Start, in the same unit.
    std::optional<double> RecordStart;
    std::string_view Unit;
    std::optional<RangeCheck> Check; // the page's range check, when it has one
    bool PlannedHours = false;       // one of the three planned burn-hour fields
    // What a house can have where the page checks nothing (no negative price, no more than 24
    // burn hours a day): checked for spreadsheet rows, which no one looks at before they are
    // calculated.
    std::optional<RangeCheck> Bounds;
    // A spreadsheet row's cell must hold a whole number (counts, lamp lives in months, the
    // horizon): a fraction is refused with the range, never cut.
    bool WholeNumber = false;
};

// Every input of a house in the order the page reads them, then the settings.
std::span<const HouseField> HouseFields();

// Whether the field is one of the economics inputs (TariffGrowth ... EmissionFactor).
bool IsEconomicsInput(const HouseField& field);

// The field with this name, or nullptr.
const HouseField* FieldNamed(std::string_view name);

// The parts of the input page that its reading takes one after the other. A text that is not a
// number ends the reading of its section; the prices are read without that guard.
enum class PageSection {
    HouseTexts, // address and management company, taken as they stand
    House,      // counts of the house, the lift and the tariff
    Existing,   // the existing scheme's zones, lamp life and price, powers and burn hours
    Planned,    // the same for the planned scheme, with its sensor blocks
    Prices,     // fittings, their installation and the blocks
};

// The fields of a page section, in the order the page reads them.
std::span<const HouseField> PageSectionFields(PageSection section);

// Stores a number into the field, as the field's type holds it: counts truncated toward zero,
// seconds as hours.
void StoreNumber(const HouseField& field, double value, ProjectParameters& p);

// The project as the program holds it once started and the whole page has been read unchanged,
// with the planned burn hours as the page shows the estimate.
ProjectParameters StartUpProject();

// The text the page's count field must hold for the zone to be switched off: only "0", since
// "00" is a count still being typed.
inline bool SwitchesZoneOff(std::string_view countText) {
    return countText == "0";
}

// Burn hours as the input page shows them, with two decimals.
std::string BurnHoursText(double hours, const NumberLocale& locale);

// The planned burn hours of one zone as the page shows them after the estimate: without a sensor
// block the lamps burn as the existing zone's do, so the page repeats the existing field's text.
std::string PlannedHoursText(double estimate, std::int32_t blocks,
                             const std::string& existingHoursText, const NumberLocale& locale);

enum class FieldProblem {
    NotANumber,
    OutOfRange, // Range says which values are allowed
    NotAFlag,
    NotACode,
};

struct HouseFieldError {
    const HouseField* Field;
    std::string Message; // in the page's words
    FieldProblem Problem = FieldProblem::NotANumber;
    std::string Text; // the field's text, blanks around it removed
    RangeCheck Range;
};

// How strictly a house is read.
enum class ReadingRules {
    // As the input page reads it.
    Page,
    // As a spreadsheet row: the page's checks and the house bounds (HouseField::Bounds); numbers
    // may be written in groups of three digits ("1 250,00"); a planned lamp count that reads as 0
    // in any spelling ("00", "0,0", "-0") leaves its zone without blocks.
    Sheet,
};

// The allowed values of a range as a message gives them: "1..40", "больше 0", "не меньше 0",
// "0..10, целое число"; "целое число" alone for a whole range without bounds.
std::string AllowedRange(const RangeCheck& range);

// Reads one house. texts[i] is the text for HouseFields()[i]; a field without a text, or a number
// field with an empty one, keeps its start-up value. Numbers are read with any of the decimal
// separators given. Every text is checked as the input page checks it, every failure is reported
// (a house with any is not to be calculated); planned burn hours not given come from the estimate
// as the page shows it. A zone whose planned lamp count is "0" has no blocks, as on the page.
std::vector<HouseFieldError> ReadHouse(std::span<const std::optional<std::string_view>> texts,
                                       std::span<const NumberLocale> locales, ProjectParameters& p,
                                       ReadingRules rules = ReadingRules::Page);

// A number written in groups of three digits with a blank, a no-break space or a narrow no-break
// space between them ("1 250,00", "-12 345"), without the separators; nullopt when the text has
// no such groups.
std::optional<std::string> Ungrouped(std::string_view text);

// The page's conversion message for a text, shortened when it is very long.
std::string ConversionMessage(std::string_view text);

// A text as a one-line message quotes it: control characters as blanks, cut after 60 bytes.
std::string Shortened(std::string_view text);

// The file a row of a register is in as messages and the results name it: after the first sheet
// of a workbook with its sheet, "книга.xlsx (лист «Дома 2»)", so that a line names one row.
std::string RowFile(std::string_view fileName, std::string_view sheet);

// The line of a row as a table without the file shows it: after the first sheet of a workbook
// with its sheet, "4, лист «Дома 2»".
std::string RowLine(std::size_t line, std::string_view sheet);

// The field a spreadsheet's column heading names: its record name ("EntranceCount", "entrance
// count"), the label the page shows for it ("Подъездов", "Стоимость кВт электроэнергии") or a
// short form ("Тариф", "Адрес"), case and blanks aside, "ё" as "е", a unit after the last comma
// ignored ("Подъездов, шт."). A heading one or two letters from a name (two from a label or short
// form of six letters or more) is Near that field: a misspelling, not a column of its own. A
// label two fields share names neither.
struct HeadingMatch {
    std::optional<std::size_t> Field; // index into HouseFields()
    std::optional<std::size_t> Near;
};
HeadingMatch MatchHeading(std::string_view heading);

// The most years a capital plan has.
inline constexpr int MostPlanYears = 10;

// What the office decided of a house, in the register's column PlanYear ("Год плана").
struct PlanYearRule {
    enum class Kind {
        PlanDecides, // an empty cell
        InYear,      // fitted in Year
        Never,       // "исключить": not fitted
        Required,    // "обязательно": fitted in a year the plan chooses
    };
    Kind Rule = Kind::PlanDecides;
    int Year = 0; // 0-based plan year, for InYear
};

// Whether a heading names the PlanYear column ("PlanYear", "Год плана", case and blanks aside).
bool IsPlanYearHeading(std::string_view heading);

// Reads a PlanYear cell: empty, a year 1 .. MostPlanYears, "исключить" or "обязательно" (case and
// blanks aside). The Russian message when it is none of them.
std::optional<std::string> ReadPlanYear(std::string_view cell, PlanYearRule& rule);

// The short forms of labels a heading may use, with the name of the field each stands for.
struct ShortLabel {
    std::string_view Label;
    std::string_view Field;
};
std::span<const ShortLabel> ShortLabels();

} // namespace model
