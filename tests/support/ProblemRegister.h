// A register with the faults offices make, and the problems table both programs must give for it.
#pragma once

#include "ResultOutput.h"

#include <QString>

#include <algorithm>
#include <string>
#include <vector>

namespace test_support {

// Headings as an office writes them; the cells with a decimal point, numbers where a workbook
// stores numbers. Line 2 lacks its tariff, 3 its entrance count, 4 has 1,5 lamps, 5 a word for the
// tariff, 6 a negative floor count, 7 entrances out of range; 8 is sound.
struct RegisterCell {
    std::string Text;
    bool Number = false;
};
inline const std::vector<std::string> RegisterHeadings = {"Адрес", "Подъездов", "Этажей", "Тариф",
                                                          "Существующая, этаж: количество ламп"};
inline std::vector<std::vector<RegisterCell>> RegisterRows() {
    const auto n = [](const char* text) { return RegisterCell{text, true}; };
    const auto t = [](const char* text) { return RegisterCell{text, false}; };
    return {
        {t("ул. Мира, 1"), n("2"), n("9"), t(""), n("1")},
        {t("ул. Мира, 2"), t(""), n("9"), n("2.5"), n("1")},
        {t("ул. Мира, 3"), n("2"), n("9"), n("2.5"), n("1.5")},
        {t("ул. Мира, 4"), n("2"), n("9"), t("много"), n("1")},
        {t("ул. Мира, 5"), n("2"), n("-5.2"), n("2.5"), n("1")},
        {t("ул. Мира, 6"), n("41"), n("9"), n("2.5"), n("1")},
        {t("ул. Мира, 7"), n("2"), n("9"), n("2.5"), n("1")},
    };
}

// Writes the register as .csv (';', decimal commas), .xlsx or .ods, by the name's extension.
inline void WriteRegister(const QString& fileName) {
    const bool csv = stock::ResultKindOf(fileName) == stock::ResultKind::Csv;
    const std::unique_ptr<stock::ResultOutput> output =
        csv ? stock::CsvResults(fileName, {';', false})
        : stock::ResultKindOf(fileName) == stock::ResultKind::Workbook
            ? stock::WorkbookResults(fileName)
            : stock::OdsResults(fileName);
    output->Header(RegisterHeadings);
    for (const std::vector<RegisterCell>& row : RegisterRows()) {
        std::vector<std::string> cells;
        std::vector<bool> numbers;
        for (const RegisterCell& cell : row) {
            std::string text = cell.Text;
            if (csv && cell.Number) {
                std::replace(text.begin(), text.end(), '.', ',');
            }
            cells.push_back(text);
            numbers.push_back(cell.Number);
        }
        output->Row(cells, numbers);
    }
    output->Finish();
}

// The problems table of the register: line, address, heading as written, the field's caption,
// the cell as written, the message and what became of the row.
inline const std::vector<std::vector<std::string>> RegisterProblems = {
    {"2", "ул. Мира, 1", "Тариф", "Стоимость кВт электроэнергии", "",
     "пустая ячейка — взято значение при запуске: 1,38", "посчитана со значением по умолчанию"},
    {"3", "ул. Мира, 2", "Подъездов", "Подъездов", "",
     "пустая ячейка — взято значение при запуске: 5", "посчитана со значением по умолчанию"},
    {"4", "ул. Мира, 3", "Существующая, этаж: количество ламп",
     "Существующая, этаж: количество ламп", "1,5",
     "«1,5» — вне допустимых пределов (0..10, целое число)", "строка отклонена"},
    {"5", "ул. Мира, 4", "Тариф", "Стоимость кВт электроэнергии", "много", "«много» — не число",
     "строка отклонена"},
    {"6", "ул. Мира, 5", "Этажей", "Этажей", "-5,2",
     "«-5,2» — вне допустимых пределов (1..40, целое число)", "строка отклонена"},
    {"7", "ул. Мира, 6", "Подъездов", "Подъездов", "41", "«41» — вне допустимых пределов (1..40)",
     "строка отклонена"},
};

// The same with --strict or the window's check box: the rows with empty cells rejected.
inline std::vector<std::vector<std::string>> StrictRegisterProblems() {
    std::vector<std::vector<std::string>> problems = RegisterProblems;
    for (std::size_t i = 0; i < 2; ++i) {
        problems[i][5] = "пустая ячейка (строгая проверка)";
        problems[i][6] = "строка отклонена";
    }
    return problems;
}

} // namespace test_support
