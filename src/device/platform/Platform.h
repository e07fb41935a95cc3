#pragma once
// The platform layer: the platform test, the route that goes with it and the
// addresses of the machine's CD devices. One implementation per OS
// (platform_linux.cpp, platform_win.cpp); tests put a simulated one in its
// place for the whole process.

#include <cstdint>
#include <vector>

#include "device/Route.h"

namespace cdflash {

// Platform ids as GetVersionExA reports them, plus one of our own for Linux.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;  // ASPI route
inline constexpr std::uint32_t kPlatformWin32Nt = 2;       // pass-through route
inline constexpr std::uint32_t kPlatformLinux = 0x100;     // SG_IO route

// Whether this process may use the CD devices the system lists.
struct DriveAccess {
  int listed = 0;                  // device nodes the system lists
  int openable = 0;                // of them, the ones this process can open
  bool rawCommandsAllowed = true;  // the kernel lets it send WRITE BUFFER and vendor commands
  // Drives exist, but this process may not update any of them.
  bool LacksRights() const { return listed > 0 && (!rawCommandsAllowed || openable == 0); }
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  /// The platform test.
  virtual std::uint32_t PlatformId() = 0;

  /// The route for `platformId`; it lives as long as the platform.
  virtual IRoute& RouteFor(std::uint32_t platformId) = 0;

  /// The addresses the drive list tries, in order.
  virtual std::vector<DriveAddress> DriveAddresses(std::uint32_t platformId) = 0;

  /// Whether this process may use the devices; without sending them anything.
  /// Where rights are asked for at start (Windows, whose manifest asks for
  /// elevation), everything is allowed. The devices at `leaveAlone` are not
  /// even opened: opening a CD device makes the kernel ask it for news.
  virtual DriveAccess CheckAccess(const std::vector<DriveAddress>& leaveAlone) {
    static_cast<void>(leaveAlone);
    return {};
  }
};

/// The platform of this OS.
IPlatform& SystemPlatform();

/// The platform in use: the one set for testing, else SystemPlatform().
IPlatform& CurrentPlatform();

/// Puts `platform` in place of the system's for the whole process (null
/// restores the system's). Returns the one set before. Only while no
/// CDDrive exists.
IPlatform* SetPlatformForTesting(IPlatform* platform);

}  // namespace cdflash
