#include "record/RecordFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/Files.h"
#include "record/UtcTime.h"
#include "system/SystemServices.h"

namespace cdflash {

namespace {

constexpr const char* kFolderName = "cdflash";
constexpr std::size_t kDriveNameLimit = 32;
constexpr const char* kExtension = ".json";
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

std::string FolderOf(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

// The whole text, or false when a byte did not reach the file; a file cut
// short is removed rather than left looking like a record.
bool WriteWholeFile(const std::string& path, const std::string& text, std::string& problem) {
  OutputFile out(path);
  if (!out.IsOpen()) {
    problem = path + " could not be created";
    return false;
  }
  out.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  if (!out.Close()) {
    std::remove(path.c_str());
    problem = path + " could not be written whole";
    return false;
  }
  return true;
}

void RemoveOldRecords(const std::string& folder, const std::string& kept) {
  std::vector<std::string> records;
  for (std::string& name : SystemServices().ListFiles(folder)) {
    if (IsRecordFileName(name)) records.push_back(std::move(name));
  }
  if (records.size() <= kRecordsKept) return;
  std::sort(records.begin(), records.end());
  for (std::size_t i = 0; i + kRecordsKept < records.size(); ++i) {
    if (records[i] != kept) std::remove((folder + kSeparator + records[i]).c_str());
  }
}

}  // namespace

std::vector<std::string> RecordFolders(RecordRules rules, const EnvironmentReader& read,
                                       const std::string& programPath) {
  std::vector<std::string> folders;
  if (rules == RecordRules::Windows) {
    if (const std::string local = read("LOCALAPPDATA"); !local.empty()) {
      folders.push_back(local + "\\" + kFolderName);
    }
    if (const std::string program = FolderOf(programPath); !program.empty()) folders.push_back(program);
    return folders;
  }
  // A relative XDG_STATE_HOME is to be ignored.
  if (const std::string state = read("XDG_STATE_HOME"); !state.empty() && state.front() == '/') {
    folders.push_back(state + "/" + kFolderName);
  } else if (const std::string home = read("HOME"); !home.empty()) {
    folders.push_back(home + "/.local/state/" + kFolderName);
  }
  return folders;
}

RecordPlace RecordPlaceFor(const ISystemServices& system, const std::string& file) {
#ifdef _WIN32
  constexpr RecordRules kRules = RecordRules::Windows;
#else
  constexpr RecordRules kRules = RecordRules::Linux;
#endif
  RecordPlace place;
  place.file = file;
  place.folders = RecordFolders(
      kRules, [&system](const std::string& name) { return system.EnvironmentVariable(name); },
      system.ProgramPath());
  return place;
}

std::string RecordFileName(const RunRecord& record) {
  // The last word of "/dev/sr0", "\\.\D:" or "0-0-0".
  const std::string& drive = record.drive;
  std::size_t end = drive.size();
  while (end > 0 && !IsNameCharacter(drive[end - 1])) --end;
  std::size_t begin = end;
  while (begin > 0 && IsNameCharacter(drive[begin - 1])) --begin;
  std::string name = drive.substr(begin, std::min(end - begin, kDriveNameLimit));
  if (name.empty()) name = "drive";
  return CompactUtcTime(record.startedMs) + "-" + name + kExtension;
}

bool IsRecordFileName(const std::string& name) {
  constexpr std::size_t kStamp = 15;  // YYYYMMDD-HHMMSS
  const std::size_t extension = std::char_traits<char>::length(kExtension);
  if (name.size() < kStamp + 2 + extension || name.compare(name.size() - extension, extension, kExtension) != 0) {
    return false;
  }
  for (std::size_t i = 0; i < kStamp; ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (i == 8 ? name[i] != '-' : !digit) return false;
  }
  if (name[kStamp] != '-') return false;
  return std::all_of(name.begin() + kStamp + 1, name.end() - static_cast<std::ptrdiff_t>(extension),
                     IsNameCharacter);
}

RecordWriteResult WriteRunRecord(const RunRecord& record, const RecordPlace& place) {
  RecordWriteResult result;
  const std::string text = RunRecordJson(record);
  if (!place.file.empty()) {
    result.path = place.file;
    result.written = WriteWholeFile(place.file, text, result.problem);
    return result;
  }
  if (place.folders.empty()) {
    result.problem = "no folder for the records of runs is known";
    return result;
  }
  const std::string name = RecordFileName(record);
  for (const std::string& folder : place.folders) {
    std::string problem;
    const std::string path = folder + kSeparator + name;
    if (MakeFolders(folder, problem) && WriteWholeFile(path, text, problem)) {
      RemoveOldRecords(folder, name);
      return {true, path, {}};
    }
    if (result.problem.empty()) result.problem = problem;  // the first folder's is the one to fix
  }
  return result;
}

}  // namespace cdflash
