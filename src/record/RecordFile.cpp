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
constexpr std::size_t kStampLength = 15;  // YYYYMMDD-HHMMSS
// A later run of the same second on the same drive: "...-sr0.2.json". The
// mark is no character of a drive's name, so the two never mix.
constexpr char kSequenceMark = '.';
constexpr unsigned kLastSequence = 9999;
// Created, then removed, to learn that a folder takes records.
constexpr const char* kProbeName = ".cdflash-write-test";
constexpr const char* kNoFolderKnown = "no folder for the records of runs is known";
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
// short is removed rather than left looking like a record. `taken` is set
// when CreateNew found the name in use (nothing was written then).
bool WriteWholeFile(const std::string& path, OutputFile::Mode mode, const std::string& text,
                    std::string& problem, bool* taken = nullptr) {
  OutputFile out(path, mode);
  if (taken != nullptr) *taken = out.Existed();
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

// Where a record name falls in the order the runs were made: its start,
// then its place among the runs of that second.
struct RecordOrder {
  std::string stamp;
  unsigned sequence = 1;
  std::string name;
  bool operator<(const RecordOrder& other) const {
    if (stamp != other.stamp) return stamp < other.stamp;
    if (sequence != other.sequence) return sequence < other.sequence;
    return name < other.name;
  }
};

RecordOrder OrderOf(const std::string& name) {
  RecordOrder order{name.substr(0, kStampLength), 1, name};
  const std::size_t end = name.size() - std::char_traits<char>::length(kExtension);
  const std::size_t dot = name.rfind(kSequenceMark, end - 1);
  if (dot != std::string::npos && dot > kStampLength) {
    order.sequence = static_cast<unsigned>(std::stoul(name.substr(dot + 1, end - dot - 1)));
  }
  return order;
}

// The sequence after the last one the records of this second and drive
// took: a name freed when an old record went is not taken again, so the
// sequence keeps the order the runs were made.
unsigned NextSequence(const std::string& folder, const RunRecord& record) {
  const std::string first = RecordFileName(record, 1);
  const std::string base = first.substr(0, first.size() - std::char_traits<char>::length(kExtension));
  unsigned last = 0;
  for (const std::string& name : SystemServices().ListFiles(folder)) {
    if (name.rfind(base, 0) != 0 || !IsRecordFileName(name)) continue;
    const std::size_t rest = base.size();
    if (name[rest] == '.' && name.compare(rest, std::string::npos, kExtension) != 0) {
      last = std::max(last, OrderOf(name).sequence);
    } else if (name == first) {
      last = std::max(last, 1u);
    }
  }
  return last + 1;
}

void RemoveOldRecords(const std::string& folder, const std::string& kept) {
  std::vector<std::string> records;
  for (std::string& name : SystemServices().ListFiles(folder)) {
    if (IsRecordFileName(name)) records.push_back(std::move(name));
  }
  if (records.size() <= kRecordsKept) return;
  std::vector<RecordOrder> ordered;
  for (const std::string& name : records) ordered.push_back(OrderOf(name));
  std::sort(ordered.begin(), ordered.end());
  for (std::size_t i = 0; i + kRecordsKept < ordered.size(); ++i) {
    if (ordered[i].name != kept) std::remove((folder + kSeparator + ordered[i].name).c_str());
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

std::string RecordFileName(const RunRecord& record, unsigned sequence) {
  // The last word of "/dev/sr0", "\\.\D:" or "0-0-0".
  const std::string& drive = record.drive;
  std::size_t end = drive.size();
  while (end > 0 && !IsNameCharacter(drive[end - 1])) --end;
  std::size_t begin = end;
  while (begin > 0 && IsNameCharacter(drive[begin - 1])) --begin;
  std::string name = drive.substr(begin, std::min(end - begin, kDriveNameLimit));
  if (name.empty()) name = "drive";
  if (sequence > 1) name += kSequenceMark + std::to_string(sequence);
  return CompactUtcTime(record.startedMs) + "-" + name + kExtension;
}

bool IsRecordFileName(const std::string& name) {
  const std::size_t extension = std::char_traits<char>::length(kExtension);
  if (name.size() < kStampLength + 2 + extension ||
      name.compare(name.size() - extension, extension, kExtension) != 0) {
    return false;
  }
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    if (i == 8 ? name[i] != '-' : !digit) return false;
  }
  if (name[kStampLength] != '-') return false;
  std::size_t end = name.size() - extension;
  if (const std::size_t dot = name.find(kSequenceMark, kStampLength); dot < end) {
    const std::size_t digits = end - dot - 1;
    if (digits == 0 || digits > 4 || name[dot + 1] == '0') return false;
    for (std::size_t i = dot + 1; i < end; ++i) {
      if (std::isdigit(static_cast<unsigned char>(name[i])) == 0) return false;
    }
    end = dot;
  }
  return end > kStampLength + 1 &&
         std::all_of(name.begin() + kStampLength + 1, name.begin() + static_cast<std::ptrdiff_t>(end),
                     IsNameCharacter);
}

std::string RecordPlaceProblem(const RecordPlace& place) {
  std::string problem;
  if (!place.file.empty()) {
    // A file that is there is tried without changing it; one that is not
    // is created and removed again.
    if (std::FILE* existing = std::fopen(place.file.c_str(), "r+b")) {
      std::fclose(existing);
      return {};
    }
    if (!WriteWholeFile(place.file, OutputFile::Mode::CreateNew, {}, problem)) return problem;
    std::remove(place.file.c_str());
    return {};
  }
  if (place.folders.empty()) return kNoFolderKnown;
  std::string first;
  for (const std::string& folder : place.folders) {
    const std::string probe = folder + kSeparator + kProbeName;
    std::remove(probe.c_str());  // one a run that was killed left behind
    if (MakeFolders(folder, problem) && WriteWholeFile(probe, OutputFile::Mode::CreateNew, {}, problem)) {
      std::remove(probe.c_str());
      return {};
    }
    if (first.empty()) first = problem;  // the first folder's is the one to fix
  }
  return first;
}

RecordWriteResult WriteRunRecord(const RunRecord& record, const RecordPlace& place) {
  RecordWriteResult result;
  const std::string text = RunRecordJson(record);
  if (!place.file.empty()) {
    result.path = place.file;
    result.written = WriteWholeFile(place.file, OutputFile::Mode::Replace, text, result.problem);
    return result;
  }
  if (place.folders.empty()) {
    result.problem = kNoFolderKnown;
    return result;
  }
  for (const std::string& folder : place.folders) {
    std::string problem;
    if (MakeFolders(folder, problem)) {
      // A name of its own, never another run's: the next free one of its second.
      bool taken = true;
      for (unsigned sequence = NextSequence(folder, record); taken && sequence <= kLastSequence; ++sequence) {
        const std::string name = RecordFileName(record, sequence);
        const std::string path = folder + kSeparator + name;
        if (WriteWholeFile(path, OutputFile::Mode::CreateNew, text, problem, &taken)) {
          RemoveOldRecords(folder, name);
          return {true, path, {}};
        }
      }
      if (taken) problem = "every name for the record in " + folder + " is taken";
    }
    if (result.problem.empty()) result.problem = problem;  // the first folder's is the one to fix
  }
  return result;
}

}  // namespace cdflash
