// cdflash-demo: the real Qt front end over simulated drives, so that flash
// mode can be tried without hardware. It reads its own embedded package like
// cdflash (a template opens in build mode; make a flasher from it with
// make_test_flasher) and takes its drives from cdflash-demo.drives next to
// the program. Never part of a release.

#include <cstdio>
#include <string>

#include "SimPlatform.h"
#include "demo/DemoDrives.h"
#include "demo/DemoSystem.h"
#include "demo/PacedPlatform.h"
#include "device/platform/Platform.h"
#include "ui/qt/FormBinding.h"
#include "ui/cli/RunTerminal.h"
#include "ui/qt/RunApplication.h"

int main(int argc, char** argv) {
  using namespace cdflash;

  demo::DemoSystem system;
  std::string directory = system.ProgramPath();
  directory = directory.substr(0, directory.find_last_of('/'));
  const demo::DemoDrives found = demo::LoadDrives(directory);
  for (const std::string& problem : found.problems) {
    std::fprintf(stderr, "cdflash-demo: %s\n", problem.c_str());
  }
  // Where the drives came from matters to a run, not to the usage or the version.
  const std::string first = argc > 1 ? argv[1] : "";
  if (first != "--help" && first != "-h" && first != "--version") {
    std::fprintf(stderr, "cdflash-demo: %zu simulated drive(s) from %s\n", found.drives.size(),
                 found.source.c_str());
  }

  sim::SimPlatform machine(kPlatformLinux);
  for (const sim::DriveConfig& drive : found.drives) machine.AddDrive(drive);
  // At a real drive's pace, unless CDFLASH_DEMO_PACE=instant (the tests').
  demo::PacedPlatform paced(machine);
  const bool instant = system.EnvironmentVariable("CDFLASH_DEMO_PACE") == "instant";
  // The window and its drive list are gone before the platform is put back.
  const sim::ScopedPlatform simulated(instant ? static_cast<IPlatform&>(machine) : paced);

  if (argc > 1) {  // the terminal front end over the same drives
    cli::StdTerminal terminal;
    return cli::RunTerminal(argc, argv, {terminal, system, PackageView::Embedded()});
  }
  return qtui::RunApplication(argc, argv, qtui::MakeEmbeddedFlashForm, &system);
}
