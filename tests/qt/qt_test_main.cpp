// The Qt tests run in one QApplication, offscreen unless told otherwise.
// A hidden option renders the window of the embedded package to a PNG file
// instead (scripts/screenshot-qt.sh); the program itself has no options.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "WindowGrab.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  constexpr const char* kGrabOption = "--grab-window=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kGrabOption, std::strlen(kGrabOption)) == 0) {
      return cdflash::qtui::test::GrabWindow(argc, argv, argv[i] + std::strlen(kGrabOption));
    }
  }

  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
