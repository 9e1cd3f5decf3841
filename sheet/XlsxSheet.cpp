#include "XlsxSheet.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

#include <algorithm>
#include <limits>

namespace sheet {
namespace {

// A workbook's parts are read this much at a time.
constexpr std::size_t PieceSize = 1 << 16;
// The shared strings of a workbook are held whole: beyond this it is refused.
constexpr std::size_t LongestSharedStrings = 256u << 20;
// The columns of a sheet: A to XFD.
constexpr std::size_t MostColumns = 16384;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

[[noreturn]] void Refuse(const std::string& why) {
    throw SheetError("это не книга .xlsx, которую можно прочитать: " + why);
}

// One part of the archive read piece by piece.
class Part {
public:
    Part(zip_t* archive, const std::string& name) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(archive, name.c_str(), 0, &stat) != 0) {
            return;
        }
        entry_.reset(zip_fopen(archive, name.c_str(), 0));
        if (!entry_) {
            Refuse("часть " + name + " не читается");
        }
        size_ = (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
        compressed_ = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : 0;
    }
    bool Exists() const { return entry_ != nullptr; }

    // The next piece; empty at the end.
    QByteArray Next() {
        QByteArray piece(static_cast<qsizetype>(PieceSize), Qt::Uninitialized);
        const zip_int64_t count = zip_fread(entry_.get(), piece.data(), PieceSize);
        if (count < 0) {
            Refuse(std::string("повреждённый архив (") + zip_file_strerror(entry_.get()) + ")");
        }
        read_ += static_cast<std::uint64_t>(count);
        piece.resize(static_cast<qsizetype>(count));
        return piece;
    }
    // Bytes of the archive's file behind what has been read.
    std::uint64_t CompressedRead() const {
        return size_ == 0
                   ? 0
                   : static_cast<std::uint64_t>(static_cast<double>(read_) * compressed_ / size_);
    }

private:
    std::unique_ptr<zip_file_t, EntryCloser> entry_;
    std::uint64_t size_ = 0;
    std::uint64_t compressed_ = 0;
    std::uint64_t read_ = 0;
};

// Reads the next token of a part, feeding the reader as it needs: false at the end of the part.
bool NextToken(QXmlStreamReader& xml, Part& part) {
    for (;;) {
        xml.readNext();
        if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            const QByteArray piece = part.Next();
            if (piece.isEmpty()) {
                Refuse("XML обрывается");
            }
            xml.addData(piece);
            continue;
        }
        if (xml.hasError()) {
            Refuse("ошибка XML: " + xml.errorString().toStdString());
        }
        return !xml.atEnd() && xml.tokenType() != QXmlStreamReader::EndDocument;
    }
}

// The text of every <t> inside the current element (a rich text's runs, an inline string),
// without phonetic hints; the reader ends on the element's end.
std::string TextOf(QXmlStreamReader& xml, Part& part, std::size_t longest) {
    std::string text;
    int depth = 1;
    bool inText = false;
    int phonetic = 0;
    while (depth > 0 && NextToken(xml, part)) {
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("rPh")) {
                ++phonetic;
            }
            inText = xml.name() == QLatin1String("t") && phonetic == 0;
        } else if (xml.isEndElement()) {
            --depth;
            if (xml.name() == QLatin1String("rPh")) {
                --phonetic;
            }
            inText = false;
        } else if (xml.isCharacters() && inText) {
            text += xml.text().toString().toStdString();
            if (text.size() > longest) {
                Refuse("ячейка длиннее " + std::to_string(longest) + " байт");
            }
        }
    }
    return text;
}

// A whole small part (the workbook, its relationships), as XML events handed to `visit`.
template <class Visit> void ReadSmallPart(zip_t* archive, const std::string& name, Visit visit) {
    Part part(archive, name);
    if (!part.Exists()) {
        return;
    }
    QXmlStreamReader xml;
    while (NextToken(xml, part)) {
        if (xml.isStartElement() && !visit(xml)) {
            return;
        }
    }
}

// "BC12" -> column 54 (from 0); nullopt for a reference without letters.
std::optional<std::size_t> ColumnOf(QStringView reference) {
    std::size_t column = 0;
    std::size_t letters = 0;
    for (const QChar c : reference) {
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

} // namespace

struct XlsxSheet::State {
    std::unique_ptr<zip_t, ArchiveCloser> Archive;
    std::vector<std::string> Shared;
    std::unique_ptr<Part> Sheet;
    QXmlStreamReader Xml;
    bool Ended = false;
    bool HeaderDone = false;
    std::vector<std::string> Header;
    std::size_t HeaderLine = 1;
    std::size_t LastRow = 0;

    void Open();
    void ReadShared();
    std::string FirstSheetName();
    // The next row that is not empty; false at the end of the sheet.
    bool NextRow(SheetRecord& record);
    std::string CellValue(const QString& type);
};

std::string XlsxSheet::State::FirstSheetName() {
    std::string relation;
    ReadSmallPart(Archive.get(), "xl/workbook.xml", [&](QXmlStreamReader& xml) {
        if (xml.name() != QLatin1String("sheet")) {
            return true;
        }
        for (const QXmlStreamAttribute& attribute : xml.attributes()) {
            if (attribute.name() == QLatin1String("id") && !attribute.namespaceUri().isEmpty()) {
                relation = attribute.value().toString().toStdString();
            }
        }
        return false;
    });
    std::string target;
    if (!relation.empty()) {
        ReadSmallPart(Archive.get(), "xl/_rels/workbook.xml.rels", [&](QXmlStreamReader& xml) {
            if (xml.name() == QLatin1String("Relationship") &&
                xml.attributes().value(QLatin1String("Id")).toString().toStdString() == relation) {
                target = xml.attributes().value(QLatin1String("Target")).toString().toStdString();
                return false;
            }
            return true;
        });
    }
    if (target.empty()) {
        return "xl/worksheets/sheet1.xml";
    }
    return target.front() == '/' ? target.substr(1) : "xl/" + target;
}

void XlsxSheet::State::ReadShared() {
    Part part(Archive.get(), "xl/sharedStrings.xml");
    if (!part.Exists()) {
        return;
    }
    QXmlStreamReader xml;
    std::size_t total = 0;
    while (NextToken(xml, part)) {
        if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
            Shared.push_back(TextOf(xml, part, LongestSharedStrings));
            total += Shared.back().size() + sizeof(std::string);
            if (total > LongestSharedStrings) {
                Refuse("общих строк больше " + std::to_string(LongestSharedStrings >> 20) + " МБ");
            }
        }
    }
}

void XlsxSheet::State::Open() {
    ReadShared();
    const std::string name = FirstSheetName();
    Sheet = std::make_unique<Part>(Archive.get(), name);
    if (!Sheet->Exists()) {
        Refuse("нет листа " + name);
    }
}

std::string XlsxSheet::State::CellValue(const QString& type) {
    std::string value;
    if (type == QLatin1String("inlineStr")) {
        return TextOf(Xml, *Sheet, LongestRecord);
    }
    // <v> (and <f>, which is skipped) inside the cell.
    int depth = 1;
    bool inValue = false;
    while (depth > 0 && NextToken(Xml, *Sheet)) {
        if (Xml.isStartElement()) {
            ++depth;
            inValue = Xml.name() == QLatin1String("v");
        } else if (Xml.isEndElement()) {
            --depth;
            inValue = false;
        } else if (Xml.isCharacters() && inValue) {
            value += Xml.text().toString().toStdString();
            if (value.size() > LongestRecord) {
                Refuse("ячейка длиннее " + std::to_string(LongestRecord) + " байт");
            }
        }
    }
    if (type == QLatin1String("s")) {
        std::size_t index = std::numeric_limits<std::size_t>::max();
        bool ok = false;
        const qulonglong number = QString::fromStdString(value).toULongLong(&ok);
        if (ok) {
            index = static_cast<std::size_t>(number);
        }
        if (index >= Shared.size()) {
            Refuse("ссылка на общую строку, которой нет");
        }
        return Shared[index];
    }
    if (type == QLatin1String("b")) {
        return value == "1" ? "1" : "0";
    }
    return value;
}

bool XlsxSheet::State::NextRow(SheetRecord& record) {
    while (!Ended) {
        if (!NextToken(Xml, *Sheet)) {
            Ended = true;
            break;
        }
        if (!Xml.isStartElement() || Xml.name() != QLatin1String("row")) {
            continue;
        }
        bool ok = false;
        const std::size_t number = Xml.attributes().value(QLatin1String("r")).toULongLong(&ok);
        record.Line = ok && number > LastRow ? number : LastRow + 1;
        LastRow = record.Line;
        record.Cells.clear();
        std::size_t bytes = 0;
        int depth = 1;
        while (depth > 0 && NextToken(Xml, *Sheet)) {
            if (Xml.isEndElement()) {
                --depth;
                continue;
            }
            if (!Xml.isStartElement()) {
                continue;
            }
            if (Xml.name() != QLatin1String("c")) {
                ++depth;
                continue;
            }
            const std::optional<std::size_t> column =
                ColumnOf(Xml.attributes().value(QLatin1String("r")));
            const std::size_t at = column.value_or(record.Cells.size());
            if (at >= MostColumns || at < record.Cells.size()) {
                Refuse("строка " + std::to_string(record.Line) + ": ячейки не по порядку");
            }
            const QString type = Xml.attributes().value(QLatin1String("t")).toString();
            std::string value = CellValue(type);
            bytes += value.size() + (at - record.Cells.size());
            if (bytes > LongestRecord) {
                throw SheetError("строка " + std::to_string(record.Line) + ": запись длиннее " +
                                 std::to_string(LongestRecord >> 20) + " МБ");
            }
            record.Cells.resize(at);
            record.Cells.push_back(std::move(value));
        }
        if (std::any_of(record.Cells.begin(), record.Cells.end(),
                        [](const std::string& cell) { return !cell.empty(); })) {
            return true;
        }
    }
    return false;
}

XlsxSheet::XlsxSheet() : state_(std::make_unique<State>()) {}

XlsxSheet::XlsxSheet(const std::string& fileName) : XlsxSheet() {
    int error = 0;
    state_->Archive.reset(zip_open(fileName.c_str(), ZIP_RDONLY, &error));
    if (!state_->Archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const std::string why = zip_error_strerror(&reason);
        zip_error_fini(&reason);
        throw SheetError("не удаётся открыть книгу .xlsx: " + why);
    }
    state_->Open();
}

std::unique_ptr<XlsxSheet> XlsxSheet::FromBytes(std::string_view bytes) {
    std::unique_ptr<XlsxSheet> sheet(new XlsxSheet());
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        Refuse("не хватает памяти");
    }
    sheet->state_->Archive.reset(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!sheet->state_->Archive) {
        zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        Refuse(why);
    }
    zip_error_fini(&error);
    sheet->state_->Open();
    return sheet;
}

XlsxSheet::~XlsxSheet() {
    if (state_) {
        state_->Sheet.reset(); // an open part before its archive
    }
}

void XlsxSheet::ReadHeader() {
    State& s = *state_;
    if (s.HeaderDone) {
        return;
    }
    SheetRecord record;
    if (!s.NextRow(record)) {
        throw SheetError("на первом листе нет строки заголовка с именами столбцов");
    }
    s.HeaderDone = true;
    s.Header = std::move(record.Cells);
    s.HeaderLine = record.Line;
}

bool XlsxSheet::ReadRecords(std::size_t wanted, std::vector<SheetRecord>& records) {
    ReadHeader();
    const std::size_t columns = state_->Header.size();
    for (std::size_t i = 0; i < wanted; ++i) {
        SheetRecord record;
        if (!state_->NextRow(record)) {
            return false;
        }
        // A workbook leaves out empty cells at the end of a row: the row has the header's width
        // unless it holds something past it.
        while (record.Cells.size() > columns && record.Cells.back().empty()) {
            record.Cells.pop_back();
        }
        record.Cells.resize(std::max(record.Cells.size(), columns));
        records.push_back(std::move(record));
    }
    return !state_->Ended;
}

const std::vector<std::string>& XlsxSheet::Header() const {
    return state_->Header;
}

std::size_t XlsxSheet::HeaderLine() const {
    return state_->HeaderLine;
}

std::uint64_t XlsxSheet::BytesRead() const {
    return state_->Sheet ? state_->Sheet->CompressedRead() : 0;
}

} // namespace sheet
