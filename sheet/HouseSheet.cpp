#include "HouseSheet.h"

#include "HouseInput.h"
#include "TextEncoding.h"

#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
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

// The line ends of a text as the parser counts them: LF, CR LF and a lone CR; `afterCr` carries a
// CR that ends a piece, whose LF may begin the next.
std::size_t LineEnds(std::string_view text, bool& afterCr) {
    std::size_t ends = 0;
    for (const char c : text) {
        ends += c == '\r' || (c == '\n' && !afterCr) ? 1 : 0;
        afterCr = c == '\r';
    }
    return ends;
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
    bool SignatureChecked = false;
    std::string Start;   // the first bytes, which tell a file that is no text
    std::string Raw;     // bytes whose encoding is not decided yet, or a cut UTF-8 sequence
    std::string Waiting; // text up to the end of the header's first line: the delimiter is unknown

    std::unique_ptr<csv_parser, ParserDeleter> Parser;
    char Delimiter = ',';
    bool HeaderDone = false;
    std::vector<std::string> Header;
    std::size_t HeaderLine = 1;

    std::vector<std::string> Cells;
    std::size_t Extra = 0;           // cells of the open record past the header's width, not held
    bool ExtraFilled = false;        // one of them is not empty
    bool TooWide = false;            // the header has more than MostColumns cells
    bool SpoiltHeader = false;       // the header has bytes that are no UTF-8
    std::string Held;                // the open record's text while it spans lines
    bool LineMode = false;           // after a quote left open: every line a record of its own
    bool SkipLine = false;           // the rest of a line a stray quote spoilt is passed over
    std::deque<std::size_t> Damaged; // lines with bytes that are no UTF-8, in order
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
    bool TextAfterCr = false; // the decoded text so far ends in CR

    void Decode(std::string_view bytes, bool last);
    void Text(std::string_view text);
    void Lines(std::string_view text);
    bool Parse(std::string_view segment);
    void RejectOpen(const std::string& what);
    void Resynchronise(bool atEnd);
    void StartParser(std::string_view headerLine);
};

namespace {

void EndOfField(void* data, std::size_t size, void* state) {
    auto* s = static_cast<SheetReader::State*>(state);
    // Past the header's width a cell is only counted: a line of a million delimiters holds no
    // million cells.
    const std::size_t most = s->HeaderDone ? s->Header.size() + 1 : MostColumns;
    if (s->Cells.size() < most) {
        s->Cells.emplace_back(static_cast<const char*>(data), size);
    } else {
        ++s->Extra;
        s->ExtraFilled = s->ExtraFilled || size > 0;
        s->TooWide = !s->HeaderDone;
    }
}

void EndOfRecord(int, void* data) {
    auto* state = static_cast<SheetReader::State*>(data);
    const bool blank =
        !state->ExtraFilled && std::all_of(state->Cells.begin(), state->Cells.end(),
                                           [](const std::string& cell) { return cell.empty(); });
    std::deque<std::size_t>& damaged = state->Damaged;
    while (!damaged.empty() && damaged.front() < state->RecordLine) {
        damaged.pop_front();
    }
    const bool spoilt = !damaged.empty() && damaged.front() <= state->Line;
    if (!blank) {
        if (!state->HeaderDone) {
            if (spoilt) {
                state->SpoiltHeader = true;
            }
            state->HeaderDone = true;
            state->HeaderLine = state->RecordLine;
            state->Header = std::move(state->Cells);
        } else {
            SheetRecord record;
            record.Line = state->RecordLine;
            record.Cells = std::move(state->Cells);
            record.Width = state->Extra == 0 ? 0 : record.Cells.size() + state->Extra;
            if (spoilt) {
                record.Problems.push_back({std::nullopt,
                                           "байты не в кодировке UTF-8 (буква повреждена или "
                                           "обрезана; файл в Windows-1251 читается с "
                                           "--encoding windows-1251)"});
            }
            state->Records.push_back(std::move(record));
        }
    }
    state->Cells.clear();
    state->Extra = 0;
    state->ExtraFilled = false;
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

// Parses a segment of text; false when a quote stands where none may (the parser is then to be
// started afresh).
bool SheetReader::State::Parse(std::string_view segment) {
    if (csv_parse(Parser.get(), segment.data(), segment.size(), EndOfField, EndOfRecord, this) !=
        segment.size()) {
        if (csv_error(Parser.get()) != CSV_EPARSE) {
            throw SheetError(ParseFailure(csv_error(Parser.get()), Line));
        }
        return false;
    }
    if (TooWide) {
        throw SheetError("строка " + std::to_string(RecordLine) + ": в заголовке больше " +
                         std::to_string(MostColumns) + " столбцов");
    }
    if (SpoiltHeader) {
        throw SheetError("строка " + std::to_string(HeaderLine) +
                         ": заголовок не в кодировке UTF-8 (файл в Windows-1251 читается с "
                         "--encoding windows-1251)");
    }
    RecordBytes += segment.size();
    return true;
}

// The open record is rejected with this problem, and the parser starts afresh.
void SheetReader::State::RejectOpen(const std::string& what) {
    if (!HeaderDone) {
        throw SheetError("строка " + std::to_string(RecordLine) + ": " + what);
    }
    SheetRecord record;
    record.Line = RecordLine;
    record.Cells = std::move(Cells);
    record.Problems.push_back({std::nullopt, what});
    Records.push_back(std::move(record));
    Cells.clear();
    Extra = 0;
    ExtraFilled = false;
    csv_free(Parser.get());
    if (csv_init(Parser.get(), CSV_STRICT | CSV_STRICT_FINI) != 0) {
        throw SheetError("не хватает памяти");
    }
    csv_set_delim(Parser.get(), static_cast<unsigned char>(Delimiter));
    csv_set_blk_size(Parser.get(), 1 << 16);
    RecordBytes = 0;
}

// A quote left open: the record from its line is rejected, and the lines after its first are
// read again one by one (a line break in a quoted cell no longer joins lines), so that one stray
// quote does not take the rest of the file with it.
void SheetReader::State::Resynchronise(bool atEnd) {
    const std::size_t firstEnd = Held.find_first_of("\r\n");
    if (firstEnd == std::string::npos && atEnd) {
        RejectOpen("кавычка не закрыта до конца файла");
        return;
    }
    if (firstEnd == std::string::npos) {
        // One line without an end: there is nothing to read again.
        throw SheetError("строка " + std::to_string(RecordLine) + ": запись длиннее " +
                         std::to_string(LongestRecord >> 20) +
                         " МБ (кавычка, не закрытая в конце ячейки, или файл — не таблица)");
    }
    const std::size_t after = Held.compare(firstEnd, 2, "\r\n") == 0 ? firstEnd + 2 : firstEnd + 1;
    const std::string rest = Held.substr(after);
    RejectOpen("кавычка не закрыта (ячейка с кавычкой в начале тянется на следующие строки); "
               "строки после неё прочитаны заново по одной");
    Held.clear();
    LineMode = true;
    AfterCarriageReturn = false;
    Line = RecordLine + 1;
    RecordLine = Line;
    RecordOpen = false;
    LineHasText = false;
    EndsAtLineStart = RecordEnds;
    Lines(rest);
}

// Feeds the parser a physical line at a time, so that each record knows the line it starts on: a
// record stays open past a line that ends none and is not blank (a line break inside quotes).
void SheetReader::State::Lines(std::string_view text) {
    while (!text.empty()) {
        if (AfterCarriageReturn) {
            AfterCarriageReturn = false;
            if (text.front() == '\n') {
                Held += '\n';
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
        text.remove_prefix(end);
        if (SkipLine) {
            SkipLine = lineEnd == std::string_view::npos;
        } else {
            if (segment.find_first_not_of(Blank) != std::string_view::npos) {
                LineHasText = true;
            }
            if (!LineMode) {
                Held += segment;
            }
            if (!Parse(segment)) {
                RejectOpen("кавычка внутри поля (поле с кавычками целиком берётся в кавычки, а "
                           "кавычки в нём удваиваются)");
                Held.clear();
                LineHasText = false;
                RecordOpen = false;
                SkipLine = lineEnd == std::string_view::npos;
            } else if (RecordBytes > LongestRecord) {
                if (LineMode || !HeaderDone) {
                    throw SheetError("строка " + std::to_string(RecordLine) + ": запись длиннее " +
                                     std::to_string(LongestRecord >> 20) +
                                     " МБ (кавычка, не закрытая в конце ячейки, или файл — не "
                                     "таблица)");
                }
                Resynchronise(false);
                Lines(text);
                return;
            }
        }
        if (lineEnd != std::string_view::npos) {
            RecordOpen = RecordEnds == EndsAtLineStart && (RecordOpen || LineHasText);
            if (RecordOpen && LineMode) {
                RejectOpen("кавычка не закрыта в конце строки");
                RecordOpen = false;
            }
            EndsAtLineStart = RecordEnds;
            LineHasText = false;
            ++Line;
            if (!RecordOpen) {
                RecordLine = Line;
                RecordBytes = 0;
                Held.clear();
            }
        }
    }
}

// Decoded text on its way to the parser, which waits for the delimiter: the header's first line.
void SheetReader::State::Text(std::string_view text) {
    const auto control = std::find_if(text.begin(), text.end(), IsControl);
    if (control != text.end()) {
        throw SheetError(
            "строка " +
            std::to_string(TextLine + LineEnds(text.substr(0, static_cast<std::size_t>(
                                                                  control - text.begin())),
                                               TextAfterCr)) +
            ": это не текст в кодировке UTF-8 или Windows-1251 (нужен файл CSV)");
    }
    TextLine += LineEnds(text, TextAfterCr);
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
    if (!SignatureChecked) {
        Start += bytes.substr(0, 8 - std::min<std::size_t>(Start.size(), 8));
        if (Start.size() >= 8 || last) {
            SignatureChecked = true;
            if (const std::optional<std::string> why = NotATextSheet(Start)) {
                throw SheetError(*why);
            }
        }
    }
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
            // A letter cut by the end of the sample, or of the file, is no other encoding.
            Decided = scan.Bad ? Encoding::Windows1251 : Encoding::Utf8;
        } else {
            return;
        }
    }
    if (*Decided == Encoding::Utf8) {
        // Bytes that are no UTF-8 (or a letter cut by the end of the file) spoil their line only:
        // they become U+FFFD and the line's record is rejected.
        std::string text;
        std::string_view rest = Raw;
        std::size_t ends = 0;
        bool afterCr = TextAfterCr;
        for (;;) {
            const Utf8Scan scan = ScanUtf8(rest);
            const std::string_view whole = rest.substr(0, scan.Valid);
            text += whole;
            ends += LineEnds(whole, afterCr);
            rest.remove_prefix(scan.Valid);
            if (!scan.Bad && !(last && !rest.empty())) {
                break;
            }
            Damaged.push_back(TextLine + ends);
            afterCr = false;
            text += "\xEF\xBF\xBD";
            rest.remove_prefix(1);
        }
        Raw.erase(0, Raw.size() - rest.size());
        Text(text);
        return;
    }
    // Windows-1251 has one byte a character: every piece converts whole.
    std::optional<std::string> text = Windows1251ToUtf8(Raw);
    if (!text) {
        throw SheetError("строка " + std::to_string(TextLine) +
                         " или следующие: байт, которого нет в кодировке Windows-1251");
    }
    Raw.clear();
    Text(*text);
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
        if (code != CSV_EPARSE || !s.HeaderDone) {
            throw SheetError(code == CSV_EPARSE ? "строка " + std::to_string(s.RecordLine) +
                                                      ": кавычки поля не закрыты до конца файла"
                                                : ParseFailure(code, s.RecordLine));
        }
        if (s.LineMode) {
            s.RejectOpen("кавычка не закрыта в конце строки");
        } else {
            s.Resynchronise(true);
        }
        if (csv_fini(s.Parser.get(), EndOfField, EndOfRecord, &s) != 0) {
            s.RejectOpen("кавычка не закрыта в конце строки");
        }
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

bool IsZipArchive(std::string_view firstBytes) {
    return firstBytes.starts_with("PK\x03\x04") || firstBytes.starts_with("PK\x05\x06");
}

bool IsCompoundFile(std::string_view firstBytes) {
    return firstBytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

std::optional<std::string> NotATextSheet(std::string_view firstBytes) {
    if (IsCompoundFile(firstBytes)) {
        return "формат .xls не читается: сохраните файл как .xlsx, .ods или .csv";
    }
    if (IsZipArchive(firstBytes)) {
        return "это архив zip (книга .xlsx или .ods?): книга читается из файла с расширением "
               ".xlsx или .ods, не со стандартного ввода";
    }
    struct Signature {
        std::string_view Start;
        std::string_view What;
    };
    constexpr Signature others[] = {
        {"%PDF", "документ PDF"},   {"\x89PNG", "рисунок PNG"}, {"\xFF\xD8\xFF", "рисунок JPEG"},
        {"\x1F\x8B", "архив gzip"}, {"7z\xBC\xAF", "архив 7z"}, {"Rar!", "архив RAR"},
        {"{\\rtf", "документ RTF"},
    };
    for (const Signature& signature : others) {
        if (firstBytes.starts_with(signature.Start)) {
            return "это " + std::string(signature.What) +
                   ", а не таблица: нужен файл .csv, .xlsx или .ods";
        }
    }
    return std::nullopt;
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
        if (problem.NoField) {
            std::string names;
            for (const model::HouseField& field : fields) {
                names += std::string(names.empty() ? "" : ", ") + std::string(field.Name);
            }
            messages.push_back(where +
                               "нет ни одного столбца с параметрами дома; ожидаются столбцы " +
                               names + " или их русские названия (virasvet-calc --help)");
        } else if (problem.RepeatedField) {
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

HeaderFields MapHeader(const std::vector<std::string>& header) {
    HeaderFields mapped;
    mapped.Headings = header;
    mapped.FieldOfColumn.resize(header.size());
    mapped.Nameless.resize(header.size());
    std::vector<bool> taken(model::HouseFields().size());
    bool anyField = false;
    for (std::size_t column = 0; column < header.size(); ++column) {
        if (header[column].find_first_not_of(" \t_") == std::string::npos) {
            mapped.Nameless[column] = true;
            continue; // a column without a name holds nothing (HouseRow refuses a value in it)
        }
        if (model::IsPlanYearHeading(header[column]) && !mapped.PlanYearColumn) {
            mapped.PlanYearColumn = column;
            mapped.CarriedColumns.push_back(column);
            continue;
        }
        const model::HeadingMatch match = model::MatchHeading(header[column]);
        if (const std::optional<std::size_t> index = match.Field) {
            anyField = true;
            if (taken[*index]) {
                mapped.Problems.push_back({column, index, std::nullopt});
            } else {
                taken[*index] = true;
                mapped.FieldOfColumn[column] = index;
            }
        } else if (match.Near) {
            mapped.Problems.push_back({column, std::nullopt, match.Near});
        } else {
            mapped.CarriedColumns.push_back(column);
        }
    }
    if (!anyField && mapped.Problems.empty()) {
        HeaderProblem none;
        none.NoField = true;
        mapped.Problems.push_back(none);
    }
    return mapped;
}

std::string KeyFieldsNote(const HeaderFields& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    std::string missing;
    for (const std::string_view name : {"EntranceCount", "FloorCount", "Tariff"}) {
        const auto index = static_cast<std::size_t>(model::FieldNamed(name) - fields.data());
        if (std::find(header.FieldOfColumn.begin(), header.FieldOfColumn.end(),
                      std::optional(index)) != header.FieldOfColumn.end()) {
            return ""; // one key field given: the sheet means the others to stay as they start
        }
        missing += std::string(missing.empty() ? "" : ", ") + std::string(name) + " (" +
                   std::string(fields[index].Label) + ") = " + std::string(fields[index].StartText);
    }
    return "нет столбцов " + missing + ": для всех домов берутся эти значения при запуске";
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
