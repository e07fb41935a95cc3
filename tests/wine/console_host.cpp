// Test helper: a command prompt in miniature. It creates a console, starts
// a program from it the way Windows starts a window program (without a
// console of its own: DETACHED_PROCESS, which Wine needs to be told), waits
// for it, and prints its exit code and the text left on the console.
//
//   console_host [--stdout FILE] PROGRAM [ARGS...]
//
// With --stdout the program's standard output goes to FILE, as `> FILE`
// would send it; its other streams are left unset.
// Output: "exit=N", then "console: TEXT" for each console row up to the
// cursor, trailing blanks removed.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Quoted(const char* argument) {
  if (*argument != '\0' && std::strpbrk(argument, " \t\"") == nullptr) return argument;
  std::string quoted = "\"";
  for (const char* c = argument; *c != '\0'; ++c) {
    if (*c == '"') quoted += '\\';
    quoted += *c;
  }
  return quoted + "\"";
}

void PrintConsoleRows() {
  HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info)) {
    std::printf("console unreadable: error %lu\n", GetLastError());
    return;
  }
  std::string row(static_cast<std::size_t>(info.dwSize.X), ' ');
  for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
    DWORD read = 0;
    ReadConsoleOutputCharacterA(console, row.data(), static_cast<DWORD>(row.size()), COORD{0, y}, &read);
    const std::string text = row.substr(0, read);
    std::printf("console: %s\n", text.substr(0, text.find_last_not_of(' ') + 1).c_str());
  }
  CloseHandle(console);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const char* stdoutPath = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "--stdout") == 0) {
    stdoutPath = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: console_host [--stdout FILE] PROGRAM [ARGS...]\n");
    return 2;
  }
  std::string commandLine;
  for (int i = first; i < argc; ++i) commandLine += (i > first ? " " : "") + Quoted(argv[i]);

  // A console of our own, empty: the one Wine may have given us is left.
  FreeConsole();
  if (!AllocConsole()) {
    std::printf("AllocConsole failed: error %lu\n", GetLastError());
    return 2;
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  HANDLE output = nullptr;
  if (stdoutPath != nullptr) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    output = CreateFileA(stdoutPath, GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) {
      std::printf("cannot create %s: error %lu\n", stdoutPath, GetLastError());
      return 2;
    }
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, DETACHED_PROCESS,
                      nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start %s: error %lu\n", commandLine.c_str(), GetLastError());
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (output != nullptr) CloseHandle(output);

  std::printf("exit=%lu\n", exitCode);
  PrintConsoleRows();
  return 0;
}
