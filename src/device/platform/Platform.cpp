#include "device/platform/Platform.h"

namespace cdflash {

namespace {
IPlatform* testPlatform = nullptr;
}  // namespace

IPlatform& CurrentPlatform() { return testPlatform != nullptr ? *testPlatform : SystemPlatform(); }

IPlatform* SetPlatformForTesting(IPlatform* platform) {
  IPlatform* previous = testPlatform;
  testPlatform = platform;
  return previous;
}

}  // namespace cdflash
