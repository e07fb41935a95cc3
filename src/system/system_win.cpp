#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "system/RestartSteps.h"
#include "system/SystemServices.h"
#include "system/WindowsPrivilege.h"

namespace cdflash {
namespace {

// A planned restart for an application's installation.
constexpr DWORD kRestartReason = 0x00040000u /* SHTDN_REASON_MAJOR_APPLICATION */ |
                                 0x00000002u /* SHTDN_REASON_MINOR_INSTALLATION */ |
                                 0x80000000u /* SHTDN_REASON_FLAG_PLANNED */;

class SystemRestartSteps final : public IRestartSteps {
 public:
  SystemRestartSteps() {
    version_.dwOSVersionInfoSize = sizeof(version_);
    if (!GetVersionExA(&version_)) version_.dwPlatformId = VER_PLATFORM_WIN32_NT;
  }
  bool NeedsPrivilege() override { return version_.dwPlatformId == VER_PLATFORM_WIN32_NT; }
  bool EnableShutdownPrivilege(std::uint32_t& error) override {
    return cdflash::EnableShutdownPrivilege(error);
  }
  bool RequestReboot(std::uint32_t& error) override {
    if (ExitWindowsEx(RestartFlags(version_.dwPlatformId, version_.dwMajorVersion), kRestartReason)) return true;
    error = GetLastError();
    return false;
  }

 private:
  OSVERSIONINFOA version_{};
};

// Keeps the system awake while it lives; only for the thread that made it,
// which is the thread of the flash run.
class ExecutionStateBlock final : public IPowerBlock {
 public:
  using SetState = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
  explicit ExecutionStateBlock(SetState set) : set_(set) { set_(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }
  ~ExecutionStateBlock() override { set_(ES_CONTINUOUS); }

 private:
  SetState set_;
};

class WindowsSystem final : public ISystemServices {
 public:
  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

  RestartResult RequestRestart() override {
    SystemRestartSteps steps;
    return RestartWithPrivilege(steps);
  }

  // Windows 95 has no SetThreadExecutionState: there the run goes on without.
  std::unique_ptr<IPowerBlock> BlockSleepAndShutdown(const std::string&) override {
    const auto set = reinterpret_cast<ExecutionStateBlock::SetState>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadExecutionState")));
    if (set == nullptr) return nullptr;
    return std::make_unique<ExecutionStateBlock>(set);
  }

  // Windows NT 4 has no GetSystemPowerStatus: there the state is unknown.
  PowerState CurrentPowerState() const override {
    using GetStatus = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);
    const auto get = reinterpret_cast<GetStatus>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemPowerStatus")));
    SYSTEM_POWER_STATUS status{};
    if (get == nullptr || !get(&status)) return {};
    return PowerStateFromWindowsStatus({status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent});
  }

  // The manifest asks for elevation at start: nothing to start again.
  ElevationResult RunElevated(const std::vector<std::string>&) override {
    return {false, "not available on Windows"};
  }

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

  std::string EnvironmentVariable(const std::string& name) const override {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::string(value) : std::string();
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

  std::vector<std::string> ListFiles(const std::string& directory) const override {
    std::vector<std::string> names;
    if (directory.empty()) return names;
    const char last = directory.back();
    const std::string all = directory + (last == '\\' || last == '/' || last == ':' ? "*" : "\\*");
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(all.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
      if ((found.dwFileAttributes & kSkipped) == 0) names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }

  IUnansweredCommits* UnansweredCommits() override { return SystemUnansweredCommits(); }
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

bool ReplaceWholeFile(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  error = "error " + std::to_string(GetLastError());
  return false;
}

// Windows keeps no execute bits: the flasher only must not be read-only.
bool CopyExecutablePermissions(const std::string& from, const std::string& to) {
  if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  const DWORD attributes = GetFileAttributesA(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return (attributes & FILE_ATTRIBUTE_READONLY) == 0 ||
         SetFileAttributesA(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

// Tries every folder on the way down (a drive root or a share refuses
// creation); only whether the last one is there decides.
bool MakeFolders(const std::string& path, std::string& error, bool) {
  DWORD lastError = ERROR_PATH_NOT_FOUND;
  for (std::size_t at = path.find_first_of("\\/", 1);; at = path.find_first_of("\\/", at + 1)) {
    if (!CreateDirectoryA(path.substr(0, at).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      lastError = GetLastError();
    }
    if (at == std::string::npos) break;
  }
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  error = path + ": error " + std::to_string(lastError);
  return false;
}

std::string UpperCaseAnsi(const std::string& text) {
  std::string out = text;
  if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

}  // namespace cdflash
