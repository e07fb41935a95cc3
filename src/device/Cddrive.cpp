#include "device/Cddrive.h"

namespace cdflash {

CDDrive::CDDrive(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun)
    : letter_(letter), hostAdapter_(hostAdapter), target_(target), lun_(lun) {}
CDDrive::~CDDrive() = default;

}  // namespace cdflash
