#include "WorkbookParts.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace sheet {
namespace {

// A part is read this much at a time.
constexpr std::size_t PieceSize = 1 << 16;

std::string ArchiveMessage(zip_error_t* error) {
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return "это не архив zip (книги .xlsx и .ods — архивы): файл повреждён или другого "
               "формата";
    case ZIP_ER_INCONS:
        return "архив повреждён: его оглавление противоречиво";
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return model::SystemMessage(zip_error_code_system(error));
    case ZIP_ER_MEMORY:
        return "не хватает памяти";
    case ZIP_ER_NOENT:
        return "нет такого файла";
    case ZIP_ER_COMPNOTSUPP:
        return "часть архива сжата способом, который не читается";
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return "книга зашифрована: сохраните её без пароля";
    case ZIP_ER_CRC:
        return "архив повреждён: контрольная сумма не сходится";
    case ZIP_ER_ZLIB:
        return "архив повреждён: сжатые данные не распаковываются";
    case ZIP_ER_EOF:
        return "архив обрывается: файл записан не целиком";
    default:
        return "архив не читается (ошибка libzip " + std::to_string(zip_error_code_zip(error)) +
               ")";
    }
}

} // namespace

void ClearCells(SheetRecord& record) {
    record.Cells.clear();
    record.Width = 0;
    record.Problems.clear();
    record.NumberColumns.clear();
    record.Repeats = 1;
}

bool HoldsAnything(const SheetRecord& record) {
    return record.Width > 0 || !record.Problems.empty() ||
           std::any_of(record.Cells.begin(), record.Cells.end(),
                       [](const std::string& cell) { return !cell.empty(); });
}

void PutCell(SheetRecord& record, std::size_t column, std::string value, bool number,
             std::size_t& bytes, std::size_t row) {
    bytes += value.size();
    if (bytes > LongestRecord) {
        throw SheetError("строка " + std::to_string(row) + ": запись длиннее " +
                         std::to_string(LongestRecord >> 20) + " МБ");
    }
    record.Cells.resize(column);
    record.Cells.push_back(std::move(value));
    if (number) {
        record.NumberColumns.push_back(column);
    }
}

void ArchiveCloser::operator()(zip_t* archive) const {
    zip_discard(archive);
}

void RefuseWorkbook(std::string_view kind, const std::string& why) {
    throw SheetError("это не книга " + std::string(kind) + ", которую можно прочитать: " + why);
}

Archive OpenArchive(const std::string& fileName, std::string_view kind) {
    int code = 0;
    Archive archive(zip_open(fileName.c_str(), ZIP_RDONLY, &code));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string why = ArchiveMessage(&error);
        zip_error_fini(&error);
        throw SheetError("не удаётся открыть книгу " + std::string(kind) + ": " + why);
    }
    return archive;
}

Archive OpenArchive(std::string_view bytes, std::string_view kind) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) {
        zip_error_fini(&error);
        RefuseWorkbook(kind, "не хватает памяти");
    }
    Archive archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        const std::string why = ArchiveMessage(&error);
        zip_error_fini(&error);
        RefuseWorkbook(kind, why);
    }
    zip_error_fini(&error);
    return archive;
}

bool IsOpenDocument(const std::string& fileName) {
    int code = 0;
    const Archive archive(zip_open(fileName.c_str(), ZIP_RDONLY, &code));
    return archive && HasPart(archive.get(), "content.xml") &&
           !HasPart(archive.get(), "xl/workbook.xml");
}

bool HasPart(zip_t* archive, const std::string& name) {
    return zip_name_locate(archive, name.c_str(), 0) >= 0;
}

std::string SmallPartText(zip_t* archive, const std::string& name, std::size_t most) {
    zip_file_t* entry = zip_fopen(archive, name.c_str(), 0);
    if (entry == nullptr) {
        return {};
    }
    std::string text(most, '\0');
    const zip_int64_t count = zip_fread(entry, text.data(), most);
    zip_fclose(entry);
    text.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return text;
}

void XmlGuard::Count(std::uint64_t& run, std::size_t bytes, const char* what) {
    run += bytes;
    if (run > LongestRecord) {
        throw SheetError(std::string("это не книга, которую можно прочитать: ") + what +
                         " длиннее " + std::to_string(LongestRecord >> 20) + " МБ");
    }
}

void XmlGuard::Append(char c, QByteArray& out) {
    // Text that CDATA held, written as XML text.
    switch (c) {
    case '<':
        out.append("&lt;");
        break;
    case '&':
        out.append("&amp;");
        break;
    case '>':
        out.append("&gt;");
        break;
    default:
        out.append(c);
    }
}

void XmlGuard::Pass(std::string_view piece, QByteArray& out) {
    std::size_t i = 0;
    while (i < piece.size()) {
        if (state_ == State::Text) {
            i = PassText(piece, i, out);
        } else if (Step(piece[i], out)) {
            ++i;
        }
    }
}

std::size_t XmlGuard::PassText(std::string_view piece, std::size_t from, QByteArray& out) {
    const std::size_t open = piece.find('<', from);
    const std::size_t end = open == std::string_view::npos ? piece.size() : open;
    Count(text_, end - from, "текст между тегами");
    out.append(piece.data() + from, static_cast<qsizetype>(end - from));
    if (open == std::string_view::npos) {
        return end;
    }
    state_ = State::Open;
    return end + 1;
}

bool XmlGuard::Step(char c, QByteArray& out) {
    switch (state_) {
    case State::Open:
        return Open(c, out);
    case State::Tag:
        TagByte(c, out);
        break;
    case State::Bang:
        BangByte(c);
        break;
    case State::Comment:
        if (c == '>' && marks_ >= 2) {
            state_ = State::Text;
        }
        marks_ = c == '-' ? marks_ + 1 : 0;
        break;
    case State::CData:
        CDataByte(c, out);
        break;
    case State::Instruction:
        if (c == '>' && marks_ == 1) {
            state_ = State::Text;
        }
        marks_ = c == '?' ? 1 : 0;
        break;
    case State::Text:
        break;
    }
    return true;
}

bool XmlGuard::Open(char c, QByteArray& out) {
    if (c == '!') {
        state_ = State::Bang;
        bang_.clear();
        return true;
    }
    if (c == '?') {
        state_ = State::Instruction;
        marks_ = 0;
        return true;
    }
    state_ = State::Tag;
    closing_ = c == '/';
    quote_ = 0;
    last_ = 0;
    tag_ = 0;
    text_ = 0;
    out.append('<');
    return false; // the byte is the tag's
}

void XmlGuard::TagByte(char c, QByteArray& out) {
    Count(tag_, 1, "тег");
    out.append(c);
    if (quote_ != 0) {
        quote_ = c == quote_ ? 0 : quote_;
        last_ = c;
    } else if (c == '"' || c == '\'') {
        quote_ = c;
        last_ = c;
    } else if (c == '>') {
        state_ = State::Text;
        if (closing_) {
            --depth_;
        } else if (last_ != '/' && ++depth_ > DeepestNesting) {
            throw SheetError("это не книга, которую можно прочитать: элементы XML "
                             "вложены глубже " +
                             std::to_string(DeepestNesting) + " уровней");
        }
    } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
        last_ = c;
    }
}

void XmlGuard::BangByte(char c) {
    bang_.push_back(c);
    if (bang_ == "--") {
        state_ = State::Comment;
        marks_ = 0;
    } else if (bang_ == "[CDATA[") {
        state_ = State::CData;
        marks_ = 0;
    } else if (!std::string_view("[CDATA[").starts_with(bang_) &&
               !std::string_view("--").starts_with(bang_)) {
        throw SheetError("это не книга, которую можно прочитать: объявление типа "
                         "документа (<!…) не допускается");
    }
}

void XmlGuard::CDataByte(char c, QByteArray& out) {
    if (c == ']') {
        ++marks_;
        return;
    }
    if (c == '>' && marks_ >= 2) {
        Count(text_, static_cast<std::size_t>(marks_ - 2), "текст между тегами");
        out.append(QByteArray(marks_ - 2, ']'));
        state_ = State::Text;
        marks_ = 0;
        return;
    }
    Count(text_, static_cast<std::size_t>(marks_) + 1, "текст между тегами");
    out.append(QByteArray(marks_, ']'));
    marks_ = 0;
    Append(c, out);
}

Part::Part(zip_t* archive, const std::string& name, ReadingWork* work) : name_(name), work_(work) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name.c_str(), 0, &stat) != 0) {
        return;
    }
    size_ = (stat.valid & ZIP_STAT_SIZE) != 0 ? stat.size : 0;
    packed_ = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : 0;
    if (size_ > LargestPart) {
        throw SheetError("часть книги " + name + " больше " + std::to_string(LargestPart >> 30) +
                         " ГБ в распакованном виде: такую книгу программа не читает");
    }
    if (size_ > RatioCheckedFrom && size_ / LargestPackingRatio > packed_) {
        throw SheetError("часть книги " + name + " распаковывается в " +
                         std::to_string(packed_ == 0 ? 0 : size_ / packed_) +
                         " раз больше, чем занимает (допустимо до " +
                         std::to_string(LargestPackingRatio) +
                         "): это не таблица, а файл, рассчитанный на переполнение памяти");
    }
    entry_ = zip_fopen(archive, name.c_str(), 0);
    if (entry_ == nullptr) {
        zip_error_t* error = zip_get_error(archive);
        throw SheetError("часть книги " + name + " не читается: " + ArchiveMessage(error));
    }
    piece_.resize(PieceSize);
}

Part::~Part() {
    if (entry_ != nullptr) {
        zip_fclose(entry_);
    }
}

bool Part::Next() {
    for (;;) {
        xml_.readNext();
        if (work_ != nullptr) {
            ++work_->Steps;
        }
        if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            if (work_ != nullptr && work_->Stop != nullptr && *work_->Stop) {
                throw SheetError(ReadingStopped);
            }
            const zip_int64_t count = zip_fread(entry_, piece_.data(), piece_.size());
            if (count < 0) {
                throw SheetError("часть книги " + name_ +
                                 " не читается: " + ArchiveMessage(zip_file_get_error(entry_)));
            }
            read_ += static_cast<std::uint64_t>(count);
            if (work_ != nullptr && work_->Progress != nullptr &&
                PackedRead() > work_->Progress->load()) {
                *work_->Progress = PackedRead();
            }
            if (read_ > size_ || read_ > LargestPart) {
                throw SheetError("часть книги " + name_ +
                                 " длиннее, чем сказано в оглавлении "
                                 "архива: файл повреждён");
            }
            if (count == 0) {
                throw SheetError("это не книга, которую можно прочитать: XML части " + name_ +
                                 " обрывается");
            }
            QByteArray guarded;
            guard_.Pass(std::string_view(piece_.data(), static_cast<std::size_t>(count)), guarded);
            xml_.addData(guarded);
            continue;
        }
        if (xml_.hasError()) {
            throw SheetError("это не книга, которую можно прочитать: ошибка XML в части " + name_ +
                             " (строка " + std::to_string(xml_.lineNumber()) + ")");
        }
        return !xml_.atEnd() && xml_.tokenType() != QXmlStreamReader::EndDocument;
    }
}

std::uint64_t Part::PackedRead() const {
    return size_ == 0 ? 0
                      : static_cast<std::uint64_t>(static_cast<double>(read_) *
                                                   static_cast<double>(packed_) /
                                                   static_cast<double>(size_));
}

std::string Unescaped(const std::string& text) {
    std::size_t at = text.find("_x");
    if (at == std::string::npos) {
        return text;
    }
    std::string plain = text.substr(0, at);
    while (at < text.size()) {
        unsigned code = 0;
        const char* const digits = text.data() + at + 2;
        const bool escape = text.compare(at, 2, "_x") == 0 && at + 7 <= text.size() &&
                            text[at + 6] == '_' &&
                            std::from_chars(digits, digits + 4, code, 16).ptr == digits + 4;
        // A character XML could not hold stays as written: tab and line ends are the controls
        // a cell holds.
        if (!escape || (code < 0x20 && code != '\t' && code != '\n' && code != '\r') ||
            (code >= 0xD800 && code <= 0xDFFF) || code >= 0xFFFE) {
            plain += text[at++];
            continue;
        }
        if (code < 0x80) {
            plain += static_cast<char>(code);
        } else if (code < 0x800) {
            plain += static_cast<char>(0xC0 | (code >> 6));
            plain += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            plain += static_cast<char>(0xE0 | (code >> 12));
            plain += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            plain += static_cast<char>(0x80 | (code & 0x3F));
        }
        at += 7;
    }
    return plain;
}

std::string TextOf(Part& part, std::string_view text, std::string_view skipped,
                   std::size_t longest) {
    QXmlStreamReader& xml = part.Xml();
    std::string result;
    int depth = 1;
    int inText = 0;
    int hidden = 0;
    while (depth > 0 && part.Next()) {
        if (xml.isStartElement()) {
            ++depth;
            const QStringView name = xml.name();
            hidden += !skipped.empty() && name == QLatin1StringView(skipped) ? 1 : 0;
            inText += name == QLatin1StringView(text) ? 1 : 0;
        } else if (xml.isEndElement()) {
            --depth;
            const QStringView name = xml.name();
            hidden -= !skipped.empty() && name == QLatin1StringView(skipped) ? 1 : 0;
            inText -= name == QLatin1StringView(text) ? 1 : 0;
        } else if (xml.isCharacters() && inText > 0 && hidden == 0) {
            result += xml.text().toUtf8().toStdString();
            if (result.size() > longest) {
                throw SheetError("ячейка длиннее " + std::to_string(longest) + " байт");
            }
        }
    }
    return Unescaped(result);
}

namespace {

// Day count of a civil date's days since 1970-01-01 turned back into the date.
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted < 10 ? shifted + 3 : shifted - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

} // namespace

std::optional<std::string> PlainNumber(const std::string& stored) {
    // Not strtod and printf: they follow the process's locale, which may want decimal commas.
    double value = 0;
    const char* const last = stored.data() + stored.size();
    const std::from_chars_result read = std::from_chars(stored.data(), last, value);
    if (stored.empty() || read.ec != std::errc() || read.ptr != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    // Binary noise past fifteen digits (0.30000000000000004) is not shown, nor an exponent.
    char text[400];
    const std::to_chars_result digits =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double shown = value;
    std::from_chars(text, digits.ptr, shown);
    const std::to_chars_result fixed =
        std::to_chars(text, text + sizeof text, shown, std::chars_format::fixed);
    return fixed.ec == std::errc() ? std::string(text, fixed.ptr) : stored;
}

std::string ShownNumber(const std::string& stored, NumberShape shape, bool days1904) {
    if (shape == NumberShape::Plain) {
        return PlainNumber(stored).value_or(stored);
    }
    char* end = nullptr;
    const double read = std::strtod(stored.c_str(), &end);
    // Day 0 of the 1904 date system is the 1900 system's day 1462.
    const double value = shape == NumberShape::Date && days1904 ? read + 1462 : read;
    if (stored.empty() || end != stored.c_str() + stored.size() || !std::isfinite(value)) {
        return stored;
    }
    char text[400];
    if (shape == NumberShape::Percent) {
        std::snprintf(text, sizeof text, "%.15g%%", value * 100);
        return text;
    }
    // Day 60 is the 29th of February 1900 that never was, which office programs keep.
    if (value < 1 || value >= 2958466) {
        return stored;
    }
    const auto serial = static_cast<std::int64_t>(value);
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(serial - (serial >= 61 ? 25569 : 25568), year, month, day);
    std::snprintf(text, sizeof text, "%02u.%02u.%04lld", day, month, static_cast<long long>(year));
    return text;
}

} // namespace sheet
