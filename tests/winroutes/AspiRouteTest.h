#pragma once
// The fixture of the ASPI route tests: the real platform (the program runs
// as a Windows 9x one), the device layer's boxes recorded, one layer
// directory per test, and a clean transport afterwards: the layer released
// as the device layer releases it, by a construction that opens nothing and
// is destroyed with no device open.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "LayerDirectory.h"
#include "RecordingDialogs.h"
#include "device/Cddrive.h"
#include "device/ScsiCommands.h"
#include "support/ThinFace.h"

namespace cdflash::winroutes {

class AspiRouteTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Puts the simulator DLL with `ini` on the search path.
  LayerDirectory& UseSimulator(const std::string& ini);

  std::optional<LayerDirectory> layer;
  sim::RecordingDialogs dialogs;
};

using test::kDataIn, test::kDataOut, test::Send, test::TestUnitReady;
std::int32_t ReadBuffer(CDDrive& drive, std::uint32_t offset, std::int32_t length);
std::int32_t WriteBuffer(CDDrive& drive, std::uint32_t offset, std::int32_t length);

// One simulated drive section of the INI file.
std::string DriveSection(int index, int hostAdapter, int target, const std::string& vendor,
                         const std::string& product, const std::string& revision,
                         const std::string& extra = {});

}  // namespace cdflash::winroutes
