// The event plumbing: every handler runs guarded, so an exception shows the
// exception box and the window goes on; start-up failures show the box and
// never show the window; FormDestroy runs once when the window goes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "ShowWatcher.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"
#include "app/FormHandlers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/RunApplication.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;

ExpectedBox ExceptionBox(const char* text) {
  return {QStringLiteral("Flash utility"), QMessageBox::Critical, QString::fromLatin1(text),
          Action::Click, QStringLiteral("OK"), {"OK"}};
}

// Handlers that do what a test tells them and count their calls.
class ScriptedHandlers final : public IFormHandlers {
 public:
  void FormCreate() override { Run(onCreate, created); }
  void FormDestroy() override { Run(onDestroy, destroyed); }
  void ComboBoxChange() override { Run(onCombo, comboChanges); }
  void FileListBox1Click() override { Run(onFileList, fileClicks); }
  void FlashButtonClick() override { Run(onFlash, flashClicks); }

  std::function<void()> onCreate, onDestroy, onCombo, onFileList, onFlash;
  int created = 0, destroyed = 0, comboChanges = 0, fileClicks = 0, flashClicks = 0;

 private:
  static void Run(const std::function<void()>& action, int& count) {
    ++count;
    if (action) action();
  }
};

// Throws the first time only.
std::function<void()> ThrowOnce(const char* message) {
  return [message, thrown = false]() mutable {
    if (!std::exchange(thrown, true)) throw std::runtime_error(message);
  };
}

TEST(GuardedHandlers, AnExceptionInAnyUserEventIsShownAndTheWindowGoesOn) {
  ModalBoxAnswerer boxes;
  MessageBoxes dialogs;
  ScriptedHandlers handlers;
  FlashWindow window;
  BindForm(window, handlers, dialogs);
  window.show();
  handlers.onFlash = ThrowOnce("Drive went away");
  handlers.onCombo = ThrowOnce("Bad entry");
  handlers.onFileList = ThrowOnce("No file");
  for (const char* text : {"Drive went away.", "Bad entry.", "No file."}) boxes.Expect(ExceptionBox(text));
  const FormControls controls = window.Controls();
  controls.ComboBox->Add("A");
  controls.ComboBox->Add("B");
  controls.ComboBox->SetItemIndex(0);
  QWidget* combo = window.ControlWidget("ComboBox");
  auto* list = qobject_cast<QListWidget*>(window.ControlWidget("FileListBox1"));
  for (int i = 0; i < 2; ++i) QTest::mouseClick(window.ControlWidget("FlashButton"), Qt::LeftButton);
  QTest::keyClick(combo, Qt::Key_Down);
  QTest::keyClick(combo, Qt::Key_Up);
  for (int i = 0; i < 2; ++i) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(handlers.flashClicks, 2);
  EXPECT_EQ(handlers.comboChanges, 2);
  EXPECT_EQ(handlers.fileClicks, 2);
  EXPECT_EQ(boxes.Seen().size(), 3u) << "one box for each first event";
  EXPECT_TRUE(window.isVisible());
}

// --- RunApplication -----------------------------------------------------------

class RunApplicationTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_FALSE(hangGuard.Hung()) << "the event loop did not end"; }

  // Runs the program with `handlers`; `setUp` runs once the window exists.
  int Run(std::function<void(const FormControls&, const FormServices&)> setUp = {}) {
    char name[] = "cdflash";
    char* argv[] = {name, nullptr};
    return RunApplication(1, argv, [&](const FormControls& controls, const FormServices& services) {
      auto* window = dynamic_cast<FlashWindow*>(controls.window);
      watcher = std::make_unique<ShowWatcher>(*window, [window] { window->close(); });
      if (setUp) setUp(controls, services);
      // RunApplication owns its form; this one passes everything to `handlers`.
      return std::unique_ptr<IFormHandlers>(
          std::make_unique<FormEventFunction>([this](FormEvent event) { Raise(handlers, event); }));
    });
  }

  LoopHangGuard hangGuard;  // a loop that nothing ends fails the test instead of hanging it
  ModalBoxAnswerer boxes;
  ScriptedHandlers handlers;
  std::unique_ptr<ShowWatcher> watcher;
};

TEST_F(RunApplicationTest, ShowsTheWindowAfterFormCreateAndEndsWhenItCloses) {
  bool shownDuringCreate = true;
  handlers.onCreate = [&] { shownDuringCreate = watcher->shown; };
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(shownDuringCreate);
  EXPECT_TRUE(watcher->shown);
  EXPECT_EQ(handlers.created, 1);
  EXPECT_EQ(handlers.destroyed, 1);
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Flash utility"));
}

TEST_F(RunApplicationTest, AQuitPostedByFormCreateEndsTheProgramWithoutTheWindow) {
  EXPECT_EQ(Run([this](const FormControls& controls, const FormServices& services) {
              handlers.onCreate = [controls, services] {
                services.application->PostQuit(0);
                controls.window->Close();
              };
            }),
            0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(handlers.destroyed, 1);
}

TEST_F(RunApplicationTest, AnExceptionInFormCreateIsShownAndTheWindowNeverIs) {
  handlers.onCreate = [] { throw std::runtime_error("Cannot read the package"); };
  boxes.Expect(ExceptionBox("Cannot read the package."));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(handlers.destroyed, 1);  // the window still goes through FormDestroy
}

TEST_F(RunApplicationTest, AnExceptionWhileMakingTheFormIsShownAndTheWindowNeverIs) {
  boxes.Expect(ExceptionBox("Out of resources."));
  EXPECT_EQ(Run([](const FormControls&, const FormServices&) {
              throw std::runtime_error("Out of resources");
            }),
            0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(handlers.created, 0);
}

}  // namespace
}  // namespace cdflash::qtui::test
