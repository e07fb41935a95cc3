#pragma once
// The flash engine on one of the guest's real drives, without a window: a
// test package, a recording observer with scripted answers and the fake
// system services (time passes only in the engine's pauses).

#include <string>
#include <utility>

#include "flash/FlashEngine.h"
#include "support/FakeSystem.h"
#include "support/RecordingObserver.h"
#include "support/TestPackage.h"

namespace cdflash::kernelcheck {

struct EngineOnDrive {
  explicit EngineOnDrive(CDDrive& drive, test::TestPackage p = {})
      : package(std::move(p)), engine(package.View(), observer, system) {
    engine.SetDrive(&drive);
  }

  test::TestPackage package;
  test::RecordingObserver observer;
  test::FakeSystem system;
  FlashEngine engine;
};

}  // namespace cdflash::kernelcheck
