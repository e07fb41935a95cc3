// cdflash on Linux: with arguments the terminal front end, else the window;
// as the packaged program it also starts a flasher as administrator for
// pkexec (see system/Elevation.h).

#include <cstdio>
#include <string>

#include "builder/FlasherImage.h"
#include "common/Files.h"
#include "package/PackageView.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"
#include "ui/cli/RunTerminal.h"
#include "ui/qt/FormBinding.h"
#include "ui/qt/RunApplication.h"

namespace {

// A flasher is the program's own kind: a file with a flasher package. Nothing
// else is started as administrator under the flasher's polkit action.
bool IsFlasher(const std::string& path) {
  constexpr std::size_t kLargestProgram = 256u << 20;
  const cdflash::FileBytes file = cdflash::ReadFileBytes(path, kLargestProgram);
  return file.status == cdflash::FileBytes::Status::Read &&
         cdflash::HoldsFlasherPackage(file.bytes, cdflash::PackageView::Embedded().KeyWord());
}

int StartAsAdministrator(int argc, char** argv) {
  const auto start = cdflash::ParseAdministratorStart({argv + 2, argv + argc});
  if (!start) {
    std::fprintf(stderr, "usage: %s %s [NAME=VALUE]... /path/to/flasher\n", argv[0],
                 cdflash::kStartAsAdministratorOption);
    return cdflash::cli::kExitUsage;
  }
  if (!IsFlasher(start->program)) {
    std::fprintf(stderr, "%s is not a flasher: only a flasher is started this way\n", start->program.c_str());
    return cdflash::cli::kExitUsage;
  }
  std::fprintf(stderr, "%s\n", cdflash::ExecAdministratorStart(*start).c_str());
  return cdflash::cli::kExitFailedBeforeWrite;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace cdflash;
  if (argc > 1 && std::string(argv[1]) == kStartAsAdministratorOption) {
    return StartAsAdministrator(argc, argv);
  }
  if (argc > 1) {
    cli::StdTerminal terminal;
    return cli::RunTerminal(argc, argv, {terminal, SystemServices(), PackageView::Embedded()});
  }
  return qtui::RunApplication(argc, argv, qtui::MakeEmbeddedFlashForm);
}
