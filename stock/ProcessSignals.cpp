#include "ProcessSignals.h"

#include "FileSystem.h"

#include <charconv>
#include <filesystem>
#include <string_view>

namespace stock {
namespace {

constexpr std::string_view Mark = ".virasvet-";

} // namespace

std::string TemporaryNameBeside(const std::string& folder, const std::string& target,
                                const std::string& suffix) {
    return folder + "/." + target + std::string(Mark) + std::to_string(report::ProcessNumber()) +
           suffix;
}

void RemoveStaleTemporaries(const std::string& folder) {
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(report::PathOf(folder), code)) {
        const std::string name = entry.path().filename().string();
        const std::size_t mark = name.find(Mark);
        if (name.empty() || name.front() != '.' || mark == std::string::npos) {
            continue;
        }
        const char* const digits = name.data() + mark + Mark.size();
        unsigned long process = 0;
        const std::from_chars_result read =
            std::from_chars(digits, name.data() + name.size(), process);
        if (read.ec == std::errc() && read.ptr != digits && ProcessGone(process)) {
            std::filesystem::remove(entry.path(), code);
        }
    }
}

} // namespace stock
