#include "HouseSheet.h"

#include "HouseInput.h"

#include <csv.h>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace sheet {
namespace {

// How much of a piece of text is UTF-8: the length of its longest prefix of whole characters, and
// whether bytes that are not UTF-8 follow (else a character cut by the end of the piece, or
// nothing). Control characters pass here: Text() refuses them.
struct Utf8Scan {
    std::size_t Valid = 0;
    bool Bad = false;
};

Utf8Scan ScanUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t lowest = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            lowest = 0x10000;
        } else {
            return {i, true};
        }
        std::uint32_t code = c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k == text.size()) {
                return {i, false}; // cut by the end of the piece
            }
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return {i, true};
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return {i, true};
        }
        i += length;
    }
    return {i, false};
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

struct ParserDeleter {
    void operator()(csv_parser* parser) const {
        csv_free(parser);
        delete parser;
    }
};

struct IconvCloser {
    void operator()(iconv_t* handle) const {
        iconv_close(*handle);
        delete handle;
    }
};

constexpr std::string_view Blank = " \t\r\n";

std::string ParseFailure(int code, std::size_t line) {
    return "строка " + std::to_string(line) + ": " +
           (code == CSV_EPARSE ? "кавычка внутри поля (поле с кавычками целиком берётся в "
                                 "кавычки, а кавычки в нём удваиваются)"
                               : "не хватает памяти");
}

} // namespace

struct SheetReader::State {
    Encoding Wanted = Encoding::Detect;
    std::optional<Encoding> Decided;
    bool ByteOrderMarkChecked = false;
    std::string Raw;     // bytes whose encoding is not decided yet, or a cut UTF-8 sequence
    std::string Waiting; // text up to the end of the header's first line: the delimiter is unknown
    std::unique_ptr<iconv_t, IconvCloser> Converter;

    std::unique_ptr<csv_parser, ParserDeleter> Parser;
    char Delimiter = ',';
    bool HeaderDone = false;
    std::vector<std::string> Header;
    std::size_t HeaderLine = 1;

    std::vector<std::string> Cells;
    std::vector<SheetRecord> Records;
    std::size_t Line = 1;       // the physical line being read
    std::size_t RecordLine = 1; // where the open record started
    bool RecordOpen = false;    // a record goes on past the last line end
    bool LineHasText = false;   // the line being read is not blank so far
    std::size_t EndsAtLineStart = 0;
    std::size_t RecordEnds = 0;  // records ended so far, blank ones too
    std::size_t RecordBytes = 0; // text of the open record read so far
    bool AfterCarriageReturn = false;
    std::size_t TextLine = 1; // lines of decoded text so far, for encoding messages

    void Decode(std::string_view bytes, bool last);
    void Text(std::string_view text);
    void Lines(std::string_view text);
    void Parse(std::string_view segment);
    void StartParser(std::string_view headerLine);
};

namespace {

void EndOfField(void* data, std::size_t size, void* state) {
    static_cast<SheetReader::State*>(state)->Cells.emplace_back(static_cast<const char*>(data),
                                                                size);
}

void EndOfRecord(int, void* data) {
    auto* state = static_cast<SheetReader::State*>(data);
    const bool blank = std::all_of(state->Cells.begin(), state->Cells.end(),
                                   [](const std::string& cell) { return cell.empty(); });
    if (!blank) {
        if (!state->HeaderDone) {
            state->HeaderDone = true;
            state->HeaderLine = state->RecordLine;
            state->Header = std::move(state->Cells);
        } else {
            state->Records.push_back({state->RecordLine, std::move(state->Cells)});
        }
    }
    state->Cells.clear();
    ++state->RecordEnds;
    state->RecordBytes = 0;
}

} // namespace

void SheetReader::State::StartParser(std::string_view headerLine) {
    Delimiter = DetectDelimiter(headerLine);
    Parser.reset(new csv_parser{});
    if (csv_init(Parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0) {
        delete Parser.release();
        throw SheetError("не хватает памяти");
    }
    csv_set_delim(Parser.get(), static_cast<unsigned char>(Delimiter));
    // The field buffer grows by this much at a time: a long field takes few steps.
    csv_set_blk_size(Parser.get(), 1 << 16);
}

void SheetReader::State::Parse(std::string_view segment) {
    if (csv_parse(Parser.get(), segment.data(), segment.size(), EndOfField, EndOfRecord, this) !=
        segment.size()) {
        throw SheetError(ParseFailure(csv_error(Parser.get()), Line));
    }
    RecordBytes += segment.size();
    if (RecordBytes > LongestRecord) {
        throw SheetError("строка " + std::to_string(RecordLine) + ": запись длиннее " +
                         std::to_string(LongestRecord >> 20) +
                         " МБ (кавычка, не закрытая в конце ячейки, или файл — не таблица)");
    }
}

// Feeds the parser a physical line at a time, so that each record knows the line it starts on: a
// record stays open past a line that ends none and is not blank (a line break inside quotes).
void SheetReader::State::Lines(std::string_view text) {
    while (!text.empty()) {
        if (AfterCarriageReturn) {
            AfterCarriageReturn = false;
            if (text.front() == '\n') {
                Parse(text.substr(0, 1)); // the LF of a CR LF cut between two pieces
                text.remove_prefix(1);
                continue;
            }
        }
        // At most a slice at a time, so that an overlong record is refused early.
        constexpr std::size_t slice = 1 << 16;
        std::size_t lineEnd = text.substr(0, slice).find_first_of("\r\n");
        std::size_t end = std::min(text.size(), slice);
        if (lineEnd != std::string_view::npos) {
            end = lineEnd + 1;
            if (text[lineEnd] == '\r') {
                if (lineEnd + 1 == text.size()) {
                    AfterCarriageReturn = true;
                } else if (text[lineEnd + 1] == '\n') {
                    ++end;
                }
            }
        }
        const std::string_view segment = text.substr(0, end);
        if (segment.find_first_not_of(Blank) != std::string_view::npos) {
            LineHasText = true;
        }
        Parse(segment);
        text.remove_prefix(end);
        if (lineEnd != std::string_view::npos) {
            RecordOpen = RecordEnds == EndsAtLineStart && (RecordOpen || LineHasText);
            EndsAtLineStart = RecordEnds;
            LineHasText = false;
            ++Line;
            if (!RecordOpen) {
                RecordLine = Line;
                RecordBytes = 0;
            }
        }
    }
}

// Decoded text on its way to the parser, which waits for the delimiter: the header's first line.
void SheetReader::State::Text(std::string_view text) {
    const auto control = std::find_if(text.begin(), text.end(), IsControl);
    if (control != text.end()) {
        throw SheetError("строка " +
                         std::to_string(TextLine + static_cast<std::size_t>(
                                                       std::count(text.begin(), control, '\n'))) +
                         ": это не текст в кодировке UTF-8 или Windows-1251 (нужен файл CSV)");
    }
    TextLine += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    if (Parser) {
        Lines(text);
        return;
    }
    Waiting += text;
    const std::size_t headerBegin = Waiting.find_first_not_of(Blank);
    const std::size_t headerEnd = headerBegin == std::string::npos
                                      ? std::string::npos
                                      : Waiting.find_first_of("\r\n", headerBegin);
    if (headerEnd == std::string::npos) {
        if (Waiting.size() > LongestRecord) {
            throw SheetError("строка заголовка длиннее " + std::to_string(LongestRecord >> 20) +
                             " МБ");
        }
        return;
    }
    StartParser(std::string_view(Waiting).substr(headerBegin, headerEnd - headerBegin));
    const std::string waiting = std::move(Waiting);
    Waiting.clear();
    Lines(waiting);
}

void SheetReader::State::Decode(std::string_view bytes, bool last) {
    Raw += bytes;
    if (!Decided) {
        if (!ByteOrderMarkChecked && (Raw.size() >= 3 || last)) {
            ByteOrderMarkChecked = true;
            if (std::string_view(Raw).starts_with("\xEF\xBB\xBF")) {
                Raw.erase(0, 3);
                if (Wanted == Encoding::Detect) {
                    Wanted = Encoding::Utf8;
                }
            }
        }
        if (Wanted != Encoding::Detect) {
            Decided = Wanted;
        } else if (Raw.size() >= EncodingSample || last) {
            const Utf8Scan scan = ScanUtf8(Raw);
            Decided = !scan.Bad && (scan.Valid == Raw.size() || !last) ? Encoding::Utf8
                                                                       : Encoding::Windows1251;
        } else {
            return;
        }
        if (*Decided == Encoding::Windows1251) {
            const iconv_t handle = iconv_open("UTF-8", "WINDOWS-1251");
            if (handle == reinterpret_cast<iconv_t>(-1)) {
                throw SheetError("в системе нет преобразования из Windows-1251");
            }
            Converter.reset(new iconv_t(handle));
        }
    }
    if (*Decided == Encoding::Utf8) {
        const Utf8Scan scan = ScanUtf8(Raw);
        if (scan.Bad || (last && scan.Valid != Raw.size())) {
            const auto line =
                TextLine +
                static_cast<std::size_t>(std::count(
                    Raw.begin(), Raw.begin() + static_cast<std::ptrdiff_t>(scan.Valid), '\n'));
            throw SheetError("строка " + std::to_string(line) +
                             ": текст не в кодировке UTF-8 (файл в Windows-1251 читается с "
                             "--encoding windows-1251)");
        }
        if (scan.Valid == Raw.size()) {
            Text(Raw);
            Raw.clear();
        } else {
            const std::string text = Raw.substr(0, scan.Valid);
            Raw.erase(0, scan.Valid);
            Text(text);
        }
        return;
    }
    // Windows-1251 has one byte a character: every piece converts whole.
    std::string text(Raw.size() * 3, '\0');
    char* in = Raw.data();
    std::size_t inLeft = Raw.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    if (iconv(*Converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        throw SheetError("строка " + std::to_string(TextLine) +
                         " или следующие: байт, которого нет в кодировке Windows-1251");
    }
    text.resize(text.size() - outLeft);
    Raw.clear();
    Text(text);
}

SheetReader::SheetReader(Encoding encoding) : state_(std::make_unique<State>()) {
    state_->Wanted = encoding;
}

SheetReader::~SheetReader() = default;

void SheetReader::Feed(std::string_view piece) {
    state_->Decode(piece, false);
}

void SheetReader::Finish() {
    State& s = *state_;
    s.Decode({}, true);
    if (!s.Parser) {
        const std::size_t headerBegin = s.Waiting.find_first_not_of(Blank);
        if (headerBegin == std::string::npos) {
            throw SheetError("файл пуст: нужна строка заголовка с именами столбцов");
        }
        // A header without a line end: the rest of the text is its line.
        s.StartParser(std::string_view(s.Waiting).substr(headerBegin));
        const std::string waiting = std::move(s.Waiting);
        s.Waiting.clear();
        s.Lines(waiting);
    }
    if (csv_fini(s.Parser.get(), EndOfField, EndOfRecord, &s) != 0) {
        const int code = csv_error(s.Parser.get());
        throw SheetError(code == CSV_EPARSE ? "строка " + std::to_string(s.RecordLine) +
                                                  ": кавычки поля не закрыты до конца файла"
                                            : ParseFailure(code, s.RecordLine));
    }
    if (!s.HeaderDone) {
        throw SheetError("нет строки заголовка с именами столбцов");
    }
}

bool SheetReader::HasHeader() const {
    return state_->HeaderDone;
}

const std::vector<std::string>& SheetReader::Header() const {
    return state_->Header;
}

std::size_t SheetReader::HeaderLine() const {
    return state_->HeaderLine;
}

char SheetReader::Delimiter() const {
    return state_->Delimiter;
}

std::optional<Encoding> SheetReader::TextEncoding() const {
    return state_->Decided;
}

std::vector<SheetRecord> SheetReader::TakeRecords() {
    std::vector<SheetRecord> records;
    records.swap(state_->Records);
    return records;
}

std::size_t SheetReader::WaitingRecords() const {
    return state_->Records.size();
}

std::string EncodingNote(Encoding encoding) {
    return encoding == Encoding::Windows1251
               ? "текст не в UTF-8, прочитан как Windows-1251 (кодировку задаёт --encoding)"
               : "";
}

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

Sheet ParseSheet(std::string_view content, Encoding encoding) {
    SheetReader reader(encoding);
    reader.Feed(content);
    reader.Finish();
    Sheet sheet;
    sheet.Delimiter = reader.Delimiter();
    sheet.Header = reader.Header();
    sheet.HeaderLine = reader.HeaderLine();
    sheet.Records = reader.TakeRecords();
    sheet.TextEncoding = reader.TextEncoding().value_or(Encoding::Utf8);
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
    return HeaderMessages(sheet.Header, sheet.HeaderLine, header, fileName);
}

std::vector<std::string> HeaderMessages(const std::vector<std::string>& headerCells,
                                        std::size_t headerLine, const HeaderFields& header,
                                        std::string_view fileName) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    const std::string where = std::string(fileName) + ":" + std::to_string(headerLine) + ": ";
    std::vector<std::string> messages;
    for (const HeaderProblem& problem : header.Problems) {
        if (problem.RepeatedField) {
            messages.push_back(where + std::string(fields[*problem.RepeatedField].Name) +
                               ": столбец повторяется");
        } else if (problem.SuggestedField) {
            messages.push_back(where + model::Shortened(headerCells[problem.Column]) +
                               ": нет такого столбца; может быть, " +
                               std::string(fields[*problem.SuggestedField].Name) +
                               "? (список столбцов: virasvet-calc --help)");
        }
    }
    return messages;
}

namespace {

// A column name as names are compared: ASCII letters in lower case, blanks and underscores out.
std::string NameKey(std::string_view name) {
    std::string key;
    for (const char c : name) {
        if (c != ' ' && c != '_' && c != '\t') {
            key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    return key;
}

// The number of letters to insert, delete or replace to make one name the other, counted up to
// `most` + 1.
std::size_t EditDistance(std::string_view a, std::string_view b, std::size_t most) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > most) {
        return most + 1;
    }
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

} // namespace

HeaderFields MapHeader(const std::vector<std::string>& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    std::vector<std::string> keys;
    for (const model::HouseField& field : fields) {
        keys.push_back(NameKey(field.Name));
    }
    HeaderFields mapped;
    mapped.FieldOfColumn.resize(header.size());
    mapped.Nameless.resize(header.size());
    std::vector<bool> taken(fields.size());
    for (std::size_t column = 0; column < header.size(); ++column) {
        const std::string key = NameKey(header[column]);
        if (key.empty()) {
            mapped.Nameless[column] = true;
            continue; // a column without a name holds nothing (HouseRow refuses a value in it)
        }
        const auto field = std::find(keys.begin(), keys.end(), key);
        const auto index = static_cast<std::size_t>(field - keys.begin());
        if (field != keys.end()) {
            if (taken[index]) {
                mapped.Problems.push_back({column, index, std::nullopt});
            } else {
                taken[index] = true;
                mapped.FieldOfColumn[column] = index;
            }
            continue;
        }
        constexpr std::size_t closest = 2;
        std::optional<std::size_t> suggested;
        // Short names ("№", "id") are more than two letters from no field: they are carried.
        if (key.size() > closest + 1) {
            for (std::size_t i = 0; i < keys.size() && !suggested; ++i) {
                if (EditDistance(key, keys[i], closest) <= closest) {
                    suggested = i;
                }
            }
        }
        if (suggested) {
            mapped.Problems.push_back({column, std::nullopt, suggested});
        } else {
            mapped.CarriedColumns.push_back(column);
        }
    }
    return mapped;
}

std::vector<model::NumberLocale> NumberLocalesOf(char) {
    return {model::NumberLocale{",", ""}, model::NumberLocale{".", ""}};
}

std::vector<model::NumberLocale> NumberLocalesOf(const Sheet& sheet) {
    return NumberLocalesOf(sheet.Delimiter);
}

std::string SafeText(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos) {
        return std::string(text);
    }
    double ignored = 0;
    for (const model::NumberLocale& locale : NumberLocalesOf(',')) {
        if (model::TryParseReal(text, locale, ignored)) {
            return std::string(text);
        }
    }
    std::string safe(1, '\'');
    safe += text;
    return safe;
}

} // namespace sheet
