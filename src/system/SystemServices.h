#pragma once
// The operating system's services that the flash run and the builder use:
// waiting, the restart request, where the program and the working folder
// are, the environment, file tests and directory listings, and what the
// machine runs on. One implementation per OS (system_linux.cpp,
// system_win.cpp); tests and the demo hand the engine and the builder an
// implementation of their own.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "system/Environment.h"
#include "system/PowerState.h"
#include "system/UnansweredCommits.h"

namespace cdflash {

// What became of a restart request.
struct RestartResult {
  bool requested = false;  // the system took the request
  std::string problem;     // why not, for the user; empty when requested
};

// What became of starting the program again as administrator.
struct ElevationResult {
  bool ran = false;     // it ran (and has ended: this one only waited)
  std::string problem;  // why not, for the user
};

// While it exists, the system neither sleeps nor shuts down by itself.
class IPowerBlock {
 public:
  virtual ~IPowerBlock() = default;
};

class ISystemServices {
 public:
  virtual ~ISystemServices() = default;

  /// Blocks the calling thread.
  virtual void Sleep(unsigned milliseconds) = 0;
  /// A monotonic clock: time since some fixed point, never set back.
  virtual std::chrono::milliseconds Uptime() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  }
  /// Asks the system to restart at once, closing applications by force.
  virtual RestartResult RequestRestart() = 0;
  /// Keeps the system awake and from shutting down for `reason` while the
  /// returned block lives; null when the system offers no such block.
  virtual std::unique_ptr<IPowerBlock> BlockSleepAndShutdown(const std::string& reason) = 0;
  /// Whether the machine runs on mains or on its battery, and the charge;
  /// Unknown where the system cannot say. Asks the system each time.
  virtual PowerState CurrentPowerState() const = 0;

  /// Runs `command` (an ElevationCommand) and waits for it to end.
  virtual ElevationResult RunElevated(const std::vector<std::string>& command) = 0;

  /// Full path of the running program's executable file.
  virtual std::string ProgramPath() const = 0;
  /// The value of an environment variable; empty when it is unset.
  virtual std::string EnvironmentVariable(const std::string& name) const = 0;
  /// The current working directory as a full path.
  virtual std::string CurrentDirectory() const = 0;
  /// True for an existing file; false for a directory or nothing.
  virtual bool FileExists(const std::string& path) const = 0;
  /// The names of the files a file list shows in `directory`, in no set
  /// order: files only (links to files included), none hidden (Linux: no
  /// name starting with '.'; Windows: no hidden or system file). Empty when
  /// the directory cannot be read.
  virtual std::vector<std::string> ListFiles(const std::string& directory) const = 0;

  /// Where the drives whose commit never answered are kept for every
  /// process until the computer restarts; null where nothing is kept beyond
  /// the process (simulated machines, systems without such a place).
  virtual IUnansweredCommits* UnansweredCommits() { return nullptr; }
};

/// The running system.
ISystemServices& SystemServices();

/// True when both paths name one existing file (links and, on Windows, other
/// spellings of the same path included).
bool SameFile(const std::string& a, const std::string& b);

/// Puts the file `from` in place of `to` in one step: afterwards `to` is
/// either the new file whole or, on failure, exactly what it was. Both must
/// be in one directory. False with `error` set when it fails.
bool ReplaceWholeFile(const std::string& from, const std::string& to, std::string& error);

/// Gives `to` the permissions of `from` (Linux: its permission bits), never
/// set-id or sticky bits, and always the owner's write and execute rights.
/// False when they cannot be read or set.
bool CopyExecutablePermissions(const std::string& from, const std::string& to);

/// Creates `path` and the folders above it that are missing (Linux: only
/// their owner may enter them when `ownerOnly`, else as the umask says).
/// True when it exists as a folder afterwards; else false with `error` set.
bool MakeFolders(const std::string& path, std::string& error, bool ownerOnly = true);

/// Upper case in the system's single-byte code page.
std::string UpperCaseAnsi(const std::string& text);

}  // namespace cdflash
