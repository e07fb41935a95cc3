#pragma once
// The demo's system services: the running system's, except that a restart
// is only recorded and reported, never carried out, and nothing is blocked.
// The power state is the machine's own, as the flasher sees it, so that the
// battery checks can be tried without a drive.

#include <cstdio>

#include "system/SystemServices.h"

namespace cdflash::demo {

class DemoSystem final : public ISystemServices {
 public:
  void Sleep(unsigned milliseconds) override { real_.Sleep(milliseconds); }
  std::chrono::milliseconds Uptime() const override { return real_.Uptime(); }
  RestartResult RequestRestart() override {
    ++restartsRequested_;
    std::fprintf(stderr, "cdflash-demo: restart requested; the demo leaves the machine running\n");
    return {false, "this is the demo, which never restarts the machine"};
  }
  std::unique_ptr<IPowerBlock> BlockSleepAndShutdown(const std::string&) override { return nullptr; }
  PowerState CurrentPowerState() const override { return real_.CurrentPowerState(); }
  ElevationResult RunElevated(const std::vector<std::string>& command) override {
    return real_.RunElevated(command);
  }
  std::string ProgramPath() const override { return real_.ProgramPath(); }
  std::string EnvironmentVariable(const std::string& name) const override {
    return real_.EnvironmentVariable(name);
  }
  std::string CurrentDirectory() const override { return real_.CurrentDirectory(); }
  bool FileExists(const std::string& path) const override { return real_.FileExists(path); }
  std::vector<std::string> ListFiles(const std::string& directory) const override {
    return real_.ListFiles(directory);
  }

  int RestartsRequested() const { return restartsRequested_; }

 private:
  ISystemServices& real_ = SystemServices();
  int restartsRequested_ = 0;
};

}  // namespace cdflash::demo
