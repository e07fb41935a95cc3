// Windows: placeholder until the pass-through and ASPI routes arrive. The
// platform test is real; no drive is found and no device opens.

#include <windows.h>

#include "device/platform/Platform.h"

namespace cdflash {

namespace {

class NoDeviceRoute final : public IRoute {
 public:
  std::uint8_t Initialise() override { return 0; }
  RouteDevice Open(const DriveAddress&) override { return kNoDevice; }
  RouteOutcome Execute(RouteDevice, const DriveAddress&, const RouteCommand&) override {
    RouteOutcome outcome;
    outcome.systemError = ERROR_NOT_SUPPORTED;
    return outcome;
  }
  void CloseDevice(RouteDevice) override {}
  bool Release(RouteDevice, bool) override { return false; }
};

class WindowsPlatform final : public IPlatform {
 public:
  std::uint32_t PlatformId() override {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) ? info.dwPlatformId : 0;
  }
  IRoute& RouteFor(std::uint32_t) override { return route_; }
  std::vector<DriveAddress> DriveAddresses(std::uint32_t) override { return {}; }

 private:
  NoDeviceRoute route_;
};

}  // namespace

IPlatform& SystemPlatform() {
  static WindowsPlatform platform;
  return platform;
}

}  // namespace cdflash
