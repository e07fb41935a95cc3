#pragma once
// The in-process route to simulated drives: a bus of drives by address, with
// the result values of either Windows route (pass-through: result 1, the
// bytes not moved as the residual, success on a zero sense key, which lets a
// BUSY status or a short data-in transfer pass; ASPI: SRB status SS_COMP,
// result = transfer length, the library released by a destruction that
// finds no device open) and a record of opens and closes.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "SimDrive.h"
#include "device/Route.h"

namespace cdflash::sim {

// System error codes the simulated transport reports.
#ifdef _WIN32
inline constexpr std::uint32_t kErrorTransport = 1117;  // ERROR_IO_DEVICE
inline constexpr std::uint32_t kErrorTimeout = 121;     // ERROR_SEM_TIMEOUT
inline constexpr std::uint32_t kErrorGone = 55;         // ERROR_DEV_NOT_EXIST
inline constexpr std::uint32_t kErrorNoDevice = 2;      // ERROR_FILE_NOT_FOUND
#else
inline constexpr std::uint32_t kErrorTransport = 5;     // EIO
inline constexpr std::uint32_t kErrorTimeout = 110;     // ETIMEDOUT
inline constexpr std::uint32_t kErrorGone = 19;         // ENODEV
inline constexpr std::uint32_t kErrorNoDevice = 2;      // ENOENT
#endif

// ASPI request status values.
inline constexpr std::uint8_t kAspiComplete = 0x01;  // SS_COMP
inline constexpr std::uint8_t kAspiError = 0x04;     // SS_ERR

class SimRoute final : public IRoute {
 public:
  enum class Style { PassThrough, Aspi };

  explicit SimRoute(Style style = Style::PassThrough) : style_(style) {}

  void SetStyle(Style style) { style_ = style; }
  Style GetStyle() const { return style_; }

  // Puts `drive` on the bus at `address`; the route does not own it.
  void Attach(const DriveAddress& address, SimDrive& drive);

  // Initialise answers `status` from now on; a non-empty `errorText` is shown
  // in an error box each time (like a missing ASPI library).
  void FailInitialisation(std::uint8_t status, std::string errorText = {});

  // Exclusive use of the drive at `address` is refused from now on with
  // `cause`, as when another program holds it; an empty cause grants it again.
  void RefuseExclusiveUse(const DriveAddress& address, std::string cause);

  // IRoute
  std::uint8_t Initialise() override;
  RouteDevice Open(const DriveAddress& address) override;
  RouteOutcome Execute(RouteDevice device, const DriveAddress& address,
                       const RouteCommand& command) override;
  void CloseDevice(RouteDevice device) override;
  bool Release(RouteDevice device, bool noDeviceOpen) override;
  // The pass-through style holds or refuses; ASPI knows no exclusive use.
  ExclusiveUse ClaimExclusive(RouteDevice device, const DriveAddress& address) override;

  // What happened on the bus.
  int Initialisations() const { return initialisations_; }
  int LibraryReleases() const { return libraryReleases_; }
  const std::vector<DriveAddress>& Opened() const { return opened_; }
  const std::vector<DriveAddress>& Closed() const { return closed_; }
  int OpenDevices() const { return static_cast<int>(opened_.size() - closed_.size()); }
  // Exclusive uses granted so far, and those not yet given back.
  int ExclusiveClaims() const { return exclusiveClaims_; }
  int ExclusiveHeld() const { return *exclusiveHeld_; }
  // The timeout of every command executed, in order.
  const std::vector<std::uint16_t>& Timeouts() const { return timeouts_; }

 private:
  struct Slot {
    DriveAddress address;
    SimDrive* drive;
  };
  SimDrive* DriveAt(RouteDevice device) const;

  Style style_;
  std::vector<Slot> slots_;
  std::uint8_t initialiseStatus_ = 0;
  std::string initialiseError_;
  bool libraryLoaded_ = false;
  int initialisations_ = 0;
  int libraryReleases_ = 0;
  std::vector<DriveAddress> opened_;
  std::vector<DriveAddress> closed_;
  std::vector<std::uint16_t> timeouts_;
  std::vector<std::pair<DriveAddress, std::string>> exclusiveRefusals_;
  int exclusiveClaims_ = 0;
  // Shared with the holds, which may outlive the route.
  std::shared_ptr<int> exclusiveHeld_ = std::make_shared<int>(0);
};

}  // namespace cdflash::sim
