#pragma once

#include "HouseSheet.h"
#include "WorkbookSheet.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace stock {

// One input of a run, read piece by piece: a CSV file, standard input ("-") or an .xlsx workbook
// (its first sheet).
class InputSheet {
public:
    virtual ~InputSheet() = default;

    // Reads up to the end of the header. Throws sheet::SheetError.
    virtual void ReadHeader() = 0;
    // Adds the next records, at least `wanted` of them unless the input ends first. Returns false
    // once the input has ended. Throws sheet::SheetError.
    virtual bool ReadRecords(std::size_t wanted, std::vector<sheet::SheetRecord>& records) = 0;

    virtual const std::vector<std::string>& Header() const = 0;
    virtual std::size_t HeaderLine() const = 0;
    // The delimiter of a CSV file; none for a workbook.
    virtual std::optional<char> Delimiter() const = 0;
    // A note on how the input was read (an encoding other than UTF-8), or empty.
    virtual std::string Note() const = 0;
    // Bytes of the file read so far, for the progress display.
    virtual std::uint64_t BytesRead() const = 0;
};

// Opens an input. Throws sheet::SheetError when it cannot be opened, and
// sheet::SheetError(sheet::ReadingStopped) once `stop` is set while a workbook's header is sought
// (which may take the whole file); a workbook's reading shows how far it is in `progress`.
std::unique_ptr<InputSheet> OpenInput(const std::string& name, sheet::Encoding encoding,
                                      const std::atomic<bool>* stop = nullptr,
                                      sheet::ReadingProgress* progress = nullptr);

// Whether a name is read as a workbook: it ends in ".xlsx", in any case.
bool IsWorkbookName(const std::string& name);

// The size of a regular file, or 0 (standard input, a pipe, a file that cannot be seen).
std::uint64_t InputSize(const std::string& name);

} // namespace stock
