#include "HouseSheet.h"

#include "HouseInput.h"

#include <csv.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace sheet {
namespace {

// UTF-8 without control characters other than tab and line ends: what a spreadsheet writes.
bool IsText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
        std::size_t length = 0;
        std::uint32_t lowest = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        std::uint32_t code = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

struct Collector {
    std::vector<std::string> cells;
    std::vector<SheetRecord> records;
    std::size_t recordLine = 0;
    std::size_t recordEnds = 0; // records ended so far, blank ones too
};

void EndOfField(void* data, std::size_t size, void* collector) {
    static_cast<Collector*>(collector)->cells.emplace_back(static_cast<const char*>(data), size);
}

void EndOfRecord(int, void* data) {
    auto* collector = static_cast<Collector*>(data);
    const bool blank = std::all_of(collector->cells.begin(), collector->cells.end(),
                                   [](const std::string& cell) { return cell.empty(); });
    if (!blank) {
        collector->records.push_back({collector->recordLine, std::move(collector->cells)});
    }
    collector->cells.clear();
    ++collector->recordEnds;
}

struct ParserDeleter {
    void operator()(csv_parser* parser) const {
        csv_free(parser);
        delete parser;
    }
};

constexpr std::string_view Blank = " \t\r\n";

// The end of the physical line that starts at `begin`: after LF, CRLF or a lone CR (as older
// spreadsheets save "CSV (Macintosh)").
std::size_t LineEnd(std::string_view content, std::size_t begin) {
    const std::size_t end = content.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
        return content.size();
    }
    return content.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
}

std::string ParseFailure(int code, std::size_t line) {
    return "строка " + std::to_string(line) + ": " +
           (code == CSV_EPARSE ? "кавычка внутри поля (поле с кавычками целиком берётся в "
                                 "кавычки, а кавычки в нём удваиваются)"
                               : "не хватает памяти");
}

} // namespace

char DetectDelimiter(std::string_view headerLine) {
    bool quoted = false;
    for (const char c : headerLine) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            return ';';
        }
    }
    return ',';
}

Sheet ParseSheet(std::string_view content) {
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.remove_prefix(3);
    }
    if (content.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw SheetError("файл пуст: нужна строка заголовка с именами столбцов");
    }
    if (!IsText(content)) {
        throw SheetError("это не текст в кодировке UTF-8 (нужен файл CSV, сохранённый как "
                         "«CSV UTF-8»)");
    }

    // The header is the first line that is not blank.
    const std::size_t headerBegin = content.find_first_not_of(Blank);
    Sheet sheet;
    sheet.Delimiter = DetectDelimiter(
        content.substr(headerBegin, content.find_first_of("\r\n", headerBegin) - headerBegin));

    std::unique_ptr<csv_parser, ParserDeleter> parser(new csv_parser{});
    if (csv_init(parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0) {
        throw SheetError("не хватает памяти");
    }
    csv_set_delim(parser.get(), static_cast<unsigned char>(sheet.Delimiter));
    // The field buffer grows by this much at a time: a field of megabytes takes few steps.
    csv_set_blk_size(parser.get(), 1 << 16);

    // Fed a physical line at a time, so that each record knows the line it starts on: a record
    // stays open past a line that ends none and is not blank (a line break inside quotes).
    Collector collector;
    bool recordOpen = false;
    std::size_t line = 0;
    for (std::size_t begin = 0; begin < content.size();) {
        const std::size_t end = LineEnd(content, begin);
        ++line;
        if (!recordOpen) {
            collector.recordLine = line;
        }
        const std::string_view chunk = content.substr(begin, end - begin);
        const std::size_t endsBefore = collector.recordEnds;
        if (csv_parse(parser.get(), chunk.data(), chunk.size(), EndOfField, EndOfRecord,
                      &collector) != chunk.size()) {
            throw SheetError(ParseFailure(csv_error(parser.get()), line));
        }
        recordOpen = collector.recordEnds == endsBefore &&
                     (recordOpen || chunk.find_first_not_of(Blank) != std::string_view::npos);
        begin = end;
    }
    if (csv_fini(parser.get(), EndOfField, EndOfRecord, &collector) != 0) {
        const int code = csv_error(parser.get());
        throw SheetError(code == CSV_EPARSE ? "строка " + std::to_string(collector.recordLine) +
                                                  ": кавычки поля не закрыты до конца файла"
                                            : ParseFailure(code, collector.recordLine));
    }
    if (collector.records.empty()) {
        throw SheetError("нет строки заголовка с именами столбцов");
    }
    sheet.HeaderLine = collector.records.front().Line;
    sheet.Header = std::move(collector.records.front().Cells);
    collector.records.erase(collector.records.begin());
    sheet.Records = std::move(collector.records);
    return sheet;
}

std::string CsvField(std::string_view text, char delimiter) {
    if (text.find_first_of(std::string{delimiter, '"', '\n', '\r'}) == std::string_view::npos &&
        (text.empty() || (text.front() != ' ' && text.back() != ' '))) {
        return std::string(text);
    }
    std::string quoted(csv_write(nullptr, 0, text.data(), text.size()), '\0');
    csv_write(quoted.data(), quoted.size(), text.data(), text.size());
    return quoted;
}

std::string CsvRow(const std::vector<std::string>& cells, char delimiter) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            row.push_back(delimiter);
        }
        row += CsvField(cells[i], delimiter);
    }
    row += "\r\n";
    return row;
}

std::vector<std::string> HeaderMessages(const Sheet& sheet, const HeaderFields& header,
                                        std::string_view fileName) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const std::string where = std::string(fileName) + ":" + std::to_string(sheet.HeaderLine) + ": ";
    std::vector<std::string> messages;
    for (const HeaderProblem& problem : header.Problems) {
        if (problem.RepeatedField) {
            messages.push_back(where + std::string(fields[*problem.RepeatedField].Name) +
                               ": столбец повторяется");
        } else {
            messages.push_back(where + model::Shortened(sheet.Header[problem.Column]) +
                               ": неизвестный столбец (список столбцов: virasvet-calc --help)");
        }
    }
    return messages;
}

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

HeaderFields MapHeader(const std::vector<std::string>& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    HeaderFields mapped;
    mapped.FieldOfColumn.resize(header.size());
    std::vector<bool> taken(fields.size());
    for (std::size_t column = 0; column < header.size(); ++column) {
        if (header[column].empty()) {
            continue;
        }
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) {
            return SameName(f.Name, header[column]);
        });
        const auto index = static_cast<std::size_t>(field - fields.begin());
        if (field == fields.end()) {
            mapped.Problems.push_back({column, std::nullopt});
        } else if (taken[index]) {
            mapped.Problems.push_back({column, index});
        } else {
            taken[index] = true;
            mapped.FieldOfColumn[column] = index;
        }
    }
    return mapped;
}

std::vector<model::NumberLocale> NumberLocalesOf(const Sheet& sheet) {
    const model::NumberLocale comma{",", ""};
    const model::NumberLocale point{".", ""};
    return sheet.Delimiter == ';' ? std::vector{comma, point} : std::vector{point};
}

} // namespace sheet
