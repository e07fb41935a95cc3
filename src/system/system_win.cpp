#include <windows.h>

#include <string>

#include "system/SystemServices.h"

namespace cdflash {
namespace {

class WindowsSystem final : public ISystemServices {
 public:
  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

  // Reboot at once and close applications by force.
  std::chrono::milliseconds Uptime() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  }

  void RequestRestart() override { ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0); }

  std::string ProgramPath() const override {
    std::string path(MAX_PATH, '\0');
    for (;;) {
      const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return {};
      if (n < path.size()) {
        path.resize(n);
        return path;
      }
      path.resize(path.size() * 2);  // cut short: try a larger buffer
    }
  }

  // "X:\dir\sub", or "X:\" at the root of a drive.
  std::string CurrentDirectory() const override {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string dir(needed, '\0');
    const DWORD n = GetCurrentDirectoryA(needed, dir.data());
    if (n == 0 || n >= needed) return {};
    dir.resize(n);
    return dir;
  }

  bool FileExists(const std::string& path) const override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
};

bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return ok != FALSE;
}

}  // namespace

ISystemServices& SystemServices() {
  static WindowsSystem system;
  return system;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!Identify(a, ia) || !Identify(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = "error " + std::to_string(GetLastError());
  return false;
}

std::string UpperCaseAnsi(const std::string& text) {
  std::string out = text;
  if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

}  // namespace cdflash
