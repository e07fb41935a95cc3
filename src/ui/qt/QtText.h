#pragma once
// Texts cross the toolkit boundary here: the core keeps single-byte strings,
// Qt keeps QString. Controls that hand texts back keep the bytes they were
// given beside the displayed text.

#include <QString>
#include <string>

namespace cdflash::qtui {

inline QString ToQString(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace cdflash::qtui
