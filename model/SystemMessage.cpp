#include "SystemMessage.h"

#include <array>
#include <cerrno>
#include <system_error>

// POSIX: newlocale and strerror_l.
#include <locale.h>
#include <string.h>

namespace model {
namespace {

struct KnownError {
    int Code;
    const char* Words;
};

// What a user can do about each, reading or writing: the common ones of files, disks and pipes.
constexpr std::array<KnownError, 19> KnownErrors = {{
    {ENOENT, "нет такого файла или папки; проверьте имя и путь"},
    {EACCES, "нет прав доступа; проверьте права на файл и папку или выберите другое место"},
    {EPERM, "нет прав доступа; проверьте права на файл и папку или выберите другое место"},
    {EISDIR, "это папка, а не файл; укажите имя файла"},
    {ENOTDIR, "часть пути не папка; проверьте путь"},
    {ENOMEM, "не хватает памяти; закройте другие программы или разделите файл на части"},
    {ENOSPC, "на диске нет места; освободите место или выберите другой диск"},
    {EDQUOT, "превышена дисковая квота; освободите место или выберите другой диск"},
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
    {ESTALE, "файл на сетевом диске больше не доступен; откройте папку заново и повторите"},
}};

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
    static const locale_t plain = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    for (const KnownError& known : KnownErrors) {
        if (systemText == std::system_category().message(known.Code) ||
            (plain != locale_t{} && systemText == ::strerror_l(known.Code, plain))) {
            return known.Words;
        }
    }
    return std::string(systemText);
}

} // namespace model
