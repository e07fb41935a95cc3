#pragma once
// The system services with time that passes only when the code under test
// sleeps, and recorded power blocks, restarts and elevations.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "system/SystemServices.h"

namespace cdflash::test {

// Records waits and restart requests; build mode finds the program and the
// working folder where the test puts them, and real files there.
class FakeSystem : public ISystemServices {
 public:
  void Sleep(unsigned ms) override {
    sleeps.push_back(ms);
    clock += std::chrono::milliseconds(ms);
  }
  // Time passes only in Sleep, plus what a test adds to `clock`.
  std::chrono::milliseconds Uptime() const override { return clock; }
  RestartResult RequestRestart() override {
    ++restarts;
    Event("restart");
    return restartResult;
  }
  std::unique_ptr<IPowerBlock> BlockSleepAndShutdown(const std::string& reason) override {
    Event("block: " + reason);
    struct Block final : IPowerBlock {
      explicit Block(FakeSystem& s) : system(s) {}
      ~Block() override { system.Event("unblock"); }
      FakeSystem& system;
    };
    return std::make_unique<Block>(*this);
  }
  PowerState CurrentPowerState() const override { return power; }
  void Event(const std::string& what) {
    events.push_back(what);
    if (onEvent) onEvent(what);
  }
  ElevationResult RunElevated(const std::vector<std::string>& command) override {
    elevations.push_back(command);
    return elevationResult;
  }
  std::string ProgramPath() const override { return program; }
  std::string CurrentDirectory() const override { return directory; }
  std::string EnvironmentVariable(const std::string& name) const override {
    const auto found = environment.find(name);
    return found != environment.end() ? found->second : std::string();
  }
  bool FileExists(const std::string& path) const override {
    if (const auto listed = files.find(path); listed != files.end()) return listed->second;
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
  }
  std::vector<std::string> ListFiles(const std::string& d) const override {
    return SystemServices().ListFiles(d);
  }
  IUnansweredCommits* UnansweredCommits() override { return unanswered.get(); }

  PowerState power;                   // what CurrentPowerState answers: Unknown unless set
  std::vector<unsigned> sleeps;
  std::chrono::milliseconds clock{0};
  int restarts = 0;
  RestartResult restartResult{true, {}};
  std::vector<std::string> events;  // blocks, unblocks and restarts, in order
  std::function<void(const std::string&)> onEvent;
  std::vector<std::vector<std::string>> elevations;
  ElevationResult elevationResult{true, {}};
  std::string program;
  std::string directory;
  std::map<std::string, std::string> environment;  // nothing of the real one
  std::map<std::string, bool> files;  // paths that exist (or not) whatever the disk holds
  std::unique_ptr<IUnansweredCommits> unanswered;  // none: kept by the process alone
};

}  // namespace cdflash::test
