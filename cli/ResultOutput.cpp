#include "ResultOutput.h"

#include "AtomicFile.h"
#include "HouseSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {
namespace {

const auto WriteError = report::FileWriteError;
using report::SystemReason;

// Some file systems (network ones, quotas) report a full disk only when the data go to the disk.
void SyncToDisk(int handle, const QString& fileName) {
    if (::fsync(handle) != 0 && errno != EINVAL) { // EINVAL: a file system that cannot sync
        throw WriteError(fileName, SystemReason(errno));
    }
}

class CsvOutput : public ResultOutput {
public:
    CsvOutput(const QString& fileName, const CsvOptions& options)
        : fileName_(fileName), options_(options) {
        if (!fileName.isEmpty()) {
            CheckOutputName(fileName);
            file_ = std::make_unique<QSaveFile>(fileName);
            // Unbuffered: a buffered write would fail only on closing, which loses the reason.
            if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                throw WriteError(fileName, file_->errorString());
            }
        }
        if (options.ByteOrderMark) {
            text_ = "\xEF\xBB\xBF";
        }
    }

    void Header(const std::vector<std::string>& names, const std::vector<bool>& numbers) override {
        numbers_ = numbers;
        text_ += sheet::CsvRow(names, options_.Delimiter);
    }

    void Row(const std::vector<std::string>& cells) override {
        safe_.clear();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool number = i < numbers_.size() && numbers_[i];
            safe_.push_back(number ? cells[i] : sheet::SafeText(cells[i]));
        }
        text_ += sheet::CsvRow(safe_, options_.Delimiter);
    }

    void Flush() override {
        if (file_) {
            // A short write is followed by another: a full disk tells why only on the next one.
            qint64 written = 0;
            while (written < static_cast<qint64>(text_.size())) {
                const qint64 count = file_->write(text_.data() + written,
                                                  static_cast<qint64>(text_.size()) - written);
                if (count <= 0) {
                    throw WriteError(fileName_, file_->errorString());
                }
                written += count;
            }
        } else {
            WriteStandardOutput(text_);
        }
        text_.clear();
    }

    void Finish() override {
        Flush();
        if (file_) {
            SyncToDisk(file_->handle(), fileName_);
            if (!file_->commit()) {
                throw WriteError(fileName_, file_->errorString());
            }
        }
    }

private:
    QString fileName_;
    CsvOptions options_;
    std::unique_ptr<QSaveFile> file_;
    std::vector<bool> numbers_;
    std::vector<std::string> safe_;
    std::string text_;
};

// A workbook is written by the library under a temporary name beside the target, which it takes
// once complete and on the disk.
class WorkbookOutput : public ResultOutput {
public:
    explicit WorkbookOutput(const QString& fileName) : fileName_(fileName) {
        CheckOutputName(fileName);
        QFileInfo target(fileName);
        if (target.isSymLink()) {
            target = QFileInfo(target.symLinkTarget()); // the link stays, its target is replaced
        }
        target_ = target.absoluteFilePath();
        std::string pattern = (target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                               QStringLiteral(".XXXXXX"))
                                  .toStdString();
        const int handle = ::mkstemp(pattern.data());
        if (handle < 0) {
            throw WriteError(fileName, SystemReason(errno));
        }
        ::close(handle);
        temporary_ = pattern;
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        workbook_ = workbook_new_opt(temporary_.c_str(), &options);
        if (workbook_ == nullptr) {
            ::unlink(temporary_.c_str());
            throw WriteError(fileName, QStringLiteral("не удаётся создать книгу"));
        }
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
    }

    ~WorkbookOutput() override {
        if (workbook_ != nullptr) {
            // Closing writes the file, which is then thrown away: the run has failed.
            workbook_close(workbook_);
            ::unlink(temporary_.c_str());
        }
    }

    void Header(const std::vector<std::string>& names, const std::vector<bool>& numbers) override {
        names_ = names;
        numbers_ = numbers;
        NewSheet();
    }

    void Row(const std::vector<std::string>& cells) override {
        if (row_ == LXW_ROW_MAX) {
            NewSheet(); // a sheet holds 1,048,576 rows: the results go on in the next
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string& cell = cells[i];
            if (cell.empty()) {
                continue;
            }
            const auto column = static_cast<lxw_col_t>(i);
            double value = 0;
            const bool number =
                i < numbers_.size() && numbers_[i] &&
                std::from_chars(cell.data(), cell.data() + cell.size(), value).ec == std::errc();
            const lxw_error error =
                number ? worksheet_write_number(sheet_, row_, column, value, nullptr)
                       : worksheet_write_string(sheet_, row_, column, cell.c_str(), nullptr);
            Check(error);
        }
        ++row_;
    }

    void Flush() override {}

    void Finish() override {
        const lxw_error error = workbook_close(workbook_);
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR) {
            ::unlink(temporary_.c_str());
            throw WriteError(fileName_, QString::fromUtf8(lxw_strerror(error)));
        }
        const int handle = ::open(temporary_.c_str(), O_RDONLY);
        if (handle < 0) {
            const int reason = errno;
            ::unlink(temporary_.c_str());
            throw WriteError(fileName_, SystemReason(reason));
        }
        try {
            SyncToDisk(handle, fileName_);
        } catch (...) {
            ::close(handle);
            ::unlink(temporary_.c_str());
            throw;
        }
        ::close(handle);
        // The permissions a new file gets (mkstemp gives the owner's only).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temporary_.c_str(), 0666 & ~mask);
        if (std::rename(temporary_.c_str(), target_.toStdString().c_str()) != 0) {
            const int reason = errno;
            ::unlink(temporary_.c_str());
            throw WriteError(fileName_, SystemReason(reason));
        }
    }

private:
    void Check(lxw_error error) {
        if (error != LXW_NO_ERROR) {
            throw WriteError(fileName_, QString::fromUtf8(lxw_strerror(error)));
        }
    }

    void NewSheet() {
        ++sheets_;
        const std::string name =
            sheets_ == 1 ? "Результаты" : "Результаты " + std::to_string(sheets_);
        sheet_ = workbook_add_worksheet(workbook_, name.c_str());
        if (sheet_ == nullptr) {
            throw WriteError(fileName_, QStringLiteral("не удаётся добавить лист"));
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            const double width = names_[i] == "Address"
                                     ? 40.0
                                     : std::max(10.0, static_cast<double>(names_[i].size()) + 2);
            Check(worksheet_set_column(sheet_, column, column, width, nullptr));
        }
        worksheet_freeze_panes(sheet_, 1, 0);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            Check(worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(i), names_[i].c_str(),
                                         bold_));
        }
        row_ = 1;
    }

    QString fileName_;
    QString target_;
    std::string temporary_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    std::vector<std::string> names_;
    std::vector<bool> numbers_;
    lxw_row_t row_ = 0;
    int sheets_ = 0;
};

} // namespace

void CheckOutputName(const QString& fileName) {
    report::RefuseSpecialFile(fileName);
}

void WriteStandardOutput(std::string_view text) {
    if ((!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) ||
        std::fflush(stdout) != 0) {
        throw std::runtime_error(
            std::string("не удаётся записать результат в стандартный вывод: ") +
            std::strerror(errno));
    }
}

std::unique_ptr<ResultOutput> CsvResults(const QString& fileName, const CsvOptions& options) {
    return std::make_unique<CsvOutput>(fileName, options);
}

std::unique_ptr<ResultOutput> WorkbookResults(const QString& fileName) {
    return std::make_unique<WorkbookOutput>(fileName);
}

} // namespace cli
