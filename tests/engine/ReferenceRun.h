#pragma once
// What a correct run must send and how it must end, derived from the run's
// shape (image format, flash chip, commit kind), the route's style and the
// faults its commands meet: never from the engine itself, so that a step the
// engine skips or adds shows as a difference. The drive has no disc; the
// user answers Yes to the update and No to the restart.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "EngineRun.h"

namespace cdflash::test {

// How a fault looks to the engine.
enum class FaultClass {
  RefusedWithSense,  // sense data, with CHECK CONDITION or GOOD status: nothing done
  Busy,              // BUSY status, no sense data: an answer, nothing done
  NoAnswer,          // lost in the transport or timed out, whatever was done
  Gone,              // the device is gone, for this command and every later one
  CorruptsFirst,     // a data-in phase brings its first byte inverted
  CorruptsMiddle,    // ... the byte in the middle of those moved
  CorruptsLast,      // ... the last byte moved
  ShortensDataIn,    // a data-in phase moves half its bytes, yet ends GOOD
  EmptiesDataIn,     // a data-in phase moves nothing, yet ends GOOD
  StopRequest,       // while the command runs, the user asks the run to stop
};

struct ExpectedRun {
  std::vector<std::array<std::uint8_t, 12>> commands;
  std::vector<std::int32_t> lengths;  // transfer length of each command
  std::string caption;
  FlashOutcome outcome = FlashOutcome::Completed;
};

class ReferenceRun {
 public:
  using Cdb = std::array<std::uint8_t, 12>;

  ReferenceRun(const RunShape& shape, bool residualKnown, std::map<std::size_t, FaultClass> faults)
      : shape_(shape), residualKnown_(residualKnown), faults_(std::move(faults)) {
    Run();
  }
  const ExpectedRun& Result() const { return result_; }

 private:
  enum class Data { Whole, ByteInverted, Half, Nothing };
  struct Response {
    bool succeeded = true;
    bool withSense = false;
    bool gone = false;
    bool affected = false;  // the fault changed what this command did
    Data data = Data::Whole;
    std::size_t inverted = 0;  // with ByteInverted: which byte
    bool answered = true;      // the drive answered (a refusal too); false: the host heard nothing
    bool stopped = false;      // not sent: the user had asked the run to stop
  };

  static Cdb Block(std::uint8_t op, std::uint8_t b1 = 0, std::uint8_t b2 = 0, std::uint32_t offset = 0,
                   std::uint32_t length = 0, std::uint8_t control = 0, std::uint8_t b4 = 0) {
    Cdb c{op, b1, b2};
    c[3] = static_cast<std::uint8_t>(offset >> 16);
    c[4] = static_cast<std::uint8_t>(b4 != 0 ? b4 : offset >> 8);
    c[5] = static_cast<std::uint8_t>(offset);
    c[6] = static_cast<std::uint8_t>(length >> 16);
    c[7] = static_cast<std::uint8_t>(length >> 8);
    c[8] = static_cast<std::uint8_t>(length);
    c[9] = control;
    return c;
  }
  static Cdb WriteBuffer(std::uint32_t offset, std::uint32_t length, std::uint8_t control) {
    return Block(0x3B, 0x05, 0x01, offset, length, control);
  }
  static Cdb ReadBuffer(std::uint32_t offset, std::uint32_t length) {
    return Block(0x3C, 0x01, 0x01, offset, length);
  }

  // The profile block for a flash ID: its table entry and body, padded to
  // an even length; the empty block FF FF 00 00 for any other chip.
  static std::uint32_t ProfileLength(std::uint8_t id0, std::uint8_t id1) {
    if (id0 == 0xDA && id1 == 0xC8) return 4 + 314;
    if (id0 == 0xBF && id1 == 0xB4) return 4 + 452;
    return 4;
  }

  // Sends one command; until the commit is decided, a stop asked for
  // before it keeps it from going out and ends the run.
  Response Send(const Cdb& cdb, std::int32_t length, bool dataIn) {
    if (stopAsked_ && !committing_) {
      End(FlashOutcome::Cancelled);
      Response stopped;
      stopped.stopped = true;
      return stopped;
    }
    const std::size_t index = result_.commands.size();
    result_.commands.push_back(cdb);
    result_.lengths.push_back(length);
    const Response unanswered{false, false, false, true, Data::Whole, 0, false};
    if (gone_) return {false, false, true, true, Data::Whole, 0, false};
    const auto fault = faults_.find(index);
    if (fault == faults_.end()) return {};
    const bool movesData = dataIn && length > 0;
    // A data-in command that completes moves all it asks for, save INQUIRY (36 bytes).
    const std::size_t moved = cdb[0] == 0x12 ? 36 : static_cast<std::size_t>(length);
    const auto inverted = [&](std::size_t at) {
      return movesData ? Response{true, false, false, true, Data::ByteInverted, at} : Response{};
    };
    switch (fault->second) {
      case FaultClass::RefusedWithSense: return {false, true, false, true};
      case FaultClass::Busy: return {false, false, false, true};
      case FaultClass::NoAnswer: return unanswered;
      case FaultClass::Gone:
        gone_ = true;
        return {false, false, true, true, Data::Whole, 0, false};
      case FaultClass::CorruptsFirst: return inverted(0);
      case FaultClass::CorruptsMiddle: return inverted(moved / 2);
      case FaultClass::CorruptsLast: return inverted(moved - 1);
      case FaultClass::ShortensDataIn:
      case FaultClass::EmptiesDataIn:
        if (!movesData) return {};
        // A route that counts the bytes moved fails the command; one that
        // cannot leaves the rest of the buffer as it was before.
        if (residualKnown_ && cdb[0] != 0x12) return {false, false, false, true};
        return {true, false, false, true, fault->second == FaultClass::EmptiesDataIn ? Data::Nothing : Data::Half};
      case FaultClass::StopRequest:
        if (!committing_) stopAsked_ = true;
        return {};
    }
    return {};
  }

  void End(FlashOutcome outcome) { result_.outcome = outcome; }
  void Fail(const std::string& suffix) {
    result_.caption += suffix;
    End(wrote_ ? FlashOutcome::FailedAfterWrite : FlashOutcome::FailedBeforeWrite);
  }
  bool Stopped() {
    if (stopAsked_) End(FlashOutcome::Cancelled);
    return stopAsked_;
  }

  void Run() {
    const std::uint32_t imageLength = shape_.fiveBank ? 0x50000 : 0x40000;
    if (Send(Block(0x1B, 0, 0, 0, 0, 0, 0x03), 0, true).stopped) return;  // START STOP UNIT, load
    // The disc poll: the drive reports no medium unless a fault answers.
    for (int quiet = 0; quiet < 10;) {
      const Response r = Send(Block(0x00), 0, true);
      if (r.stopped) return;
      if (r.gone) return End(FlashOutcome::FailedBeforeWrite);
      if (!r.affected || r.succeeded) break;  // no medium
      if (r.withSense) ++quiet;
    }
    if (Send(Block(0x4E), 0, true).stopped) return;  // STOP PLAY/SCAN
    if (Send(Block(0x1B), 0, true).stopped) return;  // START STOP UNIT, stop

    std::uint32_t profileLength = 0;
    if (shape_.fiveBank) {
      result_.caption = "Write profile to drive's DRAM... ";
      const Response id = Send(Block(0xDF, 0x11), 128, true);
      if (id.stopped) return;
      if (!id.succeeded) return Fail(", Fail! ");
      std::uint8_t id0 = shape_.flashId[0], id1 = shape_.flashId[1];
      if (id.data == Data::ByteInverted && id.inverted == 0) id0 = static_cast<std::uint8_t>(~id0);
      if (id.data == Data::ByteInverted && id.inverted == 1) id1 = static_cast<std::uint8_t>(~id1);
      if (id.data == Data::Nothing) id0 = id1 = 0xFF;  // what the buffer held before the answer
      profileLength = ProfileLength(id0, id1);
      const Response r = Send(WriteBuffer(0x80000, profileLength, 0x7F), static_cast<std::int32_t>(profileLength), false);
      if (r.stopped) return;
      wrote_ = true;
      if (!r.succeeded) return Fail(", Fail! ");
    }
    result_.caption = "Write BIN to drive's DRAM... ";
    for (std::uint32_t at = 0; at < imageLength; at += 0x4000) {
      const Response r = Send(WriteBuffer(at, 0x4000, 0), 0x4000, false);
      if (r.stopped) return;
      wrote_ = true;
      if (!r.succeeded) return Fail(", Fail! ");
    }
    result_.caption = "Drive entry critical... ";
    const Response critical = Send(WriteBuffer(0, 0, 0x7F), 0, true);
    if (critical.stopped) return;
    if (!critical.succeeded) return Fail(", Fail! ");
    result_.caption = "Read back and Verify drive's DRAM... ";
    if (shape_.fiveBank) {
      const Response r = Send(ReadBuffer(0x80000, profileLength), static_cast<std::int32_t>(profileLength), true);
      if (r.stopped) return;
      if (!r.succeeded || r.data != Data::Whole) return Fail(", Valid Profile Fail!");
    }
    for (std::uint32_t at = 0; at < imageLength; at += 0x4000) {
      const Response r = Send(ReadBuffer(at, 0x4000), 0x4000, true);
      if (r.stopped) return;
      if (!r.succeeded) return Fail(", Read Fail! ");
      if (r.data != Data::Whole) return Fail(", Compare BIN and DRAM Fail! ");
    }
    if (Stopped()) return;
    committing_ = true;
    result_.caption = "Don't turn off the system, Flash is in progress...";
    const Response commit = Send(WriteBuffer(0, 0, shape_.flashAll ? 0xA0 : 0x80), 0, false);
    if (!commit.succeeded) {
      result_.caption = "Flash Fail.";
      // A refusal left the flash alone; without an answer it may be programming.
      return End(commit.answered ? FlashOutcome::CommitFailed : FlashOutcome::CommitUnanswered);
    }
    result_.caption = "Flash Completed.";
    Send(Block(0x12, 0, 0, 0, 0, 0, 0x80), 128, true);  // the drive's new identity
    End(FlashOutcome::Completed);
  }

  RunShape shape_;
  bool residualKnown_;
  std::map<std::size_t, FaultClass> faults_;
  ExpectedRun result_;
  bool gone_ = false;
  bool wrote_ = false;
  bool stopAsked_ = false;
  bool committing_ = false;
};

}  // namespace cdflash::test
