#pragma once
// A directory of its own for one ASPI layer (the simulator DLL or one of the
// broken test layers), put on the DLL search path so that the route's
// LoadLibraryA("WNASPI32.DLL") finds it there. The simulator's INI file is
// written beside the copy, and its request log read back from there.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RecordLayout.h"
#include "support/TempFolder.h"

namespace cdflash::winroutes {

// One line of the simulated layer's log, split into its words; for a
// request block, its bytes.
struct LogLine {
  std::string kind;  // EXEC, ABORT, SRB, DONE, HELD
  std::uint64_t address = 0;
  std::vector<std::uint8_t> bytes;  // EXEC, ABORT, SRB: the block as it arrived
  std::vector<std::string> words;   // DONE: status, key, ASC, ASCQ, how
};

class LayerDirectory {
 public:
  // `layer` names a folder under "layers" beside the test program ("sim",
  // "no-support", "no-send"), or is empty for a directory without a layer.
  explicit LayerDirectory(const std::string& layer, const std::string& ini = {});
  ~LayerDirectory();
  LayerDirectory(const LayerDirectory&) = delete;
  LayerDirectory& operator=(const LayerDirectory&) = delete;

  std::vector<LogLine> Log() const;
  std::vector<LogLine> Log(const std::string& kind) const;

 private:
  test::TempFolder folder_{"cdflash-aspi-layer"};
};

// Whether a module named WNASPI32.DLL is loaded in this process.
bool LayerLoaded();

// The simulator's own export that ends every pending request.
int ExpirePendingRequests();

// The number of drive roots, counted independently of the code under test.
std::size_t DriveRootCount();

}  // namespace cdflash::winroutes
