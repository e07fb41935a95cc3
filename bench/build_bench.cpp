// Building a flasher against copying the same file: the builder's own cost
// over the file system's. The template is this program, as big as the
// release template or bigger (it carries the same package block).

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "common/Files.h"
#include "package/PackageView.h"
#include "system/SystemServices.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

void BenchBuild(int runs) {
  using namespace cdflash;
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "cdflash-build-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string templatePath = SystemServices().ProgramPath();
  const std::string bin = (dir / "1.60.BIN").string();
  OutputFile image(bin);
  std::vector<std::uint8_t> bytes(0x40000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
  image.Write(bytes.data(), bytes.size());
  image.Close();

  NullProgressObserver progress;
  FlasherBuilder builder(PackageView::Embedded().KeyWord(), SystemServices(), progress);
  double build = 0, copy = 0;
  bool ok = true;
  for (int i = 0; i < runs; ++i) {
    auto start = Clock::now();
    ok = ok && builder.Build({{"M", "I", "1.00-1.50", "V", "N"}, "1.60.BIN", bin, templatePath, dir.string()}).ok;
    build += std::chrono::duration<double>(Clock::now() - start).count();

    // A copy to a new file, as the build writes a new file and renames it.
    fs::remove(dir / "copy.EXE");
    start = Clock::now();
    const FileBytes whole = ReadFileBytes(templatePath, 256u << 20);
    OutputFile out((dir / "copy.EXE").string());
    out.Write(whole.bytes.data(), whole.bytes.size());
    ok = out.Close() && ok;
    copy += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const auto size = fs::file_size(templatePath);
  std::printf("build of a flasher from a %.2f MiB template: %.2f ms; plain copy: %.2f ms; ratio %.2fx (goal <= 1.5x)%s\n",
              static_cast<double>(size) / 1048576.0, 1000 * build / runs, 1000 * copy / runs, build / copy,
              ok ? "" : ", FAILED");
  fs::remove_all(dir);
}
