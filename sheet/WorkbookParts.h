#pragma once

// The zip archive and the XML parts of an office workbook (.xlsx, .ods), read within bounds:
// whatever a file holds, a part is read piece by piece in memory of a few pieces and in time
// linear in its unpacked size, or refused.

#include "HouseSheet.h"
#include "WorkbookSheet.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

typedef struct zip zip_t;
typedef struct zip_file zip_file_t;

namespace sheet {

// The largest part a workbook may have unpacked, and how many times its packed size it may be:
// a sheet of a million rows is well under both; a part past either is refused before it is read.
inline constexpr std::uint64_t LargestPart = std::uint64_t{16} << 30;
inline constexpr std::uint64_t LargestPackingRatio = 400;
// Parts smaller than this are not held to the ratio: small XML packs well.
inline constexpr std::uint64_t RatioCheckedFrom = 1 << 20;
// Elements nested deeper than this: no workbook's XML is.
inline constexpr int DeepestNesting = 64;

struct ArchiveCloser {
    void operator()(zip_t* archive) const;
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

// Opens a workbook's archive, from a file or from bytes held by the caller. Throws SheetError in
// the program's words, `kind` naming the format (".xlsx").
Archive OpenArchive(const std::string& fileName, std::string_view kind);
Archive OpenArchive(std::string_view bytes, std::string_view kind);

// Whether a zip file is an OpenDocument file rather than an .xlsx workbook.
bool IsOpenDocument(const std::string& fileName);

// Whether the archive has a part of this name.
bool HasPart(zip_t* archive, const std::string& name);

// The text of a small part (a type declaration), up to `most` bytes; empty when it is missing.
std::string SmallPartText(zip_t* archive, const std::string& name, std::size_t most);

// Passes a part's XML on without what no workbook needs and what would let a small file take
// much memory or time: comments and processing instructions are dropped, CDATA becomes text, a
// document type declaration is refused, as are a text run or a tag over LongestRecord and
// nesting past DeepestNesting.
class XmlGuard {
public:
    // Appends the guarded form of `piece` to `out`. Throws SheetError.
    void Pass(std::string_view piece, QByteArray& out);

private:
    enum class State { Text, Open, Tag, Bang, Comment, CData, Instruction };
    // Passes the text from `from` up to the next '<'; returns where reading goes on.
    std::size_t PassText(std::string_view piece, std::size_t from, QByteArray& out);
    // Takes one byte of markup; false when the byte is to be read again in the new state.
    bool Step(char c, QByteArray& out);
    bool Open(char c, QByteArray& out);
    void TagByte(char c, QByteArray& out);
    void BangByte(char c);
    void CDataByte(char c, QByteArray& out);
    void Append(char c, QByteArray& out);
    void Count(std::uint64_t& run, std::size_t bytes, const char* what);
    State state_ = State::Text;
    std::string bang_;       // what follows "<!" until its kind is known
    std::uint64_t text_ = 0; // bytes of the text run so far
    std::uint64_t tag_ = 0;  // bytes of the tag so far
    int depth_ = 0;          // elements open
    bool closing_ = false;   // the tag is an end tag
    char quote_ = 0;         // the quote an attribute value in the tag is open with
    char last_ = 0;          // the tag's last byte that is not blank
    int marks_ = 0;          // '-' or ']' or '?' seen last, for the end of a comment or CDATA
};

// One part of the archive read piece by piece, guarded, as XML tokens; each token read is a step
// of `work` when given, whose stop flag ends the reading with SheetError(ReadingStopped).
class Part {
public:
    Part(zip_t* archive, const std::string& name, ReadingWork* work = nullptr);
    ~Part();
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;

    bool Exists() const { return entry_ != nullptr; }
    const std::string& Name() const { return name_; }
    // The next token; false at the end of the part. Throws SheetError.
    bool Next();
    QXmlStreamReader& Xml() { return xml_; }
    // Bytes of the archive's file behind what has been read.
    std::uint64_t PackedRead() const;

private:
    std::string name_;
    zip_file_t* entry_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t packed_ = 0;
    std::uint64_t read_ = 0;
    ReadingWork* work_ = nullptr;
    XmlGuard guard_;
    QXmlStreamReader xml_;
    std::string piece_;
};

// A workbook's text with its escapes read: "_x000D_" is a carriage return, "_x005F_" the '_' of
// a text that looks like an escape.
std::string Unescaped(const std::string& text);

// The text of every text element (named `text`) inside the current element, without the
// elements in `skipped` (phonetic hints), up to `longest` bytes, its escapes read; the part ends
// on the element's end.
std::string TextOf(Part& part, std::string_view text, std::string_view skipped,
                   std::size_t longest);

// The problem of a cell whose formula was saved without its value.
inline constexpr const char* FormulaWithoutValue =
    "формула без значения — откройте и сохраните файл в табличном редакторе";

// Empties a record for the cells of its next row.
void ClearCells(SheetRecord& record);

// Whether a row read holds anything: a cell that is not empty, one past the kept ones, a problem.
bool HoldsAnything(const SheetRecord& record);

// Puts a cell's text at its column of the record being read, after empty cells up to it; a
// number is marked in NumberColumns. `bytes` counts the record's text, refused past
// LongestRecord with the row's number `row`.
void PutCell(SheetRecord& record, std::size_t column, std::string value, bool number,
             std::size_t& bytes, std::size_t row);

class WorkbookSheet;
// The readers of each format over an open archive (OpenWorkbook chooses): they read the header.
std::unique_ptr<WorkbookSheet> XlsxSheetOf(Archive book, const std::atomic<bool>* stop,
                                           ReadingProgress* progress);
std::unique_ptr<WorkbookSheet> OdsSheetOf(Archive book, const std::atomic<bool>* stop,
                                          ReadingProgress* progress);

// Refuses a workbook: "это не книга <kind>, которую можно прочитать: why".
[[noreturn]] void RefuseWorkbook(std::string_view kind, const std::string& why);

// The common shapes of numbers an office shows: a percent cell holds 0.05 and shows 5 %, a date
// cell a day count.
enum class NumberShape { Plain, Percent, Date };

// A stored number written plainly as a sheet shows it in its general format: fifteen significant
// digits, no exponent (1E+20 as 100000000000000000000), a decimal point; none when the text is
// no finite number.
std::optional<std::string> PlainNumber(const std::string& stored);

// A stored number as the cell shows it: a percent as "5%", a date as "05.01.2024" (day counts
// from 1899-12-30, or from 1904-01-01 in a workbook of the 1904 date system), anything else as
// stored.
std::string ShownNumber(const std::string& stored, NumberShape shape, bool days1904 = false);

} // namespace sheet
