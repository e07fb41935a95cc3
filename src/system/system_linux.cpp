#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "system/Elevation.h"
#include "system/SystemServices.h"
#include "system/dbus_linux.h"
#include "system/power_linux.h"

namespace cdflash {
namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";
// Reboot may wait for the user to authenticate.
constexpr int kRebootReplyTimeout = 120000;
constexpr int kInhibitReplyTimeout = 10000;

using dbus::Connection;
using dbus::Message;
using dbus::SystemBus;

// logind's inhibitor lock: held as long as its file descriptor is open.
class InhibitorLock final : public IPowerBlock {
 public:
  explicit InhibitorLock(int fd) : fd_(fd) {}
  ~InhibitorLock() override { close(fd_); }

 private:
  int fd_;
};

class LinuxSystem final : public ISystemServices {
 public:
  void Sleep(unsigned milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

  // Asks logind to reboot, as the session's user would from the desktop; it
  // may ask the user to authenticate first.
  RestartResult RequestRestart() override {
    RestartResult result;
    Connection bus = SystemBus(result.problem);
    if (!bus) return result;
    Message call(dbus_message_new_method_call(kLogind, kLogindPath, kLogindManager, "Reboot"));
    dbus_bool_t interactive = TRUE;
    if (!call ||
        !dbus_message_append_args(call.get(), DBUS_TYPE_BOOLEAN, &interactive, DBUS_TYPE_INVALID)) {
      result.problem = "out of memory";
      return result;
    }
    result.requested = dbus::CallAndWait(*bus, call, kRebootReplyTimeout, result.problem) != nullptr;
    return result;
  }

  // A logind "block" inhibitor for sleep, shutdown and idle; without logind
  // the run goes on unprotected.
  std::unique_ptr<IPowerBlock> BlockSleepAndShutdown(const std::string& reason) override {
    std::string problem;
    Connection bus = SystemBus(problem);
    if (!bus) return nullptr;
    Message call(dbus_message_new_method_call(kLogind, kLogindPath, kLogindManager, "Inhibit"));
    const char* what = "sleep:shutdown:idle";
    const char* who = "cdflash";
    const char* why = reason.c_str();
    const char* mode = "block";
    if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &what, DBUS_TYPE_STRING, &who,
                                           DBUS_TYPE_STRING, &why, DBUS_TYPE_STRING, &mode,
                                           DBUS_TYPE_INVALID)) {
      return nullptr;
    }
    Message reply = dbus::CallAndWait(*bus, call, kInhibitReplyTimeout, problem);
    int fd = -1;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_UNIX_FD, &fd, DBUS_TYPE_INVALID)) {
      return nullptr;
    }
    return std::make_unique<InhibitorLock>(fd);
  }

  // pkexec answers 126 when the user did not authorise it and 127 when it
  // could not authorise at all.
  ElevationResult RunElevated(const std::vector<std::string>& command) override {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (const int error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ)) {
      return {false, command[0] + " could not be started: " + std::strerror(error)};
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127)) {
      return {false, "administrator rights were not granted"};
    }
    return {true, {}};
  }

  PowerState CurrentPowerState() const override { return LinuxPowerState(kPowerSupplyClass); }

  std::string ProgramPath() const override {
    std::string path(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    return path;
  }

  std::string EnvironmentVariable(const std::string& name) const override {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::string(value) : std::string();
  }

  std::string CurrentDirectory() const override {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
  }

  bool FileExists(const std::string& path) const override {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  std::vector<std::string> ListFiles(const std::string& directory) const override {
    std::vector<std::string> names;
    const int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return names;
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
      close(dirFd);
      return names;
    }
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      struct stat st {};
      if (fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
        names.emplace_back(entry->d_name);
      }
    }
    closedir(dir);  // closes dirFd too
    return names;
  }

  IUnansweredCommits* UnansweredCommits() override { return SystemUnansweredCommits(); }
};

}  // namespace

ISystemServices& SystemServices() {
  static LinuxSystem system;
  return system;
}

std::string ExecAdministratorStart(const AdministratorStart& start) {
  for (const std::string& assignment : start.environment) {
    const std::size_t equals = assignment.find('=');
    setenv(assignment.substr(0, equals).c_str(), assignment.c_str() + equals + 1, 1);
  }
  char* const argv[] = {const_cast<char*>(start.program.c_str()), nullptr};
  execv(start.program.c_str(), argv);
  return start.program + " could not be started: " + std::strerror(errno);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool ReplaceWholeFile(const std::string& from, const std::string& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
  error = std::strerror(errno);
  return false;
}

bool CopyExecutablePermissions(const std::string& from, const std::string& to) {
  struct stat st {};
  if (stat(from.c_str(), &st) != 0) return false;
  const mode_t mode = (st.st_mode & 0777) | S_IWUSR | S_IXUSR;
  return chmod(to.c_str(), mode) == 0;
}

// Tries every folder on the way down; whatever failed on the way, only the
// last one decides.
bool MakeFolders(const std::string& path, std::string& error, bool ownerOnly) {
  int lastError = ENOENT;
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    if (mkdir(path.substr(0, slash).c_str(), ownerOnly ? 0700 : 0777) != 0 && errno != EEXIST) lastError = errno;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (!path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  error = path + ": " + std::strerror(lastError == EEXIST ? ENOTDIR : lastError);
  return false;
}

// File names on Linux are UTF-8 or anything else: only ASCII letters change,
// so no byte of a longer character is ever altered.
std::string UpperCaseAnsi(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace cdflash
