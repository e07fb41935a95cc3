// The event plumbing: every handler runs guarded, so an exception shows the
// exception box and the window goes on; start-up failures show the box and
// never show the window; FormDestroy runs once when the window goes; the
// user's choice of a drive reaches the form.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <stdexcept>

#include "LoopHangGuard.h"
#include "ModalBoxAnswerer.h"
#include "app/FlashForm.h"
#include "support/FlashModeHarness.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"
#include "app/FormHandlers.h"
#include "ui/qt/MessageBoxes.h"
#include "ui/qt/RunApplication.h"

namespace cdflash::qtui::test {
namespace {

using Action = ExpectedBox::Action;
using enum FormEvent;
using cdflash::test::AcmeDrive;
using cdflash::test::OtherDrive;

ExpectedBox ExceptionBox(const char* text) {
  return {QStringLiteral("Flash utility"), QMessageBox::Critical, QString::fromLatin1(text),
          Action::Click, QStringLiteral("OK"), {"OK"}};
}

// Handlers that count the events and do what a test tells them on each.
struct ScriptedHandlers {
  void Handle(FormEvent event) {
    ++raised[event];
    if (on[event]) on[event]();
  }
  std::unique_ptr<IFormHandlers> Form() {
    return std::make_unique<FormEventFunction>([this](FormEvent event) { Handle(event); });
  }
  std::map<FormEvent, int> raised;
  std::map<FormEvent, std::function<void()>> on;
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
  const auto form = handlers.Form();
  FlashWindow window;
  BindForm(window, *form, dialogs);
  window.show();
  handlers.on[FlashButtonClick] = ThrowOnce("Drive went away");
  handlers.on[ComboBoxChange] = ThrowOnce("Bad entry");
  handlers.on[FileListBox1Click] = ThrowOnce("No file");
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
  for (const FormEvent event : {FlashButtonClick, ComboBoxChange, FileListBox1Click}) {
    EXPECT_EQ(handlers.raised[event], 2);
  }
  EXPECT_EQ(boxes.Seen().size(), 3u) << "one box for each first event";
  EXPECT_TRUE(window.isVisible());
}

// --- RunApplication -----------------------------------------------------------

// Records whether a window was ever shown, and acts on it once it is (from
// the event loop, after the show has completed).
class ShowWatcher final : public QObject {
 public:
  ShowWatcher(QWidget& window, std::function<void()> onShown) : onShown_(std::move(onShown)) {
    window.installEventFilter(this);
  }
  bool shown = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show && !shown) {
      shown = true;
      QTimer::singleShot(0, onShown_);
    }
    return false;
  }

 private:
  std::function<void()> onShown_;
};

class RunApplicationTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_FALSE(hangGuard.Hung()) << "the event loop did not end"; }

  // Runs the program with the form `makeForm` makes once the window exists,
  // by default one that passes every event to `handlers`. Once the window
  // shows, `onShown` looks at it and it is closed.
  int Run(const FormFactory& makeForm = {}, const std::function<void(FlashWindow&)>& onShown = {}) {
    char name[] = "cdflash";
    char* argv[] = {name, nullptr};
    return RunApplication(1, argv, [&](const FormControls& controls, const FormServices& services) {
      auto* window = dynamic_cast<FlashWindow*>(controls.window);
      watcher = std::make_unique<ShowWatcher>(*window, [window, onShown] {
        if (onShown) onShown(*window);
        window->close();
      });
      return makeForm ? makeForm(controls, services) : handlers.Form();
    });
  }

  LoopHangGuard hangGuard;  // a loop that nothing ends fails the test instead of hanging it
  ModalBoxAnswerer boxes;
  ScriptedHandlers handlers;
  std::unique_ptr<ShowWatcher> watcher;
};

TEST_F(RunApplicationTest, ShowsTheWindowAfterFormCreateAndEndsWhenItCloses) {
  bool shownDuringCreate = true;
  handlers.on[FormCreate] = [&] { shownDuringCreate = watcher->shown; };
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(shownDuringCreate);
  EXPECT_TRUE(watcher->shown);
  EXPECT_EQ(handlers.raised[FormCreate], 1);
  EXPECT_EQ(handlers.raised[FormDestroy], 1);
  EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Flash utility"));
}

TEST_F(RunApplicationTest, AQuitPostedByFormCreateEndsTheProgramWithoutTheWindow) {
  EXPECT_EQ(Run([this](const FormControls& controls, const FormServices& services) {
              handlers.on[FormCreate] = [controls, services] {
                services.application->PostQuit(0);
                controls.window->Close();
              };
              return handlers.Form();
            }),
            0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(handlers.raised[FormDestroy], 1);
}

TEST_F(RunApplicationTest, AnExceptionInFormCreateIsShownAndTheWindowNeverIs) {
  handlers.on[FormCreate] = [] { throw std::runtime_error("Cannot read the package"); };
  boxes.Expect(ExceptionBox("Cannot read the package."));
  EXPECT_EQ(Run(), 0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(handlers.raised[FormDestroy], 1);  // the window still goes through FormDestroy
}

TEST_F(RunApplicationTest, AnExceptionWhileMakingTheFormIsShownAndTheWindowNeverIs) {
  boxes.Expect(ExceptionBox("Out of resources."));
  EXPECT_EQ(Run([](const FormControls&, const FormServices&) -> std::unique_ptr<IFormHandlers> {
              throw std::runtime_error("Out of resources");
            }),
            0);
  EXPECT_FALSE(watcher->shown);
  EXPECT_EQ(handlers.raised[FormCreate], 0);
}

// Flash mode over simulated drives, at the design resolution, once the
// warning is answered Yes: the first entry reaches the drop-down uncut, and a
// key chooses the next. Which drives qualify and what the boxes and the label
// say are the form's (tests/form), flash mode's layout the window's.
using Scale1RunApplication = RunApplicationTest;
TEST_F(Scale1RunApplication, FlashModeShowsTheFirstDriveWholeAndTheKeyboardChoosesTheNext) {
  ASSERT_EQ(FlashWindow().logicalDpiY(), 120) << "run with QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0";
  sim::SimBench bench;  // outlives every drive the program opens
  for (const auto& drive : {AcmeDrive("1.10"), OtherDrive(), AcmeDrive("1.50")}) bench.platform.AddDrive(drive);
  boxes.Expect({QStringLiteral("Warning"), QMessageBox::Warning, QStringLiteral("\nWARNING:\n"), Action::Click,
                QStringLiteral("&Yes"), {"&Yes", "&No"}});
  const cdflash::test::TestPackage package = cdflash::test::AcmePackage();
  TFlashForm* form = nullptr;
  const auto makeForm = [&](const FormControls& controls, const FormServices& services) {
    auto made = std::make_unique<TFlashForm>(controls, services, package.View());
    form = made.get();
    return std::unique_ptr<IFormHandlers>(std::move(made));
  };
  EXPECT_EQ(Run(makeForm, [&form](FlashWindow& window) {
              auto* combo = dynamic_cast<QComboBox*>(window.ControlWidget("ComboBox"));
              EXPECT_EQ(combo->currentText(), QStringLiteral("0-0-0 0: ACME    CRW-4012A       1.10"));
              QStyleOptionComboBox option;
              option.initFrom(combo);
              const QRect field =
                  combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
              EXPECT_LE(combo->fontMetrics().horizontalAdvance(combo->currentText()), field.width())
                  << "the drop-down cuts the identity text";
              const auto selected = [form] { return form->Selected() != nullptr ? form->Selected()->letter : 0; };
              EXPECT_EQ(selected(), '0');
              combo->setFocus();
              QTest::keyClick(combo, Qt::Key_Down);  // the user's choice: raises ComboBoxChange
              EXPECT_EQ(selected(), '2');
            }),
            0);
  EXPECT_TRUE(watcher->shown);
}

}  // namespace
}  // namespace cdflash::qtui::test
