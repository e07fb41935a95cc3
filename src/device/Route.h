#pragma once
// IRoute: what differs between the ways of reaching a CD device (SG_IO on
// Linux, SCSI pass-through or ASPI on Windows, the simulator in tests).
// CDDrive keeps the transport state and the per-command bookkeeping; a route
// only initialises itself, opens, executes one command and closes.

#include <array>
#include <cstdint>

#include "device/ExclusiveUse.h"

namespace cdflash {

// Where a device sits: drive letter (or a space where none is known), host
// adapter, target and LUN.
struct DriveAddress {
  char letter = ' ';
  std::uint8_t hostAdapter = 0;
  std::uint8_t target = 0;
  std::uint8_t lun = 0;
  bool operator==(const DriveAddress&) const = default;
};

// An open device as the route knows it (a file descriptor, a handle, a
// token). kNoDevice means "not open".
using RouteDevice = std::intptr_t;
inline constexpr RouteDevice kNoDevice = -1;

inline constexpr std::size_t kCdbLength = 12;
inline constexpr std::size_t kSenseAreaLength = 32;
inline constexpr std::uint8_t kSenseRequestLength = 24;

// One command packet with at most one data phase.
struct RouteCommand {
  std::array<std::uint8_t, kCdbLength> cdb{};
  bool dataIn = true;  // data from the device
  std::uint8_t* buffer = nullptr;
  std::int32_t length = 0;  // 0: no data phase; never more than `buffer` holds
  std::uint16_t timeoutSeconds = 60;
  // The length is only a maximum (INQUIRY's allocation length): a device
  // may move less. Every other data-in command must move all it asks for.
  bool lengthIsMaximum = false;
};

struct RouteOutcome {
  // Whether the command reached the device and completed, so that the
  // status and sense area describe the device's answer.
  bool delivered = false;
  // The route's own success rule (see CompletedCleanly).
  bool succeeded = false;
  // What ExecCommand returns on success (1, or the transfer length on ASPI).
  std::int32_t result = 0;
  std::uint8_t completionStatus = 0;
  std::array<std::uint8_t, kSenseAreaLength> sense{};
  // Bytes of the data phase that did not move, where the route can tell.
  std::int32_t residual = 0;
  // The system's error code when the command failed (errno, GetLastError).
  std::uint32_t systemError = 0;
  // The device is no longer there (unplugged, removed from the system): no
  // later command will reach it either.
  bool deviceGone = false;
  // How long the command took by the route's own count, where it keeps one
  // (0: it keeps none). The device layer measures as well and takes the
  // longer of the two.
  std::uint32_t elapsedMs = 0;
};

// System error codes of a command that the transport refused to send: its
// length does not fit the buffer, or the drive may still be programming its
// flash after a commit that never answered.
// kTimedOutError: a command whose answer came only when its timeout ran
// out, which counts as no answer.
#ifdef _WIN32
inline constexpr std::uint32_t kInvalidParameterError = 87;  // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t kDeviceBusyError = 170;       // ERROR_BUSY
inline constexpr std::uint32_t kTimedOutError = 121;         // ERROR_SEM_TIMEOUT
#else
inline constexpr std::uint32_t kInvalidParameterError = 22;  // EINVAL
inline constexpr std::uint32_t kDeviceBusyError = 16;        // EBUSY
inline constexpr std::uint32_t kTimedOutError = 110;         // ETIMEDOUT
#endif

class IRoute {
 public:
  virtual ~IRoute() = default;

  /// Initialises the transport when no device is open. Returns 0, or the
  /// open status that ends the construction (0x60..0x62). May show messages.
  virtual std::uint8_t Initialise() = 0;

  /// Opens the device at `address`; kNoDevice on failure, after showing the
  /// route's message ("Error opening: %d, Drive: %s").
  virtual RouteDevice Open(const DriveAddress& address) = 0;

  /// Executes one command and waits for it (at most the command's timeout).
  /// Must fail cleanly for a device that is not open.
  virtual RouteOutcome Execute(RouteDevice device, const DriveAddress& address,
                               const RouteCommand& command) = 0;

  /// Closes a device that Open returned (after a failed identification).
  virtual void CloseDevice(RouteDevice device) = 0;

  /// An object goes away: close `device` if the route holds one for it, and
  /// release what Initialise acquired when `noDeviceOpen` (the transport's
  /// open count is 0) if the route keeps such things. Returns true when the
  /// transport's open count goes down by one. Routes that keep nothing
  /// beyond their open devices only close `device`.
  virtual bool Release(RouteDevice device, bool noDeviceOpen) {
    static_cast<void>(noDeviceOpen);
    if (device == kNoDevice) return false;
    CloseDevice(device);
    return true;
  }

  /// Takes the open `device` for this program alone until the returned
  /// hold goes (see ExclusiveUse); commands through `device` still pass.
  /// Routes without such a notion (ASPI) take nothing and refuse nothing.
  virtual ExclusiveUse ClaimExclusive(RouteDevice device, const DriveAddress& address) {
    static_cast<void>(device);
    static_cast<void>(address);
    return {};
  }
};

}  // namespace cdflash
