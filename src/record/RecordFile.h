#pragma once
// Where the records of runs go, and writing one there. Every run leaves its
// record, however it ended; the newest 20 are kept. A record that cannot be
// written is told, never thrown: it must not change what the run came to.

#include <cstddef>
#include <string>
#include <vector>

#include "record/RunRecord.h"
#include "system/Environment.h"

namespace cdflash {

class ISystemServices;

struct RecordPlace {
  // When set (the terminal's --log FILE): the record goes exactly here,
  // and no other record is removed.
  std::string file;
  // Else into the first of these folders that can be written (created when
  // missing), under a name of its own (RecordFileName).
  std::vector<std::string> folders;
};

enum class RecordRules { Linux, Windows };

/// The folders for records. Linux: $XDG_STATE_HOME/cdflash when that is an
/// absolute path, else ~/.local/state/cdflash. Windows:
/// %LOCALAPPDATA%\cdflash, then the program's own folder. None where the
/// variables they come from are unset.
std::vector<std::string> RecordFolders(RecordRules rules, const EnvironmentReader& read,
                                       const std::string& programPath);

/// The place for this system's records, the environment and the program's
/// path read through `system`; `file`, when not empty, overrides it.
RecordPlace RecordPlaceFor(const ISystemServices& system, const std::string& file = {});

/// "20240501-123456-sr0.json": the run's start in UTC, then the drive's
/// name made safe for a file name (the last word of its device or address).
std::string RecordFileName(const RunRecord& record);

/// Whether `name` is one RecordFileName gives: only those are ever removed.
bool IsRecordFileName(const std::string& name);

inline constexpr std::size_t kRecordsKept = 20;

struct RecordWriteResult {
  bool written = false;
  std::string path;     // where it went
  std::string problem;  // why it could not be written; empty when written
};

/// Writes `record` to `place`; in a folder, then removes the oldest records
/// there (by name) past the newest kRecordsKept, never the one just written.
RecordWriteResult WriteRunRecord(const RunRecord& record, const RecordPlace& place);

}  // namespace cdflash
