// What a click on FLASH does to the window: the run goes to the selected
// drive on the UI thread service, its captions, progress, questions and
// cursor reach the form's controls, the window refuses to close meanwhile,
// the drive's entry shows its new identity (or, refused, the one it has
// now), and a click after a failure starts again. What a run does is the
// flash session's (engine tests).

#include <gtest/gtest.h>

#include <algorithm>

#include "device/Cddrives.h"
#include "support/FlashModeHarness.h"

namespace cdflash {
namespace {

using test::AcmeDrive;
using test::FlashModeHarness;

class FlashClick : public ::testing::Test {
 protected:
  void SetUp() override {
    h = std::make_unique<FlashModeHarness>(test::ImagePackage());
    drive = &h->bench.platform.AddDrive(AcmeDrive("1.20"));
    h->Create();
    ASSERT_EQ(ui().combo.Count(), 1);
  }
  void Click(std::deque<Answer> answers = {Answer::Yes, Answer::No}) {
    ui().dialogs.answers = std::move(answers);
    ui().dialogs.shown.clear();
    ui().groupBox.repaintedCaptions.clear();
    ui().form.FlashButtonClick();
  }
  // Whatever a click came to, the form lets go of its drives when destroyed.
  void TearDown() override {
    ui().form.FormDestroy();
    EXPECT_EQ(CDDrive::OpenCount(), 0);
  }
  test::FormHarness& ui() { return *h->ui; }

  std::unique_ptr<FlashModeHarness> h;
  sim::SimDrive* drive = nullptr;
};

TEST_F(FlashClick, ARunShowsOnTheFormAndLeavesItAsItWas) {
  Click();
  EXPECT_EQ(ui().groupBox.repaintedCaptions,
            (std::vector<std::string>{"Write BIN to drive's DRAM... ", "Drive entry critical... ",
                                      "Read back and Verify drive's DRAM... ",
                                      "Don't turn off the system, Flash is in progress...", "Flash Completed."}));
  EXPECT_EQ(drive->Commits().size(), 1u);
  // The list shows the drive's new identity, still selected.
  EXPECT_EQ(ui().combo.items, std::vector<std::string>{"0-0-0 0: ACME    CRW-4012A       1.60"});
  EXPECT_EQ(ui().combo.ItemIndex(), 0);
  EXPECT_EQ(ui().progress.Position(), ui().progress.Maximum());  // full under "Flash Completed."
  EXPECT_EQ(ui().cursor.log, (std::vector<std::string>{"hourglass", "default"}));
  ASSERT_EQ(ui().dialogs.shown.size(), 2u);
  EXPECT_EQ(ui().dialogs.shown[0].kind, "ConfirmYesNo");
  EXPECT_EQ(ui().dialogs.shown[1].kind, "ConfirmYesNo, No by default");  // the restart: Enter is No
  // The window refused to close while the run was in progress, and its
  // controls are as they were before.
  EXPECT_EQ(ui().window.closeBlocked, (std::vector<bool>{true, false}));
  EXPECT_TRUE(ui().button.enabled);
  EXPECT_TRUE(ui().combo.enabled);
}

TEST_F(FlashClick, AClickAfterAFailureStartsAgain) {
  drive->InjectWhen(sim::IsCommit(), sim::Fault::WithSense({0x04, 0x44, 0x00}));
  Click();
  EXPECT_EQ(ui().groupBox.caption, "Flash Fail.");
  EXPECT_EQ(ui().dialogs.shown[1].text.rfind("Write Buffer> 04 44 00", 0), 0u);
  Click();
  EXPECT_EQ(ui().groupBox.caption, "Flash Completed.");
  EXPECT_FALSE(drive->Bricked());
}

// A drive changed since it was listed is refused, and its entry shows it as
// it is now.
TEST_F(FlashClick, AChangedDriveShowsAsItIsNow) {
  *drive = sim::SimDrive(AcmeDrive("1.90"));
  Click({});
  EXPECT_EQ(ui().combo.items, std::vector<std::string>{"0-0-0 0: ACME    CRW-4012A       1.90"});
  EXPECT_EQ(ui().combo.ItemIndex(), 0);
  EXPECT_TRUE(drive->Commits().empty());
}

// A run that stops before the download leaves the cursor and the progress
// bar alone; the box says why.
TEST_F(FlashClick, ARunStoppedBeforeTheDownloadLeavesTheCursorAlone) {
  drive->SetMediumScript({sim::kGood});
  Click();
  ASSERT_EQ(ui().dialogs.shown.size(), 2u);
  EXPECT_EQ(ui().dialogs.shown[1].kind, "Message");
  EXPECT_TRUE(ui().cursor.log.empty());
  EXPECT_EQ(ui().groupBox.caption, "");
}

}  // namespace
}  // namespace cdflash
