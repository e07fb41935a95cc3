#include "ui/win32/FileMask.h"

#include <windows.h>
#include <shlwapi.h>

namespace cdflash::win32 {

std::vector<std::string> SplitMask(const std::string& mask) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= mask.size()) {
    std::size_t end = mask.find(';', start);
    if (end == std::string::npos) end = mask.size();
    const std::size_t first = mask.find_first_not_of(' ', start);
    if (first != std::string::npos && first < end) {
      const std::size_t last = mask.find_last_not_of(' ', end - 1);
      patterns.push_back(mask.substr(first, last - first + 1));
    }
    start = end + 1;
  }
  return patterns;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  for (const std::string& pattern : SplitMask(mask)) {
    // One pattern at a time: the system's matcher knows DOS wildcards and
    // ignores case, and a pattern without ';' means the same on every version.
    if (PathMatchSpecA(name.c_str(), pattern.c_str())) return true;
  }
  return false;
}

}  // namespace cdflash::win32
