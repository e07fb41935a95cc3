// The demo's drives file over any bytes: at most 24 drives, each field within
// what INQUIRY holds, and every skipped line reported.

#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "demo/DemoDrives.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cdflash;
  const demo::DemoDrives parsed = demo::ParseDrives(std::string_view(reinterpret_cast<const char*>(data), size));
  FUZZ_CHECK(parsed.drives.size() <= demo::kMaxDemoDrives);
  for (const sim::DriveConfig& d : parsed.drives) {
    FUZZ_CHECK(d.vendor.size() <= 8 && d.product.size() <= 16 && d.revision.size() <= 4);
  }
  return 0;
}
