// Linux: the SG_IO route; the CD devices are the block devices sr0, sr1, ...
// listed in /sys/class/block (read directly: udev properties are missing in
// containers and minimal systems).

#include <dirent.h>

#include <algorithm>
#include <string>

#include "device/platform/Platform.h"
#include "device/routes/SrNames.h"
#include "device/routes/sgio_linux.h"

namespace cdflash {

namespace {

class LinuxPlatform final : public IPlatform {
 public:
  std::uint32_t PlatformId() override { return kPlatformLinux; }
  IRoute& RouteFor(std::uint32_t) override { return route_; }

  std::vector<DriveAddress> DriveAddresses(std::uint32_t) override {
    std::vector<unsigned> numbers;
    if (DIR* dir = ::opendir("/sys/class/block")) {
      while (const dirent* entry = ::readdir(dir)) {
        if (const auto number = SrNumberOfName(entry->d_name)) numbers.push_back(*number);
      }
      ::closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<DriveAddress> addresses;
    for (const unsigned number : numbers) {
      if (const auto letter = SrLetter(number)) addresses.push_back({*letter, 0, 0, 0});
    }
    return addresses;
  }

 private:
  SgIoRoute route_;
};

}  // namespace

IPlatform& SystemPlatform() {
  static LinuxPlatform platform;
  return platform;
}

}  // namespace cdflash
