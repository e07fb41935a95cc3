// Windows NT keeps them in a volatile registry key, which the system drops
// when it restarts: one value per device, holding the drive's identity.
// Windows 9x has no volatile keys (it would keep the key for ever, and the
// drive refused after the restart), so there the process keeps them alone.

#include <windows.h>

#include "system/UnansweredCommits.h"

namespace cdflash {
namespace {

constexpr const char* kParent = "Software\\cdflash";
constexpr const char* kKey = "Software\\cdflash\\UnansweredCommits";
constexpr DWORD kMaxIdentity = 256;

class VolatileKey final : public IUnansweredCommits {
 public:
  std::optional<std::string> Find(const std::string& device) const override {
    HKEY key = nullptr;
    if (device.empty() || RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    char buffer[kMaxIdentity + 1] = {};
    DWORD type = 0;
    DWORD size = kMaxIdentity;
    const LONG status =
        RegQueryValueExA(key, device.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    // A value too long for the buffer was not written by us, but its name
    // still says the drive is not to be touched.
    if (status == ERROR_MORE_DATA) return std::string();
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ) return std::string();
    return std::string(buffer);  // the buffer keeps a zero past what was read
  }

  bool Keep(const std::string& device, const std::string& identity, std::string& problem) override {
    if (device.empty()) {
      problem = "the drive has no name to keep it by";
      return false;
    }
    // The parent is volatile too when we make it, so nothing of ours is
    // left after the restart.
    HKEY parent = Create(HKEY_LOCAL_MACHINE, kParent, problem);
    if (parent == nullptr) return false;
    RegCloseKey(parent);
    HKEY key = Create(HKEY_LOCAL_MACHINE, kKey, problem);
    if (key == nullptr) return false;
    const std::string value = identity.substr(0, kMaxIdentity - 1);
    const LONG status = RegSetValueExA(key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
      problem = std::string("HKEY_LOCAL_MACHINE\\") + kKey + ": error " + std::to_string(status);
      return false;
    }
    return true;
  }

 private:
  static HKEY Create(HKEY root, const char* path, std::string& problem) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                                        nullptr);
    if (status == ERROR_SUCCESS) return key;
    problem = std::string("HKEY_LOCAL_MACHINE\\") + path + ": error " + std::to_string(status);
    return nullptr;
  }
};

bool IsWindowsNt() { return (GetVersion() & 0x80000000U) == 0; }

}  // namespace

IUnansweredCommits* SystemUnansweredCommits() {
  static VolatileKey kept;
  return IsWindowsNt() ? &kept : nullptr;
}

}  // namespace cdflash
