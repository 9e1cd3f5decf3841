// Rows a second of virasvet-calc's reading and checking (no calculation): a CSV text of start-up
// houses fed in pieces as the program reads a file, blocks of records read as house rows on 1 or 2
// threads, as the program reads them on its calculation threads.
//
//   build/bench/sheet_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "HouseBatch.h"
#include "HouseRows.h"
#include "HouseSheet.h"
#include "ResultSheet.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <stdexcept>

namespace {

std::string StartUpRows(std::size_t rows) {
    const std::string sheet = sheet::TemplateSheet(';');
    const std::size_t headerEnd = sheet.find('\n') + 1;
    std::string text = sheet.substr(0, headerEnd);
    const std::string row = sheet.substr(headerEnd);
    text.reserve(text.size() + row.size() * rows);
    for (std::size_t i = 0; i < rows; ++i) {
        text += row;
    }
    return text;
}

void ReadAndCheck(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    const auto jobs = static_cast<unsigned>(state.range(1));
    const std::string text = StartUpRows(rows);
    constexpr std::size_t piece = 1 << 16;
    for (auto _ : state) {
        sheet::SheetReader reader;
        std::optional<sheet::HeaderFields> header;
        std::atomic<std::size_t> houses = 0;
        const auto readWaiting = [&] {
            if (!header && reader.HasHeader()) {
                header = sheet::MapHeader(reader.Header());
            }
            const std::vector<sheet::SheetRecord> records = reader.TakeRecords();
            stock::ForEachOnThreads(records.size(), jobs, [&](std::size_t i, auto&) {
                const sheet::HouseRow row = sheet::ReadHouseRow(
                    reader.Header().size(), reader.Delimiter(), *header, records[i], "f");
                houses += row.House ? 1 : 0;
            });
        };
        for (std::size_t at = 0; at < text.size(); at += piece) {
            reader.Feed(std::string_view(text).substr(at, piece));
            if (reader.WaitingRecords() >= 4096) {
                readWaiting();
            }
        }
        reader.Finish();
        readWaiting();
        if (houses != rows) {
            throw std::logic_error("a start-up row was rejected");
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

} // namespace

BENCHMARK(ReadAndCheck)
    ->Args({1000000, 1})
    ->Args({1000000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
