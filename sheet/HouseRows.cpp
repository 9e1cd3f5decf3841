#include "HouseRows.h"

#include "HouseInput.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <span>

namespace sheet {
namespace {

constexpr std::size_t AddressField = 0;
constexpr std::size_t CompanyField = 1;

// A number followed by a percent sign ("5%", "5 %", "12.5%"), without the sign; none for any
// other text.
std::optional<std::string_view> PercentFree(std::string_view cell) {
    const std::size_t last = cell.find_last_not_of(' ');
    if (last == std::string_view::npos || cell[last] != '%' || last == 0) {
        return std::nullopt;
    }
    const std::string_view number = cell.substr(0, last);
    const std::size_t end = number.find_last_not_of(' ');
    if (end == std::string_view::npos || !std::isdigit(static_cast<unsigned char>(number[end]))) {
        return std::nullopt;
    }
    return number.substr(0, end + 1);
}

// A date as a sheet shows one: "05.01.2024", "2024-01-05".
bool IsDate(std::string_view cell) {
    const auto digits = [&](std::size_t from, std::size_t count) {
        return std::all_of(cell.begin() + static_cast<std::ptrdiff_t>(from),
                           cell.begin() + static_cast<std::ptrdiff_t>(from + count),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    };
    return cell.size() == 10 &&
           ((cell[2] == '.' && cell[5] == '.' && digits(0, 2) && digits(3, 2) && digits(6, 4)) ||
            (cell[4] == '-' && cell[7] == '-' && digits(0, 4) && digits(5, 2) && digits(8, 2)));
}

// The decimal mark of a number cell: the one ',' or '.' between digits; none for a whole number
// or a text that is no number.
std::optional<char> DecimalMark(std::string_view cell) {
    const std::size_t at = cell.find_first_of(",.");
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (at == std::string_view::npos || at == 0 || at + 1 >= cell.size() || !digit(cell[at - 1]) ||
        !digit(cell[at + 1]) || cell.find_first_of(",.", at + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    return cell[at];
}

} // namespace

std::string FieldWhat(const model::HouseFieldError& error, std::string_view shown, bool quoted) {
    const std::string value = model::Shortened(shown);
    switch (error.Problem) {
    case model::FieldProblem::NotANumber:
        return "«" + value + "» — не число";
    case model::FieldProblem::OutOfRange:
        return (quoted ? "«" + value + "»" : value) + " — вне допустимых пределов (" +
               model::AllowedRange(error.Range) + ")";
    case model::FieldProblem::NotAFlag:
        return "«" + value + "» — ожидается 1 (да) или 0 (нет)";
    case model::FieldProblem::NotACode:
        return "«" + value + "» — ожидается целое число " + model::AllowedRange(error.Range);
    }
    return error.Message;
}

std::string FieldMessage(const model::HouseFieldError& error, std::string_view caption) {
    const std::string name(caption.empty() ? error.Field->Name : caption);
    return name + ": " + FieldWhat(error, error.Text);
}

std::string ShownCell(const SheetRecord& record, std::size_t column) {
    if (column >= record.Cells.size()) {
        return {};
    }
    std::string cell = record.Cells[column];
    if (std::binary_search(record.NumberColumns.begin(), record.NumberColumns.end(), column)) {
        std::replace(cell.begin(), cell.end(), '.', ',');
    }
    return cell;
}

std::optional<model::HouseFieldError> CellProblem(std::size_t field, std::string_view value) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    std::vector<std::optional<std::string_view>> texts(fields.size());
    texts[field] = value;
    model::ProjectParameters p;
    static const std::vector<model::NumberLocale> locales = NumberLocalesOf(';');
    for (const model::HouseFieldError& error :
         model::ReadHouse(texts, locales, p, model::ReadingRules::Sheet)) {
        if (error.Field == &fields[field]) {
            return error;
        }
    }
    return std::nullopt;
}

std::optional<std::string> AddFieldDefault(std::string_view setting, FieldDefaults& defaults) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos) {
        return "«" + model::Shortened(setting) + "»: ожидается ПОЛЕ=ЗНАЧЕНИЕ";
    }
    const std::string name(setting.substr(0, equals));
    const std::string value(setting.substr(equals + 1));
    const HeaderFields mapped = MapHeader({name});
    const std::span<const model::HouseField> fields = model::HouseFields();
    if (mapped.FieldOfColumn.empty() || !mapped.FieldOfColumn[0]) {
        std::string message = "«" + model::Shortened(name) + "»: нет такого поля";
        if (!mapped.Problems.empty() && mapped.Problems[0].SuggestedField) {
            message +=
                " (возможно, " + std::string(fields[*mapped.Problems[0].SuggestedField].Name) + ")";
        }
        return message;
    }
    const std::size_t field = *mapped.FieldOfColumn[0];
    if (field < defaults.size() && defaults[field]) {
        return std::string(fields[field].Name) + ": значение уже задано («" +
               model::Shortened(*defaults[field]) + "»), второе не принимается";
    }
    if (value.size() > LongestCell) {
        return std::string(fields[field].Name) + ": значение длиннее " +
               std::to_string(LongestCell) + " байт";
    }
    if (const std::optional<model::HouseFieldError> error = CellProblem(field, value)) {
        return FieldMessage(*error);
    }
    defaults.resize(fields.size());
    defaults[field] = value;
    return std::nullopt;
}

namespace {

// The lines of a record repeated in a workbook, with their count: "строки 5–9 (5 одинаковых
// строк)".
std::string RepeatedLines(const SheetRecord& record) {
    const std::size_t n = record.Repeats;
    const char* rows = n % 10 == 1 && n % 100 != 11 ? " одинаковая строка"
                       : n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)
                           ? " одинаковые строки"
                           : " одинаковых строк";
    return "строки " + std::to_string(record.Line) + "–" + std::to_string(record.Line + n - 1) +
           " (" + std::to_string(n) + rows + ")";
}

// Gathers a row's problems, each as a message and in the register's words; a row repeated in a
// workbook has them once, naming its lines.
class RowProblems {
public:
    RowProblems(HouseRow& row, const HeaderFields& header, const SheetRecord& record,
                std::string_view fileName)
        : row_(row), header_(header), record_(record),
          where_(model::RowFile(fileName, record.Sheet) + ":" +
                 (record.Repeats > 1 ? RepeatedLines(record) : std::to_string(record.Line)) +
                 ": ") {}

    // A problem of a cell or of the whole row; `message` as virasvet-calc prints it after the
    // place, `what` without the field's name.
    void Add(std::optional<std::size_t> column, std::optional<std::size_t> field,
             const std::string& what, const std::string& message,
             RowOutcome outcome = RowOutcome::Rejected) {
        if (outcome == RowOutcome::Rejected) {
            row_.Messages.push_back(where_ + message);
        }
        RowProblem problem;
        problem.Column = column;
        problem.Field = field;
        if (column) {
            problem.Heading = *column < header_.Headings.size() ? header_.Headings[*column] : "";
            problem.Cell = ShownCell(record_, *column);
        }
        problem.What = record_.Repeats > 1 ? what + " — " + RepeatedLines(record_) : what;
        problem.Outcome = outcome;
        row_.Problems.push_back(std::move(problem));
    }
    // A problem of a field's cell, the message starting with the column's name.
    void AddField(std::size_t column, std::size_t field, const std::string& what,
                  RowOutcome outcome = RowOutcome::Rejected) {
        Add(column, field, what, Caption(column, field) + ": " + what, outcome);
    }
    // What a message calls a cell: its column's heading as the register writes it, as the
    // problems' table does; the field's Russian name when the sheet has no column for it.
    std::string Caption(std::optional<std::size_t> column, std::optional<std::size_t> field) const {
        if (column && *column < header_.Headings.size() && !header_.Headings[*column].empty()) {
            return model::Shortened(header_.Headings[*column]);
        }
        if (field) {
            return std::string(model::HouseFields()[*field].Label);
        }
        return column ? "столбец " + std::to_string(*column + 1) : std::string();
    }
    // The column of a field, when the sheet has one.
    std::optional<std::size_t> ColumnOf(std::size_t field) const {
        const auto at = std::find(header_.FieldOfColumn.begin(), header_.FieldOfColumn.end(),
                                  std::optional<std::size_t>(field));
        return at == header_.FieldOfColumn.end()
                   ? std::nullopt
                   : std::optional(static_cast<std::size_t>(at - header_.FieldOfColumn.begin()));
    }
    const std::string& Where() const { return where_; }

private:
    HouseRow& row_;
    const HeaderFields& header_;
    const SheetRecord& record_;
    std::string where_;
};

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// Takes the cells of a record whose cell count is the header's into the row's texts.
void TakeCells(HouseRow& row, RowProblems& problems, std::size_t headerColumns,
               const HeaderFields& header, const SheetRecord& record) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (std::size_t column = 0; column < std::min(record.Cells.size(), headerColumns); ++column) {
        const std::string& cell = record.Cells[column];
        const std::optional<std::size_t> field = header.FieldOfColumn[column];
        if (!field) {
            if (column < header.Nameless.size() && header.Nameless[column] && !cell.empty()) {
                const std::string what =
                    "значение в столбце без имени (столбец " + std::to_string(column + 1) + ")";
                problems.Add(column, std::nullopt, what, what);
            }
            continue;
        }
        const model::HouseField& f = fields[*field];
        const std::string shown = ShownCell(record, column);
        if (cell.size() > LongestCell) {
            problems.AddField(column, *field,
                              "ячейка длиннее " + std::to_string(LongestCell) + " байт");
        } else if (const std::optional<std::string_view> number =
                       f.Kind == model::FieldKind::Text ? std::nullopt : PercentFree(cell)) {
            if (f.Unit.starts_with("%")) {
                row.Texts[*field] = *number;
            } else {
                problems.AddField(column, *field,
                                  "«" + model::Shortened(shown) +
                                      "» — процент, а величина не в процентах (единица: " +
                                      std::string(f.Unit) + ")");
            }
        } else if (f.Kind != model::FieldKind::Text && IsDate(cell)) {
            problems.AddField(column, *field,
                              "«" + cell + "» — дата, а ожидается число (ячейка в формате даты?)");
        } else {
            row.Texts[*field] = cell;
            if (!row.DecimalMark && f.Kind != model::FieldKind::Text) {
                row.DecimalMark = DecimalMark(cell);
            }
        }
    }
}

// Reports every empty cell of a field's column that takes a stock-wide or a start-up value, and
// fills it from the stock-wide values. An empty text takes nothing but a stock-wide value, and
// empty planned burn hours are the traffic estimate: neither is reported then.
void FillEmptyCells(HouseRow& row, RowProblems& problems, const FieldDefaults* defaults,
                    bool strict) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (std::size_t field = 0; field < fields.size(); ++field) {
        const std::optional<std::string_view>& text = row.Texts[field];
        const bool empty = !text || IsBlank(*text);
        const std::optional<std::string>* stockWide =
            defaults != nullptr && field < defaults->size() && (*defaults)[field]
                ? &(*defaults)[field]
                : nullptr;
        if (!empty) {
            continue;
        }
        const std::optional<std::size_t> column = problems.ColumnOf(field);
        if (column && (stockWide != nullptr || (fields[field].Kind != model::FieldKind::Text &&
                                                !fields[field].PlannedHours))) {
            if (strict) {
                problems.AddField(*column, field, "пустая ячейка (строгая проверка)");
            } else {
                problems.AddField(*column, field,
                                  stockWide != nullptr
                                      ? "пустая ячейка — взято значение для всех домов: " +
                                            model::Shortened(**stockWide)
                                      : "пустая ячейка — взято значение при запуске: " +
                                            std::string(fields[field].StartText),
                                  RowOutcome::Filled);
            }
        }
        if (stockWide != nullptr) {
            row.Texts[field] = **stockWide;
        }
    }
}

// The problems the reading of the record found (a formula without its value, bytes that are no
// text), each named by its field or column.
void AddRecordProblems(RowProblems& problems, const HeaderFields& header,
                       const SheetRecord& record) {
    for (const RecordProblem& problem : record.Problems) {
        const std::optional<std::size_t> field =
            problem.Column && *problem.Column < header.FieldOfColumn.size()
                ? header.FieldOfColumn[*problem.Column]
                : std::nullopt;
        const std::string caption = problems.Caption(problem.Column, field);
        problems.Add(problem.Column, field, problem.What,
                     (caption.empty() ? "" : caption + ": ") + problem.What);
    }
}

} // namespace

HouseRow ReadHouseRow(std::size_t headerColumns, char delimiter, const HeaderFields& header,
                      const SheetRecord& record, std::string_view fileName,
                      const FieldDefaults* defaults, bool strict) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    HouseRow row;
    RowProblems problems(row, header, record, fileName);
    row.Line = record.Line;
    row.Sheet = record.Sheet;
    row.Texts.resize(fields.size());
    row.Carried.reserve(header.CarriedColumns.size());
    for (const std::size_t column : header.CarriedColumns) {
        row.Carried.push_back(column < record.Cells.size() ? record.Cells[column] : std::string());
        row.CarriedNumbers.push_back(
            std::binary_search(record.NumberColumns.begin(), record.NumberColumns.end(), column));
    }
    AddRecordProblems(problems, header, record);
    const bool wholeRowSpoilt = std::any_of(record.Problems.begin(), record.Problems.end(),
                                            [](const RecordProblem& p) { return !p.Column; });
    // A rejected row keeps its own address and company, whatever else is wrong with it.
    const auto ownText = [&](std::size_t field) {
        const std::optional<std::size_t> at = problems.ColumnOf(field);
        return at && *at < record.Cells.size() ? record.Cells[*at]
                                               : std::string(fields[field].StartText);
    };
    row.Address = ownText(AddressField);
    row.ManagementCompany = ownText(CompanyField);
    // A short row is a truncated line and a long one a decimal comma that split a number: either
    // way a cell would go to the wrong field.
    if (wholeRowSpoilt) {
        return row;
    }
    if (CellCount(record) != headerColumns) {
        const std::string what =
            "ячеек в строке: " + std::to_string(CellCount(record)) +
            ", столбцов в заголовке: " + std::to_string(headerColumns) +
            (delimiter == ','
                 ? " (при разделителе ',' число с десятичной запятой берётся в кавычки, "
                   "\"2,5\", или файл сохраняется с разделителем ';')"
                 : "");
        problems.Add(std::nullopt, std::nullopt, what, what);
        return row;
    }
    TakeCells(row, problems, headerColumns, header, record);
    if (header.PlanYearColumn && *header.PlanYearColumn < record.Cells.size()) {
        if (const auto what =
                model::ReadPlanYear(record.Cells[*header.PlanYearColumn], row.PlanYear)) {
            problems.Add(header.PlanYearColumn, std::nullopt, *what,
                         problems.Caption(header.PlanYearColumn, std::nullopt) + ": " + *what);
        }
    }
    FillEmptyCells(row, problems, defaults, strict);
    const auto givenText = [&](std::size_t field) {
        return row.Texts[field] ? std::string(*row.Texts[field])
                                : std::string(fields[field].StartText);
    };
    row.Address = givenText(AddressField);
    row.ManagementCompany = givenText(CompanyField);
    model::ProjectParameters p;
    static const std::vector<model::NumberLocale> locales =
        NumberLocalesOf(delimiter); // alike for both
    for (const model::HouseFieldError& error :
         model::ReadHouse(row.Texts, locales, p, model::ReadingRules::Sheet)) {
        const auto field = static_cast<std::size_t>(error.Field - fields.data());
        const std::optional<std::size_t> column = problems.ColumnOf(field);
        const std::string shown = column ? ShownCell(record, *column) : error.Text;
        // The message keeps the text as read; the problem shows the cell as the register does.
        problems.Add(column, field, FieldWhat(error, IsBlank(shown) ? error.Text : shown, true),
                     FieldMessage(error, problems.Caption(column, field)));
    }
    // In the order of the register's columns, the whole row's problems last.
    std::stable_sort(row.Problems.begin(), row.Problems.end(),
                     [](const RowProblem& a, const RowProblem& b) {
                         return a.Column.value_or(SIZE_MAX) < b.Column.value_or(SIZE_MAX);
                     });
    if (row.Messages.empty()) {
        row.House = std::move(p);
    } else {
        for (RowProblem& problem : row.Problems) {
            problem.Outcome = RowOutcome::Rejected;
        }
    }
    return row;
}

HouseRow ReadHouseRow(const Sheet& sheet, const HeaderFields& header, const SheetRecord& record,
                      std::string_view fileName) {
    return ReadHouseRow(sheet.Header.size(), sheet.Delimiter, header, record, fileName);
}

} // namespace sheet
