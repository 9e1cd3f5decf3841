#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using cli_test::Lines;
using cli_test::Outcome;

class CalcProgram : public cli_test::ProgramRun {
protected:
    // The file's full path, as the messages name it.
    std::string File(const std::string& name, const std::string& content) {
        cli_test::ProgramRun::File(name, content);
        return (dir_ / name).string();
    }

    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

// The figures of a row: the cells after File, Line and Address, with a decimal point and commas.
std::string Figures(const std::string& row, char delimiter) {
    std::size_t at = row.size();
    for (int cell = 0; cell < 22; ++cell) {
        at = row.rfind(delimiter, at - 1);
    }
    std::string figures = row.substr(at + 1);
    if (delimiter == ';') {
        std::replace(figures.begin(), figures.end(), ',', '.');
        std::replace(figures.begin(), figures.end(), ';', ',');
    }
    return figures;
}

TEST_F(CalcProgram, ReadsTheDialectsOfSpreadsheets) {
    // One house written plainly, then the same house as different programs save it.
    const Outcome plain = Calc(
        std::string("--seed 5 ") +
        File("plain.csv", "Address,EntranceCount,Tariff,ExistingHoursLanding\nA,4,2.5,12.5\n"));
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    const std::string expected = Figures(Lines(plain.Out).at(1), ',');

    const std::vector<std::string> dialects = {
        // semicolons, decimal commas, CRLF, byte-order mark, names in any case
        "\xEF\xBB\xBF"
        "address;ENTRANCECOUNT;tariff;ExistingHoursLanding\r\nA;4;2,5;12,5\r\n",
        // semicolons with decimal points, quoted cells, blank lines and an empty row
        "Address;EntranceCount;Tariff;ExistingHoursLanding\n\n\"A\";\"4\";2.5;\"12.5\"\n;;;\n",
        // commas, quoted cell with a delimiter, doubled quotes and a line break, no final newline
        "Tariff,Address,EntranceCount,ExistingHoursLanding\r\n2.5,\"ул. \"\"Мира\"\",\r\nд. 1\",4,"
        "12.5",
        // blank lines before the header, empty columns after the last, as a spreadsheet leaves
        // a deleted column
        "\r\n\nAddress;EntranceCount;Tariff;ExistingHoursLanding;;\nA;4;2,5;12,5;;\n",
        // lines ended by a lone CR, as "CSV (Macintosh)"
        "Address;EntranceCount;Tariff;ExistingHoursLanding\r\rA;4;2,5;12,5\r",
    };
    const std::vector<int> houseLines = {2, 3, 2, 4, 3};
    for (std::size_t i = 0; i < dialects.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = File(std::string("d") + std::to_string(i) + ".csv", dialects[i]);
        const Outcome run = Calc(std::string("--seed 5 ") + path);
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Err, "");
        const std::vector<std::string> lines = Lines(run.Out);
        const char delimiter = i == 2 ? ',' : ';';
        ASSERT_GE(lines.size(), 2u);
        const std::string& row = lines.back();
        EXPECT_EQ(Figures(row, delimiter), expected) << row;
        EXPECT_NE(run.Out.find(path + delimiter + std::to_string(houseLines[i]) + delimiter),
                  std::string::npos)
            << run.Out;
    }
    // The quoted address with its line break comes back quoted, the house's line is where it
    // starts.
    const Outcome quoted = Calc("--seed 5 d2.csv");
    EXPECT_NE(quoted.Out.find("d2.csv,2,\"ул. \"\"Мира\"\",\r\nд. 1\",,1,"), std::string::npos)
        << quoted.Out;
    // A decimal comma with the comma delimiter splits the number: the row is rejected.
    const Outcome commas = Calc(File("c.csv", "Tariff,EntranceCount\n2,5,4\n"));
    EXPECT_EQ(commas.Status, 1);
    EXPECT_NE(commas.Err.find("c.csv:2: "), std::string::npos) << commas.Err;
}

TEST_F(CalcProgram, RejectedRowsAreReportedAndTheOthersCalculated) {
    const std::string houses = File(
        "h.csv", "Address;EntranceCount;FloorCount;Tariff;PlannedBlocksVestibule;ExistingLampLife\n"
                 "first;40;1;1,38;10;6\n"
                 "\"two\nlines\";41;9;0;11;abc\n"
                 "third;0,5;40;0,01;0;6\n");
    const Outcome run = Calc(std::string("--seed 3 -o result.csv ") + houses);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err,
              houses + ":3: EntranceCount: 41 — вне допустимых пределов (1..40)\n" + houses +
                  ":3: Tariff: 0 — вне допустимых пределов (больше 0)\n" + houses +
                  ":3: ExistingLampLife: «abc» — не число\n" + houses +
                  ":3: PlannedBlocksVestibule: 11 — вне допустимых пределов (0..10)\n" + houses +
                  ":5: EntranceCount: 0,5 — вне допустимых пределов (1..40, целое число)\n" +
                  "посчитано домов: 1, отклонено строк: 2\n");
    EXPECT_EQ(run.Out, "");
    const std::vector<std::string> rows = Lines(Read(dir_ / "result.csv"));
    ASSERT_EQ(rows.size(), 5u); // header, three houses, the second over two lines
    EXPECT_TRUE(rows[1].starts_with(houses + ";2;first;;1;")) << rows[1];
    // No company given, and no figures, the seed neither: nothing was calculated.
    const std::string noFigures = ";" + std::string(22, ';');
    EXPECT_EQ(rows[3], "lines\"" + noFigures);
    EXPECT_EQ(rows[4], houses + ";5;third" + noFigures);

    // A column the program does not know stops the run before anything is written.
    const std::string before = Read(dir_ / "result.csv");
    const Outcome typo =
        Calc(std::string("-o result.csv ") + File("t.csv", "\nTarif;Address\n1;x\n"));
    EXPECT_EQ(typo.Status, 2);
    EXPECT_NE(typo.Err.find("t.csv:2: Tarif: нет такого столбца; может быть, Tariff?"),
              std::string::npos)
        << typo.Err;
    EXPECT_EQ(Read(dir_ / "result.csv"), before);

    // Files that hold no houses.
    struct Case {
        std::string Content;
        int Status;
        std::string Message;
    };
    const std::vector<Case> cases = {
        {"", 2, "файл пуст"},
        {"Tariff\r\n", 1, "нет домов"},
        {std::string("Tariff\n1\x00\xff\xfe", 11), 2, "строка 2: это не текст"},
        {"Tariff\n\x01\n", 2, "строка 2: это не текст"},
        // A quote spoils its row only.
        {"Address\n\"open", 1, "e.csv:2: кавычка не закрыта до конца файла"},
        {"Address\nул. \"Мира\"\n", 1, "e.csv:2: кавычка внутри поля"},
    };
    for (const Case& c : cases) {
        const std::string previous = Read(dir_ / "result.csv");
        const Outcome empty = Calc(std::string("-o result.csv ") + File("e.csv", c.Content));
        EXPECT_EQ(empty.Status, c.Status) << c.Message;
        EXPECT_NE(empty.Err.find(c.Message), std::string::npos) << empty.Err;
        if (c.Status == 2) {
            EXPECT_EQ(Read(dir_ / "result.csv"), previous);
        }
    }
    // No jobs is refused on a file that would be calculated, for its own reason.
    File("good.csv", "Address;Tariff\na;1\n");
    ASSERT_EQ(Calc("--jobs 1 good.csv").Status, 0);
    const Outcome noJobs = Calc("--jobs 0 good.csv");
    EXPECT_EQ(noJobs.Status, 2);
    EXPECT_NE(noJobs.Err.find("--jobs: нужно целое число от 1 до 1024"), std::string::npos)
        << noJobs.Err;
    EXPECT_EQ(noJobs.Out, "");
    const Outcome twice = Calc("- - <e.csv");
    EXPECT_EQ(twice.Status, 2);
    EXPECT_NE(twice.Err.find("только один раз"), std::string::npos) << twice.Err;
    EXPECT_EQ(Calc("missing.csv").Status, 2);
}

TEST_F(CalcProgram, OutputDoesNotDependOnTheNumberOfJobs) {
    std::string houses = "Address,EntranceCount,FloorCount,PlannedLampsLanding,ExistingLampLife\n";
    for (int i = 0; i < 24; ++i) {
        houses += std::string("h") + std::to_string(i) + "," + std::to_string(1 + i % 7) + "," +
                  std::to_string(1 + (i * 5) % 40) + "," + std::to_string(i % 4) + "," +
                  std::to_string(i % 9) + "\n";
    }
    const std::string file = File("many.csv", houses);
    const Outcome one = Calc(std::string("--seed 11 --jobs 1 ") + file);
    const Outcome two = Calc(std::string("--seed 11 --jobs 2 ") + file);
    ASSERT_EQ(one.Status, 0) << one.Err;
    EXPECT_EQ(Lines(one.Out).size(), 25u);
    EXPECT_EQ(one.Out, two.Out);
    EXPECT_NE(one.Out, Calc(std::string("--seed 12 --jobs 2 ") + file).Out);
}

TEST_F(CalcProgram, TemplateHoldsTheStartUpHouse) {
    const Outcome made = Calc("--template -o template.csv");
    ASSERT_EQ(made.Status, 0);
    // A pipe named as the output is refused and stays a pipe.
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
    const Outcome pipe = Calc("--template -o pipe");
    EXPECT_EQ(pipe.Status, 2);
    EXPECT_NE(pipe.Err.find("pipe"), std::string::npos) << pipe.Err;
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
    const Outcome fromTemplate = Calc("--seed 9 template.csv");
    // The template holds the economics inputs too, so its results have the economics columns.
    const Outcome fromNothing =
        Calc(std::string("--seed 9 --economics ") + File("n.csv", "Address\nул.   д. \n"));
    ASSERT_EQ(fromTemplate.Status, 0) << fromTemplate.Err;
    EXPECT_EQ(Figures(Lines(fromTemplate.Out).at(1), ';'),
              Figures(Lines(fromNothing.Out).at(1), ','));
    const Outcome help = Calc("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("\n  BlockInstallPrice "), std::string::npos);
}

// Characters of a UTF-8 line: every byte but a continuation byte starts one.
std::size_t Characters(const std::string& line) {
    return static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The words of a text, whatever the breaks between them.
std::string Words(const std::string& text) {
    std::istringstream in(text);
    std::string words;
    for (std::string word; in >> word;) {
        words += word + ' ';
    }
    return words;
}

TEST_F(CalcProgram, ClosedPipeWithSigpipeIgnoredEndsTheRun) {
    // SIGPIPE ignored, as some shells and services run programs: the failed write is the only
    // sign, and the run must end on it with the message and status 2 (bounded by `timeout`).
    std::string houses = "Address;EntranceCount\n";
    for (int i = 0; i < 6000; ++i) {
        houses += "дом " + std::to_string(i) + ";" + std::to_string(1 + i % 5) + "\n";
    }
    File("many.csv", houses);
    const Outcome run = Shell("(trap '' PIPE; timeout 60 '" + std::string(VIRASVET_CALC) +
                              "' --seed 1 --jobs 1 many.csv 2>err.txt; echo $? >status.txt) | "
                              "head -c 1 >out.txt");
    EXPECT_EQ(Read(dir_ / "status.txt"), "2\n") << run.Err;
    EXPECT_NE(run.Err.find("стандартный вывод: канал закрыт"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Err.find("Broken pipe"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out.size(), 1u);
}

TEST_F(CalcProgram, HelpFitsTheTerminal) {
    // Piped, as help2man reads it: 80 columns whatever COLUMNS says; on a terminal its width.
    const struct {
        std::string Command;
        std::size_t Width;
    } cases[] = {
        {"COLUMNS=200 '" + std::string(VIRASVET_CALC) + "' --help >out.txt 2>err.txt", 80},
        {"script -qec \"COLUMNS=60 '" + std::string(VIRASVET_CALC) +
             "' --help\" /dev/null >out.txt 2>err.txt",
         60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Command);
        const Outcome help = Shell(c.Command);
        ASSERT_EQ(help.Status, 0) << help.Err;
        const std::vector<std::string> lines = Lines(help.Out);
        ASSERT_GT(lines.size(), 100u);
        for (const std::string& line : lines) {
            EXPECT_LE(Characters(line), c.Width) << line;
        }
        // Nothing lost in the wrapping: a long line's words all there, in order; every column's
        // row of the table.
        EXPECT_NE(Words(help.Out).find("Горизонт расчёта (HorizonYears), Коэффициент выбросов "
                                       "(EmissionFactor)."),
                  std::string::npos);
        for (const char* row : {"\n  Address ", "\n  EmissionFactor ", "\n  HoldTimeLanding "}) {
            EXPECT_NE(help.Out.find(row), std::string::npos) << row;
        }
    }
}

} // namespace
