// Which standard handles count as redirected, and so keep their target when
// the program attaches to its parent's console: files, pipes and character
// devices that are no console (NUL) do; no handle does not.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ui/win32/ParentConsole.h"

namespace cdflash::win32::test {
namespace {

struct HandleCase {
  const char* name;
  std::function<HANDLE()> open;  // a handle the test closes, or none
  bool redirected;
};

HANDLE OpenFile(const char* path, DWORD disposition, DWORD flags = 0) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     disposition, flags, nullptr);
}

TEST(ParentConsole, RedirectedHandles) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string file = std::string(folder) + "parent_console_test.txt";
  HANDLE pipeRead = nullptr, pipeWrite = nullptr;
  ASSERT_TRUE(CreatePipe(&pipeRead, &pipeWrite, nullptr, 0));
  const HandleCase cases[] = {
      {"a file", [&] { return OpenFile(file.c_str(), CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE); }, true},
      {"a pipe", [&] { return pipeWrite; }, true},
      {"NUL", [] { return OpenFile("NUL", OPEN_EXISTING); }, true},
      {"no handle", [] { return HANDLE{nullptr}; }, false},
      {"an invalid handle", [] { return INVALID_HANDLE_VALUE; }, false},
  };
  for (const HandleCase& c : cases) {
    HANDLE handle = c.open();
    EXPECT_EQ(IsRedirected(handle), c.redirected) << c.name;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  CloseHandle(pipeRead);
}

}  // namespace
}  // namespace cdflash::win32::test
