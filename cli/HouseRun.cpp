#include "HouseRun.h"

#include "BatchResults.h"
#include "BatchRun.h"
#include "Console.h"
#include "FileSystem.h"
#include "HouseInput.h"
#include "HouseOffer.h"
#include "ProblemTable.h"
#include "Progress.h"

#include <QFileInfo>

#include <filesystem>
#include <iostream>
#include <optional>

namespace cli {
namespace {

void Report(const std::string& message) {
    std::cerr << message << '\n';
}

// The run's messages on standard error: those of rows and headers up to a number, the others
// counted; the results written as the rows come.
class Terminal : public stock::BatchReceiver {
public:
    Terminal(std::size_t mostMessages, const stock::BatchRun& run, stock::PlanCollector* plan)
        : most_(mostMessages), run_(run), plan_(plan) {}

    void FileMessage(const std::string& message) override { Report(message); }
    void HeaderMessage(const std::string& message) override { Row(message); }

    void Houses(std::vector<stock::BatchHouse>& houses) override {
        for (const stock::BatchHouse& house : houses) {
            if (!house.Messages.empty()) {
                ClearProgress();
            }
            for (const std::string& message : house.Messages) {
                Row(message);
            }
            NoteFilled(house);
            if (plan_ != nullptr) {
                plan_->Add(house);
            }
        }
        results_->Write(houses);
        if (problems_) {
            problems_->Write(houses);
        }
    }

    void Waiting() override {
        progress_->Update(run_.BytesRead(), run_.RowsRead(), run_.HousesDone());
    }

    void Start(std::unique_ptr<stock::ResultWriter> results,
               std::unique_ptr<stock::ProblemWriter> problems) {
        results_ = std::move(results);
        problems_ = std::move(problems);
        progress_.emplace(run_.TotalBytes());
    }
    void Finish() {
        results_->Finish();
        if (problems_) {
            problems_->Finish();
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
    void Summary() {
        ClearProgress();
        if (run_.Filled() > 0) {
            std::cerr << "в " << run_.Filled() << ' ' << RowsWord(run_.Filled())
                      << " пустые ячейки заполнены значениями по умолчанию: " << filled_
                      << (filledShown_ < filledCells_ ? ", …" : "")
                      << " (отклонять такие строки: --strict; все проблемы: --problems)\n";
        }
        if (shown_ == 0 && run_.Rejected() == 0) {
            return;
        }
        Left();
        std::cerr << "посчитано домов: " << run_.Calculated()
                  << ", отклонено строк: " << run_.Rejected() << '\n';
    }
    void ClearProgress() {
        if (progress_) {
            progress_->Clear();
        }
    }

private:
    // "строке" after 1, 21, ...; "строках" after the others.
    static const char* RowsWord(std::size_t count) {
        return count % 10 == 1 && count % 100 != 11 ? "строке" : "строках";
    }

    // The first empty cells that took a value, for the summary: "файл:строка: столбец".
    void NoteFilled(const stock::BatchHouse& house) {
        if (!stock::HasFilledCells(house)) {
            return;
        }
        for (const sheet::RowProblem& problem : house.Problems) {
            ++filledCells_;
            if (filledShown_ < MostFilledShown) {
                filled_ += std::string(filledShown_ == 0 ? "" : ", ") + house.Source.File + ":" +
                           std::to_string(house.Source.Line) + ": " +
                           model::Shortened(problem.Heading);
                ++filledShown_;
            }
        }
    }

    static constexpr std::size_t MostFilledShown = 5;

    // A message about a row or a header column, shown while fewer than the most have been.
    void Row(const std::string& message) {
        if (shown_ < most_) {
            std::cerr << message << '\n';
            ++shown_;
        } else {
            ++left_;
        }
    }

    std::size_t most_;
    const stock::BatchRun& run_;
    std::size_t shown_ = 0;
    std::size_t left_ = 0;
    stock::PlanCollector* plan_;
    std::unique_ptr<stock::ResultWriter> results_;
    std::unique_ptr<stock::ProblemWriter> problems_;
    std::optional<Progress> progress_;
    std::string filled_;
    std::size_t filledShown_ = 0;
    std::size_t filledCells_ = 0;
};

// An input that -o names: results written over it would destroy it before it is read.
const std::string* InputNamedAsOutput(const RunOptions& options) {
    for (const std::string& name : options.Files) {
        std::error_code code;
        if (!options.OutputFile.isEmpty() &&
            (name == "-" ? StandardInputIs(options.OutputFile.toStdString())
                         : std::filesystem::equivalent(
                               report::PathOf(name),
                               report::PathOf(options.OutputFile.toStdString()), code))) {
            return &name;
        }
    }
    return nullptr;
}

// Why the plan file cannot be written at the end of the run (checked before it): a name nothing
// here writes, a folder, a device or a pipe.
std::optional<std::string> PlanFileUnwritable(const QString& file) {
    const std::string name = file.toStdString();
    try {
        if (QFileInfo(file).suffix().isEmpty()) {
            throw std::runtime_error("no extension");
        }
        stock::ResultKindOf(file);
    } catch (const std::runtime_error&) {
        return name + ": план (--plan) пишется в файл .csv, .xlsx или .ods";
    }
    const QFileInfo target(file);
    if (target.isDir()) {
        return name + ": это каталог, а план (--plan) пишется в файл";
    }
    if (target.exists() && !target.isFile()) {
        return name + ": это не обычный файл, а устройство, канал или сокет; план (--plan) "
                      "пишется в обычный файл";
    }
    return std::nullopt;
}

// Whether two names are the same file, or would be once written: neither need exist yet.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code code;
    if (std::filesystem::equivalent(report::PathOf(a), report::PathOf(b), code)) {
        return true;
    }
    const auto resolved = [&code](const std::string& name) {
        const std::filesystem::path whole = std::filesystem::absolute(report::PathOf(name), code);
        return code ? whole : std::filesystem::weakly_canonical(whole, code);
    };
    const std::filesystem::path first = resolved(a);
    if (code) {
        return false;
    }
    const std::filesystem::path second = resolved(b);
    return !code && first == second;
}

// Whether two names, neither empty, are the same file.
bool SameFile(const QString& one, const QString& other) {
    return !one.isEmpty() && !other.isEmpty() && SameFile(one.toStdString(), other.toStdString());
}

// A plan or problems file that would replace an input, the results or each other, or a plan file
// that cannot be written.
std::optional<std::string> OtherFileClash(const RunOptions& options) {
    const QString plan = options.Plan ? options.Plan->File : QString();
    if (!plan.isEmpty()) {
        if (std::optional<std::string> why = PlanFileUnwritable(plan)) {
            return why;
        }
    }
    const std::pair<const QString*, const char*> files[] = {{&plan, "план"},
                                                            {&options.ProblemsFile, "проблемы"}};
    for (const auto& [file, what] : files) {
        if (file->isEmpty()) {
            continue;
        }
        for (const std::string& name : options.Files) {
            if (name == "-" ? StandardInputIs(file->toStdString())
                            : SameFile(QString::fromStdString(name), *file)) {
                return name + ": это исходный файл, " + what +
                       (file == &plan ? " в него не записывается (--plan задаёт другое имя)"
                                      : " в него не записываются (--problems задаёт другое имя)");
            }
        }
        if (SameFile(options.OutputFile, *file)) {
            return file->toStdString() + ": в этот файл пишутся результаты (-o), " + what +
                   " — в другой";
        }
    }
    if (SameFile(plan, options.ProblemsFile)) {
        return plan.toStdString() + ": в этот файл пишется план (--plan), проблемы — в другой";
    }
    return std::nullopt;
}

stock::BatchOptions BatchOptionsOf(const RunOptions& options) {
    stock::BatchOptions batch;
    batch.Files = options.Files;
    batch.Seed = options.Seed;
    batch.Jobs = options.Jobs;
    batch.InputEncoding = options.InputEncoding;
    batch.Economics = options.Economics; // or a column or --set of the economics inputs
    // The plan values every house by its economics, with their columns or without.
    batch.EconomicsFigures = options.Plan.has_value();
    batch.Defaults = options.Defaults;
    batch.Strict = options.Strict;
    return batch;
}

} // namespace

int RunHouses(const RunOptions& options) {
    if (const std::string* name = InputNamedAsOutput(options)) {
        Report(*name + ": это исходный файл, результат в него не записывается (-o задаёт "
                       "другое имя)");
        return UsageOrUnreadable;
    }
    if (const std::optional<std::string> clash = OtherFileClash(options)) {
        Report(*clash);
        return UsageOrUnreadable;
    }
    stock::BatchRun run(BatchOptionsOf(options));
    stock::PlanCollector plan;
    Terminal terminal(options.MaxErrors, run, options.Plan ? &plan : nullptr);
    if (!run.Open(terminal)) {
        terminal.Left();
        return UsageOrUnreadable;
    }
    try {
        const stock::ResultFormat format{
            options.Delimiter.value_or(run.FirstDelimiter().value_or(';')), options.ByteOrderMark,
            run.FirstDelimiter()};
        terminal.Start(
            std::make_unique<stock::ResultWriter>(options.OutputFile, format, run.CarriedColumns(),
                                                  run.Economics(), options.Seed),
            options.ProblemsFile.isEmpty() ? nullptr
                                           : std::make_unique<stock::ProblemWriter>(
                                                 options.ProblemsFile, options.Files.size() > 1));
    } catch (const std::runtime_error& e) {
        Report(e.what());
        return UsageOrUnreadable;
    }
    try {
        if (run.Run(terminal) == stock::BatchEnd::ReadingFailed) {
            terminal.ClearProgress();
            Report(run.Failure() + " — расчёт прерван");
            terminal.Summary();
            return UsageOrUnreadable;
        }
        terminal.Finish();
        if (options.Plan) {
            terminal.ClearProgress();
            std::cerr << plan.Finish(*options.Plan, run.CarriedColumns());
        }
    } catch (const std::runtime_error& e) {
        terminal.ClearProgress();
        Report(e.what());
        terminal.Summary();
        return UsageOrUnreadable;
    }
    terminal.Summary();
    return run.Rejected() > 0 ? SomeRejected : AllCalculated;
}

} // namespace cli
