#include "SystemMessage.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#ifndef _WIN32
// POSIX: newlocale and strerror_l.
#include <locale.h>
#include <string.h>
#endif

namespace model {
namespace {

struct KnownError {
    int Code;
    const char* Words;
};

// What a user can do about each, reading or writing: the common ones of files, disks and pipes.
// Windows has no codes for disk quotas and stale network files.
constexpr KnownError KnownErrors[] = {
    {ENOENT, "нет такого файла или папки; проверьте имя и путь"},
    {EACCES, "нет прав доступа; проверьте права на файл и папку или выберите другое место"},
    {EPERM, "нет прав доступа; проверьте права на файл и папку или выберите другое место"},
    {EISDIR, "это папка, а не файл; укажите имя файла"},
    {ENOTDIR, "часть пути не папка; проверьте путь"},
    {ENOMEM, "не хватает памяти; закройте другие программы или разделите файл на части"},
    {ENOSPC, "на диске нет места; освободите место или выберите другой диск"},
#ifdef EDQUOT
    {EDQUOT, "превышена дисковая квота; освободите место или выберите другой диск"},
#endif
    {EROFS, "диск только для чтения; выберите другое место"},
    {EIO, "ошибка ввода-вывода (диск или сеть); проверьте диск или подключение и повторите"},
    {EFBIG, "файл слишком велик для этого диска; выберите другой диск"},
    {ENAMETOOLONG, "слишком длинное имя файла; выберите имя короче"},
    {ELOOP, "символические ссылки в пути замкнуты в круг; проверьте путь"},
    {EMFILE, "открыто слишком много файлов; закройте другие программы и повторите"},
    {ENFILE, "открыто слишком много файлов; закройте другие программы и повторите"},
    {EPIPE, "канал закрыт: программа, читавшая результат, завершилась раньше; результат не "
            "дописан"},
    {EBUSY, "файл занят другой программой; закройте её и повторите"},
    {ETXTBSY, "файл занят другой программой; закройте её и повторите"},
#ifdef ESTALE
    {ESTALE, "файл на сетевом диске больше не доступен; откройте папку заново и повторите"},
#endif
};

// The system's text of an error in English, whatever the user's language; null if unknown.
const char* EnglishSystemText(int code) {
#ifdef _WIN32
    return std::strerror(code); // Windows' C library has its texts in English only
#else
    static const locale_t plain = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return plain != locale_t{} ? ::strerror_l(code, plain) : nullptr;
#endif
}

} // namespace

std::string SystemMessage(int code) {
    for (const KnownError& known : KnownErrors) {
        if (known.Code == code) {
            return known.Words;
        }
    }
    return "системная ошибка " + std::to_string(code) + " (" +
           std::system_category().message(code) + ")";
}

std::string SystemMessageOf(std::string_view systemText) {
    // Qt gives a few errors in English whatever the locale, the others in the locale's words.
    for (const KnownError& known : KnownErrors) {
        if (systemText == std::system_category().message(known.Code) ||
            (EnglishSystemText(known.Code) != nullptr &&
             systemText == EnglishSystemText(known.Code))) {
            return known.Words;
        }
    }
    return std::string(systemText);
}

} // namespace model
