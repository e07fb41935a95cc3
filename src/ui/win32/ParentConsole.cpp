#include "ui/win32/ParentConsole.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

namespace cdflash::win32 {

namespace {

struct StandardStream {
  DWORD id;
  std::FILE* file;
  const char* device;
  const char* mode;
};

// AttachConsole came with Windows XP: looked up at run time, so that older
// systems still start the program (it then writes where its handles lead).
bool AttachToParentConsole() {
  using Attach = BOOL(WINAPI*)(DWORD);
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  const auto attach = reinterpret_cast<Attach>(
      reinterpret_cast<void*>(kernel32 != nullptr ? GetProcAddress(kernel32, "AttachConsole") : nullptr));
  return attach != nullptr && attach(ATTACH_PARENT_PROCESS) != FALSE;
}

// Puts `stream` on the console: a console handle as the standard handle (the
// Ctrl-C handler writes through it) and a C stream over it in place of the
// stream's record. freopen is no help here: a window program's streams have
// no descriptor, and some C runtimes refuse to reopen such a stream.
void ReopenOnConsole(const StandardStream& stream) {
  HANDLE console = CreateFileA(stream.device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  SetStdHandle(stream.id, console);
  const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(console), _O_TEXT);
  if (descriptor < 0) return;
  std::FILE* opened = _fdopen(descriptor, stream.mode);
  if (opened == nullptr) return;
  // msvcrt keeps stdin, stdout and stderr in records of its own; the new
  // stream's record (no buffer allocated yet) takes their place.
  *stream.file = *opened;
}

}  // namespace

bool IsRedirected(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
    case FILE_TYPE_PIPE:
      return true;
    case FILE_TYPE_CHAR: {
      DWORD mode = 0;
      return GetConsoleMode(handle, &mode) == FALSE;
    }
    default:
      return false;
  }
}

bool UseParentConsole() {
  const StandardStream streams[] = {
      {STD_INPUT_HANDLE, stdin, "CONIN$", "r"},
      {STD_OUTPUT_HANDLE, stdout, "CONOUT$", "w"},
      {STD_ERROR_HANDLE, stderr, "CONOUT$", "w"},
  };
  // Judged before attaching, which may change the standard handles.
  bool redirected[3] = {};
  for (int i = 0; i < 3; ++i) redirected[i] = IsRedirected(GetStdHandle(streams[i].id));
  if (!AttachToParentConsole()) return false;
  for (int i = 0; i < 3; ++i) {
    if (!redirected[i]) ReopenOnConsole(streams[i]);
  }
  // The progress line redraws itself with an escape sequence; consoles
  // since Windows 10 carry it out once asked to.
  if (!redirected[1]) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(out, &mode)) SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  return true;
}

}  // namespace cdflash::win32
