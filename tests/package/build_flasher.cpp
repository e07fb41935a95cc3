// Test helper: writes a flasher from TEMPLATE and BIN into OUTDIR with the
// program's builder, for a fixed sample model; prints the output's path.
//   build_flasher TEMPLATE BIN OUTDIR

#include <cstdio>
#include <string>

#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "package/PackageView.h"
#include "system/SystemServices.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: build_flasher TEMPLATE BIN OUTDIR\n");
    return 2;
  }
  using namespace cdflash;
  NullProgressObserver progress;
  FlasherBuilder builder(PackageView::Embedded().KeyWord(), SystemServices(), progress);
  const BuildRequest request{{"Quillon QR-4816", "QUILLON QR-4816A        ", "1.00-1.59", "Quillon Devices",
                              "four banks"},
                             FileNamePart(argv[2]), argv[2], argv[1], argv[3]};
  const BuildResult result = builder.Build(request);
  if (!result.ok) {
    std::fprintf(stderr, "build_flasher: %s\n", result.message.c_str());
    return 1;
  }
  std::printf("%s\n", result.outputPath.c_str());
  return 0;
}
