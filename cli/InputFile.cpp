#include "InputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace cli {

bool ReadWholeFile(const std::string& name, std::string& content, std::string& error) {
    if (name == "-") {
        // Read through stdio, which keeps a read error (std::cin's iterators take it for the end).
        std::vector<char> buffer(1 << 16);
        for (std::size_t count = 0;
             (count = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0;) {
            content.append(buffer.data(), count);
        }
        if (std::ferror(stdin)) {
            error = std::string("ошибка чтения стандартного ввода: ") + std::strerror(errno);
            return false;
        }
        return true;
    }
    std::error_code code;
    if (std::filesystem::is_directory(name, code)) {
        error = "это каталог, а не файл";
        return false;
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        error = std::string("не удаётся открыть: ") + std::strerror(errno);
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) {
        error = "ошибка чтения";
        return false;
    }
    return true;
}

} // namespace cli
