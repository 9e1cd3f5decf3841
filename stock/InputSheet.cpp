#include "InputSheet.h"

#include "FileSystem.h"
#include "WorkbookParts.h"
#include "WorkbookSheet.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

namespace stock {
namespace {

constexpr std::size_t PieceSize = 1 << 16;

class CsvInput : public InputSheet {
public:
    CsvInput(const std::string& name, sheet::Encoding encoding)
        : reader_(encoding), name_(name), piece_(PieceSize) {
        if (name == "-") {
            file_ = stdin;
            return;
        }
        std::error_code code;
        if (std::filesystem::is_directory(report::PathOf(name), code)) {
            throw sheet::SheetError("это каталог, а не файл");
        }
        file_ = report::OpenFile(name, "rb");
        if (file_ == nullptr) {
            throw sheet::SheetError("не удаётся открыть: " + model::SystemMessage(errno));
        }
    }
    ~CsvInput() override {
        if (file_ != nullptr && file_ != stdin) {
            std::fclose(file_);
        }
    }

    void ReadHeader() override {
        while (!reader_.HasHeader() && Feed()) {
        }
    }

    bool ReadRecords(std::size_t wanted, std::vector<sheet::SheetRecord>& records) override {
        while (!ended_ && reader_.WaitingRecords() < wanted) {
            Feed();
        }
        std::vector<sheet::SheetRecord> read = reader_.TakeRecords();
        if (records.empty()) {
            records = std::move(read);
        } else {
            std::move(read.begin(), read.end(), std::back_inserter(records));
        }
        return !ended_;
    }

    const std::vector<std::string>& Header() const override { return reader_.Header(); }
    std::size_t HeaderLine() const override { return reader_.HeaderLine(); }
    std::optional<char> Delimiter() const override { return reader_.Delimiter(); }
    std::string Note() const override {
        return sheet::EncodingNote(reader_.TextEncoding().value_or(sheet::Encoding::Utf8));
    }
    std::uint64_t BytesRead() const override { return bytesRead_; }

private:
    // Reads and parses one piece; false at the end of the file.
    bool Feed() {
        if (ended_) {
            return false;
        }
        const std::size_t count = std::fread(piece_.data(), 1, piece_.size(), file_);
        if (count > 0) {
            bytesRead_ += count;
            reader_.Feed(std::string_view(piece_.data(), count));
            return true;
        }
        if (std::ferror(file_)) {
            throw sheet::SheetError("ошибка чтения: " + model::SystemMessage(errno));
        }
        ended_ = true;
        reader_.Finish();
        return false;
    }

    sheet::SheetReader reader_;
    std::string name_;
    std::vector<char> piece_;
    std::FILE* file_ = nullptr;
    bool ended_ = false;
    std::uint64_t bytesRead_ = 0;
};

// A workbook, .xlsx or .ods.
class WorkbookInput : public InputSheet {
public:
    WorkbookInput(const std::string& name, sheet::WorkbookFormat format,
                  const std::atomic<bool>* stop, sheet::ReadingProgress* progress)
        : reader_(sheet::OpenWorkbook(name, format, stop, progress)) {}

    void ReadHeader() override {}
    bool ReadRecords(std::size_t wanted, std::vector<sheet::SheetRecord>& records) override {
        return reader_->ReadRecords(wanted, records);
    }
    const std::vector<std::string>& Header() const override { return reader_->Header(); }
    std::size_t HeaderLine() const override { return reader_->HeaderLine(); }
    std::optional<char> Delimiter() const override { return std::nullopt; }
    std::string Note() const override { return reader_->Note(); }
    std::uint64_t BytesRead() const override { return reader_->BytesRead(); }

private:
    std::unique_ptr<sheet::WorkbookSheet> reader_;
};

bool EndsWith(const std::string& name, std::string_view extension) {
    return name.size() > extension.size() &&
           std::equal(
               extension.begin(), extension.end(), name.end() - extension.size(),
               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// `count` bytes of a file from `offset`, or fewer; empty when it cannot be read (opening it says
// why).
std::string BytesOf(const std::string& name, std::uint64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::FILE* file = report::OpenFile(name, "rb");
    if (file == nullptr) {
        return {};
    }
    const bool there = offset <= static_cast<std::uint64_t>(std::numeric_limits<long>::max()) &&
                       std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
    bytes.resize(there ? std::fread(bytes.data(), 1, bytes.size(), file) : 0);
    std::fclose(file);
    return bytes;
}

// Whether a compound file (the container of a legacy .xls) is an encrypted .xlsx workbook: its
// first directory sector names a stream "EncryptedPackage".
bool IsEncryptedWorkbook(const std::string& name) {
    const std::string header = BytesOf(name, 0, 512);
    if (header.size() < 512) {
        return false;
    }
    const auto little = [&](std::size_t at, std::size_t bytes) {
        std::uint64_t value = 0;
        for (std::size_t i = bytes; i-- > 0;) {
            value = value << 8 | static_cast<unsigned char>(header[at + i]);
        }
        return value;
    };
    const std::uint64_t shift = little(0x1E, 2);
    if (shift != 9 && shift != 12) {
        return false;
    }
    const std::uint64_t sector = std::uint64_t{1} << shift;
    const std::string directory = BytesOf(name, (little(0x30, 4) + 1) * sector, sector);
    std::string stream;
    for (const char c : std::string_view("EncryptedPackage")) {
        stream += c;
        stream += '\0';
    }
    return directory.find(stream) != std::string::npos;
}

} // namespace

bool IsWorkbookName(const std::string& name) {
    return EndsWith(name, ".xlsx");
}

std::unique_ptr<InputSheet> OpenInput(const std::string& name, sheet::Encoding encoding,
                                      const std::atomic<bool>* stop,
                                      sheet::ReadingProgress* progress) {
    std::error_code code;
    if (name == "-" || !std::filesystem::is_regular_file(report::PathOf(name), code)) {
        return std::make_unique<CsvInput>(name, encoding);
    }
    // The content decides, not the name: a legacy workbook saved as .csv or .xlsx is refused in
    // words, a workbook under another name read as what it is.
    const std::string start = BytesOf(name, 0, 8);
    const bool workbookName = EndsWith(name, ".xlsx") || EndsWith(name, ".ods");
    if (sheet::IsZipArchive(start) || (start.empty() && workbookName)) {
        // An .ods renamed .xlsx (or the other way round) is read as what it is.
        const bool openDocument =
            sheet::IsOpenDocument(name) || (start.empty() && EndsWith(name, ".ods"));
        return std::make_unique<WorkbookInput>(
            name, openDocument ? sheet::WorkbookFormat::OpenDocument : sheet::WorkbookFormat::Xlsx,
            stop, progress);
    }
    if (sheet::IsCompoundFile(start) && IsEncryptedWorkbook(name)) {
        throw sheet::SheetError("книга .xlsx защищена паролем: откройте её в табличном "
                                "редакторе, снимите пароль и сохраните");
    }
    if (const std::optional<std::string> why = sheet::NotATextSheet(start)) {
        throw sheet::SheetError(*why);
    }
    if (workbookName && !start.empty()) {
        throw sheet::SheetError("это не книга " + name.substr(name.rfind('.')) +
                                ": файл не архив zip (повреждён или это другой формат)");
    }
    return std::make_unique<CsvInput>(name, encoding);
}

std::uint64_t InputSize(const std::string& name) {
    std::error_code code;
    if (name == "-" || !std::filesystem::is_regular_file(report::PathOf(name), code)) {
        return 0;
    }
    const std::uintmax_t size = std::filesystem::file_size(report::PathOf(name), code);
    return code ? 0 : size;
}

} // namespace stock
