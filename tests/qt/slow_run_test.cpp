// A flash run in the real window over a drive that answers slowly: the run
// works on its own thread, so the window keeps reading, drawing and
// refusing to close while it lasts, and ends as a fast run does.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "QtFormHarness.h"
#include "SimBench.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;

// Every command of the simulated machine takes `delay` longer.
class SlowPlatform final : public IPlatform {
 public:
  SlowPlatform(sim::SimPlatform& inner, std::chrono::milliseconds delay)
      : inner_(inner), route_(inner.Route(), delay), scope_(*this) {}
  std::uint32_t PlatformId() override { return inner_.PlatformId(); }
  IRoute& RouteFor(std::uint32_t) override { return route_; }
  std::vector<DriveAddress> DriveAddresses(std::uint32_t id) override {
    return inner_.DriveAddresses(id);
  }

 private:
  class SlowRoute final : public IRoute {
   public:
    SlowRoute(IRoute& inner, std::chrono::milliseconds delay) : inner_(inner), delay_(delay) {}
    std::uint8_t Initialise() override { return inner_.Initialise(); }
    RouteDevice Open(const DriveAddress& a) override { return inner_.Open(a); }
    RouteOutcome Execute(RouteDevice d, const DriveAddress& a, const RouteCommand& c) override {
      std::this_thread::sleep_for(delay_);
      return inner_.Execute(d, a, c);
    }
    void CloseDevice(RouteDevice d) override { inner_.CloseDevice(d); }
    bool Release(RouteDevice d, bool noDeviceOpen) override { return inner_.Release(d, noDeviceOpen); }

   private:
    IRoute& inner_;
    std::chrono::milliseconds delay_;
  };

  sim::SimPlatform& inner_;
  SlowRoute route_;
  sim::ScopedPlatform scope_;
};

ExpectedBox Question(const char* title, const char* text, const char* button) {
  return {QString::fromLatin1(title), title[0] == 'W' ? QMessageBox::Warning : QMessageBox::Question,
          QString::fromLatin1(text), Action::Click, QString::fromLatin1(button), {"&Yes", "&No"}};
}

TEST(SlowRun, WindowAnswersAndRefusesToCloseWhileTheRunLasts) {
  sim::SimBench bench(kPlatformLinux);
  sim::SimDrive& drive = bench.platform.AddDrive();
  SlowPlatform slow(bench.platform, std::chrono::milliseconds(25));

  ModalBoxAnswerer boxes;
  boxes.Expect(Question("Warning", "\nWARNING:\n", "&Yes"));
  boxes.Expect(Question("Confirm", "\nUpdate FW:1.00 to FW:2.00 ?\n", "&Yes"));
  boxes.Expect(Question("Confirm", "The system needs to be restarted", "&No"));

  const TestPackage package("FLSH");
  QtForm qt(package.View());
  qt.Form().FormCreate();
  qt.Window().show();
  const FormControls controls = qt.Window().Controls();

  // Read the window from its own thread while the run goes on, and ask it
  // to close once the commit has begun.
  std::set<std::string> captions;
  std::set<long long> positions;
  int samples = 0;
  bool closeTried = false;
  bool closeRefused = false;
  qint64 longestGap = 0;
  QElapsedTimer sinceLast;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    if (sinceLast.isValid()) longestGap = std::max(longestGap, sinceLast.restart());
    if (!qt.Form().Busy()) return;
    ++samples;
    captions.insert(controls.GroupBox2->Caption());
    positions.insert(controls.ProgressBar->Position());
    if (!closeTried && controls.GroupBox2->Caption().rfind("Don't turn off", 0) == 0) {
      closeTried = true;
      qt.Window().close();
      closeRefused = qt.Window().isVisible();
    }
    EXPECT_FALSE(controls.FlashButton->Enabled());
    EXPECT_FALSE(controls.ComboBox->Enabled());
  });
  QTimer finished;
  QObject::connect(&finished, &QTimer::timeout, [&] {
    if (!qt.Form().Busy()) QCoreApplication::exit(0);
  });

  QElapsedTimer run;
  run.start();
  static_cast<QPushButton*>(qt.Window().ControlWidget("FlashButton"))->click();
  EXPECT_TRUE(qt.Form().Busy()) << "the click returned before the run ended";
  sinceLast.start();
  sampler.start(10);
  finished.start(20);
  LoopHangGuard guard(60000);
  QApplication::exec();
  ASSERT_FALSE(guard.Hung());
  for (const std::string& failure : boxes.Failures()) ADD_FAILURE() << failure;

  std::printf("slow run: %lld ms, %d samples from the UI thread, longest gap %lld ms, "
              "%zu progress positions, %zu captions\n",
              static_cast<long long>(run.elapsed()), samples, static_cast<long long>(longestGap),
              positions.size(), captions.size());
  EXPECT_GE(positions.size(), 3u);
  EXPECT_TRUE(captions.count("Write BIN to drive's DRAM... "));
  EXPECT_TRUE(captions.count("Read back and Verify drive's DRAM... "));
  EXPECT_TRUE(closeTried);
  EXPECT_TRUE(closeRefused);

  // The run ends as a fast one does, and the window is as before.
  EXPECT_EQ(controls.GroupBox2->Caption(), "Flash Completed.");
  EXPECT_EQ(controls.ProgressBar->Position(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(controls.FlashButton->Enabled());
  EXPECT_TRUE(controls.ComboBox->Enabled());
  ASSERT_EQ(drive.Commits().size(), 1u);
  EXPECT_FALSE(drive.Bricked());
  EXPECT_EQ(CDDrive::Timeout(), 60);
  qt.Window().close();
  EXPECT_FALSE(qt.Window().isVisible());
}

}  // namespace
}  // namespace cdflash::qtui::test
