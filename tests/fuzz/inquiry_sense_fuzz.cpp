// The drive's identity and sense handling over any INQUIRY and sense bytes
// of any length, through the real CDDrive and a route that answers with the
// input: the identity keeps its layout, the vendor-product slice is 24
// characters, the revision 4, and the sense text its fixed form.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "device/Cddrive.h"
#include "device/CommandVerdict.h"
#include "device/platform/Platform.h"

namespace {

using namespace cdflash;

// Answers INQUIRY with the first part of the input (as many bytes as it
// has, the rest of the buffer untouched) and every command with the rest as
// its sense area.
class FuzzRoute final : public IRoute {
 public:
  std::vector<std::uint8_t> inquiry, sense;
  std::uint8_t status = 0;
  std::uint8_t Initialise() override { return 0; }
  RouteDevice Open(const DriveAddress&) override { return 1; }
  RouteOutcome Execute(RouteDevice, const DriveAddress&, const RouteCommand& command) override {
    RouteOutcome outcome;
    outcome.delivered = true;
    outcome.completionStatus = status;
    std::copy_n(sense.begin(), std::min(sense.size(), outcome.sense.size()), outcome.sense.begin());
    if (command.dataIn && command.buffer != nullptr && command.length > 0) {
      const std::size_t n = std::min<std::size_t>(inquiry.size(), static_cast<std::size_t>(command.length));
      if (n > 0) std::memcpy(command.buffer, inquiry.data(), n);
      outcome.residual = command.length - static_cast<std::int32_t>(n);
    }
    outcome.succeeded = CompletedCleanly(status, ReadSense(outcome.sense), command, outcome.residual);
    outcome.result = 1;
    return outcome;
  }
  void CloseDevice(RouteDevice) override {}
  bool Release(RouteDevice device, bool) override { return device != kNoDevice; }
};

class FuzzPlatform final : public IPlatform {
 public:
  FuzzRoute route;
  std::uint32_t PlatformId() override { return kPlatformLinux; }
  IRoute& RouteFor(std::uint32_t) override { return route; }
  std::vector<DriveAddress> DriveAddresses(std::uint32_t) override { return {{'0', 1, 2, 3}}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzPlatform platform;
  static const bool installed = (SetPlatformForTesting(&platform), true);
  (void)installed;
  // Byte 0 chooses the status and where the INQUIRY answer ends; the bytes
  // after it are the answer, then the sense area.
  if (size == 0) return 0;
  const std::uint8_t* body = data + 1;
  const std::size_t length = size - 1;
  const std::size_t split = data[0] % (length + 1);
  platform.route.inquiry.assign(body, body + split);
  platform.route.sense.assign(body + split, body + length);
  platform.route.status = (data[0] & 0x80) != 0 ? 0x02 : 0x00;

  CDDrive drive('0', 1, 2, 3);
  if (CDDrive::OpenStatus() == 0) {
    const std::string identity = drive.IdentityText();
    FUZZ_CHECK(identity.size() == 9 + 28);
    FUZZ_CHECK(identity.compare(0, 9, "1-2-3 0: ") == 0);
  } else {
    FUZZ_CHECK(drive.IdentityText() == "0");
  }
  FUZZ_CHECK(drive.VendorProduct().size() == 24 || drive.VendorProduct().empty());
  FUZZ_CHECK(drive.Revision().size() == 4 || drive.Revision().empty());
  drive.ExecCommand(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0);
  FUZZ_CHECK(drive.Last().SenseText().size() == std::strlen("00 00 00. 00, 0000"));
  std::array<std::uint8_t, kSenseAreaLength> area{};
  std::copy_n(platform.route.sense.begin(), std::min(platform.route.sense.size(), area.size()), area.begin());
  const SenseTriple triple = ReadSense(area);
  FUZZ_CHECK(drive.Last().SenseIs(triple.key, triple.asc, triple.ascq));
  return 0;
}
