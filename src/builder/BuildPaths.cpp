#include "builder/BuildPaths.h"

namespace cdflash {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
constexpr char kSeparator = '\\';
#else
constexpr const char* kSeparators = "/";
constexpr char kSeparator = '/';
#endif

std::size_t NameStart(const std::string& path) {
  const std::size_t last = path.find_last_of(kSeparators);
  return last == std::string::npos ? 0 : last + 1;
}

}  // namespace

std::string FileNamePart(const std::string& path) { return path.substr(NameStart(path)); }

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (std::string(kSeparators).find(directory.back()) != std::string::npos) return directory + name;
  return directory + kSeparator + name;
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path)) return path + extension;
  return path.substr(0, dot) + extension;
}

std::string ModelTablePath(const std::string& programPath) {
  return ChangeFileExt(programPath, ".INI");
}

std::string ModelTableAlternatePath(const std::string& programPath) {
#ifdef _WIN32
  (void)programPath;
  return {};
#else
  return ChangeFileExt(programPath, ".ini");
#endif
}

}  // namespace cdflash
