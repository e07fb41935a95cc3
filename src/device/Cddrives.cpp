#include "device/Cddrives.h"

#include <memory>

#include "device/platform/Platform.h"

namespace cdflash {

CDDrives::CDDrives(const LeaveAlone& leaveAlone) {
  IPlatform& platform = CurrentPlatform();
  for (const DriveAddress& address : platform.DriveAddresses(platform.PlatformId())) {
    if (count_ >= kMaxDrives) break;  // the list holds 24; further devices are left out
    if (leaveAlone && leaveAlone(address)) continue;
    auto drive = std::make_unique<CDDrive>(address.letter, address.hostAdapter, address.target,
                                           address.lun);
    if (CDDrive::OpenStatus() != 0) continue;  // not listed; destroyed here
    slots_[static_cast<std::size_t>(selected_)] = drive.release();
    ++selected_;
    ++count_;
  }
  if (count_ > 0) Select(0);
}

CDDrives::~CDDrives() {
  for (int i = count_; i-- > 0;) {
    delete slots_[static_cast<std::size_t>(i)];
    slots_[static_cast<std::size_t>(i)] = nullptr;
  }
  Current = nullptr;
}

bool CDDrives::Select(std::int16_t index) {
  if (index < 0 || index >= count_) return false;
  selected_ = index;
  Current = slots_[static_cast<std::size_t>(index)];
  return true;
}

}  // namespace cdflash
