#include "WorkbookSheet.h"

#include "WorkbookParts.h"

#include <algorithm>

namespace sheet {

bool WorkbookSheet::ReadRecords(std::size_t wanted, std::vector<SheetRecord>& records) {
    const std::size_t columns = header_.size();
    for (std::size_t i = 0; i < wanted; ++i) {
        SheetRecord record;
        if (!NextRecord(record)) {
            return false;
        }
        if (++records_ > MostBookRows) {
            throw SheetError(TooManyBookRows());
        }
        // A workbook leaves out empty cells at the end of a row: the row has the header's width
        // unless it holds something past it.
        while (record.Cells.size() > columns && record.Cells.back().empty()) {
            record.Cells.pop_back();
        }
        if (record.Cells.size() > columns) {
            record.Width = std::max(record.Width, record.Cells.size());
        }
        record.Cells.resize(columns);
        records.push_back(std::move(record));
    }
    return true;
}

std::string TooManyBookRows() {
    return "в книге больше " + std::to_string(MostBookRows) +
           " строк с данными: такую книгу программа не читает (разделите её)";
}

void WorkbookSheet::SetHeader(std::vector<std::string> header, std::size_t line,
                              const std::vector<std::string>& notRead) {
    header_ = std::move(header);
    headerLine_ = line;
    note_.clear();
    // A note of a line: the first sheets named, the others counted.
    constexpr std::size_t named = 20;
    for (std::size_t i = 0; i < notRead.size() && i < named; ++i) {
        note_ += (note_.empty() ? "не прочитаны листы: " : ", ") + notRead[i];
    }
    if (notRead.size() > named) {
        note_ += " и ещё " + std::to_string(notRead.size() - named);
    }
}

std::unique_ptr<WorkbookSheet> OpenWorkbook(const std::string& fileName, WorkbookFormat format,
                                            const std::atomic<bool>* stop,
                                            ReadingProgress* progress) {
    const bool xlsx = format == WorkbookFormat::Xlsx;
    Archive book = OpenArchive(fileName, xlsx ? ".xlsx" : ".ods");
    return xlsx ? XlsxSheetOf(std::move(book), stop, progress)
                : OdsSheetOf(std::move(book), stop, progress);
}

std::unique_ptr<WorkbookSheet> WorkbookFromBytes(std::string_view bytes, WorkbookFormat format,
                                                 const std::atomic<bool>* stop) {
    const bool xlsx = format == WorkbookFormat::Xlsx;
    Archive book = OpenArchive(bytes, xlsx ? ".xlsx" : ".ods");
    return xlsx ? XlsxSheetOf(std::move(book), stop, nullptr)
                : OdsSheetOf(std::move(book), stop, nullptr);
}

std::vector<std::string> TrimmedHeader(std::vector<std::string> cells) {
    while (!cells.empty() && cells.back().empty()) {
        cells.pop_back();
    }
    return cells;
}

} // namespace sheet
