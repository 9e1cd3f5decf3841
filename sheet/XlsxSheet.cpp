#include "WorkbookParts.h"
#include "WorkbookSheet.h"

#include <QString>

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace sheet {
namespace {

constexpr std::string_view Kind = ".xlsx";
// The shared strings of a workbook are held whole: beyond this it is refused.
constexpr std::size_t LongestSharedStrings = 64u << 20;
// The rows of a sheet.
constexpr std::size_t MostRows = 1048576;
// Cell formats and number formats a workbook may declare.
constexpr std::size_t MostFormats = 65536;
// Sheets a workbook may list, and relationships of its parts: a sheet's each and a few more.
constexpr std::size_t MostSheets = 16384;
constexpr std::size_t MostRelationships = 65536;

[[noreturn]] void Refuse(const std::string& why) {
    RefuseWorkbook(Kind, why);
}

// "BC12" -> column 54 (from 0); nullopt for a reference without letters.
std::optional<std::size_t> ColumnOf(QStringView reference) {
    std::size_t column = 0;
    std::size_t letters = 0;
    for (const QChar letter : reference) {
        const QChar c = letter.toUpper(); // "c2" is C2, as office programs read it
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            column = column * 26 + static_cast<std::size_t>(c.unicode() - 'A' + 1);
            if (++letters > 3) {
                return std::nullopt;
            }
        } else {
            break;
        }
    }
    if (letters == 0) {
        return std::nullopt;
    }
    return column - 1;
}

// How a number format code shows its number: a percent when it has '%', a date or time when it
// has a date or time letter, outside quoted text, escaped characters and colours.
NumberShape ShapeOfCode(QStringView code) {
    bool quoted = false;
    bool bracket = false;
    bool elapsed = false; // the bracket holds only h, m and s so far
    bool percent = false;
    bool date = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i].toLower();
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (bracket) {
            // [h], [mm], [ss]: elapsed time; [Red], [White], [$-419]: colours and locales.
            bracket = c != QLatin1Char(']');
            date = date || (!bracket && elapsed && code[i - 1] != QLatin1Char('['));
            elapsed = elapsed &&
                      (c == QLatin1Char('h') || c == QLatin1Char('m') || c == QLatin1Char('s'));
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('[')) {
            bracket = true;
            elapsed = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
        } else if (c == QLatin1Char('%')) {
            percent = true;
        } else if (c == QLatin1Char('d') || c == QLatin1Char('m') || c == QLatin1Char('y') ||
                   c == QLatin1Char('h') || c == QLatin1Char('s')) {
            date = true;
        }
    }
    return percent ? NumberShape::Percent : date ? NumberShape::Date : NumberShape::Plain;
}

// The built-in number formats every workbook has without declaring them.
NumberShape ShapeOfBuiltIn(unsigned id) {
    if (id == 9 || id == 10) {
        return NumberShape::Percent;
    }
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58)) {
        return NumberShape::Date;
    }
    return NumberShape::Plain;
}

struct SheetEntry {
    std::string Name;
    std::string Part;
    bool Hidden = false;
};

} // namespace

// What turns a cell into its text: the shared strings (one buffer, an offset a string) and the
// shape of each cell format's numbers.
struct CellTexts {
    std::string Shared;
    std::vector<std::size_t> SharedEnds;
    std::vector<NumberShape> Formats;
    bool Days1904 = false; // dates count days from 1904-01-01 (the workbook's date system)

    std::string SharedString(const std::string& index) const {
        bool ok = false;
        const qulonglong number = QString::fromStdString(index).toULongLong(&ok);
        if (!ok || number >= SharedEnds.size()) {
            Refuse("ссылка на общую строку, которой нет");
        }
        const std::size_t begin = number == 0 ? 0 : SharedEnds[number - 1];
        return Shared.substr(begin, SharedEnds[number] - begin);
    }
    NumberShape Shape(QStringView style) const {
        bool ok = false;
        const qulonglong index = style.toULongLong(&ok);
        return ok && index < Formats.size() ? Formats[index] : NumberShape::Plain;
    }
};

namespace {

// One sheet of the workbook, read row by row.
class SheetCursor {
public:
    SheetCursor(zip_t* archive, const SheetEntry& entry, const CellTexts& texts, ReadingWork* work)
        : part_(archive, entry.Part, work), texts_(texts) {
        if (!part_.Exists()) {
            Refuse("нет листа " + entry.Part);
        }
    }

    // The next row that is not empty, with at most `keep` cells; false at the end of the sheet.
    bool NextRow(SheetRecord& record, std::size_t keep) {
        QXmlStreamReader& xml = part_.Xml();
        while (!ended_) {
            if (!part_.Next()) {
                ended_ = true;
                break;
            }
            if (!xml.isStartElement() || xml.name() != QLatin1String("row")) {
                continue;
            }
            bool ok = false;
            const qulonglong number = xml.attributes().value(QLatin1String("r")).toULongLong(&ok);
            if (ok && (number == 0 || number <= lastRow_)) {
                Refuse(number == 0 ? std::string("номер строки 0")
                                   : "строка " + std::to_string(number) + " после строки " +
                                         std::to_string(lastRow_) + ": строки не по порядку");
            }
            record.Line = ok ? number : lastRow_ + 1;
            if (record.Line > MostRows) {
                Refuse("номер строки " + std::to_string(record.Line) + " больше " +
                       std::to_string(MostRows));
            }
            lastRow_ = record.Line;
            ReadCells(record, keep);
            if (HoldsAnything(record)) {
                return true;
            }
        }
        return false;
    }

    std::uint64_t PackedRead() const { return part_.PackedRead(); }

private:
    void ReadCells(SheetRecord& record, std::size_t keep) {
        QXmlStreamReader& xml = part_.Xml();
        ClearCells(record);
        std::size_t bytes = 0;
        std::size_t next = 0; // the column after the last cell read
        int depth = 1;
        while (depth > 0 && part_.Next()) {
            if (xml.isEndElement()) {
                --depth;
                continue;
            }
            if (!xml.isStartElement()) {
                continue;
            }
            if (xml.name() != QLatin1String("c")) {
                ++depth;
                continue;
            }
            const std::optional<std::size_t> column =
                ColumnOf(xml.attributes().value(QLatin1String("r")));
            const std::size_t at = column.value_or(next);
            if (at >= MostColumns || at < next) {
                Refuse("строка " + std::to_string(record.Line) + ": ячейки не по порядку");
            }
            next = at + 1;
            const QString type = xml.attributes().value(QLatin1String("t")).toString();
            const NumberShape shape = texts_.Shape(xml.attributes().value(QLatin1String("s")));
            bool formulaWithoutValue = false;
            bool number = false;
            std::string value = CellValue(type, shape, formulaWithoutValue, number);
            if (formulaWithoutValue) {
                record.Problems.push_back({at, FormulaWithoutValue});
            }
            if (at >= keep) {
                record.Width = value.empty() ? record.Width : at + 1;
                continue;
            }
            PutCell(record, at, std::move(value), number, bytes, record.Line);
        }
    }

    std::string CellValue(const QString& type, NumberShape shape, bool& formulaWithoutValue,
                          bool& number) {
        if (type == QLatin1String("inlineStr")) {
            return TextOf(part_, "t", "rPh", LongestRecord);
        }
        QXmlStreamReader& xml = part_.Xml();
        std::string value;
        int depth = 1;
        bool inValue = false;
        bool formula = false;
        bool hasValue = false;
        while (depth > 0 && part_.Next()) {
            if (xml.isStartElement()) {
                ++depth;
                inValue = xml.name() == QLatin1String("v");
                hasValue = hasValue || inValue;
                formula = formula || xml.name() == QLatin1String("f");
            } else if (xml.isEndElement()) {
                --depth;
                inValue = false;
            } else if (xml.isCharacters() && inValue) {
                value += xml.text().toUtf8().toStdString();
                if (value.size() > LongestRecord) {
                    Refuse("ячейка длиннее " + std::to_string(LongestRecord) + " байт");
                }
            }
        }
        formulaWithoutValue = formula && !hasValue;
        if (type == QLatin1String("s")) {
            return texts_.SharedString(value);
        }
        if (type == QLatin1String("b")) {
            return value == "1" ? "1" : "0";
        }
        if (type.isEmpty() || type == QLatin1String("n")) {
            if (shape == NumberShape::Plain) {
                std::optional<std::string> plain = PlainNumber(value);
                number = plain.has_value();
                return plain ? std::move(*plain) : value;
            }
            return ShownNumber(value, shape, texts_.Days1904);
        }
        return value;
    }

    Part part_;
    const CellTexts& texts_;
    bool ended_ = false;
    std::size_t lastRow_ = 0;
};

// The workbook's sheets read one after the other; the archive outlives the open part.
class XlsxSheet final : public WorkbookSheet {
public:
    XlsxSheet(Archive book, const std::atomic<bool>* stop, ReadingProgress* progress)
        : WorkbookSheet(stop, progress), Book(std::move(book)) {
        Open();
    }

    std::uint64_t BytesRead() const override {
        return PackedBefore + (Cursor ? Cursor->PackedRead() : 0);
    }

protected:
    bool NextRecord(SheetRecord& record) override;

private:
    void Open();
    void ReadShared();
    void ReadStyles();
    std::vector<SheetEntry> ListSheets();

    Archive Book;
    CellTexts Texts;
    std::vector<SheetEntry> Sheets; // the header's sheet, then the continuations
    std::size_t Current = 0;
    std::unique_ptr<SheetCursor> Cursor;
    std::uint64_t PackedBefore = 0; // of the sheets finished
};

std::vector<SheetEntry> XlsxSheet::ListSheets() {
    std::vector<SheetEntry> sheets;
    // The sheets waiting for their part, by relationship: each found once, however many
    // relationships there are.
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;
    {
        Part part(Book.get(), "xl/workbook.xml", Work());
        while (part.Exists() && part.Next()) {
            QXmlStreamReader& xml = part.Xml();
            if (xml.isStartElement() && xml.name() == QLatin1String("workbookPr")) {
                const QStringView days = xml.attributes().value(QLatin1String("date1904"));
                Texts.Days1904 = days == QLatin1String("1") || days == QLatin1String("true");
            }
            if (!xml.isStartElement() || xml.name() != QLatin1String("sheet")) {
                continue;
            }
            if (sheets.size() == MostSheets) {
                Refuse("листов больше " + std::to_string(MostSheets));
            }
            SheetEntry entry;
            entry.Name = xml.attributes().value(QLatin1String("name")).toUtf8().toStdString();
            const QStringView state = xml.attributes().value(QLatin1String("state"));
            entry.Hidden = state == QLatin1String("hidden") || state == QLatin1String("veryHidden");
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == QLatin1String("id") &&
                    !attribute.namespaceUri().isEmpty()) {
                    waiting[attribute.value().toUtf8().toStdString()].push_back(sheets.size());
                }
            }
            sheets.push_back(entry);
        }
    }
    Part part(Book.get(), "xl/_rels/workbook.xml.rels", Work());
    std::size_t relationships = 0;
    while (part.Exists() && part.Next()) {
        QXmlStreamReader& xml = part.Xml();
        if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")) {
            continue;
        }
        if (++relationships > MostRelationships) {
            Refuse("связей между частями книги больше " + std::to_string(MostRelationships));
        }
        const std::string target =
            xml.attributes().value(QLatin1String("Target")).toUtf8().toStdString();
        const auto found =
            waiting.find(xml.attributes().value(QLatin1String("Id")).toUtf8().toStdString());
        if (target.empty() || found == waiting.end()) {
            continue;
        }
        for (const std::size_t i : found->second) {
            ++Work()->Steps;
            sheets[i].Part = target.front() == '/' ? target.substr(1) : "xl/" + target;
        }
        waiting.erase(found); // the first relationship of an id is its part
    }
    std::erase_if(sheets, [](const SheetEntry& entry) { return entry.Part.empty(); });
    if (sheets.empty()) {
        sheets.push_back({"", "xl/worksheets/sheet1.xml", false});
    }
    return sheets;
}

void XlsxSheet::ReadShared() {
    Part part(Book.get(), "xl/sharedStrings.xml", Work());
    while (part.Exists() && part.Next()) {
        if (part.Xml().isStartElement() && part.Xml().name() == QLatin1String("si")) {
            Texts.Shared += TextOf(part, "t", "rPh", LongestRecord);
            Texts.SharedEnds.push_back(Texts.Shared.size());
            if (Texts.Shared.size() + Texts.SharedEnds.size() * sizeof(std::size_t) >
                LongestSharedStrings) {
                Refuse("общих строк больше " + std::to_string(LongestSharedStrings >> 20) + " МБ");
            }
        }
    }
}

void XlsxSheet::ReadStyles() {
    Part part(Book.get(), "xl/styles.xml", Work());
    std::unordered_map<unsigned, NumberShape> declared; // the last declaration of an id counts
    int inCellFormats = 0;
    while (part.Exists() && part.Next()) {
        QXmlStreamReader& xml = part.Xml();
        if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            --inCellFormats;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        const QStringView name = xml.name();
        const unsigned id = xml.attributes().value(QLatin1String("numFmtId")).toUInt();
        if (name == QLatin1String("cellXfs")) {
            ++inCellFormats;
        } else if (name == QLatin1String("numFmt")) {
            declared[id] = ShapeOfCode(xml.attributes().value(QLatin1String("formatCode")));
            if (declared.size() > MostFormats) {
                Refuse("форматов чисел больше " + std::to_string(MostFormats));
            }
        } else if (name == QLatin1String("xf") && inCellFormats > 0) {
            if (Texts.Formats.size() >= MostFormats) {
                Refuse("форматов ячеек больше " + std::to_string(MostFormats));
            }
            ++Work()->Steps;
            const auto own = declared.find(id);
            Texts.Formats.push_back(own != declared.end() ? own->second : ShapeOfBuiltIn(id));
        }
    }
}

void XlsxSheet::Open() {
    ReadShared();
    ReadStyles();
    std::vector<SheetEntry> sheets = ListSheets();
    const auto first = std::find_if(sheets.begin(), sheets.end(),
                                    [](const SheetEntry& entry) { return !entry.Hidden; });
    if (first == sheets.end()) {
        Refuse("все листы скрыты");
    }
    std::vector<std::string> notRead;
    for (auto sheet = sheets.begin(); sheet != first; ++sheet) {
        notRead.push_back("«" + sheet->Name + "» (скрыт)");
    }
    Sheets.push_back(*first);
    Cursor = std::make_unique<SheetCursor>(Book.get(), *first, Texts, Work());
    SheetRecord header;
    do {
        if (!Cursor->NextRow(header, MostColumns)) {
            throw SheetError("на листе «" + first->Name +
                             "» нет строки заголовка с именами столбцов");
        }
    } while (TrimmedHeader(header.Cells).empty());
    const std::vector<std::string> trimmed = TrimmedHeader(header.Cells);
    std::unordered_set<std::string> parts{first->Part}; // each read once
    for (auto sheet = first + 1; sheet != sheets.end(); ++sheet) {
        if (sheet->Hidden) {
            notRead.push_back("«" + sheet->Name + "» (скрыт)");
            continue;
        }
        if (!parts.insert(sheet->Part).second) {
            notRead.push_back("«" + sheet->Name + "» (повторяет другой лист)");
            continue;
        }
        SheetCursor cursor(Book.get(), *sheet, Texts, Work());
        SheetRecord other;
        if (!cursor.NextRow(other, MostColumns)) {
            continue; // an empty sheet holds no houses
        }
        if (TrimmedHeader(std::move(other.Cells)) == trimmed) {
            Sheets.push_back(*sheet);
        } else {
            notRead.push_back("«" + sheet->Name + "» (другой заголовок)");
        }
    }
    SetHeader(std::move(header.Cells), header.Line, notRead);
}

bool XlsxSheet::NextRecord(SheetRecord& record) {
    for (;;) {
        if (Cursor->NextRow(record, Header().size() + 1)) {
            record.Sheet = Current == 0 ? std::string() : Sheets[Current].Name;
            return true;
        }
        if (++Current >= Sheets.size()) {
            return false;
        }
        PackedBefore += Cursor->PackedRead();
        Cursor.reset(); // an open part before the next
        Cursor = std::make_unique<SheetCursor>(Book.get(), Sheets[Current], Texts, Work());
        SheetRecord header;
        Cursor->NextRow(header, MostColumns); // the same header again
    }
}

} // namespace

std::unique_ptr<WorkbookSheet> XlsxSheetOf(Archive book, const std::atomic<bool>* stop,
                                           ReadingProgress* progress) {
    return std::make_unique<XlsxSheet>(std::move(book), stop, progress);
}

} // namespace sheet
