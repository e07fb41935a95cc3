// Entry point of cdflash.exe. Without arguments it runs the window and
// returns 0. With arguments it is the terminal front end: it writes to the
// console it was started from (or wherever its output is redirected) and
// returns the terminal front end's exit code.

#include <windows.h>

#include <cstdlib>

#include "package/PackageView.h"
#include "system/SystemServices.h"
#include "ui/cli/RunTerminal.h"
#include "ui/win32/Application.h"
#include "ui/win32/ParentConsole.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace cdflash;
  // The C runtime splits the command line in the ANSI code page: the
  // arguments stay single-byte texts, like every text of the program.
  if (__argc > 1) {
    win32::UseParentConsole();
    cli::StdTerminal terminal;
    return cli::RunTerminal(__argc, __argv, {terminal, SystemServices(), PackageView::Embedded()});
  }
  return win32::RunApplication();
}
