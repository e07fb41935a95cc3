// The control adapters on real controls: lists, the 32-bit progress range,
// the file list with its directory and masks.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "ui/win32/FileMask.h"
#include "ui/win32/FlashWindow.h"

namespace cdflash::win32::test {
namespace {

class ControlAdapters : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowOptions options;
    options.handlers = [](FormEvent, FlashWindow&) {};
    window = FlashWindow::Create(std::move(options));
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (int i = 0; i < window->FileListBox1().Count(); ++i) names.push_back(window->FileListBox1().Item(i));
    return names;
  }
  std::unique_ptr<FlashWindow> window;
};

TEST_F(ControlAdapters, ComboBoxAddsInsertsDeletesAndClears) {
  IComboBox& combo = window->ComboBox();
  combo.Add("b");
  combo.Add("d");
  combo.Insert(0, "a");
  combo.Insert(2, "c");
  ASSERT_EQ(combo.Count(), 4);
  EXPECT_EQ(combo.Item(0), "a");
  EXPECT_EQ(combo.Item(2), "c");
  EXPECT_EQ(combo.Item(3), "d");
  combo.SetItemIndex(3);
  EXPECT_EQ(combo.ItemIndex(), 3);
  combo.Delete(1);
  EXPECT_EQ(combo.Item(1), "c");
  combo.Clear();
  EXPECT_EQ(combo.Count(), 0);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ControlAdapters, ComboBoxKeepsSingleByteTextsAndRefusesBadIndexes) {
  IComboBox& combo = window->ComboBox();
  const std::string text = "0-1-0 E: VENDOR  PRODUCT \xA4\xA4\xA4\xE5 1.0";
  combo.Add(text);
  EXPECT_EQ(combo.Item(0), text);
  EXPECT_THROW(combo.Item(1), std::out_of_range);
  EXPECT_THROW(combo.Item(-1), std::out_of_range);
  EXPECT_THROW(combo.Delete(5), std::out_of_range);
  EXPECT_THROW(combo.Insert(3, "x"), std::out_of_range);
  combo.SetItemIndex(7);  // out of range: no selection
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST_F(ControlAdapters, ProgressBarTakesImageLengthsBeyondSixteenBits) {
  IProgressBar& bar = window->ProgressBar();
  bar.SetRange(0, 0x50000);
  EXPECT_EQ(bar.Minimum(), 0);
  EXPECT_EQ(bar.Maximum(), 0x50000);
  bar.SetPosition(0x48000);
  EXPECT_EQ(bar.Position(), 0x48000);
  bar.SetStep(0x4000);
  EXPECT_EQ(bar.Step(), 0x4000);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 0x4C000);
  bar.StepIt();
  bar.StepIt();  // stops at the maximum instead of wrapping round
  EXPECT_EQ(bar.Position(), 0x50000);
  bar.StepBy(-0x60000);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(0x7FFFFFFFFFLL);
  EXPECT_EQ(bar.Position(), 0x50000);
}

TEST_F(ControlAdapters, GroupBoxAndButtonCaptions) {
  window->GroupBox2().SetCaption("Write Buffer> 05 24 00. 00, 0000");
  EXPECT_EQ(window->GroupBox2().Caption(), "Write Buffer> 05 24 00. 00, 0000");
  window->GroupBox2().Repaint();
  window->FlashButton().SetCaption("Build");
  EXPECT_EQ(window->FlashButton().Caption(), "Build");
  window->Window().SetCaption(" Flash V1.043 1.00-1.50 [Buiding]");
  EXPECT_EQ(window->Window().Caption(), " Flash V1.043 1.00-1.50 [Buiding]");
}

TEST_F(ControlAdapters, FileListShowsTheMatchingFilesOfItsDirectorySorted) {
  TempDirectory directory;
  for (const char* name : {"V102.Bin", "v101.bin", "V100.BIN", "NOTES.TXT", "README", "V100.BIN.OLD"}) {
    directory.AddFile(name);
  }
  directory.AddFile("HIDDEN.BIN", FILE_ATTRIBUTE_HIDDEN);
  directory.AddDirectory("FOLDER.BIN");

  IFileListBox& list = window->FileListBox1();
  list.SetMask("*.bin");
  list.SetDirectory(directory.Path());
  EXPECT_EQ(list.Directory(), directory.Path());
  EXPECT_EQ(Files(), (std::vector<std::string>{"V100.BIN", "v101.bin", "V102.Bin"}));

  list.SetMask(" *.txt ; readme;");
  EXPECT_EQ(Files(), (std::vector<std::string>{"NOTES.TXT", "README"}));
  list.SetMask("V10?.BIN");
  EXPECT_EQ(list.Count(), 3);
  list.SetMask("");
  EXPECT_EQ(list.Count(), 0);

  list.SetMask("*.bin");
  directory.AddFile("V103.BIN");
  EXPECT_EQ(list.Count(), 3);
  list.Update();
  EXPECT_EQ(list.Count(), 4);
}

TEST_F(ControlAdapters, FileNameJoinsDirectoryAndSelectedItem) {
  TempDirectory directory;
  directory.AddFile("V100.BIN");
  Win32FileListBox& list = window->FileListBox1();
  list.SetMask("*.BIN");
  list.SetDirectory(directory.Path() + "\\");
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.FileName(), "");
  list.SetItemIndex(0);
  EXPECT_EQ(list.FileName(), directory.Path() + "\\V100.BIN");  // one separator only
  EXPECT_THROW(list.Item(1), std::out_of_range);
}

TEST_F(ControlAdapters, FileListOfAMissingDirectoryIsEmpty) {
  window->FileListBox1().SetDirectory("C:\\no\\such\\directory");
  EXPECT_EQ(window->FileListBox1().Count(), 0);
}

TEST(FileMask, SplitsOnSemicolonsAndDropsBlanksAndEmptyPatterns) {
  EXPECT_EQ(SplitMask("*.bin;*.hex"), (std::vector<std::string>{"*.bin", "*.hex"}));
  EXPECT_EQ(SplitMask("  a*.bin ;; ;b?.bin"), (std::vector<std::string>{"a*.bin", "b?.bin"}));
  EXPECT_TRUE(SplitMask("").empty());
  EXPECT_TRUE(SplitMask(" ; ").empty());
}

TEST(FileMask, MatchesDosWildcardsWithoutRegardToCase) {
  EXPECT_TRUE(MatchesMask("V100.BIN", "*.bin"));
  EXPECT_TRUE(MatchesMask("v100.bin", "V1??.BIN"));
  EXPECT_FALSE(MatchesMask("V1000.BIN", "V1??.BIN"));
  EXPECT_FALSE(MatchesMask("V100.BIN.OLD", "*.bin"));
  EXPECT_TRUE(MatchesMask("V100.BIN.OLD", "*.txt;*.old"));
  EXPECT_TRUE(MatchesMask("README", "*.*"));
  EXPECT_FALSE(MatchesMask("V100.BIN", ""));
}

}  // namespace
}  // namespace cdflash::win32::test
