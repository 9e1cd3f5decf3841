// Files opened, written and replaced outside Qt, with the names users give: Cyrillic, in a
// Cyrillic folder. The same expectations on Unix and on Windows.
#include "FileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using report::OpenFile;
using report::PathOf;
using report::PendingFile;

std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class FileSystem : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  PathOf("Вирасвет проверка " + std::string(test->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Name(const std::string& file) const { return Utf8(folder_ / PathOf(file)); }

    static void Write(const std::string& name, const std::string& text) {
        std::FILE* file = OpenFile(name, "wb");
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
        EXPECT_EQ(std::fclose(file), 0);
    }

    static std::string Read(const std::string& name) {
        std::FILE* file = OpenFile(name, "rb");
        if (file == nullptr) {
            return "<none>";
        }
        std::string text(256, '\0');
        text.resize(std::fread(text.data(), 1, text.size(), file));
        std::fclose(file);
        return text;
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(Utf8(entry.path().filename()));
        }
        return names;
    }

    std::filesystem::path folder_;
};

TEST_F(FileSystem, CyrillicNamesOpenAsTheyAreWritten) {
    const std::string name = Name("Реестр домов.csv");
    Write(name, "Адрес\r\n");
    EXPECT_EQ(Read(name), "Адрес\r\n"); // bytes as they are: no line ends added or taken
    EXPECT_TRUE(std::filesystem::is_regular_file(PathOf(name)));
    EXPECT_EQ(Files(), std::vector<std::string>{"Реестр домов.csv"});
    errno = 0;
    EXPECT_EQ(OpenFile(Name("нет такого.csv"), "rb"), nullptr);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(FileSystem, APendingFileReplacesItsTargetOnlyWhenPublished) {
    const std::string target = Name("Результаты.xlsx");
    Write(target, "old");
    {
        PendingFile pending(target);
        Write(pending.Name(), "abandoned");
        EXPECT_EQ(Read(target), "old");
    }
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Files(), std::vector<std::string>{"Результаты.xlsx"});

    PendingFile pending(target);
    Write(pending.Name(), "new");
    EXPECT_EQ(pending.Publish(), 0);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Files(), std::vector<std::string>{"Результаты.xlsx"});

    const std::string fresh = Name("Новый.xlsx"); // no file there before
    PendingFile first(fresh);
    Write(first.Name(), "first");
    EXPECT_EQ(first.Publish(), 0);
    EXPECT_EQ(Read(fresh), "first");
}

TEST_F(FileSystem, ANamedFileReplacesItsTargetOrIsRemoved) {
    const std::string target = Name("План.ods");
    const std::string named = target + ".part";
    Write(target, "old");
    Write(named, "new");
    EXPECT_EQ(report::PublishNamedFile(named, target, report::ModeForReplacing(target)), 0);
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Files(), std::vector<std::string>{"План.ods"});

    // A folder in the target's place stays, and the temporary file goes.
    const std::string folderTarget = Name("Папка");
    std::filesystem::create_directory(PathOf(folderTarget));
    Write(Name("Папка/внутри.txt"), "kept");
    Write(named, "new");
    EXPECT_NE(report::PublishNamedFile(named, folderTarget, 0644), 0);
    EXPECT_EQ(Read(Name("Папка/внутри.txt")), "kept");
    EXPECT_FALSE(std::filesystem::exists(PathOf(named)));
}

TEST_F(FileSystem, AScratchFileIsReadBackAndLeavesNothing) {
    std::FILE* scratch = report::OpenScratchFile(Utf8(folder_));
    ASSERT_NE(scratch, nullptr);
    const std::string text = "<table:table-row/>";
    ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), scratch), text.size());
    std::rewind(scratch);
    std::string back(text.size(), '\0');
    EXPECT_EQ(std::fread(back.data(), 1, back.size(), scratch), text.size());
    EXPECT_EQ(back, text);
    std::fclose(scratch);
    EXPECT_TRUE(Files().empty());
}

} // namespace
