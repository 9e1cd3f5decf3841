#include "HouseRows.h"

#include "HouseInput.h"

#include <algorithm>
#include <span>

namespace sheet {
namespace {

// The page's messages have two sentences on two lines; a diagnostic keeps to one.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

constexpr std::size_t AddressField = 0;

} // namespace

HouseRow ReadHouseRow(const Sheet& sheet, const HeaderFields& header, const SheetRecord& record,
                      std::string_view fileName) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const std::string where = std::string(fileName) + ":" + std::to_string(record.Line) + ": ";
    HouseRow row;
    row.Line = record.Line;
    row.Texts.resize(fields.size());
    bool cellsFit = true;
    for (std::size_t column = 0; column < record.Cells.size(); ++column) {
        if (column >= sheet.Header.size()) {
            // Empty cells past the last column, as a spreadsheet leaves after a deleted column.
            if (std::all_of(record.Cells.begin() + static_cast<std::ptrdiff_t>(column),
                            record.Cells.end(), [](const auto& cell) { return cell.empty(); })) {
                break;
            }
            row.Messages.push_back(
                where + "ячеек в строке: " + std::to_string(record.Cells.size()) +
                ", столбцов в заголовке: " + std::to_string(sheet.Header.size()) +
                (sheet.Delimiter == ',' ? " (при разделителе ',' дробные числа пишутся с точкой)"
                                        : ""));
            cellsFit = false;
            break;
        }
        if (header.FieldOfColumn[column]) {
            row.Texts[*header.FieldOfColumn[column]] = record.Cells[column];
        } else if (!record.Cells[column].empty()) {
            row.Messages.push_back(where + "значение в столбце без имени");
            cellsFit = false;
        }
    }
    row.Address = row.Texts[AddressField] ? std::string(*row.Texts[AddressField])
                                          : std::string(fields[AddressField].StartText);
    model::ProjectParameters p;
    const std::vector<model::NumberLocale> locales = NumberLocalesOf(sheet);
    const std::vector<model::HouseFieldError> errors = model::ReadHouse(row.Texts, locales, p);
    for (const model::HouseFieldError& error : errors) {
        row.Messages.push_back(where + std::string(error.Field->Name) + ": " +
                               OneLine(error.Message));
    }
    if (cellsFit && errors.empty()) {
        row.House = std::move(p);
    }
    return row;
}

SheetHouses ReadSheetHouses(std::string_view content, std::string_view fileName) {
    const Sheet sheet = ParseSheet(content);
    const HeaderFields header = MapHeader(sheet.Header);
    SheetHouses houses;
    houses.Delimiter = sheet.Delimiter;
    houses.HeaderMessages = HeaderMessages(sheet, header, fileName);
    houses.Usable = header.Problems.empty();
    if (!houses.Usable) {
        return houses;
    }
    houses.Rows.reserve(sheet.Records.size());
    for (const SheetRecord& record : sheet.Records) {
        HouseRow row = ReadHouseRow(sheet, header, record, fileName);
        row.Texts.clear();
        houses.Rows.push_back(std::move(row));
    }
    return houses;
}

} // namespace sheet
