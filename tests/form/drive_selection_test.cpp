// Flash mode at start-up: the warning, detection, the drive test and the
// drop-down list, over simulated drives.

#include <gtest/gtest.h>

#include <functional>

#include "device/Cddrives.h"
#include "session/StartupTexts.h"
#include "support/FlashModeHarness.h"
#include "support/TempFolder.h"
#include "system/Elevation.h"

namespace cdflash {
namespace {

using test::AcmeDrive;
using test::AcmePackage;
using test::FlashModeHarness;
using test::OtherDrive;
using test::TestPackage;

const char* const kHeading =
    "\nDetected drives:\n-----------------------------------------------------------\n";
const char* const kLeftAloneRefusal =
    "a commit to it never answered: it may still be programming its flash, so nothing is sent to it until the "
    "computer restarts. Wait several minutes, then power the computer off and on";

// How a start-up ends: with the window and its list of drives, or with the
// program ended, no drive left open and the transfer buffer let go.
TEST(FlashStartup, WarningAnswerAndDrivesDecideTheListOrTheEnd) {
  // The texts' wording is the unit tests'; here, which box shows them when.
  const std::string kRangedErrorStart = ErrorTextStart(AcmePackage().View());
  const test::ShownBox warning{"WarningYesNo", WarningText(AcmePackage().View())};
  const test::ShownBox noDrive{"Error", kRangedErrorStart + "\nCan't find ATAPI Drive !\n"};
  const test::TempFolder state;  // where an earlier process kept a drive whose commit never answered
  const auto leftAlone = [&state](FlashModeHarness& h) {
    h.unanswered = std::make_unique<FolderUnansweredCommits>(state.Path());
    std::string problem;
    ASSERT_TRUE(h.unanswered->Keep("\\\\.\\0:", "0-0-0 0: ACME    CRW-4012A       1.20", problem));
  };
  struct Case {
    const char* name;
    std::vector<sim::DriveConfig> drives;
    Answer answer;
    std::vector<test::ShownBox> boxes;
    std::vector<std::string> entries;  // none: the program ends
    std::function<void(FlashModeHarness&)> arrange = {};
  };
  const Case cases[] = {
      {"declined", {AcmeDrive()}, Answer::No, {warning}, {}},
      {"warning closed", {AcmeDrive()}, Answer::Closed, {warning}, {}},
      {"no drive", {}, Answer::Yes, {warning, noDrive}, {}},
      {"the device layer's own box first", {AcmeDrive()}, Answer::Yes,
       {warning, {"Error", "Unable to load WNASPI32.DLL !"}, noDrive}, {},
       [](FlashModeHarness& h) {
         h.bench.platform.Route().FailInitialisation(0x62, "Unable to load WNASPI32.DLL !");
       }},
      {"only the qualifying third drive", {OtherDrive(), AcmeDrive("0.90"), AcmeDrive("1.20")}, Answer::Yes,
       {warning}, {"0-0-0 2: ACME    CRW-4012A       1.20"}},
      {"none qualifies: every drive listed", {OtherDrive(), AcmeDrive("1.51")}, Answer::Yes,
       {warning, {"Error", kRangedErrorStart + kHeading + "0-0-0 0: OTHER   DVD-ROM 16X     2.00\n"
                                                                   "0-0-0 1: ACME    CRW-4012A       1.51\n"}},
       {}},
      // Listed refused by the identity kept for it; that it is sent nothing is the session's.
      {"a drive whose commit never answered", {AcmeDrive("1.20")}, Answer::Yes,
       {warning, {"Error", kRangedErrorStart + kHeading +
                               "0-0-0 0: ACME    CRW-4012A       1.20  (\\\\.\\0:): " + kLeftAloneRefusal + ".\n"}},
       {}, leftAlone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FlashModeHarness h;
    for (const sim::DriveConfig& drive : c.drives) h.bench.platform.AddDrive(drive);
    if (c.arrange) c.arrange(h);
    h.Create(c.answer);
    auto& ui = *h.ui;
    const bool ends = c.entries.empty();
    EXPECT_EQ(ui.dialogs.shown, c.boxes);
    EXPECT_EQ(ui.combo.items, c.entries);
    EXPECT_EQ(ui.application.quits, ends ? std::vector<int>{0} : std::vector<int>{});
    EXPECT_EQ(ui.window.closes, ends ? 1 : 0);
    EXPECT_EQ(ui.label.Text(), "Select the ACME drive you want to update:");
    const bool yes = c.answer == Answer::Yes;
    EXPECT_EQ(ui.window.caption, yes ? "ACME Flash V1.043 CRW-4012" : " Flash V1.043 ");
    EXPECT_EQ(ui.fileList.Visible(), !yes);
    EXPECT_EQ(ui.groupBox.GetBounds().top, test::DesignBounds("GroupBox2").top - ui.fileList.GetBounds().height)
        << "flash mode's layout, whatever the answer";
    if (!yes) {
      for (std::size_t i = 0; i < c.drives.size(); ++i) EXPECT_EQ(h.bench.platform.Drive(i).CommandCount(), 0u);
      EXPECT_EQ(h.bench.platform.Route().Initialisations(), 0);
    }
    if (ends) {
      EXPECT_EQ(ui.combo.ItemIndex(), -1);
      EXPECT_NE(CDDrive::DataBufferLength(), 16384);
    } else {
      EXPECT_EQ(ui.combo.ItemIndex(), 0);
      ASSERT_NE(ui.form.Selected(), nullptr);
      EXPECT_EQ(ui.form.Selected()->letter, c.entries[0][6]) << "the drive the first entry names";
      EXPECT_TRUE(ui.button.Enabled());
      EXPECT_EQ(ui.progress.Position(), 0);
      EXPECT_EQ(ui.groupBox.caption, "");
    }
    ui.form.FormDestroy();
    EXPECT_EQ(CDDrive::OpenCount(), 0);
  }
}

TEST(FlashStartup, DamagedFlasherSaysSoAndEndsWithoutTouchingAnyDrive) {
  TestPackage damaged = AcmePackage();
  damaged.Seal().SetSlotByte(0x100, 0xA5);
  FlashModeHarness h(damaged);
  sim::SimDrive& drive = h.bench.platform.AddDrive(AcmeDrive());
  h.Create();
  auto& ui = *h.ui;
  ASSERT_EQ(ui.dialogs.shown.size(), 1u);  // no warning: nothing to warn of
  EXPECT_EQ(ui.dialogs.shown[0].kind, "Error");
  EXPECT_NE(ui.dialogs.shown[0].text.find("damaged"), std::string::npos);
  EXPECT_NE(ui.dialogs.shown[0].text.find("again"), std::string::npos);
  EXPECT_EQ(ui.application.quits, std::vector<int>{0});
  EXPECT_EQ(drive.CommandCount(), 0u);
  EXPECT_EQ(h.bench.platform.Route().Initialisations(), 0);
}

TEST(FlashStartup, FailedFreshInquiryShowsZeroAndKeepsTheDrive) {
  FlashModeHarness h;
  sim::SimDrive& drive = h.bench.platform.AddDrive(AcmeDrive());
  drive.InjectAt(1, sim::Fault::WithSense(sim::kInvalidField));  // the INQUIRY of GetIdentity
  h.Create();
  auto& ui = *h.ui;
  EXPECT_EQ(ui.combo.items, std::vector<std::string>{"0"});
  ASSERT_NE(ui.form.Selected(), nullptr);
  EXPECT_EQ(ui.form.Selected()->letter, '0');
}

// The entry names the drive; choosing it sends nothing and lists nothing anew.
TEST(FlashStartup, ChoosingAnotherEntryChangesTheSelectedDriveOnly) {
  FlashModeHarness h;
  for (const auto& drive : {AcmeDrive("1.10"), OtherDrive(), AcmeDrive("1.30")}) h.bench.platform.AddDrive(drive);
  h.Create();
  auto& ui = *h.ui;
  ASSERT_EQ(ui.combo.Count(), 2);
  const auto items = ui.combo.items;
  const std::size_t commands = h.bench.platform.Drive(2).CommandCount();

  ui.combo.SetItemIndex(1);
  ui.form.ComboBoxChange();
  ASSERT_NE(ui.form.Selected(), nullptr);
  EXPECT_EQ(ui.form.Selected()->letter, '2');
  EXPECT_EQ(ui.combo.items, items);
  EXPECT_TRUE(ui.button.Enabled());
  EXPECT_EQ(h.bench.platform.Drive(2).CommandCount(), commands);  // no command sent

  ui.combo.SetItemIndex(0);
  ui.form.ComboBoxChange();
  EXPECT_EQ(ui.form.Selected()->letter, '0');
}

#ifndef _WIN32  // Windows asks for its rights through the manifest
// Drives are there but the process may not send them firmware commands:
// nothing is sent, the user is told and offered pkexec (through the packaged
// program where it is installed, so that pkexec names its polkit action), and
// when that fails is shown what to run instead.
TEST(FlashStartup, WithoutRightsTheFlasherOffersAdministratorAndSendsNothing) {
  for (const bool granted : {true, false}) {
    for (const bool packaged : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "granted " << granted << ", packaged " << packaged);
      FlashModeHarness h;
      sim::SimDrive& drive = h.bench.platform.AddDrive(AcmeDrive());
      h.bench.platform.SetAccess({1, 1, false});
      h.ui = std::make_unique<test::FormHarness>(h.package.View());
      test::FakeSystem& system = h.ui->system;
      system.program = "/opt/flash ers/1.60.EXE";
      system.elevationResult = {granted, granted ? "" : "administrator rights were not granted"};
      system.environment = {{"DISPLAY", ":7"}};
      system.files[kPackagedProgram] = packaged;
      h.ui->dialogs.answers = {Answer::Yes, Answer::Yes};
      h.ui->form.FormCreate();

      EXPECT_EQ(drive.CommandCount(), 0u);
      EXPECT_EQ(h.bench.platform.Route().Initialisations(), 0);
      const auto& shown = h.ui->dialogs.shown;
      ASSERT_EQ(shown.size(), granted ? 2u : 3u);
      EXPECT_EQ(shown[1].kind, "WarningYesNo");
      EXPECT_NE(shown[1].text.find("needs administrator rights"), std::string::npos);
      const auto read = [&system](const std::string& name) { return system.EnvironmentVariable(name); };
      using Command = std::vector<std::string>;
      EXPECT_EQ(system.elevations, std::vector<Command>{PkexecCommand(system.program, read, packaged)});
      if (!granted) {
        EXPECT_EQ(shown[2].kind, "Error");
        EXPECT_NE(shown[2].text.find("sudo env DISPLAY=:7 '/opt/flash ers/1.60.EXE'"), std::string::npos)
            << shown[2].text;
      }
      EXPECT_EQ(h.ui->application.quits, std::vector<int>{0});
    }
  }
}

#endif

}  // namespace
}  // namespace cdflash
