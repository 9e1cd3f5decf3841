#include "HouseRun.h"

#include "BatchResults.h"
#include "BatchRun.h"
#include "HouseInput.h"
#include "HouseOffer.h"
#include "Progress.h"

#include <filesystem>
#include <iostream>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

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
            if (plan_ != nullptr && house.Figures) {
                plan_->Add(plan::OfferOf(house.EconomicsInputs, *house.Figures),
                           {house.Source.Line, house.Carried, house.Source.Address},
                           house.PlanYear);
            }
        }
        results_->Write(houses);
    }

    void Waiting() override {
        progress_->Update(run_.BytesRead(), run_.RowsRead(), run_.HousesDone());
    }

    void Start(std::unique_ptr<stock::ResultWriter> results) {
        results_ = std::move(results);
        progress_.emplace(run_.TotalBytes());
    }
    void Finish() { results_->Finish(); }

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
    std::optional<Progress> progress_;
};

// Whether standard input is redirected from the file the results would replace.
bool StandardInputIs(const QString& output) {
    struct stat in {};
    struct stat out {};
    return ::fstat(STDIN_FILENO, &in) == 0 && S_ISREG(in.st_mode) &&
           ::stat(output.toStdString().c_str(), &out) == 0 && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino;
}

// An input that -o names: results written over it would destroy it before it is read.
const std::string* InputNamedAsOutput(const RunOptions& options) {
    for (const std::string& name : options.Files) {
        std::error_code code;
        if (!options.OutputFile.isEmpty() &&
            (name == "-"
                 ? StandardInputIs(options.OutputFile)
                 : std::filesystem::equivalent(name, options.OutputFile.toStdString(), code))) {
            return &name;
        }
    }
    return nullptr;
}

// A plan file that would replace an input or the results.
std::optional<std::string> PlanFileClash(const RunOptions& options) {
    if (!options.Plan || options.Plan->File.isEmpty()) {
        return std::nullopt;
    }
    const QString& file = options.Plan->File;
    std::error_code code;
    for (const std::string& name : options.Files) {
        if (name != "-" && std::filesystem::equivalent(name, file.toStdString(), code)) {
            return name + ": это исходный файл, план в него не записывается (--plan задаёт "
                          "другое имя)";
        }
    }
    if (!options.OutputFile.isEmpty() &&
        (file == options.OutputFile ||
         std::filesystem::equivalent(options.OutputFile.toStdString(), file.toStdString(), code))) {
        return file.toStdString() + ": в этот файл пишутся результаты (-o), план — в другой";
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
    return batch;
}

} // namespace

int RunHouses(const RunOptions& options) {
    if (const std::string* name = InputNamedAsOutput(options)) {
        Report(*name + ": это исходный файл, результат в него не записывается (-o задаёт "
                       "другое имя)");
        return UsageOrUnreadable;
    }
    if (const std::optional<std::string> clash = PlanFileClash(options)) {
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
        terminal.Start(std::make_unique<stock::ResultWriter>(
            options.OutputFile, format, run.CarriedColumns(), run.Economics(), options.Seed));
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
