#pragma once

#include "HouseInput.h"
#include "HouseSheet.h"
#include "ProjectParameters.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// The longest cell a house row may have, in bytes: no address or number is longer.
inline constexpr std::size_t LongestCell = 4096;

// What became of a row with a problem.
enum class RowOutcome {
    Rejected, // not calculated
    Filled,   // calculated, an empty cell taking the start-up or the stock-wide value
};

// One problem of a row, in the register's own words, for the office to find and mend.
struct RowProblem {
    std::optional<std::size_t> Column; // of the sheet, from 0; none: the whole row
    std::optional<std::size_t> Field;  // index into model::HouseFields(); none: no field's
    std::string Heading;               // the column's heading as the register writes it
    std::string Cell; // the cell as written; a workbook's number with a decimal comma, as shown
    std::string What; // what is wrong or what was taken instead, without the place
    RowOutcome Outcome = RowOutcome::Rejected;
};

// One record of a sheet read as a house, exactly as virasvet-calc takes it.
struct HouseRow {
    std::size_t Line = 0;
    std::string Sheet; // SheetRecord::Sheet
    // The address the row gives, or the page's start text when it gives none.
    std::string Address;
    // The management company the row gives, or the page's start text (empty) when it gives none.
    std::string ManagementCompany;
    // The row's text for each field of model::HouseFields(); none where the sheet has no column
    // for the field. Views into the record's cells.
    std::vector<std::optional<std::string_view>> Texts;
    // The cells of the header's carried columns (HeaderFields::CarriedColumns), in order, and
    // which of them a workbook stored as numbers (SheetRecord::NumberColumns).
    std::vector<std::string> Carried;
    std::vector<bool> CarriedNumbers;
    // The office's decision of the house for the capital plan (column PlanYear).
    model::PlanYearRule PlanYear;
    // The decimal mark (',' or '.') of the first number with a fraction the row gives for a field;
    // none when it gives none.
    std::optional<char> DecimalMark;
    // The house; none when the row is rejected.
    std::optional<model::ProjectParameters> House;
    // Why the row is rejected, as "file:line: Column: what is wrong".
    std::vector<std::string> Messages;
    // Every problem of the row, in column order but for the whole row's: those that reject it
    // and the empty cells that took another value (all Rejected when the row is).
    std::vector<RowProblem> Problems;
};

// Values given once for every row (virasvet-calc --set): one entry a field of model::HouseFields(),
// none for a field not given. A row whose sheet lacks the field's column, or whose cell is empty,
// takes the value; a row's own value wins.
using FieldDefaults = std::vector<std::optional<std::string>>;

// Reads "FIELD=VALUE" into `defaults`: the field by its column name (any case, blanks and
// underscores aside), the value checked as a cell of a row is checked. The Russian message when it
// cannot be taken (a field already given among them), nothing when it was.
std::optional<std::string> AddFieldDefault(std::string_view setting, FieldDefaults& defaults);

// Reads one record of a sheet whose header has no problems. The record must have as many cells as
// the header; every text goes through the input page's checks and the house bounds
// (model::ReadingRules::Sheet); planned burn hours the row does not give come from the estimate.
HouseRow ReadHouseRow(const Sheet& sheet, const HeaderFields& header, const SheetRecord& record,
                      std::string_view fileName);
// The same for a sheet read piece by piece: its header's cell count and delimiter.
// With `strict` an empty cell of a field's column rejects the row instead of taking a value
// (the planned burn hours aside: empty, they are the traffic estimate).
HouseRow ReadHouseRow(std::size_t headerColumns, char delimiter, const HeaderFields& header,
                      const SheetRecord& record, std::string_view fileName,
                      const FieldDefaults* defaults = nullptr, bool strict = false);

// The cell of a record as the register shows it: a workbook's number with a decimal comma.
std::string ShownCell(const SheetRecord& record, std::size_t column);

// The message of a field that cannot be read, in the program's words: the value and what is
// allowed ("Tariff: 0 — вне допустимых пределов (больше 0)"), the field named by `caption` when
// one is given, else by its column name.
std::string FieldMessage(const model::HouseFieldError& error, std::string_view caption = {});
// The same without the field's name, the value as `shown`: "«много» — не число"; `quoted` quotes
// a number out of range too ("«-5,2» — вне допустимых пределов (1..40, целое число)"), so that
// the message never starts like a formula.
std::string FieldWhat(const model::HouseFieldError& error, std::string_view shown,
                      bool quoted = false);

// Why `value` cannot stand in a cell of field `field` (an index into model::HouseFields()), read
// and checked as a row's cell is; none when it can.
std::optional<model::HouseFieldError> CellProblem(std::size_t field, std::string_view value);

} // namespace sheet
