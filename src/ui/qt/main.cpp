// The flasher's entry point. It takes nothing from the command line; Qt only
// needs argc and argv to start.

#include "ui/qt/RunApplication.h"

int main(int argc, char** argv) {
  return cdflash::qtui::RunApplication(argc, argv, cdflash::qtui::MakeEmbeddedFlashForm);
}
