#include "ProjectParameters.h"

#include "HouseInput.h"

namespace model {

void SetDefaultParameters(ProjectParameters& p) {
    const std::span<const HouseField> fields = HouseFields();
    const std::span<const HouseField> house = PageSectionFields(PageSection::House);
    // The house leads the table: its texts, then its counts, the lift and the tariff.
    const auto houseFields = static_cast<std::size_t>(house.data() + house.size() - fields.data());
    for (const HouseField& field : fields.subspan(houseFields)) {
        StoreNumber(field, field.RecordStart.value_or(field.Start.value_or(0)), p);
    }
}

} // namespace model
