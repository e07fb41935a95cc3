#pragma once
// The checks every run must pass, whatever fault it met (README.md lists
// them): against ReferenceRun and against what the drive went through.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "EngineRun.h"
#include "ReferenceRun.h"

namespace cdflash::test {

struct Verdict {
  std::vector<std::string> problems;  // empty: the run passed
  bool commitSent = false;
  bool bricked = false;
  bool falseSuccess = false;
};

// The judge's own command table, written out: it must not take the
// program's, or a wrong value there would agree with itself.
inline constexpr std::uint8_t kWriteBufferOpcode = 0x3B;
inline constexpr std::uint8_t kVendorOpcode = 0xDF;
inline constexpr std::uint8_t kWriteE2Subcommand = 0x0A;
inline constexpr std::uint8_t kCommitControl = 0x80;
inline constexpr std::uint8_t kCommitAllControl = 0xA0;

// A WRITE BUFFER without data (bytes 6-8 zero) that tells the drive to
// program its flash.
inline bool IsCommit(const std::array<std::uint8_t, 12>& cdb) {
  return cdb[0] == kWriteBufferOpcode && cdb[6] == 0 && cdb[7] == 0 && cdb[8] == 0 &&
         (cdb[9] == kCommitControl || cdb[9] == kCommitAllControl);
}

// The last commit programmed the whole image, verified, with the package's
// commit kind, and the drive reports the package's revision.
inline bool ImageProgrammed(const EngineRun& run) {
  const auto& commits = run.Drive().Commits();
  if (commits.empty()) return false;
  const sim::CommitRecord& last = commits.back();
  const std::uint32_t length = run.Engine().ImageLength();
  const auto slot = run.Package().Slot();
  return !last.bricked && last.programmed == length &&
         last.control == (run.Shape().flashAll ? kCommitAllControl : kCommitControl) &&
         std::equal(slot.begin(), slot.begin() + length, run.Drive().Flash().begin()) &&
         run.Drive().Revision() == run.Package().PackageRevision();
}

inline bool ChangesTheDrive(const sim::LogEntry& e) {
  const auto& cdb = e.command.cdb;
  return cdb[0] == kWriteBufferOpcode || (cdb[0] == kVendorOpcode && cdb[1] == kWriteE2Subcommand);
}

inline bool OutcomeMatchesDrive(FlashOutcome outcome, const EngineRun& run, bool commitSent) {
  const auto sent = run.Sent();
  const bool wrote = std::any_of(sent.begin(), sent.end(), ChangesTheDrive);
  const bool noCommit = !commitSent && run.Drive().Commits().empty();
  switch (outcome) {
    case FlashOutcome::Completed:
      return ImageProgrammed(run);
    case FlashOutcome::CommitFailed:
    case FlashOutcome::CommitUnanswered:
      return commitSent;
    case FlashOutcome::FailedAfterWrite:
      return wrote && noCommit;
    case FlashOutcome::FailedBeforeWrite:
      return !wrote && noCommit;
    case FlashOutcome::Cancelled:
      return noCommit;
    default:
      return false;  // the run stopped before its download
  }
}

inline const std::string kCompletedCaption = "Flash Completed.";

// One command in the judge's words (its first two bytes and its length), or
// "none" where a list has ended.
inline std::string CommandWords(const std::array<std::uint8_t, 12>* cdb, std::int32_t length) {
  if (cdb == nullptr) return "none";
  char text[40];
  std::snprintf(text, sizeof text, "%02X %02X ... length %d", (*cdb)[0], (*cdb)[1], static_cast<int>(length));
  return text;
}

// Where the commands sent first differ from those expected; empty when they
// agree.
inline std::string CommandDifference(std::span<const sim::LogEntry> sent, const ExpectedRun& expected) {
  for (std::size_t i = 0; i < std::max(sent.size(), expected.commands.size()); ++i) {
    const auto* got = i < sent.size() ? &sent[i].command.cdb : nullptr;
    const auto* wanted = i < expected.commands.size() ? &expected.commands[i] : nullptr;
    const std::int32_t gotLength = got ? sent[i].command.length : 0, wantedLength = wanted ? expected.lengths[i] : 0;
    if (got && wanted && *got == *wanted && gotLength == wantedLength) continue;
    return "command " + std::to_string(i) + " is " + CommandWords(got, gotLength) + ", expected " +
           CommandWords(wanted, wantedLength);
  }
  return {};
}

inline Verdict Judge(const EngineRun& run, const FlashRunReport& report, const ExpectedRun& expected) {
  const FlashOutcome outcome = report.outcome;
  const auto number = [](FlashOutcome o) { return std::to_string(static_cast<int>(o)); };
  Verdict v;
  const auto sent = run.Sent();
  v.commitSent = std::any_of(sent.begin(), sent.end(),
                             [](const sim::LogEntry& e) { return IsCommit(e.command.cdb); });
  v.bricked = run.Drive().Bricked();
  const RecordingObserver& o = run.Observer();
  const auto shown = [&o](auto matches) { return std::any_of(o.captions.begin(), o.captions.end(), matches); };
  const bool showsCompleted = shown([](const std::string& c) { return c == kCompletedCaption; });
  const bool showsFailure = shown([](const std::string& c) { return c.find("Fail") != std::string::npos; });
  v.falseSuccess = (outcome == FlashOutcome::Completed || showsCompleted) && !ImageProgrammed(run);

  const auto check = [&v](bool good, const std::string& problem) {
    if (!good) v.problems.push_back(problem);
  };
  check(!v.bricked, "the drive is bricked");
  check(!v.falseSuccess, "success without the image programmed");
  check(o.caption == expected.caption, "caption \"" + o.caption + "\", expected \"" + expected.caption + "\"");
  check(!showsCompleted || (!showsFailure && outcome == FlashOutcome::Completed),
        "\"" + kCompletedCaption + "\" after a failure");
  check(OutcomeMatchesDrive(outcome, run, v.commitSent),
        "outcome " + number(outcome) + " does not match the drive");
  const std::string difference = CommandDifference(sent, expected);
  check(difference.empty(), difference);
  check(outcome == expected.outcome, "outcome " + number(outcome) + ", expected " + number(expected.outcome));
  // A stopped run tells the user whether anything reached the drive.
  const auto messages = o.Messages();
  const bool wrote = std::any_of(sent.begin(), sent.end(), ChangesTheDrive);
  check(outcome != FlashOutcome::Cancelled ||
            (!messages.empty() && messages.back().find(wrote ? "nothing was committed" : "nothing was written") !=
                                      std::string::npos),
        "a stopped run does not say what it left behind");
  const auto stop = run.StopAnswer();
  check(!stop || (*stop != CommitGate::StopAnswer::TooLate) != v.commitSent,
        "the stop request and the commit told different stories");
  // The bar ends full under a completed run's caption, empty under any other.
  const long long finalPosition = outcome == FlashOutcome::Completed ? o.maximum : 0;
  check(o.position == finalPosition, "progress left at " + std::to_string(o.position));
  check(!o.busy, "still busy");
  check(report.commitSent == v.commitSent, "the report and the drive disagree about the commit");
  check(report.wroteToDrive == wrote, "the report and the drive disagree about what was written");
  check(outcome != FlashOutcome::Completed || report.failure.empty(), "a completed run reports a failure");
  return v;
}

}  // namespace cdflash::test
