#include "HouseRows.h"

#include "HouseInput.h"

#include <algorithm>
#include <span>

namespace sheet {
namespace {

constexpr std::size_t AddressField = 0;

} // namespace

std::string FieldMessage(const model::HouseFieldError& error) {
    const std::string name(error.Field->Name);
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
    std::vector<std::optional<std::string_view>> texts(fields.size());
    texts[field] = value;
    model::ProjectParameters p;
    static const std::vector<model::NumberLocale> locales = NumberLocalesOf(';');
    for (const model::HouseFieldError& error :
         model::ReadHouse(texts, locales, p, model::ReadingRules::Sheet)) {
        if (error.Field == &fields[field]) {
            return FieldMessage(error);
        }
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
    }
    // A short row is a truncated line and a long one a decimal comma that split a number: either
    // way a cell would go to the wrong field.
    if (record.Cells.size() != headerColumns) {
        row.Messages.push_back(
            whereText() + "ячеек в строке: " + std::to_string(record.Cells.size()) +
            ", столбцов в заголовке: " + std::to_string(headerColumns) +
            (delimiter == ','
                 ? " (при разделителе ',' число с десятичной запятой берётся в кавычки, "
                   "\"2,5\", или файл сохраняется с разделителем ';')"
                 : ""));
        return row;
    }
    for (std::size_t column = 0; column < std::min(record.Cells.size(), headerColumns); ++column) {
        if (const std::optional<std::size_t> field = header.FieldOfColumn[column]) {
            if (record.Cells[column].size() > LongestCell) {
                row.Messages.push_back(whereText() + std::string(fields[*field].Name) +
                                       ": ячейка длиннее " + std::to_string(LongestCell) + " байт");
            } else {
                row.Texts[*field] = record.Cells[column];
            }
        } else if (column < header.Nameless.size() && header.Nameless[column] &&
                   !record.Cells[column].empty()) {
            row.Messages.push_back(whereText() + "значение в столбце без имени (столбец " +
                                   std::to_string(column + 1) + ")");
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
    row.Address = row.Texts[AddressField] ? std::string(*row.Texts[AddressField])
                                          : std::string(fields[AddressField].StartText);
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
