#include "device/platform/Platform.h"

#include "device/Cddrive.h"

namespace cdflash {

namespace {
IPlatform* testPlatform = nullptr;
}  // namespace

IPlatform& CurrentPlatform() { return testPlatform != nullptr ? *testPlatform : SystemPlatform(); }

IPlatform* SetPlatformForTesting(IPlatform* platform) {
  IPlatform* previous = testPlatform;
  testPlatform = platform;
  ForgetUnansweredCommits();
  return previous;
}

}  // namespace cdflash
