#pragma once
// One flash run of the engine over one simulated drive, in one of the run
// shapes (the image format, the drive's flash chip and the commit kind) and
// one of the route styles (one that counts the bytes a command moved, and
// the ASPI layer's, which cannot). The user answers Yes to the update
// question and No to the restart question, and may ask the run to stop.

#include <array>
#include <chrono>
#include <vector>
#include <cstdint>
#include <optional>
#include <span>

#include "support/EngineHarness.h"

namespace cdflash::test {

struct RunShape {
  const char* name;
  bool fiveBank;
  std::array<std::uint8_t, 2> flashId;
  bool flashAll;  // the package's note asks for the commit of the whole flash
  bool padded = false;  // the image's second half is FF, as padding: its chunks repeat
};

inline TestPackage ImagePackage(const RunShape& shape) {
  TestPackage package = ImagePackage(shape.fiveBank, shape.flashAll);
  if (shape.padded) {
    const std::size_t length = shape.fiveBank ? 0x50000 : 0x40000;
    for (std::size_t i = length / 2; i < length; ++i) package.SetSlotByte(i, 0xFF);
  }
  return package;
}

enum class RouteStyle { PassThrough, Aspi };

class EngineRun {
 public:
  EngineRun(const TestPackage& package, const RunShape& shape, RouteStyle style = RouteStyle::PassThrough)
      : shape_(shape), h_(package, style == RouteStyle::Aspi ? kPlatformWin32Windows : kPlatformWin32Nt,
                          style == RouteStyle::Aspi ? sim::SimRoute::Style::Aspi : sim::SimRoute::Style::PassThrough) {
    sim::DriveConfig config = AcmeDrive("1.20");
    config.flashId = shape.flashId;
    drive_ = &h_.AddDrive(config);
    h_.Start();
    first_ = drive_->CommandCount();
    h_.observer.answers = {Answer::Yes, Answer::No};
    h_.engine->SetCommitGate(&gate_);
    // What an earlier run's profile read-back leaves in the data buffer: a
    // command that moves less than it asks for must not take it for its answer.
    for (std::size_t i = 0; i + 1 < h_.transfer.size(); i += 2) {
      h_.transfer[i] = 0xDA;
      h_.transfer[i + 1] = 0xC8;
    }
  }

  // Plans `fault` for the run's command `k` (0: the engine's first command).
  void InjectAt(std::size_t k, const sim::Fault& fault) { drive_->InjectAt(first_ + k, fault); }
  // While the run's command `k` runs, the user asks the run to stop.
  void StopAt(std::size_t k) {
    drive_->InjectWhen(
        [this, k](const sim::Command& c) {
          if (c.index == first_ + k) stopAnswer_ = gate_.RequestStop();
          return false;
        },
        sim::Fault{});
  }
  // What the last stop request was answered, if one was made.
  std::optional<CommitGate::StopAnswer> StopAnswer() const { return stopAnswer_; }
  FlashRunReport Go() { return h_.engine->Run(); }
  // TEST UNIT READY answers from now on (the last one repeats).
  void SetMediumScript(std::vector<sim::Sense> script) { drive_->SetMediumScript(std::move(script)); }
  // The run's time: it passes only in the engine's waits.
  std::chrono::milliseconds Elapsed() const { return h_.system.clock; }

  // The commands the engine sent, in order.
  std::span<const sim::LogEntry> Sent() const { return std::span(drive_->Log()).subspan(first_); }
  const RunShape& Shape() const { return shape_; }
  const sim::SimDrive& Drive() const { return *drive_; }
  const RecordingObserver& Observer() const { return h_.observer; }
  const FlashEngine& Engine() const { return *h_.engine; }
  PackageView Package() const { return h_.package.View(); }

 private:
  RunShape shape_;
  EngineHarness h_;
  sim::SimDrive* drive_ = nullptr;
  std::size_t first_ = 0;
  CommitGate gate_;
  std::optional<CommitGate::StopAnswer> stopAnswer_;
};

}  // namespace cdflash::test
