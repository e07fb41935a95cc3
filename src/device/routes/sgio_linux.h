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
  /// Opens /dev/srN a second time with O_EXCL, held until the hold goes: a
  /// mounted drive, or one another program opened exclusively, is refused
  /// (EBUSY), and none of them can mount or claim it meanwhile.
  ExclusiveUse ClaimExclusive(RouteDevice device, const DriveAddress& address) override;
};

}  // namespace cdflash
