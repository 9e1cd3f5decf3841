#include "HouseInput.h"

#include "Saturate.h"
#include "TrafficEstimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace model {
namespace {

using P = ProjectParameters;

constexpr RangeCheck HouseCount{1, 40};
constexpr RangeCheck ZoneCount{0, 10};
constexpr RangeCheck PositiveTariff{0, std::numeric_limits<double>::infinity(), true};
constexpr RangeCheck NotNegative{0, std::numeric_limits<double>::infinity()};
constexpr RangeCheck DayHours{0, 24};

const NumberLocale StartTextLocale{",", " "};

constexpr EconomicsInputs StartEconomics{};

// A field's start on the page: a number in the field's unit and the pattern the page writes it
// with.
struct StartValue {
    double Value = 0;
    std::string_view Pattern = "0";
};

// A field without a start: the callers give it one.
HouseField Field(std::string_view name, std::string_view label, FieldKind kind, FieldTarget target,
                 std::string_view unit, std::optional<RangeCheck> check = std::nullopt) {
    HouseField field{};
    field.Name = name;
    field.Label = label;
    field.Kind = kind;
    field.Target = target;
    field.Unit = unit;
    field.Check = check;
    return field;
}

HouseField Make(std::string_view name, std::string_view label, FieldKind kind, FieldTarget target,
                StartValue start, std::string_view unit,
                std::optional<RangeCheck> check = std::nullopt) {
    HouseField field = Field(name, label, kind, target, unit, check);
    field.Start = start.Value;
    field.StartText = FormatNumber(start.Value, start.Pattern, StartTextLocale);
    return field;
}

HouseField MakeText(std::string_view name, std::string_view label,
                    std::string ProjectParameters::*target, std::string_view startText) {
    HouseField field = Field(name, label, FieldKind::Text, target, "текст");
    field.StartText = startText;
    return field;
}

// The page shows no start text for a planned burn-hour field: the traffic estimate fills it in.
HouseField MakePlannedHours(std::string_view name, std::string_view label,
                            double ProjectParameters::*target, double recordStart) {
    HouseField field = Field(name, label, FieldKind::Real, target, "ч/сут.");
    field.PlannedHours = true;
    field.RecordStart = recordStart;
    return field;
}

HouseField WithRecordStart(double recordStart, HouseField field) {
    field.RecordStart = recordStart;
    return field;
}

// The economics inputs' ranges; the economics window checks the same.
std::optional<RangeCheck> EconomicsBounds(std::string_view name) {
    if (name == "TariffGrowth" || name == "LampPriceGrowth") {
        return RangeCheck{-50, 100};
    }
    if (name == "DiscountRate") {
        return RangeCheck{0, 100};
    }
    if (name == "HorizonYears") {
        return RangeCheck{1, 27, false, true};
    }
    if (name == "EmissionFactor") {
        return RangeCheck{0, 2};
    }
    return std::nullopt;
}

// Lamp lives, prices, powers and hold times are never negative, and a lamp burns 0 to 24 hours a
// day.
template <std::size_t N>
std::array<HouseField, N> WithHouseBounds(std::array<HouseField, N> fields) {
    for (HouseField& field : fields) {
        const std::string_view name = field.Name;
        const bool hours = name.starts_with("ExistingHours") || name.starts_with("PlannedHours");
        const bool notNegative = name.ends_with("LampLife") || name.ends_with("LampPrice") ||
                                 name.find("Power") != std::string_view::npos ||
                                 name.ends_with("FittingPrice") ||
                                 name.ends_with("FittingInstallPrice") ||
                                 name.starts_with("Block") || name.starts_with("HoldTime");
        field.WholeNumber = field.Kind == FieldKind::Count || name.ends_with("LampLife");
        if (hours) {
            field.Bounds = DayHours;
        } else if (notNegative) {
            field.Bounds = NotNegative;
        } else if (const std::optional<RangeCheck> economics = EconomicsBounds(name)) {
            field.Bounds = economics;
        }
    }
    return fields;
}

// The start of every field, once: the texts the page shows after start-up (numbers as its refresh
// writes them: whole, burn hours with two decimals) and, through SetDefaultParameters, the
// record's start-up values. A test compares the texts with the running window.
const auto Fields = WithHouseBounds(std::to_array<HouseField>({
    MakeText("Address", "Адрес дома", &P::Address, "ул.   д. "),
    MakeText("ManagementCompany", "ЖЭУ / УК / ТСЖ", &P::ManagementCompany, ""),
    Make("EntranceCount", "Подъездов", FieldKind::Count, &P::EntranceCount, {5}, "шт.", HouseCount),
    Make("FloorCount", "Этажей", FieldKind::Count, &P::FloorCount, {9}, "шт.", HouseCount),
    Make("HasLift", "Наличие лифта", FieldKind::Flag, &P::HasLift, {1}, "1 да, 0 нет"),
    Make("ResidentsPerFlat", "Среднее количество жильцов в квартире", FieldKind::Real,
         &P::ResidentsPerFlat, {4}, "чел.", HouseCount),
    Make("FlatsPerFloor", "Среднее количество квартир на этаже", FieldKind::Real, &P::FlatsPerFloor,
         {3}, "шт.", HouseCount),
    Make("Tariff", "Стоимость кВт электроэнергии", FieldKind::Real, &P::Tariff, {1.38, "0.00"},
         "руб./кВт·ч", PositiveTariff),

    Make("ExistingSchemeType", "Тип схемы освещения (не входит в расчёт)", FieldKind::Code,
         &P::ExistingSchemeType, {0}, "0 лампы накаливания, 1 внешний блок с датчиком"),
    Make("ExistingLampsLanding", "Существующая, этаж: количество ламп", FieldKind::Count,
         &P::ExistingLampsLanding, {1}, "шт.", ZoneCount),
    Make("ExistingLampsBetween", "Существующая, пролёт: количество ламп", FieldKind::Count,
         &P::ExistingLampsBetween, {1}, "шт.", ZoneCount),
    Make("ExistingLampsVestibule", "Существующая, тамбур: количество ламп", FieldKind::Count,
         &P::ExistingLampsVestibule, {2}, "шт.", ZoneCount),
    Make("ExistingLampLife", "Существующая: средний срок жизни лампы", FieldKind::Real,
         &P::ExistingLampLife, {6}, "мес."),
    Make("ExistingLampPrice", "Существующая: стоимость лампы при замене", FieldKind::Real,
         &P::ExistingLampPrice, {10}, "руб."),
    Make("ExistingPowerLanding", "Существующая, этаж: мощность ламп", FieldKind::Real,
         &P::ExistingPowerLanding, {40}, "Вт"),
    Make("ExistingPowerBetween", "Существующая, пролёт: мощность ламп", FieldKind::Real,
         &P::ExistingPowerBetween, {40}, "Вт"),
    Make("ExistingPowerVestibule", "Существующая, тамбур: мощность ламп", FieldKind::Real,
         &P::ExistingPowerVestibule, {40}, "Вт"),
    Make("ExistingHoursLanding", "Существующая, этаж: время горения лампы в сутки", FieldKind::Real,
         &P::ExistingHoursLanding, {13, "0.00"}, "ч/сут."),
    Make("ExistingHoursBetween", "Существующая, пролёт: время горения лампы в сутки",
         FieldKind::Real, &P::ExistingHoursBetween, {13, "0.00"}, "ч/сут."),
    Make("ExistingHoursVestibule", "Существующая, тамбур: время горения лампы в сутки",
         FieldKind::Real, &P::ExistingHoursVestibule, {24, "0.00"}, "ч/сут."),

    // The record starts with 0: the page's selector, on 1, reaches it at the first refresh.
    WithRecordStart(0, Make("PlannedSchemeType", "Тип схемы освещения (не входит в расчёт)",
                            FieldKind::Code, &P::PlannedSchemeType, {1},
                            "0 лампы накаливания, 1 внешний блок с датчиком")),
    Make("PlannedLampsLanding", "Планируемая, этаж: количество ламп", FieldKind::Count,
         &P::PlannedLampsLanding, {1}, "шт.", ZoneCount),
    Make("PlannedLampsBetween", "Планируемая, пролёт: количество ламп", FieldKind::Count,
         &P::PlannedLampsBetween, {1}, "шт.", ZoneCount),
    Make("PlannedLampsVestibule", "Планируемая, тамбур: количество ламп", FieldKind::Count,
         &P::PlannedLampsVestibule, {2}, "шт.", ZoneCount),
    // The record starts without blocks: they reach it with the first reading of the whole page.
    WithRecordStart(0, Make("PlannedBlocksLanding", "Планируемая, этаж: количество блоков",
                            FieldKind::Count, &P::PlannedBlocksLanding, {1}, "шт.", ZoneCount)),
    WithRecordStart(0, Make("PlannedBlocksBetween", "Планируемая, пролёт: количество блоков",
                            FieldKind::Count, &P::PlannedBlocksBetween, {1}, "шт.", ZoneCount)),
    WithRecordStart(0, Make("PlannedBlocksVestibule", "Планируемая, тамбур: количество блоков",
                            FieldKind::Count, &P::PlannedBlocksVestibule, {1}, "шт.", ZoneCount)),
    Make("PlannedLampLife", "Планируемая: средний срок жизни лампы", FieldKind::Real,
         &P::PlannedLampLife, {18}, "мес."),
    Make("PlannedLampPrice", "Планируемая: стоимость лампы при замене", FieldKind::Real,
         &P::PlannedLampPrice, {10}, "руб."),
    Make("PlannedPowerLanding", "Планируемая, этаж: мощность ламп", FieldKind::Real,
         &P::PlannedPowerLanding, {40}, "Вт"),
    Make("PlannedPowerBetween", "Планируемая, пролёт: мощность ламп", FieldKind::Real,
         &P::PlannedPowerBetween, {40}, "Вт"),
    Make("PlannedPowerVestibule", "Планируемая, тамбур: мощность ламп", FieldKind::Real,
         &P::PlannedPowerVestibule, {40}, "Вт"),
    // The record's stand-ins until the start-up estimate replaces them.
    MakePlannedHours("PlannedHoursLanding", "Планируемая, этаж: время горения лампы в сутки",
                     &P::PlannedHoursLanding, 1),
    MakePlannedHours("PlannedHoursBetween", "Планируемая, пролёт: время горения лампы в сутки",
                     &P::PlannedHoursBetween, 1),
    MakePlannedHours("PlannedHoursVestibule", "Планируемая, тамбур: время горения лампы в сутки",
                     &P::PlannedHoursVestibule, 6),

    Make("ExistingFittingPrice", "Существующая: стоимость светильника", FieldKind::Real,
         &P::ExistingFittingPrice, {0}, "руб."),
    Make("ExistingFittingInstallPrice", "Существующая: стоимость установки светильника",
         FieldKind::Real, &P::ExistingFittingInstallPrice, {0}, "руб."),
    Make("PlannedFittingPrice", "Планируемая: стоимость светильника", FieldKind::Real,
         &P::PlannedFittingPrice, {0}, "руб."),
    Make("PlannedFittingInstallPrice", "Планируемая: стоимость установки светильника",
         FieldKind::Real, &P::PlannedFittingInstallPrice, {0}, "руб."),
    Make("BlockPrice", "Стоимость блока", FieldKind::Real, &P::BlockPrice, {350}, "руб."),
    Make("BlockInstallPrice", "Стоимость установки блока", FieldKind::Real, &P::BlockInstallPrice,
         {100}, "руб."),

    Make("HoldTimeLanding", "Время горения на этажах (датчик)", FieldKind::Seconds,
         &P::HoldTimeLanding, {60}, "с"),
    Make("HoldTimeBetween", "Время горения между этажей (датчик)", FieldKind::Seconds,
         &P::HoldTimeBetween, {20}, "с"),
    Make("HoldTimeVestibule", "Время горения в тамбуре (датчик)", FieldKind::Seconds,
         &P::HoldTimeVestibule, {10}, "с"),
    Make("LiftFromFloor", "Лифт с этажа (не входит в расчёт)", FieldKind::Count, &P::LiftFromFloor,
         {1}, "этаж"),
    Make("LiftModel", "Модель лифта", FieldKind::Code, &P::LiftModel, {LiftModelExponential},
         "0 линейная, 1 экспоненциальная"),
    Make("IndividualityCoefficient", "Коэффициент индивидуальности", FieldKind::Real,
         &P::IndividualityCoefficient, {1, "0.00"}, "-"),
    Make("PassagesPerResident", "Проходов на жильца в сутки", FieldKind::Real,
         &P::PassagesPerResident, {3.5, "0.00"}, "раз/сут."),
    Make("CountLampTheft", "Учитывать кражу ламп (не входит в расчёт)", FieldKind::Flag,
         &P::CountLampTheft, {1}, "1 да, 0 нет"),
    Make("TheftRateIncandescent", "Кражи: лампы накаливания (не входит в расчёт)", FieldKind::Real,
         &P::TheftRateIncandescent, {10, "0.0"}, "-"),
    Make("TheftRateEnergySaving", "Кражи: энергосберегающие (не входит в расчёт)", FieldKind::Real,
         &P::TheftRateEnergySaving, {4, "0.0"}, "-"),
    Make("TheftRateSoundSensor", "Кражи: звуковой датчик (не входит в расчёт)", FieldKind::Real,
         &P::TheftRateSoundSensor, {1.5, "0.0"}, "-"),
    Make("TheftRateExternalBlock", "Кражи: внешний блок (не входит в расчёт)", FieldKind::Real,
         &P::TheftRateExternalBlock, {1.5, "0.0"}, "-"),
    Make("BurnOutGamma", "Гамма перегорания (не входит в расчёт)", FieldKind::Real,
         &P::BurnOutGamma, {0.1, "0.00"}, "-"),

    Make("TariffGrowth", "Экономика: рост тарифа", FieldKind::Real, &P::TariffGrowth,
         {StartEconomics.TariffGrowth}, "% в год"),
    Make("LampPriceGrowth", "Экономика: рост цен на лампы", FieldKind::Real, &P::LampPriceGrowth,
         {StartEconomics.LampPriceGrowth}, "% в год"),
    Make("DiscountRate", "Экономика: ставка дисконтирования", FieldKind::Real, &P::DiscountRate,
         {StartEconomics.DiscountRate}, "% в год"),
    Make("HorizonYears", "Экономика: горизонт расчёта", FieldKind::Count, &P::HorizonYears,
         {StartEconomics.HorizonYears}, "лет"),
    Make("EmissionFactor", "Экономика: коэффициент выбросов сети", FieldKind::Real,
         &P::EmissionFactor, {StartEconomics.EmissionFactor}, "кг CO₂/кВт·ч"),
}));

// Scheme types and the lift model are 0 or 1.
constexpr std::int32_t HighestCode = 1;

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool ParseWithAny(std::string_view text, std::span<const NumberLocale> locales, double& value) {
    return std::any_of(locales.begin(), locales.end(), [&](const NumberLocale& locale) {
        return TryParseReal(text, locale, value);
    });
}

std::optional<bool> ParseFlag(std::string_view text) {
    for (std::string_view yes : {"1", "true", "TRUE", "True", "да", "Да", "ДА", "ИСТИНА"}) {
        if (text == yes) {
            return true;
        }
    }
    for (std::string_view no : {"0", "false", "FALSE", "False", "нет", "Нет", "НЕТ", "ЛОЖЬ"}) {
        if (text == no) {
            return false;
        }
    }
    return std::nullopt;
}

} // namespace

void StoreNumber(const HouseField& field, double value, ProjectParameters& p) {
    std::visit(
        [&](auto member) {
            using Member = std::remove_reference_t<decltype(p.*member)>;
            if constexpr (std::is_same_v<Member, double>) {
                p.*member = field.Kind == FieldKind::Seconds ? value / 3600 : value;
            } else if constexpr (std::is_same_v<Member, bool>) {
                p.*member = value != 0;
            } else if constexpr (std::is_same_v<Member, std::int32_t>) {
                p.*member = SaturatingTrunc(value);
            } else if constexpr (std::is_same_v<Member, std::uint8_t>) {
                p.*member = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
            }
        },
        field.Target);
}

namespace {

struct FieldFailure {
    FieldProblem Problem;
    std::string Message;
    RangeCheck Range;
};

std::optional<FieldFailure> ReadField(const HouseField& field, std::string_view text, bool given,
                                      std::span<const NumberLocale> locales, ReadingRules rules,
                                      ProjectParameters& p) {
    if (field.Kind == FieldKind::Text) {
        p.*std::get<std::string ProjectParameters::*>(field.Target) = std::string(text);
        return std::nullopt;
    }
    const std::span<const NumberLocale> startLocale(&StartTextLocale, 1);
    if (!given) {
        locales = startLocale;
    }
    const std::string_view trimmed = Trimmed(text);
    if (field.Kind == FieldKind::Flag) {
        const std::optional<bool> flag = ParseFlag(trimmed);
        if (!flag) {
            return FieldFailure{FieldProblem::NotAFlag,
                                "ожидается 1 (да) или 0 (нет), а не '" + Shortened(trimmed) + "'",
                                {}};
        }
        StoreNumber(field, *flag ? 1 : 0, p);
        return std::nullopt;
    }
    double value = 0;
    if (!ParseWithAny(text, locales, value)) {
        const std::optional<std::string> plain =
            rules == ReadingRules::Sheet ? Ungrouped(trimmed) : std::nullopt;
        if (!plain || !ParseWithAny(*plain, locales, value)) {
            return FieldFailure{FieldProblem::NotANumber, ConversionMessage(text), {}};
        }
    }
    if (field.Kind == FieldKind::Code) {
        if (value != std::trunc(value) || value < 0 || value > HighestCode) {
            return FieldFailure{FieldProblem::NotACode,
                                "ожидается целое число от 0 до " + std::to_string(HighestCode) +
                                    ", а не '" + Shortened(trimmed) + "'",
                                RangeCheck{0, HighestCode}};
        }
    }
    if (rules == ReadingRules::Sheet && field.WholeNumber && value != std::trunc(value)) {
        RangeCheck whole = field.Check    ? *field.Check
                           : field.Bounds ? *field.Bounds
                                          : RangeCheck{-std::numeric_limits<double>::infinity(),
                                                       std::numeric_limits<double>::infinity()};
        whole.Whole = true;
        return FieldFailure{FieldProblem::OutOfRange, std::string(OutOfRangeMessage), whole};
    }
    if (field.Check && !field.Check->Accepts(value)) {
        return FieldFailure{FieldProblem::OutOfRange, std::string(OutOfRangeMessage), *field.Check};
    }
    if (rules == ReadingRules::Sheet && field.Bounds && !field.Bounds->Accepts(value)) {
        return FieldFailure{FieldProblem::OutOfRange, std::string(OutOfRangeMessage),
                            *field.Bounds};
    }
    StoreNumber(field, value, p);
    return std::nullopt;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::span<const HouseField> HouseFields() {
    return Fields;
}

bool IsEconomicsInput(const HouseField& field) {
    return EconomicsBounds(field.Name).has_value();
}

const HouseField* FieldNamed(std::string_view name) {
    for (const HouseField& field : Fields) {
        if (field.Name == name) {
            return &field;
        }
    }
    return nullptr;
}

std::span<const HouseField> PageSectionFields(PageSection section) {
    const auto from = [](std::string_view first, std::string_view last) {
        const HouseField* begin = FieldNamed(first);
        const HouseField* end = FieldNamed(last);
        if (begin == nullptr || end == nullptr || end < begin) {
            throw std::logic_error("no page section from " + std::string(first));
        }
        return std::span<const HouseField>(begin, end + 1);
    };
    switch (section) {
    case PageSection::HouseTexts:
        return from("Address", "ManagementCompany");
    case PageSection::House:
        return from("EntranceCount", "Tariff");
    case PageSection::Existing:
        return from("ExistingLampsLanding", "ExistingHoursVestibule");
    case PageSection::Planned:
        return from("PlannedLampsLanding", "PlannedHoursVestibule");
    case PageSection::Prices:
        return from("ExistingFittingPrice", "BlockInstallPrice");
    }
    throw std::logic_error("unknown page section");
}

ProjectParameters StartUpProject() {
    ProjectParameters p;
    const std::vector<std::optional<std::string_view>> none(Fields.size());
    ReadHouse(none, std::span<const NumberLocale>(&StartTextLocale, 1), p);
    return p;
}

std::string BurnHoursText(double hours, const NumberLocale& locale) {
    return FormatNumber(hours, "0.00", locale);
}

std::string PlannedHoursText(double estimate, std::int32_t blocks,
                             const std::string& existingHoursText, const NumberLocale& locale) {
    return blocks < 1 ? existingHoursText : BurnHoursText(estimate, locale);
}

std::string AllowedRange(const RangeCheck& range) {
    const auto number = [](double value) {
        return value == std::trunc(value) ? std::to_string(SaturatingTrunc(value))
                                          : FormatNumber(value, "0.00", StartTextLocale);
    };
    std::string text;
    if (range.LowExclusive) {
        text = "больше " + number(range.Low);
    } else if (std::isinf(range.High)) {
        text = std::isinf(range.Low) ? "" : "не меньше " + number(range.Low);
    } else {
        text = number(range.Low) + ".." + number(range.High);
    }
    if (range.Whole) {
        text += text.empty() ? "целое число" : ", целое число";
    }
    return text;
}

std::optional<std::string> Ungrouped(std::string_view text) {
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        plain.push_back(text[i++]);
    }
    std::size_t leading = 0;
    while (i < text.size() && IsDigit(text[i]) && leading < 4) {
        plain.push_back(text[i++]);
        ++leading;
    }
    if (leading == 0 || leading > 3) {
        return std::nullopt;
    }
    std::size_t groups = 0;
    for (;;) {
        std::size_t separator = 0;
        for (const std::string_view blank : {" ", "\u00A0", "\u202F"}) {
            if (text.substr(i).starts_with(blank)) {
                separator = blank.size();
                break;
            }
        }
        if (separator == 0) {
            break;
        }
        const std::string_view group = text.substr(i + separator, 3);
        if (group.size() != 3 || !std::all_of(group.begin(), group.end(), IsDigit) ||
            (i + separator + 3 < text.size() && IsDigit(text[i + separator + 3]))) {
            return std::nullopt;
        }
        plain += group;
        i += separator + 3;
        ++groups;
    }
    if (groups == 0) {
        return std::nullopt;
    }
    plain += text.substr(i);
    return plain;
}

std::string ConversionMessage(std::string_view text) {
    return ConversionError(Shortened(text)).what();
}

std::string Shortened(std::string_view text) {
    // Sixty characters, not bytes: a Russian heading is cut no sooner than a Latin one.
    constexpr std::size_t longest = 60;
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < text.size(); ++end) {
        const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == longest) {
            break;
        }
    }
    std::string shown(text.substr(0, end));
    if (end < text.size()) {
        shown += "…";
    }
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return shown;
}

std::string RowFile(std::string_view fileName, std::string_view sheet) {
    std::string file(fileName);
    return sheet.empty() ? file : file + " (лист «" + Shortened(sheet) + "»)";
}

std::string RowLine(std::size_t line, std::string_view sheet) {
    const std::string number = std::to_string(line);
    return sheet.empty() ? number : number + ", лист «" + Shortened(sheet) + "»";
}

std::vector<HouseFieldError> ReadHouse(std::span<const std::optional<std::string_view>> texts,
                                       std::span<const NumberLocale> locales, ProjectParameters& p,
                                       ReadingRules rules) {
    p = ProjectParameters{};
    SetDefaultParameters(p);
    std::vector<HouseFieldError> errors;
    std::array<bool, 3> estimated{};
    std::array<std::string_view, 3> plannedCountTexts{};
    std::size_t hoursZone = 0;
    std::size_t countZone = 0;
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        const HouseField& field = Fields[i];
        const std::optional<std::string_view> cell = i < texts.size() ? texts[i] : std::nullopt;
        bool given = cell.has_value();
        if (given && field.Kind != FieldKind::Text && Trimmed(*cell).empty()) {
            given = false;
        }
        const std::string_view text = given ? *cell : field.StartText;
        if (field.PlannedHours) {
            estimated[hoursZone++] = !given;
            if (!given) {
                continue;
            }
        }
        if (field.Name.starts_with("PlannedLamps")) {
            plannedCountTexts[countZone++] = Trimmed(text);
        }
        if (std::optional<FieldFailure> failure =
                ReadField(field, text, given, locales, rules, p)) {
            errors.push_back({&field, std::move(failure->Message), failure->Problem,
                              std::string(Trimmed(text)), failure->Range});
        }
    }
    if (!errors.empty()) {
        return errors;
    }

    // The page sets a zone's block count to 0 when its lamp count is set to 0.
    std::array<std::int32_t*, 3> blocks = {&p.PlannedBlocksLanding, &p.PlannedBlocksBetween,
                                           &p.PlannedBlocksVestibule};
    const std::array<std::int32_t, 3> plannedLamps = {p.PlannedLampsLanding, p.PlannedLampsBetween,
                                                      p.PlannedLampsVestibule};
    for (std::size_t zone = 0; zone < 3; ++zone) {
        if (rules == ReadingRules::Sheet ? plannedLamps[zone] == 0
                                         : SwitchesZoneOff(plannedCountTexts[zone])) {
            *blocks[zone] = 0;
        }
    }

    if (estimated[0] || estimated[1] || estimated[2]) {
        ProjectParameters estimate = p;
        EstimatePlannedBurnHours(estimate);
        const std::array<double, 3> estimates = {estimate.PlannedHoursLanding,
                                                 estimate.PlannedHoursBetween,
                                                 estimate.PlannedHoursVestibule};
        const std::array<double, 3> existing = {p.ExistingHoursLanding, p.ExistingHoursBetween,
                                                p.ExistingHoursVestibule};
        std::array<double*, 3> planned = {&p.PlannedHoursLanding, &p.PlannedHoursBetween,
                                          &p.PlannedHoursVestibule};
        for (std::size_t zone = 0; zone < 3; ++zone) {
            if (estimated[zone]) {
                // The existing zone's text only where it is shown: formatting is most of the
                // reading of a spreadsheet row.
                const std::string shown =
                    *blocks[zone] < 1
                        ? PlannedHoursText(estimates[zone], *blocks[zone],
                                           BurnHoursText(existing[zone], StartTextLocale),
                                           StartTextLocale)
                        : BurnHoursText(estimates[zone], StartTextLocale);
                *planned[zone] = ParseReal(shown, StartTextLocale);
            }
        }
    }
    return errors;
}

namespace {

constexpr auto Shorts = std::to_array<ShortLabel>({
    {"Адрес", "Address"},
    {"Управляющая компания", "ManagementCompany"},
    {"УК", "ManagementCompany"},
    {"Количество подъездов", "EntranceCount"},
    {"Количество этажей", "FloorCount"},
    {"Этажность", "FloorCount"},
    {"Лифт", "HasLift"},
    {"Жильцов в квартире", "ResidentsPerFlat"},
    {"Квартир на этаже", "FlatsPerFloor"},
    {"Тариф", "Tariff"},
    {"Стоимость кВт·ч", "Tariff"},
    {"Рост тарифа", "TariffGrowth"},
    {"Рост цен на лампы", "LampPriceGrowth"},
    {"Ставка дисконтирования", "DiscountRate"},
    {"Горизонт расчёта", "HorizonYears"},
    {"Коэффициент выбросов", "EmissionFactor"},
});

// A heading as headings are compared: code points, letters in lower case ("ё" as "е"), blanks,
// no-break spaces and underscores out. Bytes that are no UTF-8 stay as they are.
std::u32string HeadingKey(std::string_view text) {
    std::u32string key;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t code = c;
        std::size_t length = 1;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < text.size()) {
            code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            length = 2;
        } else if (c >= 0xE0 && c < 0xF0 && i + 2 < text.size()) {
            code = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            length = 3;
        }
        i += length;
        if (code == U' ' || code == U'_' || code == U'\t' || code == 0xA0 || code == 0x202F) {
            continue;
        }
        if ((code >= U'A' && code <= U'Z') || (code >= 0x410 && code <= 0x42F)) {
            code += 0x20;
        } else if (code == 0x401 || code == 0x451) {
            code = 0x435;
        }
        key.push_back(code);
    }
    return key;
}

// The letters to insert, delete or replace to make one key the other, counted up to `most` + 1.
std::size_t EditDistance(std::u32string_view a, std::u32string_view b, std::size_t most) {
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > most) {
        return most + 1;
    }
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

struct HeadingKeys {
    std::vector<std::u32string> Names;                         // per field
    std::vector<std::pair<std::u32string, std::size_t>> Words; // labels and short forms
};

HeadingKeys MakeHeadingKeys() {
    HeadingKeys keys;
    std::vector<std::pair<std::u32string, std::size_t>> labels;
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        keys.Names.push_back(HeadingKey(Fields[i].Name));
        labels.emplace_back(HeadingKey(Fields[i].Label), i);
    }
    for (const ShortLabel& word : Shorts) {
        const HouseField* field = FieldNamed(word.Field);
        labels.emplace_back(HeadingKey(word.Label),
                            static_cast<std::size_t>(field - Fields.data()));
    }
    for (const auto& label : labels) {
        const auto same = std::count_if(labels.begin(), labels.end(), [&](const auto& other) {
            return other.first == label.first;
        });
        if (same == 1) {
            keys.Words.push_back(label);
        }
    }
    return keys;
}

constexpr std::size_t MostMisspelt = 2;

HeadingMatch MatchKey(const HeadingKeys& keys, const std::u32string& key) {
    HeadingMatch match;
    for (std::size_t i = 0; i < keys.Names.size() && !match.Field; ++i) {
        if (keys.Names[i] == key) {
            match.Field = i;
        }
    }
    for (const auto& [word, field] : keys.Words) {
        if (!match.Field && word == key) {
            match.Field = field;
        }
    }
    if (match.Field) {
        return match;
    }
    // Short headings ("№", "id", "Этаж") are more than two letters from no field: they are
    // carried.
    if (key.size() > MostMisspelt + 1) {
        for (std::size_t i = 0; i < keys.Names.size() && !match.Near; ++i) {
            if (EditDistance(key, keys.Names[i], MostMisspelt) <= MostMisspelt) {
                match.Near = i;
            }
        }
    }
    if (key.size() >= 6) {
        for (const auto& [word, field] : keys.Words) {
            if (!match.Near && EditDistance(key, word, MostMisspelt) <= MostMisspelt) {
                match.Near = field;
            }
        }
    }
    return match;
}

} // namespace

std::span<const ShortLabel> ShortLabels() {
    return Shorts;
}

bool IsPlanYearHeading(std::string_view heading) {
    const std::u32string key = HeadingKey(heading);
    return key == HeadingKey("PlanYear") || key == HeadingKey("Год плана");
}

std::optional<std::string> ReadPlanYear(std::string_view cell, PlanYearRule& rule) {
    const std::u32string key = HeadingKey(cell);
    rule = {};
    if (key.empty()) {
        return std::nullopt;
    }
    if (key == HeadingKey("исключить")) {
        rule.Rule = PlanYearRule::Kind::Never;
        return std::nullopt;
    }
    if (key == HeadingKey("обязательно")) {
        rule.Rule = PlanYearRule::Kind::Required;
        return std::nullopt;
    }
    // At most two digits: a longer cell, or one with another character, is no year.
    const bool digits = key.size() <= 2 && std::all_of(key.begin(), key.end(), [](char32_t c) {
                            return c >= U'0' && c <= U'9';
                        });
    int year = 0;
    for (const char32_t c : digits ? key : std::u32string()) {
        year = year * 10 + static_cast<int>(c - U'0');
    }
    if (!digits || year < 1 || year > MostPlanYears) {
        return "«" + Shortened(cell) + "» — ожидается год плана от 1 до " +
               std::to_string(MostPlanYears) +
               ", «исключить», «обязательно» или пустая ячейка (план решает сам)";
    }
    rule.Rule = PlanYearRule::Kind::InYear;
    rule.Year = year - 1;
    return std::nullopt;
}

HeadingMatch MatchHeading(std::string_view heading) {
    static const HeadingKeys keys = MakeHeadingKeys();
    const std::u32string key = HeadingKey(heading);
    if (key.empty()) {
        return {};
    }
    HeadingMatch match = MatchKey(keys, key);
    const std::size_t comma = key.rfind(U',');
    if (!match.Field && comma != std::u32string::npos && comma > 0) {
        const HeadingMatch withoutUnit = MatchKey(keys, key.substr(0, comma));
        if (withoutUnit.Field) {
            return withoutUnit;
        }
        match.Near = match.Near ? match.Near : withoutUnit.Near;
    }
    return match;
}

} // namespace model
