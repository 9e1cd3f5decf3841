#pragma once

#include "HouseInput.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"
#include "SimulationResult.h"

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
    // The field to show focused, the house left uncalculated for the user to mend (a problem of
    // a register's row); none: the house is calculated at once.
    std::optional<std::size_t> FocusField;
};

// The most a house file may hold: a list to choose one house from, not a stock of houses (that is
// virasvet-calc's). A longer file is refused before it is read whole.
inline constexpr qint64 LargestHouseFile = 16 << 20; // bytes
inline constexpr std::size_t MostHouseFileRows = 10000;

// Opens a house file: a regular file only (a pipe would wait for a writer for ever, a device
// never ends), read piece by piece within the bounds above and those of the program's sheets.
// With several rows `chooseRow` picks one (none: the user cancelled). A sheet or row that
// virasvet-calc would refuse raises std::runtime_error with its messages; the message of a file
// that cannot be read names it.
std::optional<OpenedHouse> OpenHouseFile(const QString& fileName,
                                         const std::function<int(const QStringList&)>& chooseRow);

// Refuses to save a house into a name that is a device, a pipe or a socket; the message names the
// house file.
void RefuseSpecialHouseFile(const QString& fileName);

// The first field of the page's house that a house row could not have (a negative price, more
// than 24 burn hours a day, ...), by the same rules virasvet-calc reads a row with. `values` are
// the house file's texts of every field; numbers with the page's decimal separator or a comma.
struct PageHouseProblem {
    const model::HouseField* Field;
    QString Message; // names the field, its value and the allowed range
};
std::optional<PageHouseProblem> HouseBoundsProblem(const std::vector<std::string>& values,
                                                   const model::NumberLocale& pageLocale);

// Copies the five economics inputs (model::IsEconomicsInput) of a house to another.
void CopyEconomicsInputs(const model::ProjectParameters& from, model::ProjectParameters& to);

// Whether every figure of the results is a finite number, as virasvet-calc requires of a row.
bool FiguresAreFinite(const model::ProjectParameters& p, const model::SimulationResult& result);
inline const QString InfiniteFiguresMessage = QStringLiteral(
    "С такими значениями расчёт даёт бесконечно большие суммы: таких цен, мощностей и сроков "
    "службы у настоящего дома не бывает. Проверьте значения на странице.");
