// cdflash on Linux: with arguments the terminal front end, else the window.

#include "package/PackageView.h"
#include "system/SystemServices.h"
#include "ui/cli/RunTerminal.h"
#include "ui/qt/RunApplication.h"

int main(int argc, char** argv) {
  using namespace cdflash;
  if (argc > 1) {
    cli::StdTerminal terminal;
    return cli::RunTerminal(argc, argv, {terminal, SystemServices(), PackageView::Embedded()});
  }
  return qtui::RunApplication(argc, argv, qtui::MakeEmbeddedFlashForm);
}
