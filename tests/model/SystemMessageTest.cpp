// Errors of the system in the program's words: the file's problem and what to do about it.
#include "SystemMessage.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace {

using model::SystemMessage;
using model::SystemMessageOf;

bool HasLatinLetters(const std::string& text) {
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            return true;
        }
    }
    return false;
}

TEST(SystemMessage, CommonErrorsInTheProgramsWordsWithWhatToDo) {
    const struct {
        int Code;
        std::string Words; // the start of the message; "; " leads to what to do
    } cases[] = {
        {EPIPE, "канал закрыт"},
        {ENOSPC, "на диске нет места; освободите место"},
#ifdef EDQUOT // not on Windows
        {EDQUOT, "превышена дисковая квота; освободите место"},
#endif
        {EACCES, "нет прав доступа; проверьте права"},
        {EPERM, "нет прав доступа; проверьте права"},
        {EROFS, "диск только для чтения; выберите другое место"},
        {ENOENT, "нет такого файла или папки; проверьте имя"},
        {EISDIR, "это папка, а не файл; укажите имя файла"},
        {ENOMEM, "не хватает памяти; закройте другие программы"},
        {EIO, "ошибка ввода-вывода"},
        {EFBIG, "файл слишком велик"},
        {EMFILE, "открыто слишком много файлов"},
        {EBUSY, "файл занят"},
    };
    for (const auto& c : cases) {
        const std::string message = SystemMessage(c.Code);
        EXPECT_TRUE(message.starts_with(c.Words)) << c.Code << ": " << message;
        EXPECT_NE(message.find("; "), std::string::npos) << message;
        EXPECT_FALSE(HasLatinLetters(message)) << message;
        // Qt's file classes give the system's text: it comes back in the same words.
        EXPECT_EQ(SystemMessageOf(std::system_category().message(c.Code)), message) << c.Code;
    }
}

TEST(SystemMessage, RareErrorsKeepTheSystemsTextAndOtherTextsStay) {
    const std::string rare = SystemMessage(ENOTTY);
    EXPECT_EQ(rare, "системная ошибка " + std::to_string(ENOTTY) + " (" +
                        std::system_category().message(ENOTTY) + ")");
    // Qt's own English texts of four errors, whatever the locale.
    EXPECT_EQ(SystemMessageOf("Broken pipe"), SystemMessage(EPIPE));
    EXPECT_EQ(SystemMessageOf("No space left on device"), SystemMessage(ENOSPC));
    EXPECT_EQ(SystemMessageOf("Permission denied"), SystemMessage(EACCES));
    EXPECT_EQ(SystemMessageOf("Too many open files"), SystemMessage(EMFILE));
    EXPECT_EQ(SystemMessageOf("Запись отменена"), "Запись отменена");
    EXPECT_EQ(SystemMessageOf(""), "");
}

} // namespace
