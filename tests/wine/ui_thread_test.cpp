// The Win32 UI-thread service: what a job posts and calls reaches the UI
// thread in the order it was sent, its `finished` comes after all of it, and
// destroying the window lets a running job end and then runs nothing more.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "WindowTestSupport.h"

namespace cdflash::win32::test {
namespace {

// The window's own service, as its form is given it.
class UiThread : public ::testing::Test {
 protected:
  void SetUp() override {
    window = WindowOfEvents([this](FormEvent, auto&, const FormServices& services) { ui = services.ui; }, &application);
    ASSERT_NE(ui, nullptr);
  }
  // Dispatches messages until `done` or 10 s have passed.
  static void PumpUntil(const bool& done) {
    for (const DWORD start = GetTickCount(); !done && GetTickCount() - start < 10000;) PumpMessages(5);
  }

  RecordingApplication application;
  IUiThread* ui = nullptr;
  std::unique_ptr<FlashWindow> window;
};

TEST_F(UiThread, PostsAndCallsOfAJobArriveInOrderOnTheUiThreadAndFinishedComesLast) {
  const DWORD uiThread = GetCurrentThreadId();
  std::vector<int> seen;  // the UI thread's
  bool elsewhere = false;
  std::vector<int> answers;  // the worker's
  bool finished = false;
  ui->RunInBackground(
      [&] {
        for (int i = 0; i < 60; ++i) {
          ui->Post([&, i] {
            seen.push_back(i);
            elsewhere = elsewhere || GetCurrentThreadId() != uiThread;
          });
          if (i % 20 == 19) {  // a question after a burst of updates
            int answer = 0;
            ui->Call([&, i] {
              seen.push_back(-i);
              answer = i;
            });
            answers.push_back(answer);
          }
        }
      },
      [&] {
        seen.push_back(1000);
        finished = true;
      });
  PumpUntil(finished);

  std::vector<int> expected;
  for (int i = 0; i < 60; ++i) {
    expected.push_back(i);
    if (i % 20 == 19) expected.push_back(-i);
  }
  expected.push_back(1000);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(answers, (std::vector<int>{19, 39, 59}));  // each call returned after its task ran
  EXPECT_FALSE(elsewhere);
}

TEST_F(UiThread, ClosingLetsTheJobEndAnsweringItsCallsAndThenRunsNothing) {
  std::vector<std::string> seen;
  ui->RunInBackground(
      [&] {
        Sleep(100);
        ui->Post([&] { seen.push_back("post"); });
        ui->Call([&] { seen.push_back("call"); });
      },
      [&] { seen.push_back("finished"); });
  DestroyWindow(window->Handle());  // while the job still runs
  EXPECT_EQ(seen, (std::vector<std::string>{"post", "call", "finished"}));

  ui->Post([&] { seen.push_back("late post"); });
  ui->Call([&] { seen.push_back("late call"); });
  PumpMessages(50);
  EXPECT_EQ(seen.size(), 3u);
}

}  // namespace
}  // namespace cdflash::win32::test
