// Build mode with fake controls over a temporary folder: loading the model
// table, choosing a model, clicking a file, and building flashers from a
// copy of a real executable.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "builder/FlasherImage.h"
#include "builder/ModelTable.h"
#include "package/PackageView.h"
#include "support/EngineHarness.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

namespace fs = std::filesystem;
using test::FormHarness;
using Bytes = std::vector<std::uint8_t>;

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;
using test::WriteText;

// The program lives in the folder, which is also the current directory.
void UseFolder(FormHarness& harness, const std::string& program, const std::string& directory) {
  harness.system.program = program;
  harness.system.directory = directory;
}

std::string Section(int n, const std::string& model, const std::string& inquiry,
                    const std::string& range, const std::string& mask, const std::string& vendor,
                    const std::string& note) {
  return "[" + ModelSectionName(n) + "]\nModel=" + model + "\nInquiry=" + inquiry +
         "\nFW-Range=" + range + "\nBINMask=" + mask + "\nVendor=" + vendor + "\nNote=" + note +
         "\n";
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string SampleSection(int n) {
  return Section(n, "CRW-40" + std::to_string(10 + n), "ACME    CRW-40" + std::to_string(10 + n),
                 "1.00-1.5" + std::to_string(n % 10), std::to_string(n) + ".*.BIN", "ACME", "");
}

class BuildMode : public ::testing::Test {
 protected:
  void SetUp() override { UseFolder(h, folder / "CDFL.EXE", folder.Path()); }
  void WriteTable(const std::string& text) { WriteText(folder / "CDFL.INI", text); }
  void Start() { h.form.FormCreate(); }

  TempFolder folder;
  FormHarness h;  // the program's own package: a template
};

TEST_F(BuildMode, OneModelIsOfferedSelectedAndTheWindowRelabelled) {
  WriteTable(Section(0, "CRW-4012", "ACME    CRW-4012A", "1.00-1.50", "1.*.BIN; 1.*.HEX", "ACME",
                     "first"));
  for (const char* name : {"1.61.hex", "1.60.BIN", "2.00.BIN", "1.60.BIN.txt"}) WriteText(folder / name, "x");
  fs::create_directory(folder / "1.99.BIN");
  Start();
  EXPECT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(h.dialogs.shown);
  EXPECT_TRUE(h.application.quits.empty());
  EXPECT_EQ(h.combo.items, std::vector<std::string>{"1.00-1.50 ACME    CRW-4012A"});
  EXPECT_EQ(h.combo.index, 0);
  EXPECT_EQ(h.fileList.items, (std::vector<std::string>{"1.60.BIN", "1.61.hex"}));
  EXPECT_TRUE(h.fileList.Visible());
  EXPECT_EQ(h.groupBox.GetBounds(), test::DesignBounds("GroupBox2")) << "the design's layout";
  EXPECT_EQ(h.window.caption, " Flash V1.043 1.00-1.50 [Buiding]");
  EXPECT_EQ(h.label.Text(), "Select Model: ");
  EXPECT_EQ(h.button.caption, "Build");
  EXPECT_FALSE(h.button.enabled);
}

// The table read in full, or the program ended at its first broken model,
// or without a table at all.
TEST(ModelTableAtStart, ModelsAreReadUpToTheFirstGapOrBrokenSection) {
  std::string hundred;
  for (int n = 0; n < 100; ++n) hundred += SampleSection(n);
  struct Case {
    const char* name;
    std::optional<std::string> table;  // none: no table file
    int models;
    const char* box;  // the box's first line, %s for the table's path; none: no box
  };
  const Case cases[] = {
      {"a gap ends the numbering", SampleSection(0) + SampleSection(1) + SampleSection(3), 2, nullptr},
      {"one hundred models, the next never read", hundred + "[MODEL100]\nModel=NEVER\n", 100, nullptr},
      {"fail in lower case is a value", Section(0, "M", "I", "R", "*.BIN", "V", "fail"), 1, nullptr},
      {"FAIL in capitals is a missing key", Section(0, "M", "I", "R", "*.BIN", "V", "FAIL"), 0,
       "%s > Session MODEL00 error!"},
      {"an incomplete section",
       SampleSection(0) + "[MODEL01]\nModel=X\nInquiry=Y\nFW-Range=1-2\nBINMask=*.BIN\nVendor=V\n", 0,
       "%s > Session MODEL01 error!"},
      {"no model section", "; nothing here\n[OTHER]\nModel=X\n", 0, "%s > Session MODEL00 error!"},
      {"no table", std::nullopt, 0, "Can't load %s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    FormHarness h;
    UseFolder(h, folder / "CDFL.EXE", folder.Path());
    if (c.table) WriteText(folder / "CDFL.INI", *c.table);
    h.form.FormCreate();
    if (c.box == nullptr) {
      EXPECT_EQ(h.combo.Count(), c.models);
      EXPECT_TRUE(h.dialogs.shown.empty());
      EXPECT_TRUE(h.application.quits.empty());
    } else {
      std::string box = c.box;
      box.replace(box.find("%s"), 2, folder / "CDFL.INI");
      ASSERT_EQ(h.dialogs.shown.size(), 1u);
      EXPECT_EQ(h.dialogs.shown[0].kind, "Message");
      EXPECT_EQ(FirstLine(h.dialogs.shown[0].text), box);
      EXPECT_EQ(h.application.quits, std::vector<int>{0});
      EXPECT_EQ(h.combo.index, -1);
      EXPECT_NE(h.button.caption, "Build");  // the set-up stops
    }
  }
}

TEST_F(BuildMode, ValuesAreStoredInHeaderFormsWhileTheEntryShowsThemAsRead) {
  const std::string model30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  const std::string range30 = "1.00-1.50 and some more words";
  const std::string section = Section(0, model30, "SHORTINQRY", range30, "*.bin",
                                      "VENDOR-NAME-LONGER-THAN-24-CHARS", "FLASH-ALL and then some more");
  WriteTable(section);
  Start();
  ASSERT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.combo.items.front(), range30 + " SHORTINQRY");
  const ModelTable table = ReadModelTable(IniFile::Parse(section));
  ASSERT_EQ(table.models.size(), 1u);
  const ModelEntry& stored = table.models.front();
  EXPECT_EQ(stored.model, model30.substr(0, 24));
  EXPECT_EQ(stored.inquiry, "SHORTINQRY" + std::string(14, ' '));
  EXPECT_EQ(stored.fwRange, range30.substr(0, 24));
  EXPECT_EQ(stored.vendor, "VENDOR-NAME-LONGER-THAN-");
  EXPECT_EQ(stored.note, "FLASH-ALL and then some ");
  EXPECT_EQ(stored.binMask, "*.bin");
  EXPECT_EQ(h.window.caption, " Flash V1.043 " + range30.substr(0, 24) + " [Buiding]");
}

#ifndef _WIN32
// An installed template started from the menu: its folder holds no table,
// the user's configuration does; the BIN files are those of the folder it
// was started from, and the flashers go there.
TEST_F(BuildMode, InstalledCopyReadsTheUsersTableAndListsTheFolderItWasStartedFrom) {
  TempFolder prefix, home, work;
  fs::create_directories(prefix / "bin");
  h.system.program = prefix / "bin/cdflash";
  h.system.directory = work.Path();
  h.system.environment = {{"HOME", home.Path()}};
  fs::create_directories(home / ".config/cdflash");
  WriteText(home / ".config/cdflash/cdflash.INI", SampleSection(0) + SampleSection(1));
  WriteText(work / "0.10.BIN", "x");
  Start();
  EXPECT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(h.dialogs.shown);
  EXPECT_EQ(h.combo.Count(), 2);
  EXPECT_EQ(h.fileList.items, std::vector<std::string>{"0.10.BIN"});
  EXPECT_EQ(h.button.caption, "Build");
}
#endif

TEST_F(BuildMode, ClickRecordsTheFileNameAndModelChoiceListsTheFolderAnew) {
  WriteTable(SampleSection(0) + SampleSection(1));
  WriteText(folder / "0.10.BIN", "x");
  Start();
  ASSERT_EQ(h.fileList.items, std::vector<std::string>{"0.10.BIN"});
  h.fileList.SetItemIndex(0);
  h.form.FileListBox1Click();
  EXPECT_TRUE(h.button.enabled);

  WriteText(folder / "1.60.BIN", "x");
  h.combo.index = 1;
  h.form.ComboBoxChange();
  EXPECT_FALSE(h.button.enabled);
  EXPECT_EQ(h.fileList.items, std::vector<std::string>{"1.60.BIN"});
  EXPECT_EQ(h.window.caption, " Flash V1.043 1.00-1.51 [Buiding]");

  WriteText(folder / "1.61.BIN", "x");
  h.form.ComboBoxChange();  // the same model again still reads the folder anew
  EXPECT_EQ(h.fileList.items, (std::vector<std::string>{"1.60.BIN", "1.61.BIN"}));
}

TEST_F(BuildMode, ClickWithoutSelectionEnablesTheButtonAndTheBuildFailsToOpen) {
  WriteTable(SampleSection(0));
  Start();
  h.fileList.index = -1;
  h.form.FileListBox1Click();
  EXPECT_TRUE(h.button.enabled);

  h.form.FlashButtonClick();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, "Open  fail!");
  EXPECT_EQ(h.groupBox.caption, "Building   Please wait... ");
  EXPECT_EQ(h.cursor.log, (std::vector<std::string>{"hourglass", "default"}));
}

#ifdef CDFLASH_TEMPLATE_EXE
// A click on a BIN and on "Build" writes a flasher of the chosen model from a
// copy of a real executable; the window shows the build's captions and is
// ready for the next. The flasher's bytes and digest are the builder's
// (tests/unit), its runs the release checks'.
TEST_F(BuildMode, BuildClickWritesAFlasherOfTheChosenModel) {
  fs::copy_file(CDFLASH_TEMPLATE_EXE, h.system.program);
  WriteTable(SampleSection(0) + SampleSection(1));
  std::vector<std::uint8_t> bin(0x40000);
  for (std::size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<std::uint8_t>((i * 13 + i / 509) & 0x7F);
  WriteBytes(folder / "1.60.BIN", bin);
  Start();
  h.combo.index = 1;
  h.form.ComboBoxChange();
  ASSERT_EQ(h.fileList.items, std::vector<std::string>{"1.60.BIN"});
  h.fileList.SetItemIndex(0);
  h.form.FileListBox1Click();
  h.form.FlashButtonClick();
  ASSERT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(h.dialogs.shown);

  const Bytes out = ReadBytes(folder / "1.60.EXE");
  const auto keyWord = PackageView::Embedded().KeyWord();
  ASSERT_TRUE(HoldsFlasherPackage(out, keyWord));
  const std::size_t keyAt = FindKeyWordEnd(out, keyWord) - kKeyWordSize;
  const PackageView view(std::span<const std::uint8_t, kPackageSize>(&out[keyAt], kPackageSize));
  EXPECT_EQ(view.ModelText(), "CRW-4011");
  EXPECT_EQ(view.PackageRevision(), "1.60");

  EXPECT_EQ(h.groupBox.repaintedCaptions,
            (std::vector<std::string>{"Building 1.60.BIN  Please wait... ", "Build 1.60.EXE ok!"}));
  EXPECT_EQ(h.progress.position, 0);
  EXPECT_EQ(h.cursor.log, (std::vector<std::string>{"hourglass", "default"}));
  EXPECT_TRUE(h.button.enabled);
}
#endif  // CDFLASH_TEMPLATE_EXE

}  // namespace
}  // namespace cdflash
