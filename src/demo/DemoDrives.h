#pragma once
// The drives cdflash-demo simulates: read from a small text file next to the
// program, one drive a line as "vendor|product|revision", or three built-in
// drives when there is no such file.

#include <string>
#include <string_view>
#include <vector>

#include "SimDrive.h"

namespace cdflash::demo {

inline constexpr const char* kDrivesFileName = "cdflash-demo.drives";

// The device layer lists at most this many drives; further lines are left out.
inline constexpr std::size_t kMaxDemoDrives = 24;

struct DemoDrives {
  std::vector<sim::DriveConfig> drives;
  std::vector<std::string> problems;  // one line each, for the console
  std::string source;                 // where the drives came from
};

// Two ACME CRW-4012A drives inside the range 1.00-1.50 (the package that
// make_test_flasher writes by default) around one drive of another model.
std::vector<sim::DriveConfig> BuiltInDrives();

// One drive per "vendor|product|revision" line. Blank lines and lines that
// start with '#' are skipped; blanks around each field are dropped. A line
// with another number of fields, or a field longer than INQUIRY holds (8, 16
// and 4 characters), is reported and skipped.
DemoDrives ParseDrives(std::string_view text);

// The drives of `directory`/cdflash-demo.drives; the built-in ones when the
// file does not exist or cannot be read (the latter is reported).
DemoDrives LoadDrives(const std::string& directory);

}  // namespace cdflash::demo
