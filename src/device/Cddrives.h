#pragma once
// CDDrives: the CD devices of the machine, found once at construction, each
// held as an open CDDrive. At most 24. Devices the caller says to leave alone
// are neither opened nor sent anything.

#include <array>
#include <cstdint>
#include <functional>

#include "device/Cddrive.h"

namespace cdflash {

class CDDrives {
 public:
  static constexpr int kMaxDrives = 24;

  // Whether discovery must not touch the device at an address.
  using LeaveAlone = std::function<bool(const DriveAddress&)>;

  // Discovers the devices, but those `leaveAlone` names, and selects the
  // first one, if any.
  explicit CDDrives(const LeaveAlone& leaveAlone = {});
  ~CDDrives();  // destroys the devices, last found first
  CDDrives(const CDDrives&) = delete;
  CDDrives& operator=(const CDDrives&) = delete;

  std::uint8_t Count() const { return count_; }
  // In range: selects and returns true; otherwise changes nothing, false.
  bool Select(std::int16_t index);

  CDDrive* Current = nullptr;

 private:
  std::uint8_t count_ = 0;
  std::int32_t selected_ = 0;
  std::array<CDDrive*, kMaxDrives> slots_{};
};

}  // namespace cdflash
