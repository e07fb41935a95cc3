#pragma once
// The Linux route: one SG_IO ioctl (sg_io_hdr, interface 'S') per command on
// /dev/srN, opened read-write and non-blocking so that a drive without a disc
// opens too.

#include "device/Route.h"

namespace cdflash {

class SgIoRoute final : public IRoute {
 public:
  std::uint8_t Initialise() override { return 0; }
  RouteDevice Open(const DriveAddress& address) override;
  RouteOutcome Execute(RouteDevice device, const DriveAddress& address,
                       const RouteCommand& command) override;
  void CloseDevice(RouteDevice device) override;
  bool Release(RouteDevice device, bool noDeviceOpen) override;
};

}  // namespace cdflash
