#pragma once

#include "HouseSheet.h"

#include <string_view>

namespace sheet {

// The whole text of a file read at once, as the programs read it piece by piece (SheetReader):
// the header, its line and delimiter, every record and the encoding the text was read in. Throws
// SheetError where the reader does.
inline Sheet ParseSheet(std::string_view content, Encoding encoding = Encoding::Detect) {
    SheetReader reader(encoding);
    reader.Feed(content);
    reader.Finish();
    Sheet sheet;
    sheet.Delimiter = reader.Delimiter();
    sheet.Header = reader.Header();
    sheet.HeaderLine = reader.HeaderLine();
    sheet.Records = reader.TakeRecords();
    sheet.TextEncoding = reader.TextEncoding().value_or(Encoding::Utf8);
    return sheet;
}

} // namespace sheet
