#pragma once
// A machine with simulated drives: the platform test answers a chosen
// platform id, discovery lists the drives' addresses in the order added, and
// every command goes through one SimRoute. Install it with ScopedPlatform to
// run the real CDDrive and CDDrives over it.

#include <memory>
#include <vector>

#include "SimDrive.h"
#include "SimRoute.h"
#include "device/platform/Platform.h"

namespace cdflash::sim {

class SimPlatform final : public IPlatform {
 public:
  explicit SimPlatform(std::uint32_t platformId = kPlatformWin32Nt,
                       SimRoute::Style style = SimRoute::Style::PassThrough);

  // A drive at the next free address: host adapter, target and LUN 0, drive
  // character '0'..'9', 'A'..'Z', 'a'..'z' by position.
  SimDrive& AddDrive(DriveConfig config = {});
  SimDrive& AddDrive(DriveConfig config, const DriveAddress& address);
  // An address that discovery lists but where no drive answers.
  void AddAbsent(const DriveAddress& address);

  SimDrive& Drive(std::size_t index) { return *drives_.at(index); }
  std::size_t DriveCount() const { return drives_.size(); }
  SimRoute& Route() { return route_; }
  void SetPlatformId(std::uint32_t id) { platformId_ = id; }
  // What CheckAccess answers (everything allowed unless set).
  void SetAccess(DriveAccess access) { access_ = access; }

  // IPlatform
  std::uint32_t PlatformId() override { return platformId_; }
  IRoute& RouteFor(std::uint32_t) override { return route_; }
  std::vector<DriveAddress> DriveAddresses(std::uint32_t) override { return addresses_; }
  DriveAccess CheckAccess(const std::vector<DriveAddress>&) override { return access_; }

 private:
  std::uint32_t platformId_;
  DriveAccess access_;
  SimRoute route_;
  std::vector<std::unique_ptr<SimDrive>> drives_;
  std::vector<DriveAddress> addresses_;
};

// Puts a platform in place of the system's for its lifetime.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(IPlatform& platform) : previous_(SetPlatformForTesting(&platform)) {}
  ~ScopedPlatform() { SetPlatformForTesting(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  IPlatform* previous_;
};

}  // namespace cdflash::sim
