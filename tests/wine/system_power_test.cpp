// The system's power state as the flasher asks for it: the call is made,
// and what it reads is what GetSystemPowerStatus says.

#include <gtest/gtest.h>
#include <windows.h>

#include "system/SystemServices.h"

namespace cdflash {
namespace {

TEST(SystemPower, IsReadFromGetSystemPowerStatus) {
  SYSTEM_POWER_STATUS status{};
  ASSERT_TRUE(GetSystemPowerStatus(&status));
  const PowerState expected =
      PowerStateFromWindowsStatus({status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent});
  EXPECT_EQ(SystemServices().CurrentPowerState(), expected);
  std::printf("power: line %u, battery flag %u, %u %%\n", status.ACLineStatus, status.BatteryFlag,
              status.BatteryLifePercent);
}

}  // namespace
}  // namespace cdflash
