// Building a flasher against copying the same file: the builder's own cost
// over the file system's. The template is any program of ours (each carries
// the same package block): make bench gives the stripped Linux program.
//
// Both sides write a file that does not exist yet: each one's output of the
// round before is removed before its clock starts. Rebuilding over a flasher
// is timed apart, after them. By then the old flasher has reached the disk,
// and replacing it is mostly the file system's work: ext4 starts writing the
// new file out before the rename (so a crash cannot leave an empty one) and,
// without a journal and mounted with discard, waits for the disk to drop the
// old file's blocks. That work would also slow whichever side ran next, so it
// stays out of the main rounds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "common/Files.h"
#include "package/PackageView.h"
#include "system/SystemServices.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs `job` once; its time in seconds goes to `times` unless this is the
// warm-up round, and a failure clears `ok`.
template <typename Job>
void Time(Job&& job, bool counted, std::vector<double>& times, bool& ok) {
  const auto start = Clock::now();
  ok = job() && ok;
  if (counted) times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
}

// The middle figure: one run disturbed by the rest of the machine moves it
// less than it moves a mean.
double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const std::size_t n = times.size();
  return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

}  // namespace

void BenchBuild(int runs, const std::string& templatePath) {
  using namespace cdflash;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "cdflash-build-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string bin = (dir / "1.60.BIN").string();
  OutputFile image(bin);
  std::vector<std::uint8_t> bytes(0x40000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
  image.Write(bytes.data(), bytes.size());
  image.Close();

  NullProgressObserver progress;
  FlasherBuilder builder(PackageView::Embedded().KeyWord(), SystemServices(), progress);
  const fs::path flasher = dir / "1.60.EXE";
  const fs::path copyPath = dir / "copy.EXE";
  const auto buildOnce = [&] {
    return builder.Build({{"M", "I", "1.00-1.50", "V", "N"}, "1.60.BIN", bin, templatePath, dir.string()}).ok;
  };
  const auto copyOnce = [&] {
    const FileBytes whole = ReadFileBytes(templatePath, 256u << 20);
    OutputFile out(copyPath.string());
    out.Write(whole.bytes.data(), whole.bytes.size());
    return whole.status == FileBytes::Status::Read && out.Close();
  };

  std::vector<double> builds, copies, rebuilds;
  bool ok = true;
  // Round 0 brings the template and the BIN into the cache and is not counted.
  for (int round = 0; round <= runs; ++round) {
    fs::remove(flasher);
    Time(buildOnce, round > 0, builds, ok);
    fs::remove(copyPath);
    Time(copyOnce, round > 0, copies, ok);
  }
  for (int round = 0; round <= runs; ++round) Time(buildOnce, round > 0, rebuilds, ok);
  const double build = Median(builds), copy = Median(copies), rebuild = Median(rebuilds);
  const auto size = fs::file_size(templatePath);
  std::printf("build of a flasher from a %.2f MiB template: %.2f ms; plain copy: %.2f ms; ratio %.2fx (goal <= 1.5x)%s\n",
              static_cast<double>(size) / 1048576.0, 1000 * build, 1000 * copy, build / copy, ok ? "" : ", FAILED");
  std::printf("rebuild over the flasher of the run before: %.2f ms (%.2fx the copy; medians of %d runs)\n",
              1000 * rebuild, rebuild / copy, runs);
  fs::remove_all(dir);
}
