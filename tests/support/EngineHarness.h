#pragma once
// The flash engine over simulated drives, without a window: a recording
// observer with scripted answers, the real drive list over the simulator,
// and a 16 KiB data buffer registered with the device layer as the window
// registers it.

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/Cddrives.h"
#include "flash/FlashEngine.h"
#include "support/FakeControls.h"
#include "support/FlashModeHarness.h"

namespace cdflash::test {

class RecordingObserver final : public IFlashObserver {
 public:
  struct Box {
    std::string kind;  // "Confirm", "WarningYesNo", "Message", "WarningOk"
    std::string text;
    bool operator==(const Box&) const = default;
  };

  void ShowCaption(const std::string& c) override { captions.push_back(caption = c); }
  void SetProgressRange(long long lo, long long hi) override {
    minimum = lo;
    maximum = hi;
  }
  void SetProgressStep(long long s) override { step = s; }
  void SetProgressPosition(long long p) override { Move(p); }
  void StepProgress() override { Move(std::min(maximum, position + step)); }
  void StepProgressBy(long long d) override { Move(std::clamp(position + d, minimum, maximum)); }
  Answer Ask(QuestionKind kind, const std::string& text) override {
    boxes.push_back({kind == QuestionKind::Confirm || kind == QuestionKind::ConfirmRestart ? "Confirm" : "WarningYesNo", text});
    if (answers.empty()) throw std::logic_error("unscripted question: " + text);
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  void Tell(NoticeKind kind, const std::string& text) override {
    boxes.push_back({kind == NoticeKind::Warning ? "WarningOk" : "Message", text});
  }
  void SetBusy(bool b) override { busy = b; }
  void DriveIdentityChanged(const std::string& identity) override { identities.push_back(identity); }

  // The texts of the plain messages, in order.
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) {
      if (b.kind == "Message") out.push_back(b.text);
    }
    return out;
  }

  std::string caption;
  std::vector<std::string> captions;
  long long minimum = 0, maximum = 100, step = 10, position = 0;
  std::vector<long long> positions;  // every position set, in order
  bool busy = false;
  std::vector<Box> boxes;
  std::deque<Answer> answers;  // taken in order by the questions
  std::vector<std::string> identities;

 private:
  void Move(long long p) {
    position = p;
    positions.push_back(p);
  }
};

// One simulated machine with the drives added before Start(); the engine
// works on the first one.
struct EngineHarness {
  explicit EngineHarness(TestPackage p = AcmePackage(), std::uint32_t platformId = kPlatformWin32Nt,
                         sim::SimRoute::Style style = sim::SimRoute::Style::PassThrough)
      : package(std::move(p)), bench(platformId, style) {}
  ~EngineHarness() {
    engine.reset();
    drives.reset();
  }

  sim::SimDrive& AddDrive(const sim::DriveConfig& config = AcmeDrive()) {
    return bench.platform.AddDrive(config);
  }
  void Start() {
    drives = std::make_unique<CDDrives>();
    CDDrive::SetDataBuffer(transfer.data(), static_cast<std::int32_t>(transfer.size()));
    engine = std::make_unique<FlashEngine>(package.View(), observer, system);
    engine->SetDrive(drives->Current);
  }

  TestPackage package;
  sim::SimBench bench;
  RecordingObserver observer;
  FakeSystem system;
  std::vector<std::uint8_t> transfer = std::vector<std::uint8_t>(16384);
  std::unique_ptr<CDDrives> drives;
  std::unique_ptr<FlashEngine> engine;
};

}  // namespace cdflash::test
