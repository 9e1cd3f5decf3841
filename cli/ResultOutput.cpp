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

// A workbook is written by the library into an unnamed file beside the target (nothing is left
// behind, whatever stops the program), with its own temporary files there too (a full disk
// there is the output's, and is seen). The file takes the target's name once complete, checked
// and on the disk, with the mode of the file it replaces.
class WorkbookOutput : public ResultOutput {
public:
    explicit WorkbookOutput(const QString& fileName) : fileName_(fileName) {
        CheckOutputName(fileName);
        QFileInfo target(fileName);
        if (target.isSymLink()) {
            target = QFileInfo(target.symLinkTarget()); // the link stays, its target is replaced
        }
        if (target.isDir()) {
            throw WriteError(fileName, QStringLiteral("это каталог"));
        }
        target_ = target.absoluteFilePath();
        folder_ = target.absolutePath().toStdString();
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat old {};
        mode_ = ::stat(target_.toStdString().c_str(), &old) == 0 ? (old.st_mode & 07777)
                                                                 : (0666 & ~mask);
        handle_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR, 0600);
        if (handle_ < 0) {
            throw WriteError(fileName, SystemReason(errno));
        }
        const std::string unnamed = "/proc/self/fd/" + std::to_string(handle_);
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        options.tmpdir = folder_.data();
        workbook_ = workbook_new_opt(unnamed.c_str(), &options);
        if (workbook_ == nullptr) {
            ::close(handle_);
            throw WriteError(fileName, QStringLiteral("не удаётся создать книгу"));
        }
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
    }

    ~WorkbookOutput() override {
        if (workbook_ != nullptr) {
            workbook_close(workbook_); // into the unnamed file, which goes with its handle
        }
        if (handle_ >= 0) {
            ::close(handle_);
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
        // The rows went to the library's temporary files, whose write errors it does not check.
        for (lxw_worksheet* sheet : sheets_) {
            if (sheet->optimize_tmpfile != nullptr && (std::fflush(sheet->optimize_tmpfile) != 0 ||
                                                       std::ferror(sheet->optimize_tmpfile))) {
                throw WriteError(fileName_, SystemReason(errno != 0 ? errno : EIO));
            }
        }
        const lxw_error error = workbook_close(workbook_);
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR) {
            throw WriteError(fileName_, WorkbookReason(error));
        }
        SyncToDisk(handle_, fileName_);
        if (::fchmod(handle_, mode_) != 0) {
            throw WriteError(fileName_, SystemReason(errno));
        }
        // A name of its own beside the target, then the target's name in one step.
        const std::string unnamed = "/proc/self/fd/" + std::to_string(handle_);
        const std::string base = (QFileInfo(target_).absolutePath() + QStringLiteral("/.") +
                                  QFileInfo(target_).fileName())
                                     .toStdString();
        std::string named;
        for (unsigned attempt = 0; named.empty(); ++attempt) {
            const std::string candidate =
                base + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            if (::linkat(AT_FDCWD, unnamed.c_str(), AT_FDCWD, candidate.c_str(),
                         AT_SYMLINK_FOLLOW) == 0) {
                named = candidate;
            } else if (errno != EEXIST || attempt > 100) {
                throw WriteError(fileName_, SystemReason(errno));
            }
        }
        if (std::rename(named.c_str(), target_.toStdString().c_str()) != 0) {
            const int reason = errno;
            ::unlink(named.c_str());
            throw WriteError(fileName_, SystemReason(reason));
        }
    }

private:
    void Check(lxw_error error) {
        if (error != LXW_NO_ERROR) {
            throw WriteError(fileName_, WorkbookReason(error));
        }
    }

    // The library's error in the program's words: most are a file that could not be written.
    static QString WorkbookReason(lxw_error error) {
        switch (error) {
        case LXW_ERROR_MEMORY_MALLOC_FAILED:
            return QStringLiteral("не хватает памяти");
        case LXW_ERROR_CREATING_XLSX_FILE:
        case LXW_ERROR_CREATING_TMPFILE:
        case LXW_ERROR_READING_TMPFILE:
        case LXW_ERROR_ZIP_FILE_OPERATION:
        case LXW_ERROR_ZIP_PARAMETER_ERROR:
        case LXW_ERROR_ZIP_BAD_ZIP_FILE:
        case LXW_ERROR_ZIP_INTERNAL_ERROR:
        case LXW_ERROR_ZIP_FILE_ADD:
        case LXW_ERROR_ZIP_CLOSE:
            return QStringLiteral("книга не записана целиком (нет места на диске или нет прав "
                                  "на запись в папку)");
        default:
            return QStringLiteral("ошибка библиотеки записи книг: ") +
                   QString::fromUtf8(lxw_strerror(error));
        }
    }

    void NewSheet() {
        const std::string name =
            sheets_.empty() ? "Результаты" : "Результаты " + std::to_string(sheets_.size() + 1);
        sheet_ = workbook_add_worksheet(workbook_, name.c_str());
        if (sheet_ == nullptr) {
            throw WriteError(fileName_, QStringLiteral("не удаётся добавить лист"));
        }
        sheets_.push_back(sheet_);
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
    std::vector<lxw_worksheet*> sheets_;
    std::string folder_;
    int handle_ = -1;
    mode_t mode_ = 0644;
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
