#pragma once
// What a run with one fault should end with: the steps of the engine as its
// commands show them, the caption each step fails with, and the caption a
// fault at a given command leads to.

#include <cstdint>
#include <span>
#include <string>

#include "SimDrive.h"
#include "device/ScsiCommands.h"

namespace cdflash::test {

inline const std::string kCompletedCaption = "Flash Completed.";

// The step a command belongs to. Unchecked: the engine goes on whatever the
// command answers (START STOP UNIT, STOP PLAY/SCAN, the TEST UNIT READY of
// the disc poll, the INQUIRY after the commit).
enum class Step { Unchecked, FlashId, WriteProfile, WriteChunk, EntryCritical, ReadProfile, ReadChunk, Commit };

inline Step StepOf(const sim::Command& command) {
  const CommandBytes& cdb = command.cdb;
  switch (cdb[0]) {
    case kOpVendor:
      return cdb[1] == kVendorFlashId ? Step::FlashId : Step::Unchecked;
    case kOpWriteBuffer:
      if (IsCommitCommand(cdb)) return Step::Commit;
      if (FieldLength(cdb) == 0) return Step::EntryCritical;
      return FieldOffset(cdb) == sim::kProfileOffset ? Step::WriteProfile : Step::WriteChunk;
    case kOpReadBuffer:
      return FieldOffset(cdb) == sim::kProfileOffset ? Step::ReadProfile : Step::ReadChunk;
    default:
      return Step::Unchecked;
  }
}

// The final caption after `step` failed; `dataAltered`: its command went
// through but brought wrong data.
inline std::string FailureCaption(Step step, bool dataAltered) {
  switch (step) {
    case Step::FlashId:
    case Step::WriteProfile:
      return "Write profile to drive's DRAM... , Fail! ";
    case Step::WriteChunk:
      return "Write BIN to drive's DRAM... , Fail! ";
    case Step::EntryCritical:
      return "Drive entry critical... , Fail! ";
    case Step::ReadProfile:
      return "Read back and Verify drive's DRAM... , Valid Profile Fail!";
    case Step::ReadChunk:
      return dataAltered ? "Read back and Verify drive's DRAM... , Compare BIN and DRAM Fail! "
                         : "Read back and Verify drive's DRAM... , Read Fail! ";
    case Step::Commit:
      return "Flash Fail.";
    case Step::Unchecked:
      break;
  }
  return kCompletedCaption;
}

// A command of the clean run, as far as a fault on it matters.
struct CleanCommand {
  std::uint8_t opcode = 0;
  Step step = Step::Unchecked;
  bool movesDataIn = false;  // data comes from the drive
};

inline CleanCommand Describe(const sim::LogEntry& entry) {
  const sim::Command& c = entry.command;
  return {c.cdb[0], StepOf(c), c.dataIn && c.length > 0};
}

// What a fault does to the command it hits, as far as the engine can see.
enum class Effect {
  Fails,           // the command reports a failure
  ShortensDataIn,  // a data-in command moves less than asked; other commands run as usual
  AltersDataIn,    // a data-in command brings a wrong byte; other commands run as usual
  RemovesDrive,    // this command and every later one fail
};

// The caption a run ends with when the fault hits command `k` of a run that
// is otherwise `clean`.
inline std::string ExpectedCaption(std::span<const CleanCommand> clean, std::size_t k, Effect effect) {
  const CleanCommand& hit = clean[k];
  switch (effect) {
    case Effect::Fails:
      return FailureCaption(hit.step, false);
    case Effect::ShortensDataIn:
      return hit.movesDataIn ? FailureCaption(hit.step, false) : kCompletedCaption;
    case Effect::AltersDataIn:
      // A wrong flash ID has nothing to be compared with: the run goes on
      // with the profile of the ID it read.
      return hit.movesDataIn && hit.step != Step::FlashId ? FailureCaption(hit.step, true)
                                                          : kCompletedCaption;
    case Effect::RemovesDrive:
      for (std::size_t i = k; i < clean.size(); ++i) {
        if (clean[i].step != Step::Unchecked) return FailureCaption(clean[i].step, false);
      }
      break;
  }
  return kCompletedCaption;
}

}  // namespace cdflash::test
