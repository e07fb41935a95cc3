#pragma once
// What build mode asks of the operating system about files and paths. The
// program uses the real one; tests point it at a folder of their own.

#include <string>

namespace cdflash {

class IBuildPlatform {
 public:
  virtual ~IBuildPlatform() = default;
  // Full path of the running program's executable file.
  virtual std::string ProgramPath() const = 0;
  // The current working directory as a full path.
  virtual std::string CurrentDirectory() const = 0;
  // True for an existing file; false for a directory or nothing.
  virtual bool FileExists(const std::string& path) const = 0;
};

// The running system.
IBuildPlatform& SystemBuildPlatform();

// True when both paths name one existing file (links and, on Windows, other
// spellings of the same path included).
bool SameFile(const std::string& a, const std::string& b);

// Upper case in the system's single-byte code page.
std::string UpperCaseAnsi(const std::string& text);

}  // namespace cdflash
