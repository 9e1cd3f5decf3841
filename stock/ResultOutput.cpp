#include "ResultOutput.h"

#include "AtomicFile.h"
#include "FileSystem.h"
#include "HouseSheet.h"
#include "ProcessSignals.h"
#include "SystemMessage.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <xlsxwriter.h>
#include <zip.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>

namespace stock {
namespace {

const auto WriteError = report::FileWriteError;
using report::DeviceReason;
using report::SystemReason;

// A number cell's text read whole: "200971,05" is no number to a workbook, not 200971.
bool WholeNumber(const std::string& cell, double& value) {
    const char* end = cell.data() + cell.size();
    const std::from_chars_result read = std::from_chars(cell.data(), end, value);
    return read.ec == std::errc() && read.ptr == end;
}

// Text a workbook's XML can hold: U+FFFE and U+FFFF, which XML forbids anywhere, become U+FFFD,
// which shows where they stood (control characters each writer handles on its own).
std::string XmlCharacters(std::string_view text) {
    std::string held(text);
    for (std::size_t at = held.find('\xEF'); at != std::string::npos && at + 2 < held.size();
         at = held.find('\xEF', at + 1)) {
        if (held[at + 1] == '\xBF' && (held[at + 2] == '\xBE' || held[at + 2] == '\xBF')) {
            held[at + 2] = '\xBD';
        }
    }
    return held;
}

// Some file systems (network ones, quotas) report a full disk only when the data go to the disk.
// The file a workbook named `fileName` replaces: a link's target (the link stays), never a
// folder. Throws WriteError.
QFileInfo OutputTarget(const QString& fileName) {
    CheckOutputName(fileName);
    QFileInfo target(fileName);
    if (target.isSymLink()) {
        target = QFileInfo(target.symLinkTarget());
    }
    if (target.isDir()) {
        throw WriteError(fileName, QStringLiteral("это каталог"));
    }
    return target;
}

void SyncToDisk(int handle, const QString& fileName) {
    if (const int reason = report::SyncToDisk(handle)) {
        throw WriteError(fileName, SystemReason(reason));
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
                throw WriteError(fileName, DeviceReason(*file_));
            }
        }
        if (options.ByteOrderMark) {
            text_ = "\xEF\xBB\xBF";
        }
    }

    void Sheet(const std::string&, const std::vector<std::string>& names) override {
        if (headed_) {
            throw std::logic_error("a CSV file holds one sheet");
        }
        headed_ = true;
        text_ += sheet::CsvRow(names, options_.Delimiter);
    }

    void Row(const std::vector<std::string>& cells, const std::vector<bool>& numbers) override {
        safe_.clear();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool number = i < numbers.size() && numbers[i];
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
                    throw WriteError(fileName_, DeviceReason(*file_));
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
                throw WriteError(fileName_, DeviceReason(*file_));
            }
        }
    }

private:
    QString fileName_;
    CsvOptions options_;
    bool headed_ = false;
    std::unique_ptr<QSaveFile> file_;
    std::vector<std::string> safe_;
    std::string text_;
};

// A workbook is written by the library into a pending file beside the target (report::
// PendingFile), with its own temporary files there too (a full disk there is the output's, and
// is seen). The file takes the target's name once complete, checked and on the disk, with the
// mode of the file it replaces.
class WorkbookOutput : public ResultOutput {
public:
    explicit WorkbookOutput(const QString& fileName) : fileName_(fileName) {
        const QFileInfo target = OutputTarget(fileName);
        folder_ = target.absolutePath().toStdString();
        RemoveStaleTemporaries(folder_);
        try {
            pending_ =
                std::make_unique<report::PendingFile>(target.absoluteFilePath().toStdString());
        } catch (const std::system_error& e) {
            throw WriteError(fileName, SystemReason(e.code().value()));
        }
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        options.tmpdir = folder_.data();
        workbook_ = workbook_new_opt(pending_->Name().c_str(), &options);
        if (workbook_ == nullptr) {
            throw WriteError(fileName, QStringLiteral("не удаётся создать книгу"));
        }
        bold_ = workbook_add_format(workbook_);
        format_set_bold(bold_);
    }

    ~WorkbookOutput() override {
        if (workbook_ != nullptr) {
            workbook_close(workbook_); // into the pending file, which goes with it
        }
    }

    void Sheet(const std::string& name, const std::vector<std::string>& names) override {
        names_ = names;
        sheetName_ = name;
        parts_ = 0;
        NewSheet();
    }

    void Row(const std::vector<std::string>& cells, const std::vector<bool>& numbers) override {
        if (row_ == LXW_ROW_MAX) {
            NewSheet(); // a sheet holds 1,048,576 rows: the rows go on in the next
        }
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string& cell = cells[i];
            if (cell.empty()) {
                continue;
            }
            const auto column = static_cast<lxw_col_t>(i);
            double value = 0;
            const bool number = i < numbers.size() && numbers[i] && WholeNumber(cell, value);
            const lxw_error error =
                number ? worksheet_write_number(sheet_, row_, column, value, nullptr)
                       : worksheet_write_string(sheet_, row_, column, XmlCharacters(cell).c_str(),
                                                nullptr);
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
        lxw_error error = LXW_NO_ERROR;
        {
            const QuietStandardError quiet; // the library's English lines
            error = workbook_close(workbook_);
        }
        workbook_ = nullptr;
        if (error != LXW_NO_ERROR) {
            throw WriteError(fileName_, WorkbookReason(error));
        }
        // A request to stop waits until the workbook has the target's name or is gone.
        const DeferredStops stops;
        if (const int reason = pending_->Publish()) {
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
            return QStringLiteral("ошибка библиотеки записи книг (код %1)").arg(error);
        }
    }

    void NewSheet() {
        ++parts_;
        const std::string name =
            parts_ == 1 ? sheetName_ : sheetName_ + " " + std::to_string(parts_);
        sheet_ = workbook_add_worksheet(workbook_, name.c_str());
        if (sheet_ == nullptr) {
            throw WriteError(fileName_, QStringLiteral("не удаётся добавить лист"));
        }
        sheets_.push_back(sheet_);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const auto column = static_cast<lxw_col_t>(i);
            const double width = names_[i] == "Address" ? 40.0
                                 : names_[i] == "ManagementCompany"
                                     ? 30.0
                                     : std::max(10.0, static_cast<double>(names_[i].size()) + 2);
            Check(worksheet_set_column(sheet_, column, column, width, nullptr));
        }
        worksheet_freeze_panes(sheet_, 1, 0);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            Check(worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(i),
                                         XmlCharacters(names_[i]).c_str(), bold_));
        }
        row_ = 1;
    }

    QString fileName_;
    std::unique_ptr<report::PendingFile> pending_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    std::vector<std::string> names_;
    std::string sheetName_;
    int parts_ = 0; // sheets of the same rows so far
    lxw_row_t row_ = 0;
    std::vector<lxw_worksheet*> sheets_;
    std::string folder_;
};

// An OpenDocument spreadsheet: the sheet's XML goes row by row to an unnamed file beside the
// target, and is packed with the parts around it once complete.
class OdsOutput : public ResultOutput {
public:
    explicit OdsOutput(const QString& fileName) : fileName_(fileName) {
        const QFileInfo target = OutputTarget(fileName);
        target_ = target.absoluteFilePath().toStdString();
        folder_ = target.absolutePath().toStdString();
        name_ = target.fileName().toStdString();
        RemoveStaleTemporaries(folder_);
        mode_ = report::ModeForReplacing(target_);
        content_ = report::OpenScratchFile(target.absolutePath().toStdString());
        if (content_ == nullptr) {
            throw WriteError(fileName, SystemReason(errno));
        }
    }

    ~OdsOutput() override {
        if (content_ != nullptr) {
            std::fclose(content_);
        }
    }

    void Sheet(const std::string& name, const std::vector<std::string>& names) override {
        names_ = names;
        sheetName_ = name;
        parts_ = 0;
        if (sheets_ > 0) {
            Put("</table:table>");
            NewSheet();
            return;
        }
        Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "office:version=\"1.2\"><office:body><office:spreadsheet>");
        NewSheet();
    }

    void Row(const std::vector<std::string>& cells, const std::vector<bool>& numbers) override {
        if (rows_ == MostRows) {
            Put("</table:table>");
            NewSheet();
        }
        Put("<table:table-row>");
        for (std::size_t i = 0; i < cells.size(); ++i) {
            double value = 0;
            const std::string& cell = cells[i];
            if (cell.empty()) {
                Put("<table:table-cell/>");
            } else if (i < numbers.size() && numbers[i] && WholeNumber(cell, value)) {
                Put("<table:table-cell office:value-type=\"float\" office:value=\"" + cell +
                    "\"><text:p>" + cell + "</text:p></table:table-cell>");
            } else {
                Put("<table:table-cell office:value-type=\"string\"><text:p>" + Escaped(cell) +
                    "</text:p></table:table-cell>");
            }
        }
        Put("</table:table-row>");
        ++rows_;
    }

    void Flush() override {}

    void Finish() override {
        Put("</table:table></office:spreadsheet></office:body></office:document-content>");
        if (std::fflush(content_) != 0 || std::ferror(content_)) {
            throw WriteError(fileName_, SystemReason(errno != 0 ? errno : EIO));
        }
        std::rewind(content_);
        // The archive is packed into a named file (the library's own temporary beside it first):
        // a request to stop waits until it has the target's name or is gone.
        const DeferredStops stops;
        const std::string named = TemporaryNameBeside(folder_, name_, ".part");
        int code = 0;
        zip_t* archive = zip_open(named.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        if (archive == nullptr) {
            throw WriteError(fileName_, QStringLiteral("не удаётся создать архив"));
        }
        static const std::string type = "application/vnd.oasis.opendocument.spreadsheet";
        static const std::string manifest =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<manifest:manifest "
            "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
            "manifest:version=\"1.2\"><manifest:file-entry manifest:full-path=\"/\" "
            "manifest:version=\"1.2\" manifest:media-type=\"" +
            type +
            "\"/><manifest:file-entry manifest:full-path=\"content.xml\" "
            "manifest:media-type=\"text/xml\"/></manifest:manifest>";
        const auto add = [&](const char* name, zip_source_t* source, bool stored) {
            const zip_int64_t index =
                source == nullptr ? -1 : zip_file_add(archive, name, source, ZIP_FL_OVERWRITE);
            if (index < 0 ||
                zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                         stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) != 0) {
                if (source != nullptr && index < 0) {
                    zip_source_free(source);
                }
                zip_discard(archive);
                throw WriteError(fileName_, QStringLiteral("не удаётся собрать архив"));
            }
        };
        add("mimetype", zip_source_buffer(archive, type.data(), type.size(), 0), true);
        add("META-INF/manifest.xml",
            zip_source_buffer(archive, manifest.data(), manifest.size(), 0), false);
        // The archive reads the content while it is written, and closes it.
        add("content.xml", zip_source_filep(archive, content_, 0, -1), false);
        content_ = nullptr;
        if (zip_close(archive) != 0) {
            const int system = zip_error_code_system(zip_get_error(archive));
            const bool fromSystem = zip_error_system_type(zip_get_error(archive)) == ZIP_ET_SYS;
            zip_discard(archive);
            std::remove(named.c_str());
            throw WriteError(fileName_, fromSystem && system != 0
                                            ? SystemReason(system)
                                            : QStringLiteral("архив не записан целиком"));
        }
        if (const int reason = report::PublishNamedFile(named, target_, mode_)) {
            throw WriteError(fileName_, SystemReason(reason));
        }
    }

private:
    static constexpr std::size_t MostRows = 1048576;

    void Put(const std::string& text) {
        if (std::fwrite(text.data(), 1, text.size(), content_) != text.size()) {
            throw WriteError(fileName_, SystemReason(errno != 0 ? errno : EIO));
        }
    }

    // Text as a cell's paragraphs hold it: markup escaped, a line break (LF, CR LF or CR) a new
    // paragraph, a tab <text:tab/>, a space that an office program would drop (at a paragraph's
    // ends, after another blank) <text:s/>, U+FFFE and U+FFFF as U+FFFD, another control
    // character (which XML cannot hold) as a blank.
    static std::string Escaped(const std::string& text) {
        const std::string held = XmlCharacters(text);
        std::string escaped;
        bool blankBefore = true; // at a paragraph's start, or after a blank
        for (std::size_t i = 0; i < held.size(); ++i) {
            const char c = held[i];
            const bool lastOfLine =
                i + 1 == held.size() || held[i + 1] == '\n' || held[i + 1] == '\r';
            bool blank = false;
            switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\r':
                if (i + 1 < held.size() && held[i + 1] == '\n') {
                    continue; // the LF ends the line
                }
                [[fallthrough]];
            case '\n':
                escaped += "</text:p><text:p>";
                blankBefore = true;
                continue;
            case '\t':
                escaped += "<text:tab/>";
                blank = true;
                break;
            default:
                blank = c == ' ' || static_cast<unsigned char>(c) < 0x20;
                if (blank) {
                    escaped += blankBefore || lastOfLine ? "<text:s/>" : " ";
                } else {
                    escaped += c;
                }
            }
            blankBefore = blank;
        }
        return escaped;
    }

    void NewSheet() {
        ++sheets_;
        ++parts_;
        Put("<table:table table:name=\"" +
            Escaped(parts_ == 1 ? sheetName_ : sheetName_ + " " + std::to_string(parts_)) +
            "\"><table:table-header-rows><table:table-row>");
        for (const std::string& name : names_) {
            Put("<table:table-cell office:value-type=\"string\"><text:p>" + Escaped(name) +
                "</text:p></table:table-cell>");
        }
        Put("</table:table-row></table:table-header-rows>");
        rows_ = 1;
    }

    QString fileName_;
    std::string target_;
    std::string folder_;
    std::string name_; // the target's, in its folder
    std::FILE* content_ = nullptr;
    unsigned mode_ = 0644;
    std::vector<std::string> names_;
    std::string sheetName_;
    std::size_t rows_ = 0;
    int sheets_ = 0;
    int parts_ = 0; // sheets of the same rows so far
};

} // namespace

std::unique_ptr<ResultOutput> OdsResults(const QString& fileName) {
    return std::make_unique<OdsOutput>(fileName);
}

ResultKind ResultKindOf(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (fileName.isEmpty() || suffix.isEmpty() || suffix == QLatin1String("csv") ||
        suffix == QLatin1String("txt")) {
        return ResultKind::Csv;
    }
    if (suffix == QLatin1String("xlsx")) {
        return ResultKind::Workbook;
    }
    if (suffix == QLatin1String("ods")) {
        return ResultKind::OpenDocument;
    }
    throw std::runtime_error(fileName.toStdString() + ": файл ." + suffix.toStdString() +
                             " не записывается: результат пишется в .csv, .xlsx или .ods");
}

void CheckOutputName(const QString& fileName) {
    report::RefuseSpecialFile(fileName);
}

void WriteStandardOutput(std::string_view text) {
    if ((!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) ||
        std::fflush(stdout) != 0) {
        throw std::runtime_error("не удаётся записать результат в стандартный вывод: " +
                                 model::SystemMessage(errno));
    }
}

void WriteTextFile(const QString& fileName, std::string_view text) {
    report::WriteFileAtomically(fileName,
                                QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

std::unique_ptr<ResultOutput> CsvResults(const QString& fileName, const CsvOptions& options) {
    return std::make_unique<CsvOutput>(fileName, options);
}

std::unique_ptr<ResultOutput> WorkbookResults(const QString& fileName) {
    return std::make_unique<WorkbookOutput>(fileName);
}

} // namespace stock
