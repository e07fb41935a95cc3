#pragma once
// A flash-mode form over simulated drives: a test package, the simulator
// installed in place of the system, and the fake controls.

#include <memory>
#include <string>

#include "SimBench.h"
#include "support/FakeControls.h"
#include "support/TestPackage.h"

namespace cdflash::test {

inline TestPackage AcmePackage() {
  TestPackage p;
  p.Vendor("ACME").Model("CRW-4012").Inquiry("ACME    CRW-4012A").FwRange("1.00-1.50");
  p.Revision("1.60.");
  return p;
}

// AcmePackage with an image whose bytes differ from chunk to chunk, its
// revision 1.60 where the drive takes it from at the commit, and the
// signature of four banks (or five).
inline TestPackage ImagePackage(bool fiveBank = false, bool flashAll = false) {
  TestPackage p = AcmePackage();
  for (std::size_t i = 0; i < kSlotSize; ++i) p.SetSlotByte(i, static_cast<std::uint8_t>(i * 31 + i / 0x4000));
  p.SetSlot(sim::kRevisionOffset, "1.60");
  if (fiveBank) {
    p.SetSlotByte(0x4000, 0).SetSlotByte(0x1100, 0x05).SetSlotByte(0x1101, 0x80);
  } else {
    p.SetSlotByte(0x4000, 0x05).SetSlotByte(0x4001, 0x80);
  }
  if (flashAll) p.Note("FLASH-ALL");
  return p;
}

inline sim::DriveConfig AcmeDrive(const std::string& revision = "1.20") {
  return sim::DriveWithIdentity("ACME", "CRW-4012A", revision);
}

inline sim::DriveConfig OtherDrive(const std::string& product = "DVD-ROM 16X") {
  return sim::DriveWithIdentity("OTHER", product, "2.00");
}

struct FlashModeHarness {
  explicit FlashModeHarness(TestPackage p = AcmePackage()) : package(std::move(p)) {}
  // Builds the form and runs FormCreate, answering the warning with `answer`.
  void Create(Answer answer = Answer::Yes) {
    ui = std::make_unique<FormHarness>(package.View());
    ui->system.unanswered = std::move(unanswered);
    ui->dialogs.answers = {answer};
    ui->form.FormCreate();
  }
  ~FlashModeHarness() {
    if (ui) ui->form.FormDestroy();
  }

  TestPackage package;
  sim::SimBench bench;
  std::unique_ptr<IUnansweredCommits> unanswered;  // the system's, handed to the form at Create
  std::unique_ptr<FormHarness> ui;
};

}  // namespace cdflash::test
