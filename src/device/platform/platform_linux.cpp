// Linux: the SG_IO route; the CD devices are the block devices sr0, sr1, ...
// listed in /sys/class/block (read directly: udev properties are missing in
// containers and minimal systems).

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "device/platform/Platform.h"
#include "device/routes/SrNames.h"
#include "device/routes/sgio_linux.h"

namespace cdflash {

namespace {

constexpr unsigned kCapSysRawio = 17;

// CAP_SYS_RAWIO in the effective set: what the kernel's command filter asks
// of WRITE BUFFER and vendor opcodes on a CD device.
bool HasRawIo() {
  if (::geteuid() == 0) return true;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("CapEff:", 0) != 0) continue;
    unsigned long long mask = 0;
    std::istringstream(line.substr(7)) >> std::hex >> mask;
    return (mask >> kCapSysRawio) & 1u;
  }
  return false;
}

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

  DriveAccess CheckAccess(const std::vector<DriveAddress>& leaveAlone) override {
    DriveAccess access;
    access.rawCommandsAllowed = HasRawIo();
    for (const DriveAddress& address : DriveAddresses(kPlatformLinux)) {
      ++access.listed;
      if (std::find(leaveAlone.begin(), leaveAlone.end(), address) != leaveAlone.end()) continue;
      const int fd = ::open(SrDevicePath(address.letter).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        ++access.openable;
        ::close(fd);
      }
    }
    return access;
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
