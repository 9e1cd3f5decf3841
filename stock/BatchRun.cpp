#include "BatchRun.h"

#include "HouseInput.h"

#include "HouseBatch.h"
#include "HouseRows.h"
#include "InputSheet.h"
#include "WorkbookSheet.h"

#include <algorithm>
#include <chrono>
#include <future>

namespace stock {

struct BatchRun::Input {
    std::string Name;
    std::unique_ptr<InputSheet> Sheet;
    sheet::HeaderFields Fields;
    // For each carried column of this input, its place among the run's carried columns.
    std::vector<std::optional<std::size_t>> CarriedPlace;
    bool Ended = false; // the sheet has given its last record
    // A repeated row that reads as a house, given out a line at a time: the next line's record
    // and the lines left.
    sheet::SheetRecord Repeated;
    std::size_t CopiesLeft = 0;
    std::size_t Rows = 0; // given out, a repeated house's lines each
};

namespace {

// Rows read and calculated at a time after the first block (BatchOptions::FirstBlock, small, so
// that results start flowing at once): they amortise starting the threads.
constexpr std::size_t Block = 4096;

// Reads and calculates one house of a block; the row is read on the thread, which is most of the
// reading's work.
BatchHouse CalculateRow(const BatchRun::Input& input, const sheet::SheetRecord& record,
                        std::size_t carriedColumns, const BatchOptions& options,
                        model::CalculationMemory& memory) {
    const std::size_t columns = input.Sheet->Header().size();
    const char delimiter = input.Sheet->Delimiter().value_or(';'); // a workbook splits no number
    sheet::HouseRow row = sheet::ReadHouseRow(columns, delimiter, input.Fields, record, input.Name,
                                              &options.Defaults, options.Strict);
    BatchHouse house;
    house.Source = {model::RowFile(input.Name, row.Sheet), row.Line, std::move(row.Address),
                    std::move(row.ManagementCompany), row.Sheet};
    house.Rows = record.Repeats;
    house.Carried.resize(carriedColumns);
    house.CarriedNumbers.resize(carriedColumns);
    for (std::size_t c = 0; c < row.Carried.size(); ++c) {
        if (input.CarriedPlace[c]) {
            house.Carried[*input.CarriedPlace[c]] = std::move(row.Carried[c]);
            house.CarriedNumbers[*input.CarriedPlace[c]] = row.CarriedNumbers[c];
        }
    }
    house.DecimalMark = row.DecimalMark;
    house.PlanYear = row.PlanYear;
    house.Messages = std::move(row.Messages);
    house.Problems = std::move(row.Problems);
    if (row.House) {
        house.Figures = model::CalculateFigures(*row.House, options.Seed, memory,
                                                options.Economics || options.EconomicsFigures);
        house.EconomicsInputs = model::EconomicsInputsOf(*row.House);
        if (!sheet::FiguresAreFinite(*house.Figures)) {
            const std::string what = "расчёт даёт бесконечные или неопределённые значения: цены, "
                                     "мощности или сроки службы слишком велики";
            house.Messages.push_back(house.Source.File + ":" + std::to_string(house.Source.Line) +
                                     ": " + what);
            for (sheet::RowProblem& problem : house.Problems) {
                problem.Outcome = sheet::RowOutcome::Rejected;
            }
            house.Problems.push_back(
                {std::nullopt, std::nullopt, "", "", what, sheet::RowOutcome::Rejected});
            house.Figures.reset();
        }
    }
    return house;
}

// Checks and calculates a block of records on the threads. After a stop, the houses before the
// first one left unfinished.
std::vector<BatchHouse> CalculateBlock(const BatchRun::Input& input,
                                       const std::vector<sheet::SheetRecord>& records,
                                       std::size_t carriedColumns, const BatchOptions& options,
                                       std::atomic<std::size_t>& done,
                                       const std::atomic<bool>& stop) {
    std::vector<BatchHouse> houses(records.size());
    std::vector<char> finished(records.size(), 0);
    ForEachOnThreads(
        records.size(), options.Jobs,
        [&](std::size_t i, model::CalculationMemory& memory) {
            houses[i] = CalculateRow(input, records[i], carriedColumns, options, memory);
            finished[i] = 1;
            ++done;
        },
        &stop);
    houses.resize(static_cast<std::size_t>(std::find(finished.begin(), finished.end(), 0) -
                                           finished.begin()));
    return houses;
}

} // namespace

bool HasFilledCells(const BatchHouse& house) {
    return house.Figures && !house.Problems.empty();
}

bool HasEconomicsColumn(const sheet::HeaderFields& header) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    return std::any_of(header.FieldOfColumn.begin(), header.FieldOfColumn.end(),
                       [&](const std::optional<std::size_t>& field) {
                           return field && model::IsEconomicsInput(fields[*field]);
                       });
}

bool SetsEconomics(const sheet::FieldDefaults& defaults) {
    const std::span<const model::HouseField> fields = model::HouseFields();
    for (std::size_t f = 0; f < std::min(defaults.size(), fields.size()); ++f) {
        if (defaults[f] && model::IsEconomicsInput(fields[f])) {
            return true;
        }
    }
    return false;
}

BatchRun::BatchRun(BatchOptions options) : options_(std::move(options)) {}

BatchRun::~BatchRun() = default;

bool BatchRun::Open(BatchReceiver& receiver) {
    receiver_ = &receiver;
    bool usable = true;
    for (const std::string& name : options_.Files) {
        auto input = std::make_unique<Input>();
        input->Name = name;
        try {
            input->Sheet = OpenInput(name, options_.InputEncoding, &stop_);
            input->Sheet->ReadHeader();
        } catch (const sheet::SheetError& e) {
            if (stop_) {
                return false; // stopped while the header was sought: nothing to tell
            }
            receiver_->FileMessage(name + ": " + e.what());
            usable = false;
            continue;
        }
        input->Fields = sheet::MapHeader(input->Sheet->Header());
        for (const std::string& message : sheet::HeaderMessages(
                 input->Sheet->Header(), input->Sheet->HeaderLine(), input->Fields, name)) {
            receiver_->HeaderMessage(message);
        }
        usable = usable && input->Fields.Problems.empty();
        options_.Economics = options_.Economics || HasEconomicsColumn(input->Fields) ||
                             SetsEconomics(options_.Defaults);
        totalBytes_ += InputSize(name);
        inputs_.push_back(std::move(input));
    }
    if (!usable || inputs_.empty()) {
        return false;
    }
    MapCarriedColumns();
    return true;
}

void BatchRun::MapCarriedColumns() {
    const Input& first = *inputs_.front();
    for (const std::size_t column : first.Fields.CarriedColumns) {
        carriedNames_.push_back(first.Sheet->Header()[column]);
    }
    for (const std::unique_ptr<Input>& input : inputs_) {
        std::vector<std::string> left;
        for (const std::size_t column : input->Fields.CarriedColumns) {
            const std::string& name = input->Sheet->Header()[column];
            const auto place = std::find(carriedNames_.begin(), carriedNames_.end(), name);
            input->CarriedPlace.push_back(
                place == carriedNames_.end()
                    ? std::nullopt
                    : std::optional(static_cast<std::size_t>(place - carriedNames_.begin())));
            if (place == carriedNames_.end()) {
                left.push_back(name);
            }
        }
        for (const std::string& name : left) {
            receiver_->FileMessage(input->Name + ": столбец " + model::Shortened(name) +
                                   " не переносится в результат: его нет в первом файле");
        }
        if (const std::string note = input->Sheet->Note(); !note.empty()) {
            receiver_->FileMessage(input->Name + ": " + note);
        }
        if (const std::string note = sheet::KeyFieldsNote(input->Fields); !note.empty()) {
            receiver_->FileMessage(input->Name + ": " + note);
        }
    }
}

std::optional<char> BatchRun::FirstDelimiter() const {
    for (const std::unique_ptr<Input>& input : inputs_) {
        if (input->Sheet->Delimiter()) {
            return input->Sheet->Delimiter();
        }
    }
    return std::nullopt;
}

void BatchRun::HandOut(std::vector<BatchHouse>& houses) {
    const auto calculated = static_cast<std::size_t>(
        std::count_if(houses.begin(), houses.end(),
                      [](const BatchHouse& house) { return house.Figures.has_value(); }));
    calculated_ += calculated;
    filled_ +=
        static_cast<std::size_t>(std::count_if(houses.begin(), houses.end(), HasFilledCells));
    for (const BatchHouse& house : houses) {
        rejected_ += house.Figures ? 0 : house.Rows;
    }
    try {
        receiver_->Houses(houses);
    } catch (...) {
        // The block already on the threads is of no use now: unwinding waits for it, so it ends at
        // its next house instead of after thousands (a closed pipe, a full disk).
        Stop();
        throw;
    }
}

BatchEnd BatchRun::Run(BatchReceiver& receiver) {
    receiver_ = &receiver;
    std::uint64_t before = 0; // bytes of the inputs finished
    for (const std::unique_ptr<Input>& input : inputs_) {
        if (stop_) {
            return BatchEnd::Stopped;
        }
        try {
            if (!RunInput(*input)) {
                return BatchEnd::Stopped;
            }
            if (beyondMost_) {
                failure_ = input->Name + ": строк больше " + std::to_string(options_.MostRows) +
                           " — столько окно жилого фонда не держит; все строки считает "
                           "virasvet-calc";
                return BatchEnd::ReadingFailed;
            }
        } catch (const sheet::SheetError& e) {
            failure_ = input->Name + ": " + e.what();
            return BatchEnd::ReadingFailed;
        }
        before += input->Sheet->BytesRead();
        bytesRead_ = before;
    }
    return BatchEnd::Complete;
}

// The next `wanted` records (fewer at the end of the input): the reader may give more, which wait
// for the next block. False once the input has ended and nothing waits.
bool BatchRun::Read(Input& input, std::size_t wanted, std::vector<sheet::SheetRecord>& records) {
    records.clear();
    const std::size_t most = options_.MostRows;
    while (records.size() < wanted) {
        const bool copy = input.CopiesLeft > 0;
        if (!copy && ahead_.empty() && !input.Ended) {
            std::vector<sheet::SheetRecord> read;
            input.Ended = !input.Sheet->ReadRecords(wanted - records.size(), read);
            std::move(read.begin(), read.end(), std::back_inserter(ahead_));
            continue;
        }
        if (!copy && ahead_.empty()) {
            break;
        }
        if (most > 0 && rowsRead_ >= most) {
            beyondMost_ = true;
            input.Ended = true;
            input.CopiesLeft = 0;
            ahead_.clear();
            break;
        }
        ++rowsRead_;
        if (copy) {
            records.push_back(input.Repeated);
            ++input.Repeated.Line;
            --input.CopiesLeft;
        } else {
            sheet::SheetRecord record = std::move(ahead_.front());
            ahead_.pop_front();
            Admit(input, std::move(record), records);
        }
    }
    return !input.Ended || !ahead_.empty() || input.CopiesLeft > 0;
}

// Takes the next record of the sheet: a repeated row that reads as a house becomes a house a line
// (within a workbook's rows), one that does not stays one rejected row for all its lines.
void BatchRun::Admit(Input& input, sheet::SheetRecord record,
                     std::vector<sheet::SheetRecord>& records) {
    const std::size_t lines = record.Repeats;
    if (lines > 1 && sheet::ReadHouseRow(input.Sheet->Header().size(), ';', input.Fields, record,
                                         input.Name, &options_.Defaults, options_.Strict)
                         .House) {
        if (input.Rows + lines > sheet::MostBookRows) {
            throw sheet::SheetError(sheet::TooManyBookRows());
        }
        input.Rows += lines;
        record.Repeats = 1;
        records.push_back(record);
        ++record.Line;
        input.Repeated = std::move(record);
        input.CopiesLeft = lines - 1;
        return;
    }
    ++input.Rows;
    records.push_back(std::move(record));
}

// Runs the rows of one input, three blocks at a time: one being read, one calculated on the
// threads, one handed out. False when stopped. A reading failure hands out the block being
// calculated before it is raised again.
bool BatchRun::RunInput(Input& input) {
    const std::uint64_t before = bytesRead_;
    const auto read = [&](std::size_t wanted, std::vector<sheet::SheetRecord>& records) {
        const bool more = Read(input, wanted, records);
        bytesRead_ = before + input.Sheet->BytesRead();
        return more;
    };
    std::vector<sheet::SheetRecord> calculating;
    bool more = read(std::max<std::size_t>(1, options_.FirstBlock), calculating);
    if (calculating.empty()) {
        receiver_->FileMessage(input.Name + ": в файле нет домов, только строка заголовка");
        ++rejected_;
        return true;
    }
    const auto calculate = [&] {
        return std::async(std::launch::async, [&] {
            return CalculateBlock(input, calculating, carriedNames_.size(), options_, done_, stop_);
        });
    };
    std::future<std::vector<BatchHouse>> pending = calculate();
    while (pending.valid()) {
        std::vector<sheet::SheetRecord> next;
        try {
            if (more && !stop_) {
                more = read(Block, next);
            }
        } catch (const sheet::SheetError&) {
            std::vector<BatchHouse> houses = pending.get();
            HandOut(houses);
            throw;
        }
        while (pending.wait_for(std::chrono::milliseconds(200)) != std::future_status::ready) {
            receiver_->Waiting();
        }
        std::vector<BatchHouse> houses = pending.get();
        const bool cut = houses.size() < calculating.size();
        calculating = std::move(next);
        if (!calculating.empty() && !stop_) {
            pending = calculate(); // before handing out, which the threads need not wait for
        }
        HandOut(houses);
        receiver_->Waiting();
        if (stop_ && (cut || !calculating.empty() || more)) {
            return false;
        }
    }
    return true;
}

} // namespace stock
