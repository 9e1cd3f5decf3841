#pragma once

#include <string>
#include <string_view>

namespace model {

// A system error (errno) in the program's words: what happened and what to do ("на диске нет
// места; освободите место или выберите другой диск"). The caller names the file. Rare errors keep
// the system's own text after their number.
std::string SystemMessage(int code);

// The same for the system's text of an error (strerror, as Qt's file classes give it): the
// program's words when it is the text of an error SystemMessage knows, else the text as it is.
std::string SystemMessageOf(std::string_view systemText);

} // namespace model
