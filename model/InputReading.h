#pragma once

#include "HouseInput.h"
#include "NumberFormat.h"
#include "ProjectParameters.h"

#include <string>
#include <string_view>

namespace model {

// Which sections of the input page a reading covers.
enum class ReadScope { All = 0, House = 1, Existing = 2, Planned = 3 };

// What the reading needs of the input page; the main window implements it, tests use a fake.
class InputPage {
public:
    virtual ~InputPage() = default;
    // The text the page shows for a field of the house (by its name, see HouseFields()), UTF-8.
    virtual std::string FieldText(std::string_view field) const = 0;
    virtual bool LiftChecked() const = 0;
    virtual void SetPageButtons(bool backEnabled, bool nextEnabled) = 0;
    // A modal information box; returns when the user has closed it.
    virtual void ShowMessage(const std::string& message) = 0;
};

inline constexpr std::string_view FillInMessage =
    "Необходимо заполнить все поля.\n"
    "В поля должны быть внесены значения соответствующих типов.";

struct HouseField;

struct PageReading {
    // The first field, in reading order, whose text was out of range or not a number; nullptr
    // when the page was read without a message.
    const HouseField* FirstRejected = nullptr;
};

// Copies the page into p. A value out of range is reported at once and leaves the field's previous
// value; a text that is not a number ends its section and is reported once at the end. A price of
// the last six that is not a number raises ConversionError, ending the reading at that field.
PageReading ReadInputPage(ReadScope scope, InputPage& page, ProjectParameters& p,
                          const NumberLocale& locale);

} // namespace model
