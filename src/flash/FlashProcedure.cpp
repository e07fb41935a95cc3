// The update of the selected drive: confirmation, disc check, download of
// profile and image into the drive's DRAM, read-back and comparison, and the
// commit after which the drive programs its flash.

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/FlashForm.h"
#include "common/Text.h"
#include "device/Cddrive.h"

namespace cdflash {
namespace {

constexpr std::uint8_t kFromDrive = 1;
constexpr unsigned kPollPause = 30;         // milliseconds before each TEST UNIT READY
constexpr int kQuietPasses = 10;            // passes without news before going on
// A drive that never stops reporting "becoming ready" would keep the poll
// going for ever; after this many passes in all it goes on as after quiet ones.
constexpr int kMaxPollPasses = 2000;
constexpr unsigned kCommitPause = 200;
constexpr std::uint16_t kCommitTimeout = 180;
constexpr std::uint16_t kCommandTimeout = 60;
constexpr long long kCommitScale = 200;

}  // namespace

void TFlashForm::FlashButtonClick(const void*) {
  if (BuildMode) {
    s_.cursor->SetHourglass();
    NewBuildFlashProgram();
    s_.cursor->SetDefault();
    return;
  }
  RunFlashProcedure();
}

void TFlashForm::RunFlashProcedure() {
  ProfileFound = 0;
  ProfileLength = 0;
  const int listIndex = c_.ComboBox->ItemIndex();
  if (SelectedDrive == nullptr || !TransferBuffer) return;

  if (!ConfirmAndCheckDrive()) return;

  c_.ProgressBar->SetRange(0, ImageLength_);
  c_.ProgressBar->SetStep(kChunkSize);
  if (!ChunkBuffer) ChunkBuffer = std::make_unique<std::uint8_t[]>(kChunkSize);
  s_.cursor->SetHourglass();

  if (DownloadVerifyCommit()) {
    CDDrive::SetTimeout(kCommandTimeout);
    c_.ProgressBar->SetPosition(c_.ProgressBar->Maximum());
    SleepFor(kCommitPause);
    ShowPhase("Flash Completed.");

    // The drive now reports its new revision: show the fresh identity in
    // place of the old entry.
    const std::string identity = SelectedDrive->GetIdentity();
    if (listIndex >= 0 && listIndex < c_.ComboBox->Count()) {
      c_.ComboBox->Insert(listIndex, identity);
      c_.ComboBox->Delete(listIndex + 1);
      c_.ComboBox->SetItemIndex(listIndex);
    }
    c_.ComboBox->Repaint();

    if (s_.dialogs->ConfirmYesNo("The system needs to be restarted for the changes to take "
                                 "effect(inquiry stream) ?") == Answer::Yes) {
      s_.cursor->SetDefault();
      if (s_.system) s_.system->RequestRestart();
      ShowPhase("");
    }
  }

  s_.cursor->SetDefault();
  c_.ProgressBar->SetPosition(0);
}

bool TFlashForm::ConfirmAndCheckDrive() {
  const std::string driveRevision = SelectedDrive->Revision();
  const std::string packageRevision = package_.PackageRevision();
  const int order = CompareOrdinal(driveRevision, packageRevision);
  if (!package_.IsAnyRevision() && order >= 0) {
    s_.dialogs->WarningOk("\nWARNING:\n\nYour drive FW:" + driveRevision +
                          " is aready the most updated ?");
    return false;
  }
  const std::string question =
      "\nUpdate FW:" + driveRevision + " to FW:" + packageRevision + " ?\n";
  const Answer answer = order > 0 ? s_.dialogs->WarningYesNo(question)
                                  : s_.dialogs->ConfirmYesNo(question);
  if (answer != Answer::Yes) return false;

  FlashAll = package_.IsFlashAll() ? 1 : 0;

  SendStandard(0x1B, 0x03);  // START STOP UNIT: load
  int quiet = 0;
  for (int pass = 0; quiet < kQuietPasses && pass < kMaxPollPasses; ++pass) {
    SleepFor(kPollPause);
    SendStandard(0x00, 0x00);  // TEST UNIT READY
    if (SelectedDrive->SenseMatches(0x02, 0x04, 0x01)) {
      quiet = 0;  // becoming ready: wait for it to decide
    } else if (SelectedDrive->SenseMatches(0x02, 0x3A)) {
      break;  // no medium
    } else if (SelectedDrive->LastCommandSucceeded() && SelectedDrive->SenseMatches(0x00, 0x00)) {
      s_.dialogs->Message("Remove disc, before to do the flash task.");
      return false;
    }
    ++quiet;
  }
  SendStandard(0x4E, 0x00);  // STOP PLAY/SCAN
  SendStandard(0x1B, 0x00);  // START STOP UNIT: stop
  return true;
}

bool TFlashForm::DownloadVerifyCommit() {
  const auto slot = package_.Slot();
  const std::uint32_t length = std::min<std::uint32_t>(ImageLength_, kSlotSize);

  if (FiveBank) {
    ShowPhase("Write profile to drive's DRAM... ");
    if (!SetupFlashProfile(ChunkBuffer.get())) {
      AppendToPhase(", Fail! ");
      return false;
    }
    if (!ProfileCopy) ProfileCopy = std::make_unique<std::uint8_t[]>(kProfileCopySize);
    std::memcpy(ProfileCopy.get(), ChunkBuffer.get(), std::min<std::size_t>(ProfileLength, kProfileCopySize));
  }

  ShowPhase("Write BIN to drive's DRAM... ");
  c_.ProgressBar->SetPosition(0);
  for (std::uint32_t at = 0; at < length; at += kChunkSize) {
    std::memcpy(ChunkBuffer.get(), slot.data() + at, kChunkSize);
    if (!WriteBuffer(at, ChunkBuffer.get(), kChunkSize, 0)) {
      AppendToPhase(", Fail! ");
      return false;
    }
    c_.ProgressBar->StepIt();
  }

  ShowPhase("Drive entry critical... ");
  if (!EntryCritical()) {
    AppendToPhase(", Fail! ");
    return false;
  }

  ShowPhase("Read back and Verify drive's DRAM... ");
  if (ProfileFound && !ReadVerifyProfile(ProfileCopy.get())) {
    AppendToPhase(", Valid Profile Fail!");
    return false;
  }
  c_.ProgressBar->SetPosition(0);
  for (std::uint32_t at = 0; at < length; at += kChunkSize) {
    if (!ReadBuffer(at, ChunkBuffer.get(), kChunkSize)) {
      AppendToPhase(", Read Fail! ");
      return false;
    }
    if (std::memcmp(ChunkBuffer.get(), slot.data() + at, kChunkSize) != 0) {
      AppendToPhase(", Compare BIN and DRAM Fail! ");
      s_.dialogs->Message("Compare BIN and DRAM fail!");
      return false;
    }
    c_.ProgressBar->StepIt();
  }

  ShowPhase("Don't turn off the system, Flash is in progress...");
  c_.ProgressBar->SetRange(0, kCommitScale);
  c_.ProgressBar->SetPosition(kCommitScale - 2);
  c_.ProgressBar->SetStep(0);
  CDDrive::SetTimeout(kCommitTimeout);
  if (!WriteBuffer(0, ProfileCopy.get(), 0, FlashAll ? 0xA0 : 0x80)) {
    ShowPhase("Flash Fail.");
    return false;
  }
  return true;
}

void TFlashForm::SendStandard(std::uint8_t op, std::uint8_t b4) {
  SelectedDrive->ExecCommand(op, 0, 0, 0, b4, 0, 0, 0, 0, 0, 0, 0, kFromDrive, 0);
}

void TFlashForm::ShowPhase(const std::string& caption) {
  c_.GroupBox2->SetCaption(caption);
  c_.GroupBox2->Repaint();
}

void TFlashForm::AppendToPhase(const char* suffix) { ShowPhase(c_.GroupBox2->Caption() + suffix); }

void TFlashForm::SleepFor(unsigned milliseconds) {
  if (s_.system) {
    s_.system->Sleep(milliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

}  // namespace cdflash
