#pragma once
// Texts cross the toolkit boundary here: the core keeps single-byte strings,
// Qt keeps QString. File names go through Qt's file-name codec so that they
// come back to the core byte for byte.

#include <QFile>
#include <QString>
#include <string>

namespace cdflash::qtui {

inline QString ToQString(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FileNameBytes(const QString& name) {
  const QByteArray bytes = QFile::encodeName(name);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace cdflash::qtui
