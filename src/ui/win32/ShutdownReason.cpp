#include "ui/win32/ShutdownReason.h"

namespace cdflash::win32 {

namespace {

// An export of user32, or null where this system lacks it.
FARPROC User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

}  // namespace

void SetShutdownReason(HWND window, const wchar_t* reason) {
  using Create = BOOL(WINAPI*)(HWND, LPCWSTR);
  const auto create =
      reinterpret_cast<Create>(reinterpret_cast<void*>(User32Entry("ShutdownBlockReasonCreate")));
  if (create != nullptr) create(window, reason);
}

void ClearShutdownReason(HWND window) {
  using Destroy = BOOL(WINAPI*)(HWND);
  const auto destroy =
      reinterpret_cast<Destroy>(reinterpret_cast<void*>(User32Entry("ShutdownBlockReasonDestroy")));
  if (destroy != nullptr) destroy(window);
}

}  // namespace cdflash::win32
