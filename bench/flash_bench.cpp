// Prints how long the program's own work takes around the drive: a whole
// flash of a simulated drive (four and five banks), and the build of a
// flasher from a template against a plain copy of the same file. The
// simulated drive answers at once, so the figures are the flasher's
// overhead, not a drive's speed.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/FlashModeHarness.h"
#include "system/SystemServices.h"

namespace {

using Clock = std::chrono::steady_clock;
using cdflash::Answer;
using cdflash::test::FlashModeHarness;
using cdflash::test::TestPackage;

TestPackage Image(bool fiveBank) {
  TestPackage p = cdflash::test::AcmePackage();
  for (std::size_t i = 0; i < cdflash::kSlotSize; ++i) p.SetSlotByte(i, static_cast<std::uint8_t>(i * 7));
  p.SetSlot(cdflash::sim::kRevisionOffset, "1.60");
  if (fiveBank) {
    p.SetSlotByte(0x4000, 0).SetSlotByte(0x1100, 0x05).SetSlotByte(0x1101, 0x80);
  } else {
    p.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
  }
  return p;
}

void BenchFlash(bool fiveBank, int runs) {
  double total = 0;
  std::size_t commands = 0;
  bool ok = true;
  for (int i = 0; i < runs; ++i) {
    FlashModeHarness h(Image(fiveBank));
    auto& drive = h.bench.platform.AddDrive(cdflash::test::AcmeDrive("1.20"));
    h.Create();
    const std::size_t before = drive.CommandCount();
    h.ui->dialogs.answers = {Answer::Yes, Answer::No};
    const auto start = Clock::now();
    h.ui->form.FlashButtonClick();
    total += std::chrono::duration<double>(Clock::now() - start).count();
    commands = drive.CommandCount() - before;
    ok = ok && h.ui->groupBox.caption == "Flash Completed." && !drive.Bricked();
  }
  const double bytes = 2.0 * (fiveBank ? 0x50000 : 0x40000);  // written and read back
  std::printf("flash, %s image: %zu commands, %.2f ms a run (%.0f MB/s moved), %s\n",
              fiveBank ? "five-bank" : "four-bank", commands, 1000 * total / runs,
              bytes * runs / total / 1e6, ok ? "completed" : "FAILED");
}

}  // namespace

void BenchBuild(int runs, const std::string& templatePath);

// flash_bench [TEMPLATE]: the build figures use TEMPLATE (make bench gives
// the stripped Linux program, the size of the released one), else this program.
int main(int argc, char** argv) {
  BenchFlash(false, 20);
  BenchFlash(true, 20);
  BenchBuild(20, argc > 1 ? argv[1] : cdflash::SystemServices().ProgramPath());
  return 0;
}
