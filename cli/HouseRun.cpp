#include "HouseRun.h"

#include "HouseInput.h"

#include "HouseBatch.h"
#include "HouseRows.h"
#include "InputSheet.h"
#include "Progress.h"
#include "ResultOutput.h"
#include "ResultSheet.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <iostream>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace cli {
namespace {

// Rows read and calculated at a time: the first block is small, so that results start flowing at
// once; the others amortise starting the threads.
constexpr std::size_t FirstBlock = 256;
constexpr std::size_t Block = 4096;

class Messages {
public:
    explicit Messages(std::size_t most) : most_(most) {}

    // A message about a row or a header column, shown while fewer than `most` have been.
    void Row(const std::string& message) {
        if (shown_ < most_) {
            std::cerr << message << '\n';
            ++shown_;
        } else {
            ++left_;
        }
    }
    // The count of the messages not shown.
    void Left() const {
        if (left_ > 0) {
            std::cerr << "… и ещё сообщений об ошибках в строках: " << left_
                      << " (показывать больше: --max-errors)\n";
        }
    }
    // After messages, a last line with the counts; a run without any stays silent.
    void Summary(std::size_t calculated, std::size_t rejected) const {
        if (shown_ == 0 && rejected == 0) {
            return;
        }
        Left();
        std::cerr << "посчитано домов: " << calculated << ", отклонено строк: " << rejected << '\n';
    }

private:
    std::size_t most_;
    std::size_t shown_ = 0;
    std::size_t left_ = 0;
};

void Report(const std::string& message) {
    std::cerr << message << '\n';
}

struct Input {
    std::string Name;
    std::unique_ptr<InputSheet> Sheet;
    sheet::HeaderFields Fields;
    // For each carried column of this input, its place among the results' carried columns.
    std::vector<std::optional<std::size_t>> CarriedPlace;
};

// One row of a block, once checked and calculated on a thread.
struct BlockHouse {
    sheet::HouseRowSource Source;
    std::vector<std::string> Carried; // in the results' carried columns
    std::vector<std::string> Messages;
    std::optional<model::HouseFigures> Figures;
};

// Checks and calculates a block of records on the threads: the rows are read there too, which is
// most of the reading's work.
std::vector<BlockHouse> CalculateBlock(const Input& input,
                                       const std::vector<sheet::SheetRecord>& records,
                                       std::size_t carriedColumns, const RunOptions& options,
                                       std::atomic<std::size_t>& done) {
    std::vector<BlockHouse> houses(records.size());
    const std::size_t columns = input.Sheet->Header().size();
    const char delimiter = input.Sheet->Delimiter().value_or(';'); // a workbook splits no number
    ForEachOnThreads(
        records.size(), options.Jobs, [&](std::size_t i, model::CalculationMemory& memory) {
            sheet::HouseRow row =
                sheet::ReadHouseRow(columns, delimiter, input.Fields, records[i], input.Name);
            BlockHouse& house = houses[i];
            house.Source = {input.Name, row.Line, std::move(row.Address)};
            house.Carried.resize(carriedColumns);
            for (std::size_t c = 0; c < row.Carried.size(); ++c) {
                if (input.CarriedPlace[c]) {
                    house.Carried[*input.CarriedPlace[c]] = std::move(row.Carried[c]);
                }
            }
            house.Messages = std::move(row.Messages);
            if (row.House) {
                house.Figures =
                    model::CalculateFigures(*row.House, options.Seed, memory, options.Economics);
                if (!sheet::FiguresAreFinite(*house.Figures)) {
                    house.Messages.push_back(
                        house.Source.File + ":" + std::to_string(house.Source.Line) +
                        ": расчёт даёт бесконечные или неопределённые значения: цены, мощности или "
                        "сроки службы слишком велики");
                    house.Figures.reset();
                }
            }
            ++done;
        });
    return houses;
}

// Whether a header gives one of the economics inputs.
bool HasEconomicsColumn(const sheet::HeaderFields& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    return std::any_of(header.FieldOfColumn.begin(), header.FieldOfColumn.end(),
                       [&](const std::optional<std::size_t>& field) {
                           return field && model::IsEconomicsInput(fields[*field]);
                       });
}

bool SameFile(const std::string& input, const QString& output) {
    std::error_code code;
    if (input != "-") {
        return std::filesystem::equivalent(input, output.toStdString(), code);
    }
    // Standard input redirected from the file the results would replace.
    struct stat in {};
    struct stat out {};
    return ::fstat(STDIN_FILENO, &in) == 0 && S_ISREG(in.st_mode) &&
           ::stat(output.toStdString().c_str(), &out) == 0 && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino;
}

} // namespace

int RunHouses(const RunOptions& requested) {
    RunOptions options = requested;
    // Results written over an input would destroy it before it is read.
    if (!options.OutputFile.isEmpty()) {
        for (const std::string& name : options.Files) {
            if (SameFile(name, options.OutputFile)) {
                Report(name + ": это исходный файл, результат в него не записывается (-o задаёт "
                              "другое имя)");
                return UsageOrUnreadable;
            }
        }
    }

    Messages messages(options.MaxErrors);
    std::vector<Input> inputs;
    bool usable = true;
    std::uint64_t totalBytes = 0;
    for (const std::string& name : options.Files) {
        Input input;
        input.Name = name;
        try {
            input.Sheet = OpenInput(name, options.InputEncoding);
            input.Sheet->ReadHeader();
        } catch (const sheet::SheetError& e) {
            Report(name + ": " + e.what());
            usable = false;
            continue;
        }
        input.Fields = sheet::MapHeader(input.Sheet->Header());
        for (const std::string& message : sheet::HeaderMessages(
                 input.Sheet->Header(), input.Sheet->HeaderLine(), input.Fields, name)) {
            messages.Row(message);
        }
        usable = usable && input.Fields.Problems.empty();
        options.Economics = options.Economics || HasEconomicsColumn(input.Fields);
        totalBytes += InputSize(name);
        inputs.push_back(std::move(input));
    }
    if (!usable) {
        messages.Left();
        return UsageOrUnreadable;
    }

    // The carried columns of the results are the first input's; the other inputs' go to the
    // column of the same name.
    std::vector<std::string> carriedNames;
    for (const std::size_t column : inputs.front().Fields.CarriedColumns) {
        carriedNames.push_back(inputs.front().Sheet->Header()[column]);
    }
    for (Input& input : inputs) {
        std::vector<std::string> left;
        for (const std::size_t column : input.Fields.CarriedColumns) {
            const std::string& name = input.Sheet->Header()[column];
            const auto place = std::find(carriedNames.begin(), carriedNames.end(), name);
            input.CarriedPlace.push_back(
                place == carriedNames.end()
                    ? std::nullopt
                    : std::optional(static_cast<std::size_t>(place - carriedNames.begin())));
            if (place == carriedNames.end()) {
                left.push_back(name);
            }
        }
        for (const std::string& name : left) {
            Report(input.Name + ": столбец " + model::Shortened(name) +
                   " не переносится в результат: его нет в первом файле");
        }
        if (const std::string note = input.Sheet->Note(); !note.empty()) {
            Report(input.Name + ": " + note);
        }
        if (const std::string note = sheet::KeyFieldsNote(input.Fields); !note.empty()) {
            Report(input.Name + ": " + note);
        }
    }

    ResultKind kind = ResultKind::Csv;
    try {
        kind = ResultKindOf(options.OutputFile);
    } catch (const std::runtime_error& e) {
        Report(e.what());
        return UsageOrUnreadable;
    }
    const bool workbook = kind != ResultKind::Csv;
    char delimiter = ';';
    if (options.Delimiter) {
        delimiter = *options.Delimiter;
    } else {
        for (const Input& input : inputs) {
            if (input.Sheet->Delimiter()) {
                delimiter = *input.Sheet->Delimiter();
                break;
            }
        }
    }
    const model::NumberLocale locale = sheet::CellLocale(workbook ? ',' : delimiter);

    std::unique_ptr<ResultOutput> output;
    try {
        output = kind == ResultKind::Workbook ? WorkbookResults(options.OutputFile)
                 : kind == ResultKind::OpenDocument
                     ? OdsResults(options.OutputFile)
                     : CsvResults(options.OutputFile, {delimiter, options.ByteOrderMark});
        std::vector<std::string> names = carriedNames;
        const std::vector<std::string> resultNames = sheet::ResultColumns(options.Economics);
        names.insert(names.end(), resultNames.begin(), resultNames.end());
        std::vector<bool> numbers(carriedNames.size(), false);
        const std::vector<bool> resultNumbers = sheet::NumberResultColumns(options.Economics);
        numbers.insert(numbers.end(), resultNumbers.begin(), resultNumbers.end());
        output->Header(names, numbers);
    } catch (const std::runtime_error& e) {
        Report(e.what());
        return UsageOrUnreadable;
    }

    std::size_t calculated = 0;
    std::size_t rejected = 0;
    std::atomic<std::size_t> done{0};
    std::uint64_t bytesBefore = 0; // of the inputs finished
    Progress progress(totalBytes);
    const auto showProgress = [&](const Input& input) {
        progress.Update(bytesBefore + input.Sheet->BytesRead(), done.load());
    };

    const auto writeBlock = [&](std::vector<BlockHouse>& houses) {
        for (BlockHouse& house : houses) {
            if (!house.Messages.empty()) {
                progress.Clear();
            }
            for (const std::string& message : house.Messages) {
                messages.Row(message);
            }
            if (house.Figures) {
                ++calculated;
            } else {
                ++rejected;
            }
            std::vector<std::string> cells = std::move(house.Carried);
            const std::vector<std::string> results = sheet::ResultCells(
                house.Source, house.Figures, options.Seed, locale, options.Economics);
            cells.insert(cells.end(), results.begin(), results.end());
            output->Row(cells);
        }
        output->Flush();
    };

    const Input* reading = nullptr;
    try {
        for (Input& input : inputs) {
            reading = &input;
            // Three blocks at a time: one being read, one calculated on the threads, one written.
            std::vector<sheet::SheetRecord> calculating;
            bool more = input.Sheet->ReadRecords(FirstBlock, calculating);
            const bool any = !calculating.empty();
            const auto calculate = [&] {
                return std::async(std::launch::async, [&] {
                    return CalculateBlock(input, calculating, carriedNames.size(), options, done);
                });
            };
            std::future<std::vector<BlockHouse>> pending;
            if (any) {
                pending = calculate();
            }
            while (pending.valid()) {
                std::vector<sheet::SheetRecord> next;
                if (more) {
                    more = input.Sheet->ReadRecords(Block, next);
                }
                while (pending.wait_for(std::chrono::milliseconds(200)) !=
                       std::future_status::ready) {
                    showProgress(input);
                }
                std::vector<BlockHouse> houses = pending.get();
                calculating = std::move(next);
                if (!calculating.empty()) {
                    pending =
                        calculate(); // before the writing, which the threads need not wait for
                }
                writeBlock(houses);
                showProgress(input);
            }
            if (!any) {
                Report(input.Name + ": в файле нет домов, только строка заголовка");
                ++rejected;
            }
            bytesBefore += input.Sheet->BytesRead();
        }
        output->Finish();
    } catch (const sheet::SheetError& e) {
        progress.Clear();
        Report(reading->Name + ": " + e.what() + " — расчёт прерван");
        messages.Summary(calculated, rejected);
        return UsageOrUnreadable;
    } catch (const std::runtime_error& e) {
        progress.Clear();
        Report(e.what());
        messages.Summary(calculated, rejected);
        return UsageOrUnreadable;
    }
    progress.Clear();
    messages.Summary(calculated, rejected);
    return rejected > 0 ? SomeRejected : AllCalculated;
}

} // namespace cli
