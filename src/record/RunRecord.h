#pragma once
// The record of one flash run: what the program was, what it carried, the
// drive before and after, every command with the drive's answer, and how
// the run ended. When a run fails, the user and whoever helps them read
// what the drive answered there; scripts that update many machines read
// the same as JSON.

#include <cstdint>
#include <string>
#include <vector>

#include "device/CommandLog.h"
#include "package/PackageView.h"

namespace cdflash {

// The package header's fields as the package shows them: each up to its
// first zero byte; and the digest the flasher was built with, in hex (empty
// when it has none).
struct PackageFields {
  std::string model, inquiry, fwRange, vendor, note, revision, digest;
};

PackageFields ReadPackageFields(const PackageView& package);

struct RunRecord {
  std::string programVersion;
  std::int64_t startedMs = 0;  // wall clock, ms since 1970-01-01 UTC
  std::int64_t endedMs = 0;
  std::string drive;  // the drive's device (/dev/sr0, \\.\D:), else its address
  PackageFields package;
  std::string identityBefore;
  std::string identityAfter;  // empty when the run did not read it again
  std::vector<CommandRecord> commands;
  std::string outcome;  // in words
  int exitCode = 0;     // as the terminal ends with it
  std::string failure;  // the message that told the user of a failure; empty without one
};

/// The whole record as one JSON object: byte fields as hex text, times in
/// UTC, one command per line.
std::string RunRecordJson(const RunRecord& record);

/// What a script needs at the end of a run, as one JSON object: the
/// outcome, the exit code, the drive before and after, and the path of the
/// record (empty when none was written).
std::string RunSummaryJson(const RunRecord& record, const std::string& recordPath);

}  // namespace cdflash
