#include "HouseRows.h"

#include "HouseInput.h"

#include <algorithm>
#include <cctype>
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

std::string FieldMessage(const model::HouseFieldError& error, std::string_view caption) {
    const std::string name(caption.empty() ? error.Field->Name : caption);
    const std::string value = model::Shortened(error.Text);
    switch (error.Problem) {
    case model::FieldProblem::NotANumber:
        return name + ": «" + value + "» — не число";
    case model::FieldProblem::OutOfRange:
        return name + ": " + value + " — вне допустимых пределов (" +
               model::AllowedRange(error.Range) + ")";
    case model::FieldProblem::NotAFlag:
        return name + ": «" + value + "» — ожидается 1 (да) или 0 (нет)";
    case model::FieldProblem::NotACode:
        return name + ": «" + value + "» — ожидается целое число " +
               model::AllowedRange(error.Range);
    }
    return name + ": " + error.Message;
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

HouseRow ReadHouseRow(std::size_t headerColumns, char delimiter, const HeaderFields& header,
                      const SheetRecord& record, std::string_view fileName,
                      const FieldDefaults* defaults) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const auto whereText = [&] {
        return std::string(fileName) + ":" + std::to_string(record.Line) + ": ";
    };
    HouseRow row;
    row.Line = record.Line;
    row.Texts.resize(fields.size());
    row.Carried.reserve(header.CarriedColumns.size());
    for (const std::size_t column : header.CarriedColumns) {
        row.Carried.push_back(column < record.Cells.size() ? record.Cells[column] : std::string());
        row.CarriedNumbers.push_back(
            std::binary_search(record.NumberColumns.begin(), record.NumberColumns.end(), column));
    }
    for (const RecordProblem& problem : record.Problems) {
        const std::optional<std::size_t> field =
            problem.Column && *problem.Column < header.FieldOfColumn.size()
                ? header.FieldOfColumn[*problem.Column]
                : std::nullopt;
        const std::string where = field ? std::string(fields[*field].Name) + ": "
                                  : problem.Column
                                      ? "столбец " + std::to_string(*problem.Column + 1) + ": "
                                      : "";
        row.Messages.push_back(whereText() + where + problem.What);
    }
    const bool wholeRowSpoilt = std::any_of(record.Problems.begin(), record.Problems.end(),
                                            [](const RecordProblem& p) { return !p.Column; });
    // A rejected row keeps its own address and company, whatever else is wrong with it.
    const auto ownText = [&](std::size_t field) {
        const auto column = std::find(header.FieldOfColumn.begin(), header.FieldOfColumn.end(),
                                      std::optional<std::size_t>(field));
        const auto at = static_cast<std::size_t>(column - header.FieldOfColumn.begin());
        return at < record.Cells.size() ? record.Cells[at] : std::string(fields[field].StartText);
    };
    row.Address = ownText(AddressField);
    row.ManagementCompany = ownText(CompanyField);
    // A short row is a truncated line and a long one a decimal comma that split a number: either
    // way a cell would go to the wrong field.
    if (wholeRowSpoilt) {
        return row;
    }
    if (CellCount(record) != headerColumns) {
        row.Messages.push_back(
            whereText() + "ячеек в строке: " + std::to_string(CellCount(record)) +
            ", столбцов в заголовке: " + std::to_string(headerColumns) +
            (delimiter == ','
                 ? " (при разделителе ',' число с десятичной запятой берётся в кавычки, "
                   "\"2,5\", или файл сохраняется с разделителем ';')"
                 : ""));
        return row;
    }
    for (std::size_t column = 0; column < std::min(record.Cells.size(), headerColumns); ++column) {
        if (const std::optional<std::size_t> field = header.FieldOfColumn[column]) {
            const std::string& cell = record.Cells[column];
            if (cell.size() > LongestCell) {
                row.Messages.push_back(whereText() + std::string(fields[*field].Name) +
                                       ": ячейка длиннее " + std::to_string(LongestCell) + " байт");
            } else if (const std::optional<std::string_view> number =
                           fields[*field].Kind == model::FieldKind::Text ? std::nullopt
                                                                         : PercentFree(cell)) {
                if (fields[*field].Unit.starts_with("%")) {
                    row.Texts[*field] = *number;
                } else {
                    row.Messages.push_back(whereText() + std::string(fields[*field].Name) + ": «" +
                                           model::Shortened(cell) +
                                           "» — процент, а величина не в процентах (единица: " +
                                           std::string(fields[*field].Unit) + ")");
                }
            } else if (fields[*field].Kind != model::FieldKind::Text && IsDate(cell)) {
                row.Messages.push_back(whereText() + std::string(fields[*field].Name) + ": «" +
                                       cell +
                                       "» — дата, а ожидается число (ячейка в формате "
                                       "даты?)");
            } else {
                row.Texts[*field] = cell;
                if (!row.DecimalMark && fields[*field].Kind != model::FieldKind::Text) {
                    row.DecimalMark = DecimalMark(cell);
                }
            }
        } else if (column < header.Nameless.size() && header.Nameless[column] &&
                   !record.Cells[column].empty()) {
            row.Messages.push_back(whereText() + "значение в столбце без имени (столбец " +
                                   std::to_string(column + 1) + ")");
        }
    }
    if (header.PlanYearColumn && *header.PlanYearColumn < record.Cells.size()) {
        if (const auto message =
                model::ReadPlanYear(record.Cells[*header.PlanYearColumn], row.PlanYear)) {
            row.Messages.push_back(whereText() + "PlanYear: " + *message);
        }
    }
    if (defaults != nullptr) {
        for (std::size_t field = 0; field < std::min(defaults->size(), fields.size()); ++field) {
            const std::optional<std::string_view>& text = row.Texts[field];
            if ((*defaults)[field] && (!text || text->find_first_not_of(" \t") == text->npos)) {
                row.Texts[field] = *(*defaults)[field];
            }
        }
    }
    const auto givenText = [&](std::size_t field) {
        return row.Texts[field] ? std::string(*row.Texts[field])
                                : std::string(fields[field].StartText);
    };
    row.Address = givenText(AddressField);
    row.ManagementCompany = givenText(CompanyField);
    model::ProjectParameters p;
    static const std::vector<model::NumberLocale> locales =
        NumberLocalesOf(delimiter); // alike for both
    const std::vector<model::HouseFieldError> errors =
        model::ReadHouse(row.Texts, locales, p, model::ReadingRules::Sheet);
    for (const model::HouseFieldError& error : errors) {
        row.Messages.push_back(whereText() + FieldMessage(error));
    }
    if (row.Messages.empty()) {
        row.House = std::move(p);
    }
    return row;
}

HouseRow ReadHouseRow(const Sheet& sheet, const HeaderFields& header, const SheetRecord& record,
                      std::string_view fileName) {
    return ReadHouseRow(sheet.Header.size(), sheet.Delimiter, header, record, fileName);
}

} // namespace sheet
