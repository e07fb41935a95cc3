// Where the records of runs go and how they are kept: the folder by the
// system's rules, a name by date, time and drive, the newest 20 kept, an
// explicit file written exactly, and a place that cannot be written told as
// a problem rather than thrown.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "record/RecordFile.h"
#include "support/Json.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

constexpr std::int64_t kMay1st2024 = 1714566896000;  // 2024-05-01 12:34:56 UTC

RunRecord RecordAt(std::int64_t startedMs, const std::string& drive = "/dev/sr0") {
  RunRecord record;
  record.startedMs = startedMs;
  record.endedMs = startedMs + 1000;
  record.drive = drive;
  record.outcome = "failed before anything was written";
  record.exitCode = 2;
  return record;
}

std::size_t FileCount(const std::string& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(RecordFolders, FollowEachSystemsRules) {
  struct Row {
    const char* what;
    RecordRules rules;
    std::map<std::string, std::string> environment;
    std::string program;
    std::vector<std::string> folders;
  };
  const Row rows[] = {
      {"state home set", RecordRules::Linux, {{"XDG_STATE_HOME", "/var/st"}, {"HOME", "/home/u"}}, "/opt/x",
       {"/var/st/cdflash"}},
      {"state home unset", RecordRules::Linux, {{"HOME", "/home/u"}}, "/opt/x", {"/home/u/.local/state/cdflash"}},
      {"relative state home is ignored", RecordRules::Linux, {{"XDG_STATE_HOME", "st"}, {"HOME", "/root"}}, "",
       {"/root/.local/state/cdflash"}},
      {"no home at all", RecordRules::Linux, {}, "/opt/x", {}},
      {"local application data, then the program's folder", RecordRules::Windows,
       {{"LOCALAPPDATA", "C:\\Users\\me\\AppData\\Local"}}, "D:\\tools\\1.60.EXE",
       {"C:\\Users\\me\\AppData\\Local\\cdflash", "D:\\tools"}},
      {"Windows without local application data (XP)", RecordRules::Windows, {}, "D:\\tools\\1.60.EXE",
       {"D:\\tools"}},
  };
  for (const Row& row : rows) {
    const auto read = [&row](const std::string& name) {
      return row.environment.count(name) ? row.environment.at(name) : "";
    };
    EXPECT_EQ(RecordFolders(row.rules, read, row.program), row.folders) << row.what;
  }
}

TEST(RecordFileName, NamesTheRunsTimeAndDriveSafelyAndOnlyThoseNamesCountAsRecords) {
  struct Row {
    std::string drive;
    std::string name;
  };
  const Row rows[] = {
      {"/dev/sr0", "20240501-123456-sr0.json"},
      {"\\\\.\\D:", "20240501-123456-D.json"},
      {"0-0-0", "20240501-123456-0-0-0.json"},
      {"1-0-0 E", "20240501-123456-E.json"},
      {"", "20240501-123456-drive.json"},
      {"/../..", "20240501-123456-drive.json"},
      {"\xE9t\xE9/sr1 ", "20240501-123456-sr1.json"},
  };
  for (const Row& row : rows) {
    const std::string name = RecordFileName(RecordAt(kMay1st2024, row.drive));
    EXPECT_EQ(name, row.name) << row.drive;
    EXPECT_TRUE(IsRecordFileName(name)) << name;
  }
  EXPECT_EQ(RecordFileName(RecordAt(kMay1st2024, std::string(100, 'x'))).size(),
            RecordFileName(RecordAt(kMay1st2024, std::string(1000, 'x'))).size())
      << "a long drive name is cut";
  EXPECT_TRUE(IsRecordFileName(RecordFileName(RecordAt(kMay1st2024), 12)));
  for (const char* name : {"notes.txt", "20240501-123456-sr0.txt", "20240501-123456.json", "2024051-123456-sr0.json",
                           "20240501_123456-sr0.json", "20240501-123456-s r0.json", "cdflash.INI",
                           "20240501-123456-sr0..json", "20240501-123456-sr0.02.json", "20240501-123456-.2.json",
                           "20240501-123456-sr0.2.2.json", "20240501-123456-sr0.x.json"}) {
    EXPECT_FALSE(IsRecordFileName(name)) << name;
  }
}

// The record goes to the first folder that takes it, made where missing,
// and reads back.
TEST(WriteRunRecord, TheFirstFolderThatCanTakeItGetsARecordThatReadsBack) {
  TempFolder temp;
  Touch(temp / "a-file");  // a file where a folder would have to be
  const std::string deeper = temp / "state/deeper/cdflash", fallback = temp / "program";
  const struct {
    const char* what;
    std::vector<std::string> folders;
    std::string written;
  } rows[] = {
      {"missing folders made", {deeper, fallback}, deeper},
      {"the next folder when the first cannot", {temp / "a-file/cdflash", fallback}, fallback},
  };
  for (const auto& row : rows) {
    const RecordWriteResult result = WriteRunRecord(RecordAt(kMay1st2024), {{}, row.folders});
    ASSERT_TRUE(result.written) << row.what << ": " << result.problem;
    EXPECT_TRUE(result.problem.empty()) << row.what;
    EXPECT_EQ(fs::path(result.path).parent_path(), fs::path(row.written)) << row.what;
    EXPECT_EQ(test::ParseJson(test::ReadText(result.path))->at("exitCode"), 2) << row.what;
  }
}

// Runs of the same second never write over each other's record; the
// newest are kept in the order the runs were made, past nine of a second
// too; files that are not records are left alone.
TEST(WriteRunRecord, RunsOfOneSecondEachKeepARecordAndTheLastMadeAreKept) {
  struct Row {
    int runs;
    int firstKept;  // the run whose record is the oldest kept
  };
  for (const Row row : {Row{3, 0}, Row{25, 5}}) {
    TempFolder temp;
    Touch(temp / "notes.txt");
    Touch(temp / "20000101-000000-sr0.txt");
    std::vector<std::string> paths;
    for (int run = 0; run < row.runs; ++run) {
      RunRecord record = RecordAt(kMay1st2024);
      record.exitCode = run;  // tells the runs apart
      const RecordWriteResult result = WriteRunRecord(record, {{}, {temp.Path()}});
      ASSERT_TRUE(result.written) << result.problem;
      paths.push_back(result.path);
    }
    EXPECT_EQ(FileCount(temp.Path()), std::min<std::size_t>(row.runs, kRecordsKept) + 2) << row.runs;
    for (int run = 0; run < row.runs; ++run) {
      const bool kept = run >= row.firstKept;
      ASSERT_EQ(fs::exists(paths[static_cast<std::size_t>(run)]), kept) << "run " << run << " of " << row.runs;
      if (kept) {
        EXPECT_EQ(test::ParseJson(test::ReadText(paths[static_cast<std::size_t>(run)]))->at("exitCode"), run);
      }
    }
  }
}

TEST(WriteRunRecord, ARecordFromAClockSetBackIsKeptThoughItSortsFirst) {
  TempFolder temp;
  for (int run = 0; run < static_cast<int>(kRecordsKept); ++run) {
    ASSERT_TRUE(WriteRunRecord(RecordAt(kMay1st2024 + run * 1000), {{}, {temp.Path()}}).written);
  }
  const RecordWriteResult older = WriteRunRecord(RecordAt(kMay1st2024 - 86400000), {{}, {temp.Path()}});
  ASSERT_TRUE(older.written);
  EXPECT_TRUE(fs::exists(older.path));
}

TEST(WriteRunRecord, AnExplicitFileIsWrittenExactlyThereAndRemovesNothing) {
  TempFolder temp;
  for (int run = 0; run < static_cast<int>(kRecordsKept) + 3; ++run) {
    Touch(temp / RecordFileName(RecordAt(kMay1st2024 + run * 1000)));
  }
  const std::string file = temp / "my run.log";
  const RecordWriteResult result = WriteRunRecord(RecordAt(kMay1st2024), {file, {temp.Path()}});
  ASSERT_TRUE(result.written) << result.problem;
  EXPECT_EQ(result.path, file);
  EXPECT_TRUE(test::ParseJson(test::ReadText(file)).has_value());
  EXPECT_EQ(FileCount(temp.Path()), kRecordsKept + 4);
}

TEST(WriteRunRecord, APlaceThatCannotBeWrittenIsAProblemNotAThrow) {
  TempFolder temp;
  Touch(temp / "a-file");  // a file where a folder would have to be: even root cannot write there
  const std::string blocked = temp / "a-file/cdflash";
  struct Row {
    const char* what;
    RecordPlace place;
    std::string mentioned;  // the problem names what could not be written
  };
  const Row rows[] = {
      {"folder below a file", {{}, {blocked}}, blocked},
      {"explicit file in a missing folder", {temp / "missing/run.json", {}}, temp / "missing/run.json"},
      {"explicit file that is a folder", {temp.Path(), {}}, temp.Path()},
      {"no folder known", {{}, {}}, ""},
  };
  for (const Row& row : rows) {
    RecordWriteResult result;
    EXPECT_NO_THROW(result = WriteRunRecord(RecordAt(kMay1st2024), row.place)) << row.what;
    EXPECT_FALSE(result.written) << row.what;
    EXPECT_FALSE(result.problem.empty()) << row.what;
    EXPECT_NE(result.problem.find(row.mentioned), std::string::npos) << row.what << ": " << result.problem;
    // Found before a run as well, the same way.
    EXPECT_EQ(RecordPlaceProblem(row.place), result.problem) << row.what;
  }
}

// A place that takes records is found so before the run, and the finding
// leaves nothing there; a --log file that exists is left as it was.
TEST(RecordPlaceProblem, NoneWhereARecordCanBeWrittenAndNothingLeftBehind) {
  TempFolder temp;
  Touch(temp / "kept.json");
  const std::string folder = temp / "state/cdflash";
  const RecordPlace places[] = {{{}, {folder}}, {temp / "new.json", {}}, {temp / "kept.json", {}}};
  for (const RecordPlace& place : places) {
    EXPECT_EQ(RecordPlaceProblem(place), "") << place.file;
  }
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_FALSE(fs::exists(temp / "new.json"));
  EXPECT_EQ(test::ReadText(temp / "kept.json"), "x");
}

}  // namespace
}  // namespace cdflash
