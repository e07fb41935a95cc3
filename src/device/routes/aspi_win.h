#pragma once
// The route of the other Windows platforms: the ASPI for Win32 layer
// (WNASPI32.DLL) loaded at run time, one SRB_ExecSCSICmd per command with a
// completion event, and the published abort request for a command that
// outlives its timeout.

#include <windows.h>

#include <string>

#include "device/Route.h"
#include "device/routes/aspi_srb_win.h"

namespace cdflash {

/// The error box text when the layer cannot be loaded.
std::string AspiLoadFailureText();

/// The request block for one command: cleared, then filled for `address`
/// (host adapter and target; the LUN is always 0) and `command`, with
/// `event` as the completion event.
aspi::ExecScsiCommand BuildExecRequest(const DriveAddress& address, const RouteCommand& command,
                                       HANDLE event);

class AspiRoute final : public IRoute {
 public:
  // Open statuses that end a construction.
  static constexpr std::uint8_t kSupportFailed = 0x60;
  static constexpr std::uint8_t kEntryMissing = 0x61;
  static constexpr std::uint8_t kLoadFailed = 0x62;

  /// Loads the layer, checks its support information and takes its
  /// command entry; 0 or one of the statuses above.
  std::uint8_t Initialise() override;
  /// ASPI knows no device handles: the token carries the object's own
  /// request block. INQUIRY decides whether anything answers there.
  RouteDevice Open(const DriveAddress& address) override;
  RouteOutcome Execute(RouteDevice device, const DriveAddress& address,
                       const RouteCommand& command) override;
  void CloseDevice(RouteDevice device) override;
  /// An opened object counts down; an unopened one that finds no device
  /// open releases the layer.
  bool Release(RouteDevice device, bool noDeviceOpen) override;

  bool LayerLoaded() const { return library_ != nullptr; }
  /// Requests whose abort the layer never confirmed: their blocks and
  /// events are kept, and the layer stays loaded, while any is left.
  int UnsettledRequests() const { return unsettled_; }

 private:
  struct Device;
  bool Settle(Device& device);
  void ReleaseLayer();

  HMODULE library_ = nullptr;
  aspi::SendCommandEntry send_ = nullptr;
  int unsettled_ = 0;
};

}  // namespace cdflash
