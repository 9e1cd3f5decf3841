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
    WorkbookInput(const std::string& name, sheet::WorkbookFormat format)
        : reader_(sheet::OpenWorkbook(name, format)) {}

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

// The first bytes of a file; empty when it cannot be read (opening it says why).
std::string FirstBytes(const std::string& name) {
    std::string bytes(8, '\0');
    std::FILE* file = report::OpenFile(name, "rb");
    if (file == nullptr) {
        return {};
    }
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return bytes;
}

} // namespace

bool IsWorkbookName(const std::string& name) {
    return EndsWith(name, ".xlsx");
}

std::unique_ptr<InputSheet> OpenInput(const std::string& name, sheet::Encoding encoding) {
    std::error_code code;
    if (name == "-" || !std::filesystem::is_regular_file(report::PathOf(name), code)) {
        return std::make_unique<CsvInput>(name, encoding);
    }
    // The content decides, not the name: a legacy workbook saved as .csv or .xlsx is refused in
    // words, a workbook under another name read as what it is.
    const std::string start = FirstBytes(name);
    const bool workbookName = EndsWith(name, ".xlsx") || EndsWith(name, ".ods");
    if (sheet::IsZipArchive(start) || (start.empty() && workbookName)) {
        if (EndsWith(name, ".ods") || (!EndsWith(name, ".xlsx") && sheet::IsOpenDocument(name))) {
            return std::make_unique<WorkbookInput>(name, sheet::WorkbookFormat::OpenDocument);
        }
        return std::make_unique<WorkbookInput>(name, sheet::WorkbookFormat::Xlsx);
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
