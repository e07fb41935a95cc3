#include "device/Cddrives.h"

namespace cdflash {

CDDrives::CDDrives() {}

CDDrives::~CDDrives() {
  for (int i = count_; i-- > 0;) delete slots_[static_cast<std::size_t>(i)];
}

bool CDDrives::Select(std::int16_t index) {
  if (index < 0 || index >= count_) return false;
  selected_ = index;
  Current = slots_[static_cast<std::size_t>(index)];
  return true;
}

}  // namespace cdflash
