#include "demo/PacedPlatform.h"

#include <thread>

#include "device/ScsiCommands.h"

namespace cdflash::demo {

std::chrono::milliseconds DriveTime(const RouteCommand& command) {
  using std::chrono::milliseconds;
  switch (command.cdb[0]) {
    case kOpTestUnitReady: return milliseconds(70);  // ten quiet passes: the disc check's second
    case kOpStartStopUnit: return milliseconds(250);
    case kOpWriteBuffer:
      if (IsCommitCommand(command.cdb)) return milliseconds(3000);
      [[fallthrough]];
    case kOpReadBuffer: return milliseconds(5 + command.length / 512);  // 37 ms for 16 KiB
    default: return milliseconds(0);
  }
}

class PacedPlatform::PacedRoute final : public IRoute {
 public:
  explicit PacedRoute(IRoute& inner) : inner_(inner) {}
  std::uint8_t Initialise() override { return inner_.Initialise(); }
  RouteDevice Open(const DriveAddress& address) override { return inner_.Open(address); }
  RouteOutcome Execute(RouteDevice device, const DriveAddress& address, const RouteCommand& command) override {
    std::this_thread::sleep_for(DriveTime(command));
    return inner_.Execute(device, address, command);
  }
  void CloseDevice(RouteDevice device) override { inner_.CloseDevice(device); }
  bool Release(RouteDevice device, bool noDeviceOpen) override { return inner_.Release(device, noDeviceOpen); }
  ExclusiveUse ClaimExclusive(RouteDevice device, const DriveAddress& address) override {
    return inner_.ClaimExclusive(device, address);
  }

 private:
  IRoute& inner_;
};

PacedPlatform::PacedPlatform(IPlatform& inner) : inner_(inner) {}
PacedPlatform::~PacedPlatform() = default;

IRoute& PacedPlatform::RouteFor(std::uint32_t platformId) {
  if (!route_) route_ = std::make_unique<PacedRoute>(inner_.RouteFor(platformId));
  return *route_;
}

}  // namespace cdflash::demo
