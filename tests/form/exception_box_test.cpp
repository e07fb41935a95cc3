// The exception box's text, and what a handler that throws leaves behind.

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/AppTexts.h"
#include "app/Guard.h"
#include "support/ScriptedDialogs.h"

namespace cdflash {
namespace {


TEST(ExceptionBox, FullStopOnlyWhenTheLastCharacterSortsAfterIt) {
  EXPECT_EQ(ExceptionBoxText("Access violation"), "Access violation.");
  EXPECT_EQ(ExceptionBoxText("Done."), "Done.");
  EXPECT_EQ(ExceptionBoxText("Why?"), "Why?.");  // '?' sorts after '.'
  EXPECT_EQ(ExceptionBoxText("Oops!"), "Oops!");  // '!' sorts before '.'
  EXPECT_EQ(ExceptionBoxText("a-"), "a-");
  EXPECT_EQ(ExceptionBoxText("path/"), "path/.");
  EXPECT_EQ(ExceptionBoxText(""), "");
}

TEST(ExceptionBox, HandlerExceptionIsShownAndTheNextHandlerRuns) {
  test::ScriptedDialogs dialogs;
  RunGuarded(dialogs, [] { throw std::runtime_error("Disk full"); });
  int ran = 0;
  RunGuarded(dialogs, [&] { ++ran; });
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "Exception");
  EXPECT_EQ(dialogs.shown[0].text, "Disk full.");
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace cdflash
