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

    Outcome Shell(const std::string& command) {
        const std::string line = "cd '" + dir_.string() + "' && " + command;
        const int status = std::system(line.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read("out.txt"), Read("err.txt")};
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
