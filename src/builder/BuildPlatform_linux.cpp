#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "builder/BuildPlatform.h"

namespace cdflash {
namespace {

class LinuxBuildPlatform : public IBuildPlatform {
 public:
  std::string ProgramPath() const override {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
  }

  std::string CurrentDirectory() const override {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
  }

  bool FileExists(const std::string& path) const override {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }
};

}  // namespace

IBuildPlatform& SystemBuildPlatform() {
  static LinuxBuildPlatform platform;
  return platform;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// File names on Linux are UTF-8 or anything else: only ASCII letters change,
// so no byte of a longer character is ever altered.
std::string UpperCaseAnsi(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace cdflash
