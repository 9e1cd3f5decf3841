#pragma once

#include "HouseInput.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

// A house saved as a file: the spreadsheet of virasvet-calc with one row. The window saves its
// page into one and opens one (or a row of a longer sheet) into the page.

// What the house file asks the user; tests answer without dialogs.
struct HouseFileQuestions {
    // The file to open or to save into; empty when the user cancelled.
    std::function<QString(QWidget* parent, const QString& previous)> OpenFileName;
    std::function<QString(QWidget* parent, const QString& previous)> SaveFileName;
    // The index of the chosen entry of `rows`, or -1 when the user cancelled.
    std::function<int(QWidget* parent, const QStringList& rows)> ChooseRow;
};

// The program's own file dialogs and row list.
HouseFileQuestions HouseFileDialogs();

// The text of one field for the house file, from the page control that shows it: the text of an
// edit field, 1 or 0 for a check box, the index of a selector.
std::string ControlValue(const QWidget* control);

// The text of a setting for the house file, exact: its shortest decimal form with a decimal
// comma, 1 or 0 for a flag, seconds for a hold time.
std::string SettingValue(const model::HouseField& field, const model::ProjectParameters& p);

// One row of a house file, read as virasvet-calc reads it, with its texts kept.
struct OpenedHouse {
    std::vector<std::optional<std::string>> Texts; // per field of model::HouseFields()
    model::ProjectParameters House;
};

// Reads a house file's text. With several rows `chooseRow` picks one (none: the user cancelled).
// A sheet or row that virasvet-calc would refuse raises std::runtime_error with its messages.
std::optional<OpenedHouse> ReadHouseFile(const std::string& content, const QString& fileName,
                                         const std::function<int(const QStringList&)>& chooseRow);
