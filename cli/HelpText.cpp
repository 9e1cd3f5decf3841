#include "HelpText.h"

#include "Console.h"
#include "HouseInput.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <vector>

namespace cli {
namespace {

std::string RangeText(const model::HouseField& field) {
    if (field.Check) {
        return model::AllowedRange(*field.Check);
    }
    if (field.Bounds) {
        return model::AllowedRange(*field.Bounds);
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

// The short forms of labels a heading may use, each with its field.
std::string ShortForms() {
    std::string forms;
    for (const model::ShortLabel& form : model::ShortLabels()) {
        forms += (forms.empty() ? "" : ", ") + std::string(form.Label) + " (" +
                 std::string(form.Field) + ")";
    }
    return forms;
}

// Characters, not bytes: every byte but a UTF-8 continuation byte starts one.
std::size_t Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Where a too long line's next lines start: under the text column of an option or table row
// ("  name   text"), else under the line's own indent.
std::size_t HangingIndent(std::string_view line, std::size_t width) {
    const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
    const std::size_t gap = line.find("  ", indent);
    if (indent > 0 && gap != std::string_view::npos) {
        const std::size_t column = line.find_first_not_of(' ', gap);
        if (column != std::string_view::npos && Characters(line.substr(0, column)) <= width / 2) {
            return Characters(line.substr(0, column));
        }
    }
    return indent;
}

// One line broken at blanks into lines of at most `width` characters (a longer word stays whole).
void WrapLine(std::string_view line, std::size_t width, std::string& out) {
    const std::size_t hanging = HangingIndent(line, width);
    std::string current(line.substr(0, std::min(line.find_first_not_of(' '), line.size())));
    std::size_t length = current.size();
    bool startOfLine = true;
    std::size_t at = current.size();
    while (at < line.size()) {
        const std::size_t end = std::min(line.find(' ', at), line.size());
        const std::string_view word = line.substr(at, end - at);
        const std::size_t wordLength = Characters(word);
        if (!startOfLine && length + 1 + wordLength > width) {
            out += current + '\n';
            current.assign(hanging, ' ');
            length = hanging;
        } else if (!startOfLine) {
            current += ' ';
            ++length;
        }
        current += word;
        length += wordLength;
        startOfLine = false;
        // Runs of blanks inside a line (a table's columns) are kept when they fit.
        at = end;
        if (at < line.size()) {
            const std::size_t next = std::min(line.find_first_not_of(' ', at), line.size());
            if (next - at > 1 && length + (next - at) < width) {
                current.append(next - at - 1, ' ');
                length += next - at - 1;
            }
            at = next;
        }
    }
    out += current + '\n';
}

} // namespace

std::string WrapText(std::string_view text, std::size_t width) {
    // Lines are wrapped once: a line indented to the text column of the row before it (the
    // option descriptions as the parser breaks them) continues that row and is joined to it first.
    std::vector<std::string> rows;
    std::size_t column = 0; // the text column of the last row, 0 when it has none
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
        if (column > 0 && indent == column && indent < line.size() && !rows.empty()) {
            rows.back().append(1, ' ').append(line.substr(indent));
        } else {
            rows.emplace_back(line);
            const std::size_t hanging = HangingIndent(line, std::string_view::npos);
            column = hanging > indent ? hanging : 0;
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    std::string out;
    for (const std::string& row : rows) {
        if (Characters(row) <= width) {
            out.append(row) += '\n';
        } else {
            WrapLine(row, width, out);
        }
    }
    return out;
}

std::size_t HelpWidth() {
    constexpr std::size_t Narrowest = 40;
    constexpr std::size_t Piped = 80;
    if (!OutputIsTerminal()) {
        return Piped;
    }
    if (const char* columns = std::getenv("COLUMNS")) {
        const long value = std::strtol(columns, nullptr, 10);
        if (value > 0) {
            return std::max<std::size_t>(Narrowest, static_cast<std::size_t>(value));
        }
    }
    if (const std::size_t columns = TerminalColumns(); columns > 0) {
        return std::max(Narrowest, columns);
    }
    return Piped;
}

namespace {

// The table of the fields a column may hold, a line each.
std::string FieldTable() {
    std::size_t nameWidth = 0;
    for (const model::HouseField& field : model::HouseFields()) {
        nameWidth = std::max(nameWidth, std::string_view(field.Name).size());
    }
    std::string table = "\n  " + std::string("Столбец") + std::string(nameWidth - 5, ' ') +
                        "Поле; единица; допустимо; по умолчанию\n";
    for (const model::HouseField& field : model::HouseFields()) {
        std::ostringstream line;
        line << "  " << field.Name
             << std::string(nameWidth + 2 - std::string_view(field.Name).size(), ' ') << field.Label
             << "; " << field.Unit << "; " << RangeText(field) << "; ";
        if (field.PlannedHours) {
            line << "оценка по движению жильцов, как на странице";
        } else {
            line << '"' << field.StartText << '"';
        }
        table += line.str() + "\n";
    }
    return table;
}

// How a row's values and the file holding them are read.
std::string ReadingRules() {
    return "\nКаждое значение берётся так, как его даёт строка: как если бы его ввели на странице "
           "ввода после «Пересчитать» и затем нажали «Вперед». Пересчёт окна округляет сроки "
           "службы "
           "ламп, цены и мощности до целых, а время горения существующих ламп — до сотых, поэтому "
           "строка с дробными значениями этих полей совпадает с окном, где их ввели после "
           "пересчёта. "
           "Количества (подъездов, этажей, ламп, блоков), сроки службы ламп и горизонт — целые "
           "числа: дробное значение, как и значение вне пределов, — ошибка строки с допустимыми "
           "пределами. Пустая ячейка поля берёт значение при запуске (или --set); такие строки "
           "считаются, а в конце одна строка сообщений называет первые из них (--strict — "
           "отклонять "
           "их). --problems файл (.csv, .xlsx или .ods) записывает все проблемы строк таблицей: "
           "строка, адрес, столбец и значение, как они записаны в файле, сообщение и итог. "
           "Время горения планируемых ламп, не заданное в строке, берётся из "
           "оценки по движению жильцов, округлённой до сотых, как её показывает страница; в зоне "
           "без "
           "блоков — время горения существующих ламп этой зоны, округлённое до сотых. Зона с "
           "количеством планируемых ламп \"0\" остаётся без блоков, как на странице. Мощности "
           "берутся как заданы (стрелки страницы привязывают их к стандартным мощностям). "
           "Разделитель столбцов — ';' или ',' по строке заголовка; десятичный разделитель — "
           "запятая или точка (при ',' число с запятой берётся в кавычки: \"2,5\"); разряды можно "
           "отделять пробелом (\"1 250,00\"). Кодировка UTF-8 (с меткой BOM или без); файл не в "
           "UTF-8 читается как Windows-1251 (--encoding задаёт кодировку). Строка должна иметь "
           "столько ячеек, сколько столбцов в заголовке. Кавычка не на месте портит только свои "
           "строки: они отклоняются, чтение идёт дальше. Вместо CSV можно дать книгу .xlsx или "
           "таблицу .ods: читаются первый видимый лист и следующие листы с тем же заголовком (о "
           "прочих сообщается); ячейка в процентном формате берётся как видна (5 %, только в "
           "полях в процентах), дата в числовом поле и формула без сохранённого значения — "
           "ошибка строки. Книга .xls не читается: её нужно сохранить как .xlsx, .ods или .csv.\n";
}

// The columns that are not the house's fields and what the result file is.
std::string OtherColumns() {
    return "\nСтолбцы, которые не поля дома (№, Примечание, ...), переносятся в результат без "
           "изменений, в своём порядке, перед столбцами результата. Имя, отличающееся от имени "
           "поля "
           "на одну-две буквы (без учёта регистра, пробелов и подчёркиваний), — ошибка с "
           "подсказкой. "
           "Столбец PlanYear («Год плана») решает дом для плана (--budget): пусто — решает план, "
           "1–10 — оснастить в этом году, «исключить» — не оснащать, «обязательно» — оснастить "
           "в году, который выберет план; другое значение отклоняет строку. "
           "Текст, который таблица приняла бы за формулу (начинается с =, +, -, @), записывается "
           "в CSV с апострофом в начале; числа не меняются. Результат CSV начинается меткой BOM "
           "(--no-bom — без неё); -o файл.xlsx записывает книгу Excel, -o файл.ods — таблицу "
           "OpenDocument; другие расширения, кроме .csv и .txt, не записываются.\n";
}

// The result's own columns, the economics ones among them.
std::string ResultColumns() {
    return "\nСтолбцы результата: File (файл; у строки листа книги после первого — с листом: "
           "книга.xlsx (лист «Дома 2»)), Line (строка файла, где начинается запись дома), "
           "Address, "
           "ManagementCompany (адрес и ЖЭУ / УК / ТСЖ строки, также у отклонённой), "
           "PaybackFound (1 — окупается за 10 000 дней, 0 — нет), PaybackDay, PaybackMonths, "
           "PaybackCostExisting/Planned (затраты до окупаемости, руб.), "
           "InstallCostExisting/Planned "
           "(начальные затраты, руб.), InstallCostPerFlatExisting/Planned (на одну квартиру, "
           "руб.), "
           "FittingCountExisting/Planned (светильники, шт.), BlockCountExisting/Planned (блоки, "
           "шт.), "
           "DailyEnergyExisting/Planned (кВт·ч в сутки), MonthlyEnergyExisting/Planned (кВт·ч за "
           "30 "
           "дней), MonthlyEnergyCostExisting/Planned (руб. за 30 дней), "
           "PaybackReplacedExisting/Planned (ламп заменено до окупаемости, шт.), Seed. Числа "
           "округлены, как в отчёте программы, без разделителей разрядов; без окупаемости ячейки "
           "окупаемости пусты; у отклонённой строки пусты все ячейки результата.\n"
           "\nСтолбцы экономики (когда во входном файле есть TariffGrowth, LampPriceGrowth, "
           "DiscountRate, HorizonYears или EmissionFactor, или задан --economics), после Seed: "
           "DiscountedPaybackFound, DiscountedPaybackDay, DiscountedPaybackMonths (срок "
           "окупаемости "
           "по дисконтированным затратам с ростом тарифа и цен ламп), NetPresentValue (ЧПС за "
           "горизонт, руб.), InternalRateOfReturn (ВНД, % в год; пусто — нет, >1000 — больше "
           "1000 %), EnergySavedPerYear (кВт·ч), MoneySavedFirstYear (руб. по нынешнему тарифу), "
           "CO2AvoidedPerYear (т). Деньги и проценты — с двумя знаками, тонны — с тремя.\n";
}

} // namespace

std::string ColumnsHelp() {
    std::string help =
        "\nСтолбцы исходной таблицы (имена без учёта регистра; любой столбец можно опустить "
        "— тогда, как и пустая ячейка числа, он берёт значение страницы ввода при запуске). "
        "Вместо имени годится русское название поля, как на странице ввода (\"ё\" как \"е\", "
        "единица после запятой не мешает: \"Подъездов, шт.\"), или краткое: " +
        ShortForms() +
        ". Таблица без единого столбца дома не считается; без столбцов подъездов, этажей "
        "или тарифа сообщается, какие значения при запуске взяты для всех домов.\n";
    help += FieldTable() + ReadingRules() + OtherColumns() + ResultColumns();
    help +=
        "\nКаждый дом считается с одним и тем же начальным значением генератора (--seed), как "
        "окно посчитало бы его в ту же секунду, поэтому результат не зависит от --jobs.\n"
        "\nСообщения об ошибках в строках — не больше 100 (--max-errors), затем их число и строка "
        "с числом посчитанных домов и отклонённых строк.\n"
        "\nКод завершения: 0 — посчитаны все дома, 1 — часть строк отклонена (или в файле нет "
        "домов), 2 — ошибка в командной строке, файл не прочитать или результат не записать.\n";
    return help;
}

} // namespace cli
