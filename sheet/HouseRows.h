#pragma once

#include "HouseSheet.h"
#include "ProjectParameters.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// One record of a sheet read as a house, exactly as virasvet-calc takes it.
struct HouseRow {
    std::size_t Line = 0;
    // The address the row gives, or the page's start text when it gives none.
    std::string Address;
    // The row's text for each field of model::HouseFields(); none where the sheet has no column
    // for the field. Views into the sheet's cells.
    std::vector<std::optional<std::string_view>> Texts;
    // The house; none when the row is rejected.
    std::optional<model::ProjectParameters> House;
    // Why the row is rejected, as "file:line: Column: what is wrong".
    std::vector<std::string> Messages;
};

// Reads one record of a sheet whose header has no problems. Every text goes through the input
// page's checks; planned burn hours the row does not give come from the estimate.
HouseRow ReadHouseRow(const Sheet& sheet, const HeaderFields& header, const SheetRecord& record,
                      std::string_view fileName);

// Every house of a spreadsheet's text, in record order. A header with an unknown or repeated
// column makes the sheet unusable: its messages are given and no row is read. Throws SheetError
// for a text that is not a sheet at all.
struct SheetHouses {
    char Delimiter = ',';
    bool Usable = false;
    std::vector<std::string> HeaderMessages;
    std::vector<HouseRow> Rows; // Texts left empty: the sheet they point into is gone
};
SheetHouses ReadSheetHouses(std::string_view content, std::string_view fileName);

} // namespace sheet
