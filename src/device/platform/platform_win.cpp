// Windows: the platform test of GetVersionExA picks the route. The NT family
// reaches its CD-ROM drives by pass-through through their letters; the other
// platforms go through the ASPI layer and probe numbered addresses.

#include <windows.h>

#include "device/platform/Platform.h"
#include "device/platform/drive_roots_win.h"
#include "device/routes/aspi_win.h"
#include "device/routes/passthrough_win.h"

namespace cdflash {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148);

class WindowsPlatform final : public IPlatform {
 public:
  std::uint32_t PlatformId() override {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) ? info.dwPlatformId : 0;
  }

  IRoute& RouteFor(std::uint32_t platformId) override {
    if (platformId == kPlatformWin32Nt) return passThrough_;
    return aspi_;
  }

  std::vector<DriveAddress> DriveAddresses(std::uint32_t platformId) override {
    const std::vector<std::string> roots = LogicalDriveRoots();
    if (platformId == kPlatformWin32Nt) {
      return CdRomAddresses(roots, [](const std::string& root) { return ::GetDriveTypeA(root.c_str()); });
    }
    return AspiProbeAddresses(roots.size());
  }

 private:
  PassThroughRoute passThrough_;
  AspiRoute aspi_;
};

}  // namespace

IPlatform& SystemPlatform() {
  static WindowsPlatform platform;
  return platform;
}

}  // namespace cdflash
