#include "WorkbookParts.h"
#include "WorkbookSheet.h"

#include <QString>

#include <algorithm>
#include <optional>
#include <set>

namespace sheet {
namespace {

constexpr std::string_view Kind = ".ods";
constexpr std::size_t MostRows = 1048576;

const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString StyleNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");

[[noreturn]] void Refuse(const std::string& why) {
    RefuseWorkbook(Kind, why);
}

bool Is(const QXmlStreamReader& xml, const QString& ns, QLatin1StringView name) {
    return xml.name() == name && xml.namespaceUri() == ns;
}

// A repeat count: 1 when absent, at most `most` however many digits it has; a count that is no
// whole number (-1) is refused.
std::size_t Repeats(const QXmlStreamReader& xml, QLatin1StringView name, std::size_t most) {
    const QStringView text = xml.attributes().value(TableNs, name).trimmed();
    if (text.isEmpty()) {
        return 1;
    }
    std::size_t count = 0;
    for (const QChar c : text) {
        if (c.unicode() < '0' || c.unicode() > '9') {
            RefuseWorkbook(Kind, "число повторов table:" + name.toString().toStdString() + "=«" +
                                     text.left(40).toUtf8().toStdString() +
                                     "» — не целое число от 1");
        }
        count = std::min(count * 10 + static_cast<std::size_t>(c.unicode() - '0'), most);
    }
    return std::max<std::size_t>(count, 1);
}

// "2024-01-05" or "2024-01-05T10:00:00" as a sheet shows the date: "05.01.2024".
std::string ShownDate(const std::string& iso) {
    if (iso.size() < 10 || iso[4] != '-' || iso[7] != '-') {
        return iso;
    }
    return iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4);
}

struct TableEntry {
    std::string Name;
    bool Hidden = false;
};

// The spreadsheet's content read as sheets of rows.
class OdsCursor {
public:
    OdsCursor(zip_t* archive, ReadingWork* work) : part_(archive, "content.xml", work) {
        if (!part_.Exists()) {
            Refuse("нет части content.xml");
        }
    }

    // Moves to the start of the next sheet; false at the end of the document.
    bool NextTable(TableEntry& table) {
        QXmlStreamReader& xml = part_.Xml();
        SkipRestOfTable();
        while (part_.Next()) {
            if (!xml.isStartElement()) {
                continue;
            }
            if (Is(xml, StyleNs, QLatin1StringView("style"))) {
                style_ = xml.attributes().value(StyleNs, QLatin1StringView("name")).toString();
            } else if (Is(xml, StyleNs, QLatin1StringView("table-properties")) &&
                       xml.attributes().value(TableNs, QLatin1StringView("display")) ==
                           QLatin1StringView("false") &&
                       hiddenStyles_.size() < MostColumns) {
                hiddenStyles_.insert(style_);
            } else if (Is(xml, TableNs, QLatin1StringView("table"))) {
                table.Name = xml.attributes()
                                 .value(TableNs, QLatin1StringView("name"))
                                 .toUtf8()
                                 .toStdString();
                table.Hidden =
                    hiddenStyles_.count(xml.attributes()
                                            .value(TableNs, QLatin1StringView("style-name"))
                                            .toString()) > 0;
                row_ = 0;
                inTable_ = true;
                tableDepth_ = 0;
                return true;
            }
        }
        return false;
    }

    // The next row of the sheet that is not empty, with at most `keep` cells and the times it is
    // repeated; false at the end of the sheet.
    bool NextRow(SheetRecord& record, std::size_t keep) {
        QXmlStreamReader& xml = part_.Xml();
        while (inTable_ && part_.Next()) {
            if (xml.isEndElement() && tableDepth_-- == 0) {
                inTable_ = false;
                break;
            }
            if (!xml.isStartElement()) {
                continue;
            }
            if (!Is(xml, TableNs, QLatin1StringView("table-row"))) {
                ++tableDepth_; // a group of rows, the columns' styles
                continue;
            }
            const std::size_t repeats =
                Repeats(xml, QLatin1StringView("number-rows-repeated"), MostRows);
            ReadCells(record, keep);
            if (!HoldsAnything(record)) {
                row_ += repeats; // empty rows (a sheet's end) are only counted
                continue;
            }
            if (row_ + repeats > MostRows) {
                Refuse("строк на листе больше " + std::to_string(MostRows));
            }
            record.Line = row_ + 1;
            record.Repeats = repeats;
            row_ += repeats;
            return true;
        }
        return false;
    }

    std::uint64_t PackedRead() const { return part_.PackedRead(); }

private:
    // Reads past the end of the sheet being read, rows and all: a table nested in a cell is part
    // of its cell, never a sheet of its own, whichever pass reads the document.
    void SkipRestOfTable() {
        QXmlStreamReader& xml = part_.Xml();
        while (inTable_ && part_.Next()) {
            if (xml.isStartElement()) {
                ++tableDepth_;
            } else if (xml.isEndElement() && tableDepth_-- == 0) {
                inTable_ = false;
            }
        }
        inTable_ = false;
    }

    // Reads past the end of the element the reader is on.
    void SkipElement() {
        QXmlStreamReader& xml = part_.Xml();
        int depth = 1;
        while (depth > 0 && part_.Next()) {
            depth += xml.isStartElement() ? 1 : xml.isEndElement() ? -1 : 0;
        }
    }

    void ReadCells(SheetRecord& record, std::size_t keep) {
        QXmlStreamReader& xml = part_.Xml();
        ClearCells(record);
        std::size_t column = 0;
        std::size_t bytes = 0;
        int depth = 1;
        while (depth > 0 && part_.Next()) {
            if (xml.isEndElement()) {
                --depth;
                continue;
            }
            if (!xml.isStartElement()) {
                continue;
            }
            if (!Is(xml, TableNs, QLatin1StringView("table-cell")) &&
                !Is(xml, TableNs, QLatin1StringView("covered-table-cell"))) {
                ++depth;
                continue;
            }
            const std::size_t repeats =
                Repeats(xml, QLatin1StringView("number-columns-repeated"), MostColumns);
            bool formulaWithoutValue = false;
            bool number = false;
            const std::string value = CellValue(formulaWithoutValue, number);
            if (formulaWithoutValue && column < MostColumns) {
                record.Problems.push_back({column, FormulaWithoutValue});
            }
            if (!value.empty()) {
                if (column + repeats > MostColumns) {
                    Refuse("строка " + std::to_string(row_ + 1) + ": больше " +
                           std::to_string(MostColumns) + " столбцов");
                }
                for (std::size_t i = 0; i < repeats && column + i < keep; ++i) {
                    PutCell(record, column + i, value, number, bytes, row_ + 1);
                }
                if (column + repeats > keep) {
                    record.Width = column + repeats;
                }
            }
            column = std::min(column + repeats, MostColumns + 1);
        }
    }

    // The value of the cell the reader is on; the reader ends on the cell's end.
    std::string CellValue(bool& formulaWithoutValue, bool& number) {
        QXmlStreamReader& xml = part_.Xml();
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView type = attributes.value(OfficeNs, QLatin1StringView("value-type"));
        const bool formula = attributes.hasAttribute(TableNs, QLatin1StringView("formula"));
        const auto attribute = [&](const char* name) {
            return attributes.value(OfficeNs, QLatin1StringView(name)).toUtf8().toStdString();
        };
        std::string text = Text();
        formulaWithoutValue = formula && type.isEmpty();
        if (type == QLatin1StringView("float") || type == QLatin1StringView("currency")) {
            const std::string stored = attribute("value");
            std::optional<std::string> plain = PlainNumber(stored);
            number = plain.has_value();
            return plain ? std::move(*plain) : stored;
        }
        if (type == QLatin1StringView("percentage")) {
            return ShownNumber(attribute("value"), NumberShape::Percent);
        }
        if (type == QLatin1StringView("date")) {
            return ShownDate(attribute("date-value"));
        }
        if (type == QLatin1StringView("boolean")) {
            return attribute("boolean-value") == "true" ? "1" : "0";
        }
        if (type == QLatin1StringView("string") &&
            attributes.hasAttribute(OfficeNs, QLatin1StringView("string-value"))) {
            return attribute("string-value");
        }
        return text;
    }

    // Whether an element inside a cell holds the cell's text: paragraphs, lists of them and what
    // a paragraph holds of text; not a comment, a footnote, a frame or a table nested in the cell.
    static bool HoldsText(const QXmlStreamReader& xml, bool inParagraph) {
        if (xml.namespaceUri() != TextNs || xml.name() == QLatin1StringView("note")) {
            return false;
        }
        const QStringView name = xml.name();
        return inParagraph || name == QLatin1StringView("p") || name == QLatin1StringView("h") ||
               name == QLatin1StringView("list") || name == QLatin1StringView("list-item") ||
               name == QLatin1StringView("list-header") || name == QLatin1StringView("section");
    }

    // The paragraphs of the cell, a line each, with their spaces, tabs and line breaks.
    std::string Text() {
        QXmlStreamReader& xml = part_.Xml();
        std::string text;
        int depth = 1;
        int paragraphs = 0;
        int inParagraph = 0;
        while (depth > 0 && part_.Next()) {
            if (xml.isStartElement() && !HoldsText(xml, inParagraph > 0)) {
                SkipElement();
            } else if (xml.isStartElement()) {
                ++depth;
                if (Is(xml, TextNs, QLatin1StringView("p")) ||
                    Is(xml, TextNs, QLatin1StringView("h"))) {
                    text += paragraphs++ > 0 ? "\n" : "";
                    ++inParagraph;
                } else if (inParagraph > 0 && Is(xml, TextNs, QLatin1StringView("s"))) {
                    bool ok = false;
                    const unsigned count =
                        xml.attributes().value(TextNs, QLatin1StringView("c")).toUInt(&ok);
                    text.append(ok ? std::min<unsigned>(count, LongestRecord) : 1, ' ');
                } else if (inParagraph > 0 && Is(xml, TextNs, QLatin1StringView("tab"))) {
                    text += '\t';
                } else if (inParagraph > 0 && Is(xml, TextNs, QLatin1StringView("line-break"))) {
                    text += '\n';
                }
            } else if (xml.isEndElement()) {
                --depth;
                if (Is(xml, TextNs, QLatin1StringView("p")) ||
                    Is(xml, TextNs, QLatin1StringView("h"))) {
                    --inParagraph;
                }
            } else if (xml.isCharacters() && inParagraph > 0) {
                text += xml.text().toUtf8().toStdString();
            }
            if (text.size() > LongestRecord) {
                Refuse("ячейка длиннее " + std::to_string(LongestRecord) + " байт");
            }
        }
        return text;
    }

    Part part_;
    std::set<QString> hiddenStyles_;
    QString style_;
    bool inTable_ = false;
    int tableDepth_ = 0; // elements open in the sheet being read, outside its rows
    std::size_t row_ = 0;
};

// The spreadsheet's sheets read one after the other; the archive outlives the open part.
class OdsSheet final : public WorkbookSheet {
public:
    OdsSheet(Archive book, const std::atomic<bool>* stop, ReadingProgress* progress)
        : WorkbookSheet(stop, progress), Book(std::move(book)) {
        Open();
    }

    std::uint64_t BytesRead() const override { return Cursor ? Cursor->PackedRead() : 0; }

protected:
    bool NextRecord(SheetRecord& record) override;

private:
    void Open();
    void SkipHeader();

    Archive Book;
    std::unique_ptr<OdsCursor> Cursor;
    std::vector<bool> ReadTable; // per sheet of the document: its rows are houses
    std::size_t Table = 0;       // the sheet being read, from 0
    std::string Continuation;    // its name when it is not the first read, else empty
    std::optional<SheetRecord> HeaderCopies;
};

// A first pass over the sheets finds the header and the continuations; the second reads them.
void OdsSheet::Open() {
    const std::string type = SmallPartText(Book.get(), "mimetype", 128);
    if (!type.empty() && type != "application/vnd.oasis.opendocument.spreadsheet") {
        Refuse("это документ OpenDocument, но не таблица (" + type + ")");
    }
    // The list of parts says which are encrypted; its size is of a few lines a part.
    if (SmallPartText(Book.get(), "META-INF/manifest.xml", 1 << 20).find("encryption-data") !=
        std::string::npos) {
        throw SheetError("таблица .ods защищена паролем: откройте её в табличном редакторе, "
                         "снимите пароль и сохраните");
    }
    std::vector<std::string> notRead;
    {
        OdsCursor survey(Book.get(), Work());
        TableEntry table;
        bool found = false;
        SheetRecord header;
        std::vector<std::string> trimmed;
        while (survey.NextTable(table)) {
            SheetRecord first;
            bool any = !table.Hidden && survey.NextRow(first, MostColumns);
            while (any && TrimmedHeader(first.Cells).empty()) {
                any = survey.NextRow(first, MostColumns);
            }
            bool read = false;
            if (table.Hidden) {
                notRead.push_back("«" + table.Name + "» (скрыт)");
            } else if (any && !found) {
                found = true;
                read = true;
                header = std::move(first);
                trimmed = TrimmedHeader(header.Cells);
            } else if (any) {
                read = TrimmedHeader(std::move(first.Cells)) == trimmed;
                if (!read) {
                    notRead.push_back("«" + table.Name + "» (другой заголовок)");
                }
            }
            ReadTable.push_back(read);
            if (ReadTable.size() > MostColumns) {
                Refuse("листов больше " + std::to_string(MostColumns));
            }
        }
        if (!found) {
            throw SheetError("ни на одном видимом листе нет строки заголовка с именами столбцов");
        }
        SetHeader(std::move(header.Cells), header.Line, notRead);
    }
    Cursor = std::make_unique<OdsCursor>(Book.get(), Work());
    Table = 0;
    TableEntry table;
    while (Cursor->NextTable(table) && !ReadTable[Table]) {
        ++Table;
    }
    SkipHeader();
}

// Reads past the header row of the sheet being read: the row's copies, when it is repeated, are
// a record of their own (a register's rows, rejected as their cells are).
void OdsSheet::SkipHeader() {
    SheetRecord header;
    while (Cursor->NextRow(header, MostColumns) && TrimmedHeader(header.Cells).empty()) {
    }
    if (header.Repeats > 1 && !TrimmedHeader(header.Cells).empty()) {
        ++header.Line;
        --header.Repeats;
        HeaderCopies = std::move(header);
    }
}

bool OdsSheet::NextRecord(SheetRecord& record) {
    for (;;) {
        if (HeaderCopies) {
            record = std::move(*HeaderCopies);
            record.Sheet = Continuation;
            HeaderCopies.reset();
            return true;
        }
        if (Cursor->NextRow(record, Header().size() + 1)) {
            record.Sheet = Continuation;
            return true;
        }
        TableEntry table;
        bool next = false;
        while (!next && Cursor->NextTable(table)) {
            next = ++Table < ReadTable.size() && ReadTable[Table];
        }
        if (!next) {
            return false;
        }
        Continuation = table.Name;
        SkipHeader(); // the same header again
    }
}

} // namespace

std::unique_ptr<WorkbookSheet> OdsSheetOf(Archive book, const std::atomic<bool>* stop,
                                          ReadingProgress* progress) {
    return std::make_unique<OdsSheet>(std::move(book), stop, progress);
}

} // namespace sheet
