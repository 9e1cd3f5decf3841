// virasvet-calc on the sheets that were once read wrong without a word, or took gigabytes: each
// case is the smallest file that showed it, made here (workbook parts stored, not deflated, unless
// the packing is the point).

#include "ProgramRun.h"

#include <malloc.h>
#include <zip.h>

#include <algorithm>

namespace {

using namespace cli_test;

// Result columns after File, Line, Address and ManagementCompany (no carried columns).
constexpr std::size_t InstallCostPlanned = 10;
constexpr std::size_t NetPresentValue = 29;

struct Part {
    std::string Name;
    std::string Text;
    bool Deflated = false;
};

struct Case {
    Case(std::string name, std::string content, int status, std::string err, std::size_t column = 0,
         std::string cell = "", std::size_t line = 1)
        : Name(std::move(name)), Content(std::move(content)), Status(status), Err(std::move(err)),
          Column(column), Cell(std::move(cell)), Line(line) {}

    std::string Name;
    std::string Content; // CSV text; empty for the workbook cases
    int Status = 0;
    std::string Err;        // a text the messages hold; empty: no messages at all
    std::size_t Column = 0; // a result cell to check, when Cell is given
    std::string Cell;
    std::size_t Line = 1; // the row of the results that holds it (the header is 0)
};

class SheetShapes : public ProgramRun {
protected:
    // A zip archive of the parts.
    std::string Zip(const std::string& name, const std::vector<Part>& parts) {
        int error = 0;
        zip_t* archive =
            zip_open((dir_ / name).string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        EXPECT_NE(archive, nullptr);
        for (const Part& part : parts) {
            zip_source_t* source =
                zip_source_buffer(archive, part.Text.data(), part.Text.size(), 0);
            const zip_int64_t index =
                zip_file_add(archive, part.Name.c_str(), source, ZIP_FL_ENC_UTF_8);
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                     part.Deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
        }
        EXPECT_EQ(zip_close(archive), 0);
        return name;
    }

    struct Sheet {
        std::string Name;
        std::string State; // "", "hidden"
        std::string Rows;  // <row> elements
    };

    // An .xlsx workbook of these sheets, with these cell formats (<xf> elements).
    std::string Book(const std::string& name, const std::vector<Sheet>& sheets,
                     const std::string& formats = "", bool deflated = false,
                     const std::string& properties = "") {
        std::string list;
        std::string relations;
        std::vector<Part> parts;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            const std::string id = std::to_string(i + 1);
            list += "<sheet name=\"" + sheets[i].Name + "\" sheetId=\"" + id + "\" " +
                    (sheets[i].State.empty() ? "" : "state=\"" + sheets[i].State + "\" ") +
                    "r:id=\"rId" + id + "\"/>";
            relations +=
                "<Relationship Id=\"rId" + id + "\" Target=\"worksheets/sheet" + id + ".xml\"/>";
            parts.push_back({"xl/worksheets/sheet" + id + ".xml",
                             "<worksheet xmlns=\"http://schemas.openxmlformats.org/"
                             "spreadsheetml/2006/main\"><sheetData>" +
                                 sheets[i].Rows + "</sheetData></worksheet>",
                             deflated});
        }
        parts.push_back(
            {"xl/workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                                "2006/main\" xmlns:r=\"http://schemas.openxmlformats.org/"
                                "officeDocument/2006/relationships\">" +
                                    properties + "<sheets>" + list + "</sheets></workbook>"});
        parts.push_back({"xl/_rels/workbook.xml.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                         "relationships\">" +
                             relations + "</Relationships>"});
        if (!formats.empty()) {
            parts.push_back(
                {"xl/styles.xml", "<styleSheet xmlns=\"http://schemas.openxmlformats.org/"
                                  "spreadsheetml/2006/main\"><numFmts><numFmt numFmtId=\"164\" "
                                  "formatCode=\"0.0&quot; %&quot;;[Red]0.0%\"/><numFmt "
                                  "numFmtId=\"165\" formatCode=\"&quot;d&quot;0\"/><numFmt "
                                  "numFmtId=\"166\" formatCode=\"[White]0\"/></numFmts>"
                                  "<cellStyleXfs><xf numFmtId=\"9\"/></cellStyleXfs><cellXfs>" +
                                      formats + "</cellXfs></styleSheet>"});
        }
        return Zip(name, parts);
    }

    // An .ods spreadsheet whose body holds these tables.
    std::string Ods(const std::string& name, const std::string& tables) {
        const std::string content =
            "<office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\">"
            "<office:automatic-styles><style:style style:name=\"hidden\" style:family=\"table\">"
            "<style:table-properties table:display=\"false\"/></style:style>"
            "</office:automatic-styles><office:body><office:spreadsheet>" +
            tables + "</office:spreadsheet></office:body></office:document-content>";
        return Zip(name, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                          {"content.xml", content, true}});
    }

    void Check(const Case& c, const std::string& file) {
        const Outcome run = Calc("--seed 1 --no-bom " + file);
        EXPECT_EQ(run.Status, c.Status) << c.Name << "\n" << run.Err;
        if (c.Err.empty()) {
            EXPECT_EQ(run.Err, "") << c.Name;
        } else {
            EXPECT_NE(run.Err.find(c.Err), std::string::npos) << c.Name << "\n" << run.Err;
        }
        if (!c.Cell.empty()) {
            const std::vector<std::string> lines = Lines(run.Out);
            ASSERT_GT(lines.size(), c.Line) << c.Name;
            const std::vector<std::string> cells = Cells(lines[c.Line], ';');
            ASSERT_GT(cells.size(), c.Column) << c.Name;
            EXPECT_EQ(cells[c.Column], c.Cell) << c.Name;
        }
    }
};

// An inline string cell.
std::string Text(const std::string& ref, const std::string& text) {
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

std::string Row(std::size_t number, const std::string& cells) {
    return "<row r=\"" + std::to_string(number) + "\">" + cells + "</row>";
}

TEST_F(SheetShapes, HeadingsInRussianAreTheFieldsTheyName) {
    // 3 entrances of 9 floors: 54 blocks at 350 + 100; 5 entrances (the start-up house): 90.
    const std::string keyNote = "для всех домов берутся эти значения при запуске";
    const std::vector<Case> cases = {
        {"labels", "№;Адрес;Тариф;Подъездов;Этажей\n1;ул. Мира 1;5,65;3;9\n", 0, "",
         InstallCostPlanned + 1, "24300"},
        {"label with its unit, any case", "ПОДЪЕЗДОВ, шт.;адрес;Тариф;Этажей\n3;a;1;9\n", 0, "",
         InstallCostPlanned, "24300"},
        {"record name, spaced", "entrance count;Tariff;Floor Count\n3;1;9\n", 0, "",
         InstallCostPlanned, "24300"},
        {"ё as е", "Подъездов;Этажей;Стоимость кВт электроэнергии;Горизонт расчета\n3;9;1;5\n", 0,
         "", InstallCostPlanned, "24300"},
        {"a short heading is carried", "Этаж;Подъездов;Этажей;Тариф\n1;3;9;1\n", 0, "",
         InstallCostPlanned + 1, "24300"},
        {"key fields missing: a note", "Адрес;Примечание\nа;1\n", 0,
         "x.csv: нет столбцов EntranceCount (Подъездов) = 5, FloorCount (Этажей) = 9, Tariff "
         "(Стоимость кВт электроэнергии) = 1,38: " +
             keyNote,
         InstallCostPlanned + 1, "40500"},
        {"misspelt label stops the run", "Подьездов;Адрес\n3;a\n", 2,
         "Подьездов: нет такого столбца; может быть, EntranceCount?"},
        {"no field column at all", "№;Улица;Сумма\n1;ул. Мира 1;5,65\n", 2,
         "x.csv:1: нет ни одного столбца с параметрами дома; ожидаются столбцы Address, "
         "ManagementCompany, EntranceCount,"},
    };
    for (const Case& c : cases) {
        Check(c, File("x.csv", c.Content));
    }
}

TEST_F(SheetShapes, TextFilesThatWereReadWrong) {
    // A UTF-8 text whose encoding sample of 64 KiB ends inside a two-byte letter (long notes:
    // few houses to calculate).
    std::string sample = "Address;Tariff;EntranceCount;FloorCount;Примечание\n";
    while (sample.size() < 65535 - 2000) {
        sample += "a;1;5;9;" + std::string(1000, 'x') + "\n";
    }
    sample += std::string(65535 - 8 - sample.size(), 'b') + ";1;5;9;\n";
    const auto lines = static_cast<std::size_t>(std::count(sample.begin(), sample.end(), '\n'));
    sample += "Мир;1;5;9;\n";
    const std::string head = "Address;Tariff;EntranceCount;FloorCount\n";
    std::string million = "Address;Tariff;EntranceCount;FloorCount\na";
    million.append(15 * 65536, ';');
    million += '\n';
    const std::vector<Case> cases = {
        {"sample ends inside a letter", sample, 0, "", 3, "Мир", lines},
        {"last letter cut", "Address;Tariff;EntranceCount;FloorCount\nМир;1;5;9\nМир;1;5;9\xD0", 1,
         "x.csv:3: байты не в кодировке UTF-8", 2, "Мир"},
        {"a stray byte late in the file", sample + "\xCC\xE8\xF0;1;5;9;\n", 1,
         "x.csv:" + std::to_string(lines + 2) + ": байты не в кодировке UTF-8", 3, "Мир", lines},
        {"a line of a million delimiters", million, 1,
         "x.csv:2: ячеек в строке: 983041, столбцов в заголовке: 4"},
        {"a header wider than a sheet", std::string(16384, ';') + "Address\n", 2,
         "x.csv: строка 1: в заголовке больше 16384 столбцов"},
        {"a legacy workbook", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest", 2,
         "x.csv: формат .xls не читается: сохраните файл как .xlsx, .ods или .csv"},
        {"a PDF", "%PDF-1.4\n", 2, "x.csv: это документ PDF, а не таблица"},
        {"a quoted heading holding ';' in a ',' file", "Address,\"Примечание; да\",Tariff\na,x,1\n",
         0, ""},
        {"a stray quote spoils its row", head + "a;1;5;9\nb\"x;1;5;9\nc;1;5;9\n", 1,
         "x.csv:3: кавычка внутри поля", 1, "4", 3},
        {"a quote left open spoils its line", head + "\"a;1;5;9\nb;1;5;9\nc;1;5;9\n", 1,
         "x.csv:2: кавычка не закрыта", 2, "c", 3},
    };
    for (const Case& c : cases) {
        Check(c, File("x.csv", c.Content));
    }
    // A workbook through a pipe cannot be read: said so, not taken for text.
    Book("b.xlsx", {{"Дома", "", Row(1, Text("A1", "Address"))}});
    const Outcome piped = Shell(std::string("'") + VIRASVET_CALC + "' - <b.xlsx 2>err.txt");
    EXPECT_EQ(piped.Status, 2);
    EXPECT_NE(piped.Err.find("-: это архив zip"), std::string::npos) << piped.Err;
}

TEST_F(SheetShapes, WorkbookCellsAreReadAsTheyAreShown) {
    const std::string header =
        Row(1, Text("A1", "Address") + Text("B1", "TariffGrowth") + Text("C1", "DiscountRate") +
                   Text("D1", "Tariff") + Text("E1", "EntranceCount") + Text("F1", "FloorCount"));
    const std::string formats =
        "<xf numFmtId=\"0\"/><xf numFmtId=\"9\"/><xf numFmtId=\"14\"/>"
        "<xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"166\"/><xf numFmtId=\"10\"/>";
    const auto house = [](const std::string& cells) {
        return Row(2, Text("A2", "a") + cells + "<c r=\"D2\"><v>1.38</v></c>" +
                          "<c r=\"E2\"><v>5</v></c><c r=\"F2\"><v>9</v></c>");
    };
    // 5 % a year at 8 %: the figure the same house has in a CSV file.
    const std::vector<std::pair<Case, std::string>> cases = {
        {{"percent format", "", 0, "", NetPresentValue, "201446,24"},
         house("<c r=\"B2\" s=\"1\"><v>0.05</v></c><c r=\"C2\" s=\"1\"><v>0.08</v></c>")},
        {{"built-in percent format with decimals", "", 0, "", NetPresentValue, "201446,24"},
         house("<c r=\"B2\" s=\"6\"><v>0.05</v></c><c r=\"C2\" s=\"6\"><v>0.08</v></c>")},
        {{"own percent format", "", 0, "", NetPresentValue, "201446,24"},
         house("<c r=\"B2\" s=\"3\"><v>0.05</v></c><c r=\"C2\"><v>8</v></c>")},
        {{"a text cell with a percent sign", "", 0, "", NetPresentValue, "201446,24"},
         house(Text("B2", "5 %") + Text("C2", "8%"))},
        {{"a percent where no percent belongs", "", 1,
          "x.xlsx:2: Tariff: «138%» — процент, а величина не в процентах (единица: руб./кВт·ч)"},
         Row(2, Text("A2", "a") + "<c r=\"D2\" s=\"1\"><v>1.38</v></c>")},
        {{"a date where a count belongs", "", 1,
          "x.xlsx:2: EntranceCount: «05.01.1900» — дата, а ожидается число"},
         Row(2, Text("A2", "a") + "<c r=\"E2\" s=\"2\"><v>5</v></c>")},
        {{"a true cell is 1", "", 0,
          "x.xlsx:2: TariffGrowth, x.xlsx:2: DiscountRate, x.xlsx:2: Tariff (", InstallCostPlanned,
          "8100"},
         Row(2, Text("A2", "a") + "<c r=\"E2\" t=\"b\"><v>1</v></c><c r=\"F2\"><v>9</v></c>")},
        {{"a quoted d in a format is no date", "", 0,
          "в 1 строке пустые ячейки заполнены значениями по умолчанию: x.xlsx:2: DiscountRate (",
          InstallCostPlanned, "40500"},
         house("<c r=\"B2\" s=\"4\"><v>0</v></c>")},
        {{"a colour is no date", "", 0,
          "в 1 строке пустые ячейки заполнены значениями по умолчанию: x.xlsx:2: TariffGrowth, "
          "x.xlsx:2: DiscountRate, x.xlsx:2: Tariff (",
          InstallCostPlanned, "24300"},
         Row(2, Text("A2", "a") + "<c r=\"E2\" s=\"5\"><v>3</v></c><c r=\"F2\"><v>9</v></c>")},
        {{"references in lower case", "", 0,
          "в 1 строке пустые ячейки заполнены значениями по умолчанию: x.xlsx:2: TariffGrowth, "
          "x.xlsx:2: DiscountRate, x.xlsx:2: Tariff (",
          InstallCostPlanned, "24300"},
         Row(2, Text("a2", "a") + "<c r=\"e2\"><v>3</v></c><c r=\"f2\"><v>9</v></c>")},
        {{"rows out of order", "", 2, "строка 3 после строки 5: строки не по порядку"},
         Row(5, Text("A5", "a")) + Row(3, Text("A3", "b")) + Row(3, Text("A3", "c"))},
        {{"a formula without its value", "", 1,
          "x.xlsx:2: EntranceCount: формула без значения — откройте и сохраните файл в табличном "
          "редакторе"},
         Row(2, Text("A2", "a") + "<c r=\"E2\"><f>2+3</f></c>")},
        {{"a row with more cells than its header", "", 1,
          "x.xlsx:2: ячеек в строке: 7, столбцов в заголовке: 6"},
         Row(2, Text("A2", "a") + "<c r=\"E2\"><v>5</v></c><c r=\"G2\"><v>1</v></c>")},
        {{"escaped characters", "", 0,
          ": x.xlsx:2: TariffGrowth, x.xlsx:2: DiscountRate, x.xlsx:2: Tariff, x.xlsx:2: "
          "EntranceCount, x.xlsx:2: FloorCount (",
          2, "ул. Мира_x0031_"},
         Row(2, Text("A2", "ул._x0020_Мира_x005F_x0031_"))},
        {{"a comment and CDATA", "", 0,
          ": x.xlsx:2: TariffGrowth, x.xlsx:2: DiscountRate, x.xlsx:2: Tariff, x.xlsx:2: "
          "EntranceCount, x.xlsx:2: FloorCount (",
          2, "a<b"},
         "<!-- " + std::string(4 << 20, '-') + "x -->" +
             Row(2, "<c r=\"A2\" t=\"inlineStr\"><is><t><![CDATA[a<b]]></t></is></c>")},
        {{"a row number past the last", "", 2, "номер строки 18446744073709551615 больше 1048576"},
         Row(2, Text("A2", "a")) + "<row r=\"18446744073709551615\">" + Text("A3", "b") +
             "</row><row>" + Text("A4", "c") + "</row>"},
        {{"blanks between rows", "", 2, "текст между тегами длиннее 1 МБ"},
         std::string(2 << 20, ' ') + Row(2, Text("A2", "a"))},
        {{"an endless attribute", "", 2, "тег длиннее 1 МБ"},
         "<row r=\"2\" x=\"" + std::string(2 << 20, 'y') + "\"/>"},
        {{"nesting", "", 2, "вложены глубже 64 уровней"},
         [] {
             std::string deep;
             for (int i = 0; i < 100; ++i) {
                 deep += "<x>";
             }
             return deep;
         }()},
        {{"a document type", "", 2, "объявление типа документа"},
         "<!DOCTYPE x [<!ENTITY a \"b\">]>"},
    };
    for (const auto& [c, rows] : cases) {
        Check(c, Book("x.xlsx", {{"Дома", "", header + rows}}, formats));
    }
    // A workbook of the 1904 date system counts its days from 1904-01-01.
    Check({"the 1904 date system", "", 1,
           "x.xlsx:2: EntranceCount: «06.01.2024» — дата, а ожидается число"},
          Book("x.xlsx",
               {{"Дома", "",
                 header + Row(2, Text("A2", "a") + "<c r=\"E2\" s=\"2\"><v>43835</v></c>")}},
               formats, false, "<workbookPr date1904=\"1\"/>"));
}

TEST_F(SheetShapes, CarriedWorkbookNumbersAreWrittenAsTheSheetShowsThem) {
    // Stored as another program wrote them: binary noise past fifteen digits, an exponent.
    const std::string rows =
        Row(1, Text("A1", "Площадь") + Text("B1", "Address")) +
        Row(2, "<c r=\"A2\"><v>0.30000000000000004</v></c>" + Text("B2", "a")) +
        Row(3, "<c r=\"A3\"><v>1.2E+20</v></c>" + Text("B3", "b")) +
        Row(4, "<c r=\"A4\"><v>-2.5E-3</v></c>" + Text("B4", "c"));
    const Outcome run = Calc("--seed 1 --no-bom " + Book("x.xlsx", {{"Дома", "", rows}}));
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 4u) << run.Out;
    EXPECT_TRUE(lines[1].starts_with("0,3;x.xlsx;2;a;")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("120000000000000000000;x.xlsx;3;b;")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("-0,0025;x.xlsx;4;c;")) << lines[3];
}

TEST_F(SheetShapes, EveryContinuationSheetIsReadAndTheOthersNamed) {
    const std::string header = Row(1, Text("A1", "Address") + Text("B1", "EntranceCount"));
    Book("x.xlsx",
         {{"Старое", "hidden", Row(1, Text("A1", "Address")) + Row(2, Text("A2", "no"))},
          {"Дома", "", header + Row(2, Text("A2", "a") + "<c r=\"B2\"><v>3</v></c>")},
          {"Итоги", "", Row(1, Text("A1", "Всего"))},
          // A heading cell left empty at the end is still the same header.
          {"Дома (2)", "",
           Row(1, Text("A1", "Address") + Text("B1", "EntranceCount") + Text("C1", "")) +
               Row(5, Text("A5", "b")) + Row(6, Text("A6", "c") + "<c r=\"B6\"><v>0</v></c>")},
          {"Дома (3)", "hidden", header + Row(2, Text("A2", "no"))}});
    const Outcome run = Calc("--seed 1 --no-bom --problems p.csv x.xlsx");
    EXPECT_EQ(run.Status, 1) << run.Err;
    EXPECT_EQ(run.Err, "x.xlsx: не прочитаны листы: «Старое» (скрыт), «Итоги» (другой "
                       "заголовок), «Дома (3)» (скрыт)\n"
                       "x.xlsx (лист «Дома (2)»):6: EntranceCount: 0 — вне допустимых пределов "
                       "(1..40)\nв 1 строке пустые ячейки заполнены "
                       "значениями по умолчанию: x.xlsx (лист «Дома (2)»):5: EntranceCount "
                       "(отклонять такие строки: --strict)\n"
                       "посчитано домов: 2, отклонено строк: 1\n");
    // A table without the file's column names the sheet with the line.
    EXPECT_EQ(Read("p.csv"),
              "\xEF\xBB\xBFСтрока;Адрес;Столбец;Поле;Значение;Сообщение;Итог\r\n"
              "5, лист «Дома (2)»;b;EntranceCount;Подъездов;;пустая ячейка — взято значение при "
              "запуске: 5;посчитана со значением по умолчанию\r\n"
              "6, лист «Дома (2)»;c;EntranceCount;Подъездов;0;«0» — вне допустимых пределов "
              "(1..40);строка отклонена\r\n");
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 4u) << run.Out;
    EXPECT_TRUE(lines[1].starts_with("x.xlsx;2;a;")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("x.xlsx (лист «Дома (2)»);5;b;")) << lines[2];
}

TEST_F(SheetShapes, OpenDocumentSpreadsheetsAreRead) {
    const auto text = [](const std::string& value) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + value +
               "</text:p></table:table-cell>";
    };
    const auto number = [](const std::string& type, const std::string& value) {
        return "<table:table-cell office:value-type=\"" + type +
               "\" office:" + (type == "date" ? "date-value" : "value") + "=\"" + value +
               "\"><text:p>shown</text:p></table:table-cell>";
    };
    const std::string header = "<table:table-row>" + text("Адрес") + text("Рост тарифа") +
                               text("Ставка дисконтирования") + text("Подъездов") + text("Этажей") +
                               text("Тариф") +
                               "<table:table-cell table:number-columns-repeated=\"1018\"/>"
                               "</table:table-row>";
    const auto table = [&](const std::string& name, const std::string& rows,
                           const std::string& style = "") {
        return "<table:table table:name=\"" + name + "\"" + style + ">" + header + rows +
               "</table:table>";
    };
    const std::string end = "<table:table-row table:number-rows-repeated=\"1048570\">"
                            "<table:table-cell table:number-columns-repeated=\"1024\"/>"
                            "</table:table-row>";
    const std::string house = number("percentage", "0.05") + number("float", "8") +
                              number("float", "5") + number("float", "9") + number("float", "1.38");
    // After cells repeated: 3 entrances of 9 floors, 54 blocks at 350 + 100.
    const std::string entrances =
        number("float", "3") + number("float", "9") + number("float", "1.38");
    Ods("x.ods",
        table("Скрытый", "", " table:style-name=\"hidden\"") +
            table("Дома", "<table:table-row table:number-rows-repeated=\"2\">" +
                              text("a<text:s/>1") + house + "</table:table-row><table:table-row>" +
                              text("b<table:table table:name=\"Вложенная\"><table:table-row>" +
                                   text("Всего") + "</table:table-row></table:table>") +
                              number("date", "2024-01-05") +
                              "<table:table-cell table:formula=\"of:=1\"/>"
                              "</table:table-row>" +
                              end) +
            table("Дома 2",
                  "<table:table-row>"
                  "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>"
                  "Проверить адрес</text:p></office:annotation><text:p>c<text:note>"
                  "<text:note-body><text:p>сноска</text:p></text:note-body></text:note>"
                  "</text:p></table:table-cell>" +
                      house + "</table:table-row><table:table-row>" + text("d") +
                      "<table:table-cell table:number-columns-repeated=\"2\" "
                      "office:value-type=\"percentage\" office:value=\"0.05\"/>" +
                      entrances + "</table:table-row><table:table-row>" + text("e") +
                      "<table:table-cell table:number-columns-repeated=\"2\"/>" + entrances +
                      "</table:table-row>"));
    const Outcome run = Calc("--seed 1 --no-bom x.ods");
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "x.ods: не прочитаны листы: «Скрытый» (скрыт)\n"
                       "x.ods:4: Ставка дисконтирования: формула без значения — откройте и "
                       "сохраните файл в табличном редакторе\n"
                       "x.ods:4: Рост тарифа: «05.01.2024» — дата, а ожидается число (ячейка в "
                       "формате даты?)\n"
                       // Row 4 of the second sheet, not the rejected row 4 of the first.
                       "в 1 строке пустые ячейки заполнены значениями по умолчанию: x.ods (лист "
                       "«Дома 2»):4: Рост тарифа, x.ods (лист «Дома 2»):4: Ставка "
                       "дисконтирования (отклонять такие строки: --strict; все проблемы: "
                       "--problems)\n"
                       "посчитано домов: 5, отклонено строк: 1\n");
    const std::vector<std::string> lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 7u) << run.Out;
    EXPECT_TRUE(lines[1].starts_with("x.ods;2;a 1;")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("x.ods;3;a 1;")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("x.ods;4;b;;;")) << lines[3];
    // A line repeats on the sheet that continues the first: the sheet tells the rows apart.
    EXPECT_TRUE(lines[4].starts_with("x.ods (лист «Дома 2»);2;c;")) << lines[4];
    EXPECT_EQ(Cells(lines[1], ';')[NetPresentValue], "201446,24");
    for (const std::size_t row : {5u, 6u}) {
        EXPECT_EQ(Cells(lines[row], ';')[InstallCostPlanned], "24300") << lines[row];
    }
    // A rejected row repeated to the sheet's end is one message naming its lines, its rows all
    // counted; a house repeated is a house a line; empty rows repeated are nothing.
    Ods("r.ods", table("Дома", "<table:table-row table:number-rows-repeated=\"1048570\">" +
                                   text("f") + text("много") +
                                   "</table:table-row><table:table-row "
                                   "table:number-rows-repeated=\"3\">" +
                                   text("g") + house +
                                   "</table:table-row><table:table-row "
                                   "table:number-rows-repeated=\"2\"><table:table-cell/>"
                                   "</table:table-row>"));
    const Outcome rows = Calc("--seed 1 --no-bom r.ods");
    EXPECT_EQ(rows.Status, 1);
    EXPECT_EQ(rows.Err, "r.ods:строки 2–1048571 (1048570 одинаковых строк): Рост тарифа: «много» "
                        "— не число\n"
                        "посчитано домов: 3, отклонено строк: 1048570\n");
    const std::vector<std::string> out = Lines(rows.Out);
    ASSERT_EQ(out.size(), 5u) << rows.Out;
    EXPECT_TRUE(out[1].starts_with("r.ods;2;f;")) << out[1];
    EXPECT_TRUE(out[4].starts_with("r.ods;1048574;g;")) << out[4];
    // A header row repeated: its copies are rows of the register, rejected as theirs.
    Ods("h.ods", "<table:table table:name=\"Дома\"><table:table-row "
                 "table:number-rows-repeated=\"3\">" +
                     text("Адрес") + text("Подъездов") + "</table:table-row><table:table-row>" +
                     text("a") + number("float", "3") + "</table:table-row></table:table>");
    const Outcome headers = Calc("--seed 1 --no-bom h.ods");
    EXPECT_EQ(headers.Status, 1);
    EXPECT_NE(headers.Err.find("h.ods:строки 2–3 (2 одинаковые строки): Подъездов: "
                               "«Подъездов» — не число\n"),
              std::string::npos)
        << headers.Err;
    EXPECT_NE(headers.Err.find("посчитано домов: 1, отклонено строк: 2\n"), std::string::npos)
        << headers.Err;
    // Repeat counts past any number, or below one, are no single cell.
    for (const auto& [count, err] :
         {std::pair<std::string, std::string>{"18446744073709551616", "больше 16384 столбцов"},
          {"-1", "число повторов table:number-columns-repeated=«-1» — не целое число"}}) {
        Ods("r.ods",
            table("Дома", "<table:table-row>" + text("a") +
                              "<table:table-cell table:number-columns-repeated=\"" + count +
                              "\" office:value-type=\"float\" "
                              "office:value=\"3\"/></table:table-row>"));
        const Outcome repeated = Calc("r.ods");
        EXPECT_EQ(repeated.Status, 2) << count;
        EXPECT_NE(repeated.Err.find(err), std::string::npos) << repeated.Err;
    }
}

TEST_F(SheetShapes, ProtectedAndRenamedWorkbooksAreSaidSo) {
    const std::string houses =
        "<table:table table:name=\"Дома\"><table:table-row><table:table-cell "
        "office:value-type=\"string\"><text:p>Address</text:p></table:table-cell>"
        "</table:table-row><table:table-row><table:table-cell office:value-type=\"string\">"
        "<text:p>ул. Мира</text:p></table:table-cell></table:table-row></table:table>";
    // An .ods saved as .xlsx, and the other way round, are read as what they are.
    Ods("ods.xlsx", houses);
    Book("xlsx.ods",
         {{"Дома", "", Row(1, Text("A1", "Address")) + Row(2, Text("A2", "ул. Мира"))}});
    for (const std::string name : {"ods.xlsx", "xlsx.ods"}) {
        const Outcome run = Calc("--seed 1 --no-bom " + name);
        EXPECT_EQ(run.Status, 0) << name << "\n" << run.Err;
        EXPECT_NE(run.Out.find(name + ";2;ул. Мира;"), std::string::npos) << run.Out;
    }
    // A spreadsheet saved with a password: its content is encrypted, its list of parts says so.
    Zip("p.ods", {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"content.xml", "\x13\x9a encrypted"},
                  {"META-INF/manifest.xml",
                   "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
                   "manifest:1.0\"><manifest:file-entry manifest:full-path=\"content.xml\">"
                   "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>"}});
    // A workbook saved with a password is a compound file whose directory names its encrypted
    // package; without that stream it is a legacy .xls.
    std::string compound(1024, '\0');
    compound.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    compound[0x1E] = 9; // sectors of 512 bytes; the directory's is the first
    std::string stream;
    for (const char c : std::string("EncryptedPackage")) {
        stream += std::string{c, '\0'};
    }
    File("p.xlsx", compound.substr(0, 640) + stream + compound.substr(640 + stream.size()));
    File("old.xlsx", compound);
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"p.ods", "p.ods: таблица .ods защищена паролем: откройте её в табличном редакторе, "
                  "снимите пароль и сохраните"},
        {"p.xlsx", "p.xlsx: книга .xlsx защищена паролем"},
        {"old.xlsx", "old.xlsx: формат .xls не читается"},
    };
    for (const auto& [name, err] : refused) {
        const Outcome run = Calc(name);
        EXPECT_EQ(run.Status, 2) << name;
        EXPECT_NE(run.Err.find(err), std::string::npos) << run.Err;
    }
}

TEST_F(SheetShapes, WorkbookBombsStayWithinBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' shadow memory is no measure of the program's";
#else
    // 12,288 rows with a value in the last column: 3 KB packed; each row once became 16,384
    // cells.
    std::string rows = Row(1, Text("A1", "Address"));
    for (std::size_t row = 2; row <= 12289; ++row) {
        const std::string number = std::to_string(row);
        rows += Row(row, Text("A" + number, "a") + "<c r=\"XFD" + number + "\"><v>1</v></c>");
    }
    Book("xfd.xlsx", {{"Дома", "", rows}}, "", true);
    // An .ods of 20,000 rows of 16,384 equal cells each, in a few hundred bytes.
    Ods("wide.ods", "<table:table table:name=\"Дома\"><table:table-row><table:table-cell "
                    "office:value-type=\"string\"><text:p>Address</text:p></table:table-cell>"
                    "</table:table-row><table:table-row table:number-rows-repeated=\"20000\">"
                    "<table:table-cell table:number-columns-repeated=\"16384\" "
                    "office:value-type=\"float\" office:value=\"1\"/></table:table-row>"
                    "</table:table>");
    // 16 MB of blanks packed into 16 KB.
    Book("blanks.xlsx", {{"Дома", "", Row(1, Text("A1", "Address")) + std::string(16 << 20, ' ')}},
         "", true);
    // A child forked from this process starts with its pages: give back the files' memory.
    ::malloc_trim(0);
    const struct {
        std::string File;
        int Status;
        std::string Err;
    } bombs[] = {
        {"xfd.xlsx", 1, "посчитано домов: 0, отклонено строк: 12288\n"},
        {"wide.ods", 1, "посчитано домов: 0, отклонено строк: 20000\n"},
        {"blanks.xlsx", 2, "раз больше, чем занимает (допустимо до 400)"},
    };
    for (const auto& bomb : bombs) {
        const Outcome run = Shell(std::string("'") + VIRASVET_CALC + "' --max-errors 0 " +
                                  bomb.File + " >/dev/null 2>err.txt");
        EXPECT_EQ(run.Status, bomb.Status) << bomb.File;
        EXPECT_NE(run.Err.find(bomb.Err), std::string::npos) << bomb.File << "\n" << run.Err;
        EXPECT_LT(run.PeakKilobytes, 100 * 1024) << bomb.File << ": peak resident kilobytes";
    }
#endif
}

} // namespace
