// Runs virasvet-calc as a user does, in a folder of its own: files in, output, messages and exit
// status out.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli_test {

namespace fs = std::filesystem;

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
    long PeakKilobytes = 0; // the largest resident size of the command's processes
};

class ProgramRun : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("virasvet-calc-run-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string File(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
        return name;
    }

    std::string Read(const std::string& name) const {
        std::ifstream file(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    // The program with these arguments (a shell's words), in the folder.
    Outcome Calc(const std::string& arguments) {
        return Shell(std::string("'") + VIRASVET_CALC + "' " + arguments + " >out.txt 2>err.txt");
    }

    // The command runs under a process of its own, so that its peak memory is its own, not the
    // largest of every program this test process has run.
    Outcome Shell(const std::string& command) {
        const std::string line = "cd '" + dir_.string() + "' && " + command;
        int channel[2];
        if (::pipe(channel) != 0) {
            return {};
        }
        if (::fork() == 0) {
            ::close(channel[0]);
            const int status = std::system(line.c_str());
            rusage usage{};
            ::getrusage(RUSAGE_CHILDREN, &usage);
            const long report[2] = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
            const bool written = ::write(channel[1], report, sizeof report) == sizeof report;
            ::_exit(written ? 0 : 1);
        }
        ::close(channel[1]);
        long report[2] = {-1, 0};
        const bool read = ::read(channel[0], report, sizeof report) == sizeof report;
        ::close(channel[0]);
        ::wait(nullptr);
        return {read ? static_cast<int>(report[0]) : -1, Read("out.txt"), Read("err.txt"),
                report[1]};
    }

    fs::path dir_;
};

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> Cells(const std::string& line, char delimiter) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, delimiter)) {
        cells.push_back(cell);
    }
    if (!line.empty() && line.back() == delimiter) {
        cells.emplace_back();
    }
    return cells;
}

} // namespace cli_test
