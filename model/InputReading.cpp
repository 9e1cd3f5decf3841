#include "InputReading.h"

#include "HouseInput.h"

namespace model {
namespace {

// Ends a guarded section at its first conversion failure.
struct SectionFailed {};

class PageReader {
public:
    PageReader(InputPage& page, ProjectParameters& p, const NumberLocale& locale)
        : page_(page), p_(p), locale_(locale) {}

    // Reads a section's fields in order; the first text that is not a number skips the rest.
    void Section(PageSection section) {
        try {
            for (const HouseField& field : PageSectionFields(section)) {
                Read(field);
            }
        } catch (const SectionFailed&) {
            failed_ = true;
        }
    }

    void Texts() {
        for (const HouseField& field : PageSectionFields(PageSection::HouseTexts)) {
            p_.*std::get<std::string ProjectParameters::*>(field.Target) =
                page_.FieldText(field.Name);
        }
    }

    // The prices at the end are not guarded: their conversion error reaches the caller.
    void Prices() {
        for (const HouseField& field : PageSectionFields(PageSection::Prices)) {
            StoreNumber(field, ParseReal(page_.FieldText(field.Name), locale_), p_);
        }
    }

    bool Failed() const { return failed_; }
    const HouseField* FirstRejected() const { return firstRejected_; }

private:
    void Read(const HouseField& field) {
        if (field.Kind == FieldKind::Flag) {
            StoreNumber(field, page_.LiftChecked() ? 1 : 0, p_);
            return;
        }
        double value = 0;
        if (!TryParseReal(page_.FieldText(field.Name), locale_, value)) {
            Reject(field);
            throw SectionFailed{};
        }
        // A value out of range keeps the field's previous value.
        if (field.Check && !field.Check->Accepts(value)) {
            Reject(field);
            page_.ShowMessage(std::string(OutOfRangeMessage));
            return;
        }
        StoreNumber(field, value, p_);
    }

    void Reject(const HouseField& field) {
        if (firstRejected_ == nullptr) {
            firstRejected_ = &field;
        }
    }

    InputPage& page_;
    ProjectParameters& p_;
    const NumberLocale& locale_;
    bool failed_ = false;
    const HouseField* firstRejected_ = nullptr;
};

} // namespace

PageReading ReadInputPage(ReadScope scope, InputPage& page, ProjectParameters& p,
                          const NumberLocale& locale) {
    PageReader read(page, p, locale);
    const bool all = scope == ReadScope::All;

    if (all || scope == ReadScope::House) {
        read.Texts();
        read.Section(PageSection::House);
    }
    if (all || scope == ReadScope::Existing) {
        read.Section(PageSection::Existing);
    }
    if (all || scope == ReadScope::Planned) {
        read.Section(PageSection::Planned);
    }
    if (all) {
        page.SetPageButtons(false, true);
    }
    read.Prices();

    if (read.Failed()) {
        page.ShowMessage(std::string(FillInMessage));
    }
    return {read.FirstRejected()};
}

} // namespace model
