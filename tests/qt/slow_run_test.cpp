// A flash run in the real window over a drive at a real drive's pace (the
// demo's): the run works on its own thread, so the window keeps reading,
// drawing and refusing to close while it lasts, and ends as a fast run does
// or as a signal asks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "QtFormHarness.h"
#include "SimBench.h"
#include "demo/PacedPlatform.h"
#include "support/FakeSystem.h"
#include "support/Json.h"
#include "support/TempFolder.h"
#include "ui/qt/EndSignals.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;

ExpectedBox Question(const char* title, const char* text, const char* button) {
  return {QString::fromLatin1(title), title[0] == 'W' ? QMessageBox::Warning : QMessageBox::Question,
          QString::fromLatin1(text), Action::Click, QString::fromLatin1(button), {"&Yes", "&No"}};
}

// A close asked for during the commit is refused and the run ends as a fast
// one does. SIGTERM or SIGHUP (kill, a logout) stops the run before the
// commit and lets it finish after; no box waits for an answer any more, and
// the window closes. Each run leaves its record, with the exit code the
// terminal would end with.
TEST(SlowRun, TheWindowAnswersWhileTheRunLastsAndEndsAsAsked) {
  struct Case {
    const char* name;
    int signal;          // none: the window is asked to close
    const char* during;  // the caption the signal or the close comes under
    std::size_t commits;
    int exitCode;
  };
  const Case cases[] = {
      {"close during the commit", 0, "Don't turn off", 1, 0},
      {"SIGTERM during the download", SIGTERM, "Write BIN to drive's DRAM", 0, 3},
      {"SIGHUP during the commit", SIGHUP, "Don't turn off", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimBench bench(kPlatformLinux);
    sim::SimDrive& drive = bench.platform.AddDrive();
    demo::PacedPlatform paced(bench.platform);
    const sim::ScopedPlatform pacedInstalled(paced);
    const ::cdflash::test::TempFolder state("cdflash-qt-state");
    ::cdflash::test::FakeSystem system;
    system.environment["XDG_STATE_HOME"] = state.Path();

    ModalBoxAnswerer boxes;
    boxes.Expect(Question("Warning", "\nWARNING:\n", "&Yes"));
    boxes.Expect(Question("Confirm", "\nUpdate FW:1.00 to FW:2.00 ?\n", "&Yes"));
    if (c.signal == 0) boxes.Expect(Question("Confirm", "The system needs to be restarted", "&No"));

    const auto package = AnyDrivePackage("FLSH");
    QtForm qt(package.View(), &system);
    const EndSignals endSignals([&qt] { EndWindowOnSignal(qt.Handlers()); });
    qt.Form().FormCreate();
    qt.Window().show();
    const FormControls controls = qt.Window().Controls();

    // Read the window from its own thread while the run goes on.
    std::set<std::string> captions;
    std::set<long long> positions;
    bool acted = false, closeRefused = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
      if (!qt.Form().Busy()) {
        if (c.signal == 0 || !qt.Window().isVisible()) QCoreApplication::exit(0);
        return;
      }
      captions.insert(controls.GroupBox2->Caption());
      positions.insert(controls.ProgressBar->Position());
      EXPECT_FALSE(controls.FlashButton->Enabled());
      EXPECT_FALSE(controls.ComboBox->Enabled());
      if (acted || controls.GroupBox2->Caption().rfind(c.during, 0) != 0) return;
      acted = true;
      if (c.signal != 0) {
        std::raise(c.signal);
        return;
      }
      qt.Window().close();
      closeRefused = qt.Window().isVisible();
    });
    static_cast<QPushButton*>(qt.Window().ControlWidget("FlashButton"))->click();
    EXPECT_TRUE(qt.Form().Busy()) << "the click returned before the run ended";
    sampler.start(5);
    const LoopHangGuard guard(60000);
    QApplication::exec();
    ASSERT_FALSE(guard.Hung());

    EXPECT_TRUE(acted);
    EXPECT_EQ(drive.Commits().size(), c.commits);
    EXPECT_FALSE(drive.Bricked());
    EXPECT_EQ(system.restarts, 0);
    const std::vector<std::filesystem::directory_entry> records(
        std::filesystem::directory_iterator(state.FsPath() / "cdflash"), {});
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(::cdflash::test::Json::parse(std::ifstream(records.front().path())).at("exitCode"), c.exitCode);
    if (c.signal != 0) {
      EXPECT_FALSE(qt.Window().isVisible());
      continue;
    }
    // Refused to close, the window saw the run go by and ends it as before.
    EXPECT_TRUE(closeRefused);
    EXPECT_GE(positions.size(), 3u);
    EXPECT_TRUE(captions.count("Write BIN to drive's DRAM... "));
    EXPECT_TRUE(captions.count("Read back and Verify drive's DRAM... "));
    EXPECT_EQ(controls.GroupBox2->Caption(), "Flash Completed.");
    EXPECT_EQ(controls.ProgressBar->Position(), controls.ProgressBar->Maximum());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(controls.FlashButton->Enabled());
    EXPECT_TRUE(controls.ComboBox->Enabled());
    qt.Window().close();
    EXPECT_FALSE(qt.Window().isVisible());
  }
}

}  // namespace
}  // namespace cdflash::qtui::test
