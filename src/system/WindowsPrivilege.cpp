#include "system/WindowsPrivilege.h"

#include <windows.h>

namespace cdflash {
namespace {

using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using LookupPrivilegeValueFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
using AdjustTokenPrivilegesFn = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                              PTOKEN_PRIVILEGES, PDWORD);

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool EnableShutdownPrivilege(std::uint32_t& error) {
  HMODULE advapi = LoadLibraryA("advapi32.dll");
  if (advapi == nullptr) {
    error = GetLastError();
    return false;
  }
  const auto openToken = Entry<OpenProcessTokenFn>(advapi, "OpenProcessToken");
  const auto lookup = Entry<LookupPrivilegeValueFn>(advapi, "LookupPrivilegeValueA");
  const auto adjust = Entry<AdjustTokenPrivilegesFn>(advapi, "AdjustTokenPrivileges");
  bool enabled = false;
  HANDLE token = nullptr;
  if (openToken == nullptr || lookup == nullptr || adjust == nullptr) {
    error = ERROR_PROC_NOT_FOUND;
  } else if (!openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    error = GetLastError();
  } else {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!lookup(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) ||
        !adjust(token, FALSE, &privileges, 0, nullptr, nullptr)) {
      error = GetLastError();
    } else {
      // AdjustTokenPrivileges succeeds also when it could not assign it.
      error = GetLastError();
      enabled = error == ERROR_SUCCESS;
    }
    CloseHandle(token);
  }
  FreeLibrary(advapi);
  return enabled;
}

}  // namespace cdflash
