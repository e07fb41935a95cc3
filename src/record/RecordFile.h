#pragma once
// Where the records of runs go, and writing one there. Every run leaves its
// record, however it ended; the 20 made last are kept. A record that cannot be
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
/// A `sequence` above 1 names a later run of the same second and drive:
/// "20240501-123456-sr0.2.json".
std::string RecordFileName(const RunRecord& record, unsigned sequence = 1);

/// Whether `name` is one RecordFileName gives: only those are ever removed.
bool IsRecordFileName(const std::string& name);

inline constexpr std::size_t kRecordsKept = 20;

struct RecordWriteResult {
  bool written = false;
  std::string path;     // where it went
  std::string problem;  // why it could not be written; empty when written
};

/// Why no record could be written to `place`, found by creating its folder
/// and a file there (removed again); empty when one can. Asked before a run
/// begins, so that a place that fails is told before anything is sent.
std::string RecordPlaceProblem(const RecordPlace& place);

/// Writes `record` to `place`. In a folder it is a new file, never written
/// over another record (a later run of the same second takes the next
/// sequence); then the oldest records there, in the order the runs were
/// made, are removed past the newest kRecordsKept, never the one just written.
RecordWriteResult WriteRunRecord(const RunRecord& record, const RecordPlace& place);

}  // namespace cdflash
