#pragma once

#include "Calculation.h"
#include "NumberFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sheet {

// The names of the result columns, in order; with the economics, its columns after them.
std::vector<std::string> ResultColumns(bool economics = false);

// Where a row of results comes from.
struct HouseRowSource {
    std::string File;
    std::size_t Line = 0;
    std::string Address;
    std::string ManagementCompany;
    std::string Sheet; // the workbook's continuation sheet the row is on (File names it too)
};

// Which result columns hold numbers (the others hold text), in the order of ResultColumns().
std::vector<bool> NumberResultColumns(bool economics = false);

// Whether every figure of a calculation is a finite number: values far beyond any house (1e308
// roubles a lamp) make infinite or undefined figures, which no result may show.
bool FiguresAreFinite(const model::HouseFigures& figures);

// Numbers of a sheet written with ';' between cells have a decimal comma, with ',' a point.
model::NumberLocale CellLocale(char delimiter);

// One row of results: the figures rounded as the report rounds them (model::Figure), written
// plainly (no digit grouping) with the locale's decimal separator. Without figures (a rejected
// house) or without payback the figures or the payback cells stay empty. Figures with economics
// add its cells: an empty return rate when there is none, ">1000" above 1000 % a year.
std::vector<std::string> ResultCells(const HouseRowSource& source,
                                     const std::optional<model::HouseFigures>& figures,
                                     std::uint32_t seed, const model::NumberLocale& locale,
                                     bool economics = false);

// A sheet of one house: the header of every field of model::HouseFields() and one row of
// values[i] for field i. Numbers are given with a decimal comma and written as the delimiter
// wants them.
std::string HouseSheet(const std::vector<std::string>& values, char delimiter);

// The one-house sheet of the values the page starts with.
std::string TemplateSheet(char delimiter);

} // namespace sheet
