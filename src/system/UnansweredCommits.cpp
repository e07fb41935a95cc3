#include "system/UnansweredCommits.h"

#include <cstdio>
#include <memory>

#include "system/SystemServices.h"

namespace cdflash {
namespace {

// An identity is one line of at most this many bytes; anything longer in a
// file was not written by us and is cut.
constexpr std::size_t kMaxIdentity = 256;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool Plain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

}  // namespace

// Letters, digits and '-' stand for themselves, every other byte as %XX:
// "/dev/sr0" is "%2Fdev%2Fsr0", and no two devices share a file.
std::string FolderUnansweredCommits::FileOf(const std::string& device) const {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (const char c : device) {
    if (Plain(c)) {
      name += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      name += '%';
      name += kHex[byte >> 4];
      name += kHex[byte & 0x0F];
    }
  }
  return folder_ + "/" + name;
}

std::optional<std::string> FolderUnansweredCommits::Find(const std::string& device) const {
  if (device.empty()) return std::nullopt;
  const File file(std::fopen(FileOf(device).c_str(), "rb"));
  if (!file) return std::nullopt;
  char buffer[kMaxIdentity + 1] = {};
  const std::size_t read = std::fread(buffer, 1, kMaxIdentity, file.get());
  std::string identity(buffer, read);
  identity = identity.substr(0, identity.find_first_of("\r\n"));
  return identity;
}

bool FolderUnansweredCommits::Keep(const std::string& device, const std::string& identity, std::string& problem) {
  if (device.empty()) {
    problem = "the drive has no name to keep it by";
    return false;
  }
  if (!MakeFolders(folder_, problem, false)) return false;
  const std::string path = FileOf(device);
  const File file(std::fopen(path.c_str(), "wb"));
  const std::string line = identity.substr(0, kMaxIdentity) + "\n";
  if (!file || std::fwrite(line.data(), 1, line.size(), file.get()) != line.size() || std::fflush(file.get()) != 0) {
    problem = path + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace cdflash
