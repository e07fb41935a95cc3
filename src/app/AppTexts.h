#pragma once
#include <string>

#include "session/Version.h"

namespace cdflash {

inline constexpr const char* kApplicationTitle = "Flash utility";
inline constexpr const char* kVersionCaption = " Flash V" CDFLASH_VERSION_TEXT " ";

// The text of the application's exception box: the message, with a full stop
// appended when its last character sorts after '.'.
std::string ExceptionBoxText(const std::string& message);

}  // namespace cdflash
