#include "HelpText.h"

#include "HouseInput.h"

#include <sstream>

namespace cli {
namespace {

std::string RangeText(const model::HouseField& field) {
    if (field.Check) {
        std::ostringstream text;
        if (field.Check->LowExclusive) {
            text << "больше " << field.Check->Low;
        } else {
            text << field.Check->Low << ".." << field.Check->High;
        }
        return text.str();
    }
    switch (field.Kind) {
    case model::FieldKind::Text:
        return "любой";
    case model::FieldKind::Flag:
        return "1 или 0";
    case model::FieldKind::Code:
        return "0..1";
    default:
        return "любое число";
    }
}

} // namespace

std::string ColumnsHelp() {
    std::string help =
        "\nСтолбцы исходной таблицы (имена без учёта регистра; любой столбец можно опустить —\n"
        "тогда, как и пустая ячейка числа, он берёт значение страницы ввода при запуске):\n";
    for (const model::HouseField& field : model::HouseFields()) {
        std::ostringstream line;
        line << "  " << field.Name << " — " << field.Label << "; " << field.Unit
             << "; допустимо: " << RangeText(field) << "; по умолчанию ";
        if (field.PlannedHours) {
            line << "оценка по движению жильцов, как на странице";
        } else {
            line << '"' << field.StartText << '"';
        }
        help += line.str() + "\n";
    }
    help +=
        "\nКаждое значение берётся так, как его даёт строка: как если бы его ввели на странице\n"
        "ввода после «Пересчитать» и затем нажали «Вперед». Пересчёт окна округляет сроки службы\n"
        "ламп, цены и мощности до целых, а время горения существующих ламп — до сотых, поэтому\n"
        "строка с дробными значениями этих полей совпадает с окном, где их ввели после пересчёта.\n"
        "Количества (подъездов, этажей, ламп, блоков) проверяются как на странице ввода и\n"
        "усекаются до целого. Время горения планируемых ламп, не заданное в строке, берётся из\n"
        "оценки по движению жильцов, округлённой до сотых, как её показывает страница; в зоне без\n"
        "блоков — время горения существующих ламп этой зоны, округлённое до сотых. Зона с\n"
        "количеством планируемых ламп \"0\" остаётся без блоков, как на странице. Мощности\n"
        "берутся как заданы (стрелки страницы привязывают их к стандартным мощностям).\n"
        "Разделитель столбцов — ';' или ',' по строке заголовка; при ';' десятичный разделитель —\n"
        "запятая или точка, при ',' — только точка. Кодировка UTF-8, с меткой BOM или без.\n"
        "\nСтолбцы результата: File, Line (строка файла, где начинается запись дома), Address,\n"
        "PaybackFound (1 — окупается за 10 000 дней, 0 — нет), PaybackDay, PaybackMonths,\n"
        "PaybackCostExisting/Planned (затраты до окупаемости, руб.), InstallCostExisting/Planned\n"
        "(начальные затраты, руб.), InstallCostPerFlatExisting/Planned (на одну квартиру, руб.),\n"
        "FittingCountExisting/Planned (светильники, шт.), BlockCountExisting/Planned (блоки, "
        "шт.),\n"
        "DailyEnergyExisting/Planned (кВт·ч в сутки), MonthlyEnergyExisting/Planned (кВт·ч за 30\n"
        "дней), MonthlyEnergyCostExisting/Planned (руб. за 30 дней),\n"
        "PaybackReplacedExisting/Planned (ламп заменено до окупаемости, шт.), Seed. Числа\n"
        "округлены, как в отчёте программы, без разделителей разрядов; без окупаемости ячейки\n"
        "окупаемости пусты; у отклонённой строки пусты все ячейки результата.\n"
        "\nКаждый дом считается с одним и тем же начальным значением генератора (--seed), как\n"
        "окно посчитало бы его в ту же секунду, поэтому результат не зависит от --jobs.\n"
        "\nКод завершения: 0 — посчитаны все дома, 1 — часть строк отклонена (или в файле нет\n"
        "домов), 2 — ошибка в командной строке, файл не прочитать или результат не записать.\n";
    return help;
}

} // namespace cli
