#pragma once
// The demo's drives at the pace of real ones, so that a user watching a run
// sees each phase: the disc check takes about a second, each 16 KiB of the
// image tens of milliseconds, and the commit a few seconds. A platform that
// passes everything to another and holds each command for its drive time
// before sending it on. Tests keep the instant simulator.

#include <chrono>
#include <memory>

#include "device/platform/Platform.h"

namespace cdflash::demo {

// How long a real drive takes over `command`.
std::chrono::milliseconds DriveTime(const RouteCommand& command);

class PacedPlatform final : public IPlatform {
 public:
  explicit PacedPlatform(IPlatform& inner);
  ~PacedPlatform() override;

  std::uint32_t PlatformId() override { return inner_.PlatformId(); }
  IRoute& RouteFor(std::uint32_t platformId) override;
  std::vector<DriveAddress> DriveAddresses(std::uint32_t platformId) override {
    return inner_.DriveAddresses(platformId);
  }
  DriveAccess CheckAccess(const std::vector<DriveAddress>& leaveAlone) override {
    return inner_.CheckAccess(leaveAlone);
  }

 private:
  class PacedRoute;
  IPlatform& inner_;
  std::unique_ptr<PacedRoute> route_;
};

}  // namespace cdflash::demo
