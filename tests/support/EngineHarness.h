#pragma once
// The flash engine over simulated drives, without a window: a recording
// observer with scripted answers, the real drive list over the simulator,
// and a 16 KiB data buffer registered with the device layer as the window
// registers it.

#include <memory>
#include <vector>

#include "device/Cddrives.h"
#include "flash/FlashEngine.h"
#include "support/FakeControls.h"
#include "support/FlashModeHarness.h"
#include "support/RecordingObserver.h"

namespace cdflash::test {

// One simulated machine with the drives added before Start(); the engine
// works on the first one.
struct EngineHarness {
  explicit EngineHarness(TestPackage p = AcmePackage(), std::uint32_t platformId = kPlatformWin32Nt,
                         sim::SimRoute::Style style = sim::SimRoute::Style::PassThrough)
      : package(std::move(p)), bench(platformId, style) {}

  sim::SimDrive& AddDrive(const sim::DriveConfig& config = AcmeDrive()) {
    return bench.platform.AddDrive(config);
  }
  void Start() {
    drives = std::make_unique<CDDrives>();
    CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
    engine = std::make_unique<FlashEngine>(package.View(), observer, system);
    engine->SetDrive(drives->Current);
  }

  TestPackage package;
  sim::SimBench bench;
  RecordingObserver observer;
  FakeSystem system;
  std::vector<std::uint8_t> transfer = std::vector<std::uint8_t>(16384);
  std::unique_ptr<CDDrives> drives;  // destroyed after the engine that uses them
  std::unique_ptr<FlashEngine> engine;
};

}  // namespace cdflash::test
