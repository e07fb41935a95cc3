// Build mode with fake controls over a temporary folder: loading the model
// table, choosing a model, clicking a file, and building flashers from a
// copy of a real executable.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "builder/ModelTable.h"
#include "package/PackageDigest.h"
#include "package/PackageView.h"
#include "builder/FlasherBuilder.h"
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

// The program lives in the folder, which is also the current directory.
void UseFolder(FormHarness& harness, const std::string& program, const std::string& directory) {
  harness.system.program = program;
  harness.system.directory = directory;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
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
  void WriteTable(const std::string& text) { WriteFile(TablePath(), text); }
  std::string TablePath() const { return folder / "CDFL.INI"; }
  void Start() { h.form.FormCreate(); }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : h.dialogs.shown) texts.push_back(box.kind + ": " + box.text);
    return texts;
  }

  TempFolder folder;
  FormHarness h;  // the program's own package: a template
  test::FakeSystem& platform = h.system;
};

// --- The model table ---------------------------------------------------------

TEST_F(BuildMode, OneModelIsOfferedSelectedAndTheWindowRelabelled) {
  WriteTable(Section(0, "CRW-4012", "ACME    CRW-4012A", "1.00-1.50", "1.*.BIN; 1.*.HEX", "ACME",
                     "first"));
  for (const char* name : {"1.61.hex", "1.60.BIN", "2.00.BIN", "1.60.BIN.txt"}) WriteFile(folder / name, "x");
  fs::create_directory(folder / "1.99.BIN");
  Start();
  EXPECT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(Boxes());
  EXPECT_TRUE(h.application.quits.empty());
  EXPECT_EQ(h.combo.items, std::vector<std::string>{"1.00-1.50 ACME    CRW-4012A"});
  EXPECT_EQ(h.combo.index, 0);
  EXPECT_EQ(h.fileList.items, (std::vector<std::string>{"1.60.BIN", "1.61.hex"}));
  EXPECT_TRUE(h.fileList.Visible());
  EXPECT_EQ(h.window.caption, " Flash V1.043 1.00-1.50 [Buiding]");
  EXPECT_EQ(h.label.text_for_test(), "Select Model: ");
  EXPECT_EQ(h.button.caption, "Build");
  EXPECT_FALSE(h.button.enabled);
}

TEST_F(BuildMode, NumberingEndsAtTheFirstGapAndAtOneHundredModels) {
  WriteTable(SampleSection(0) + SampleSection(1) + SampleSection(3));
  Start();
  EXPECT_EQ(h.combo.Count(), 2);
  EXPECT_TRUE(h.dialogs.shown.empty());

  // 100 complete sections, then one that would be an error if it were read.
  std::string table;
  for (int n = 0; n < 100; ++n) table += SampleSection(n);
  table += "[MODEL100]\nModel=NEVER\n";
  TempFolder other;
  WriteFile(other / "CDFL.INI", table);
  FormHarness all;
  UseFolder(all, other / "CDFL.EXE", other.Path());
  all.form.FormCreate();
  EXPECT_EQ(all.combo.Count(), 100);
  EXPECT_TRUE(all.dialogs.shown.empty());
  EXPECT_EQ(all.combo.items.back(), "1.00-1.59 ACME    CRW-40109");
}

TEST_F(BuildMode, IncompleteSectionEndsTheProgramWithItsName) {
  WriteTable(SampleSection(0) +
             "[MODEL01]\nModel=X\nInquiry=Y\nFW-Range=1-2\nBINMask=*.BIN\nVendor=V\n");
  Start();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].kind, "Message");
  EXPECT_EQ(h.dialogs.shown[0].text, TablePath() + " > Session MODEL01 error!");
  EXPECT_EQ(h.application.quits, std::vector<int>{0});
  EXPECT_EQ(h.combo.index, -1);
  EXPECT_NE(h.button.caption, "Build");  // the set-up stops
}

TEST_F(BuildMode, FailInCapitalsCountsAsMissingButNotInLowerCase) {
  WriteTable(Section(0, "M", "I", "R", "*.BIN", "V", "FAIL"));
  Start();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, TablePath() + " > Session MODEL00 error!");

  TempFolder other;
  WriteFile(other / "CDFL.INI", Section(0, "M", "I", "R", "*.BIN", "V", "fail"));
  FormHarness lower;
  UseFolder(lower, other / "CDFL.EXE", other.Path());
  lower.form.FormCreate();
  EXPECT_TRUE(lower.dialogs.shown.empty());
  EXPECT_EQ(lower.combo.Count(), 1);
}

TEST_F(BuildMode, EmptyOrMissingTableEndsTheProgram) {
  WriteTable("; nothing here\n[OTHER]\nModel=X\n");
  Start();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, TablePath() + " > Session MODEL00 error!");
  EXPECT_EQ(h.application.quits, std::vector<int>{0});

  FormHarness none;
  const fs::path sub = fs::path(folder / "sub");
  UseFolder(none, (sub / "NONE.EXE").string(), folder.Path());
  none.form.FormCreate();
  ASSERT_EQ(none.dialogs.shown.size(), 1u);
  EXPECT_EQ(none.dialogs.shown[0].kind, "Message");
  EXPECT_EQ(FirstLine(none.dialogs.shown[0].text), "Can't load " + (sub / "NONE.INI").string());
  EXPECT_EQ(none.application.quits, std::vector<int>{0});
  EXPECT_TRUE(none.combo.items.empty());
  EXPECT_EQ(none.button.caption, "FLASH");
}

TEST_F(BuildMode, ValuesAreStoredInHeaderFormsWhileTheEntryShowsThemAsRead) {
  const std::string model30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  const std::string range30 = "1.00-1.50 and some more words";
  WriteTable(Section(0, model30, "SHORTINQRY", range30, "*.bin", "VENDOR-NAME-LONGER-THAN-24-CHARS",
                     "FLASH-ALL and then some more"));
  Start();
  ASSERT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.combo.items.front(), range30 + " SHORTINQRY");
  const ModelTable table = ReadModelTable(IniFile::Parse(
      Section(0, model30, "SHORTINQRY", range30, "*.bin", "VENDOR-NAME-LONGER-THAN-24-CHARS",
              "FLASH-ALL and then some more")));
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
TEST_F(BuildMode, LowerCaseTableNameIsFoundWhenTheUpperCaseOneIsAbsent) {
  platform.program = folder / "cdflash";  // executables here have no extension
  WriteFile(folder / "cdflash.ini", SampleSection(0));
  Start();
  EXPECT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(h.combo.Count(), 1);

  fs::remove(folder / "cdflash.ini");
  FormHarness none;
  UseFolder(none, platform.program, platform.directory);
  none.form.FormCreate();
  ASSERT_EQ(none.dialogs.shown.size(), 1u);
  EXPECT_EQ(FirstLine(none.dialogs.shown[0].text), "Can't load " + (folder / "cdflash.INI"));
}

// An installed template started from the menu: its folder holds no table,
// the user's configuration does; the BIN files are those of the folder it
// was started from, and the flashers go there.
TEST_F(BuildMode, InstalledCopyReadsTheUsersTableAndListsTheFolderItWasStartedFrom) {
  TempFolder prefix, home, work;
  fs::create_directories(prefix / "bin");
  platform.program = prefix / "bin/cdflash";
  platform.directory = work.Path();
  platform.environment = {{"HOME", home.Path()}};
  fs::create_directories(home / ".config/cdflash");
  WriteFile(home / ".config/cdflash/cdflash.INI", SampleSection(0) + SampleSection(1));
  WriteFile(work / "0.10.BIN", "x");
  Start();
  EXPECT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(Boxes());
  EXPECT_EQ(h.combo.Count(), 2);
  EXPECT_EQ(h.fileList.items, std::vector<std::string>{"0.10.BIN"});
  EXPECT_EQ(h.button.caption, "Build");

  fs::remove(home / ".config/cdflash/cdflash.INI");
  FormHarness none;
  UseFolder(none, platform.program, platform.directory);
  none.system.environment = platform.environment;
  none.form.FormCreate();
  ASSERT_EQ(none.dialogs.shown.size(), 1u);
  const std::string& text = none.dialogs.shown[0].text;
  EXPECT_EQ(FirstLine(text), "Can't load " + (prefix / "bin/cdflash.INI"));
  EXPECT_NE(text.find(home / ".config/cdflash/cdflash.INI"), std::string::npos) << text;
  EXPECT_EQ(none.application.quits, std::vector<int>{0});
}
#endif

TEST_F(BuildMode, ClickRecordsTheFileNameAndModelChoiceListsTheFolderAnew) {
  WriteTable(SampleSection(0) + SampleSection(1));
  WriteFile(folder / "0.10.BIN", "x");
  Start();
  ASSERT_EQ(h.fileList.items, std::vector<std::string>{"0.10.BIN"});
  h.fileList.SetItemIndex(0);
  h.form.FileListBox1Click(&h.fileList);
  EXPECT_TRUE(h.button.enabled);

  WriteFile(folder / "1.60.BIN", "x");
  h.combo.index = 1;
  h.form.ComboBoxChange(&h.combo);
  EXPECT_FALSE(h.button.enabled);
  EXPECT_EQ(h.fileList.items, std::vector<std::string>{"1.60.BIN"});
  EXPECT_EQ(h.window.caption, " Flash V1.043 1.00-1.51 [Buiding]");

  WriteFile(folder / "1.61.BIN", "x");
  h.form.ComboBoxChange(&h.combo);  // the same model again still reads the folder anew
  EXPECT_EQ(h.fileList.items, (std::vector<std::string>{"1.60.BIN", "1.61.BIN"}));
}

TEST_F(BuildMode, ClickWithoutSelectionEnablesTheButtonAndTheBuildFailsToOpen) {
  WriteTable(SampleSection(0));
  Start();
  h.fileList.index = -1;
  h.form.FileListBox1Click(&h.fileList);
  EXPECT_TRUE(h.button.enabled);

  h.form.FlashButtonClick(&h.button);
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, "Open  fail!");
  EXPECT_EQ(h.groupBox.caption, "Building   Please wait... ");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1)
      << "only the table: nothing created";
  EXPECT_EQ(h.cursor.log, (std::vector<std::string>{"hourglass", "default"}));
}

// --- Building a flasher ------------------------------------------------------

#ifdef CDFLASH_TEMPLATE_EXE

constexpr std::size_t kSlotFromKeyWord = kKeyWordSize + kHeaderSize;

Bytes Pattern(std::size_t length, std::uint8_t seed) {
  Bytes b(length);
  for (std::size_t i = 0; i < length; ++i) b[i] = static_cast<std::uint8_t>((i * 13 + seed + i / 509) & 0xFF);
  return b;
}

// Offset of the key-word (or another marker) in `file`, searched
// independently of the builder.
std::size_t MarkerAt(const Bytes& file, std::span<const std::uint8_t> marker) {
  const auto it = std::search(file.begin(), file.end(), marker.begin(), marker.end());
  return it == file.end() ? file.size() : static_cast<std::size_t>(it - file.begin());
}
std::size_t KeyWordAt(const Bytes& file) { return MarkerAt(file, PackageView::Embedded().KeyWord()); }
std::size_t DigestAt(const Bytes& file) {
  return MarkerAt(file, EmbeddedDigestMarker()) + kDigestMarkerSize;
}

// The package and digest of a built flasher, as the flasher sees its own.
PackageView FlasherView(const Bytes& file) {
  const std::size_t keyAt = KeyWordAt(file);
  return PackageView(std::span<const std::uint8_t, kPackageSize>(file.data() + keyAt, kPackageSize),
                     std::span<const std::uint8_t, kSha256Size>(file.data() + DigestAt(file), kSha256Size));
}

class Builder : public BuildMode {
 protected:
  void SetUp() override {
    BuildMode::SetUp();
    fs::copy_file(CDFLASH_TEMPLATE_EXE, platform.program);
    templateBytes = ReadBytes(platform.program);
    ASSERT_GT(templateBytes.size(), kPackageSize);
    keyAt = KeyWordAt(templateBytes);
    ASSERT_LT(keyAt + kPackageSize, templateBytes.size() + 1);
    WriteTable(Section(0, "CRW-4012", "ACME    CRW-4012A", "1.00-1.50", "*.BIN", "ACME", "note") +
               Section(1, "ABCDEFGHIJKLMNOPQRSTUVWX", "--", "-.---.--", "*.bin", "Other", "FLASH-ALL"));
    Start();
    ASSERT_TRUE(h.dialogs.shown.empty()) << ::testing::PrintToString(Boxes());
  }

  // Puts a BIN file in the folder, clicks it and presses "Build".
  bool Build(const std::string& name, const Bytes& bin) {
    WriteBytes(folder / name, bin);
    h.fileList.SetItems({name});
    h.fileList.SetItemIndex(0);
    h.form.FileListBox1Click(&h.fileList);
    h.dialogs.shown.clear();
    h.form.FlashButtonClick(&h.button);
    return h.dialogs.shown.empty();
  }

  // Checks that `sealed` is the template with `header` and `bin` at the
  // package and a digest in the digest block.
  void ExpectTemplateWith(const Bytes& sealed, const Bytes& bin) {
    ASSERT_EQ(sealed.size(), templateBytes.size());
    Bytes out = sealed;
    const auto digestAt = static_cast<long>(DigestAt(templateBytes));
    std::copy_n(templateBytes.begin() + digestAt, kSha256Size, out.begin() + digestAt);
    const std::size_t headerAt = keyAt + kKeyWordSize;
    const std::size_t slotAt = keyAt + kSlotFromKeyWord;
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(headerAt), templateBytes.begin()));
    EXPECT_TRUE(std::equal(bin.begin(), bin.end(), out.begin() + static_cast<long>(slotAt)));
    EXPECT_TRUE(std::equal(out.begin() + static_cast<long>(slotAt + bin.size()), out.end(),
                           templateBytes.begin() + static_cast<long>(slotAt + bin.size())));
  }

  Bytes Header(const Bytes& out) const {
    return Bytes(out.begin() + static_cast<long>(keyAt + kKeyWordSize),
                 out.begin() + static_cast<long>(keyAt + kSlotFromKeyWord));
  }

  static Bytes Field(const std::string& text, std::size_t size = kFieldSize) {
    Bytes f(size, 0);
    std::copy(text.begin(), text.end(), f.begin());
    return f;
  }

  std::size_t FolderEntries() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()));
  }

  Bytes templateBytes;
  std::size_t keyAt = 0;
};

TEST_F(Builder, FiveBankBinReplacesTheWholeSlotAndTheHeader) {
  const Bytes bin = Pattern(0x50000, 1);
  ASSERT_TRUE(Build("1.60.BIN", bin)) << ::testing::PrintToString(Boxes());
  const Bytes out = ReadBytes(folder / "1.60.EXE");
  ExpectTemplateWith(out, bin);

  Bytes expected;
  for (const char* text : {"CRW-4012", "ACME    CRW-4012A       ", "1.00-1.50", "ACME", "note"}) {
    const Bytes f = Field(text);
    expected.insert(expected.end(), f.begin(), f.end());
  }
  for (char c : std::string("1.60.")) expected.push_back(static_cast<std::uint8_t>(c));
  expected.insert(expected.end(), 3, 0);
  EXPECT_EQ(Header(out), expected);

  EXPECT_EQ(h.groupBox.repaintedCaptions,
            (std::vector<std::string>{"Building 1.60.BIN  Please wait... ", "Build 1.60.EXE ok!"}));
  EXPECT_EQ(h.progress.maximum, static_cast<long long>(templateBytes.size()));
  EXPECT_EQ(h.progress.position, 0);
  EXPECT_EQ(h.cursor.log, (std::vector<std::string>{"hourglass", "default"}));
  EXPECT_TRUE(h.button.enabled);  // ready to build again
  // The flasher can be started like the template (execute bits on Linux).
  EXPECT_EQ(fs::status(folder / "1.60.EXE").permissions(), fs::status(platform.program).permissions());
}

TEST_F(Builder, FourBankBinKeepsTheLastBankOfTheTemplateSlot) {
  const Bytes bin = Pattern(0x40000, 2);
  ASSERT_TRUE(Build("1.62.BIN", bin));
  const Bytes out = ReadBytes(folder / "1.62.EXE");
  ExpectTemplateWith(out, bin);
  const std::size_t lastBank = keyAt + kSlotFromKeyWord + 0x40000;
  EXPECT_TRUE(std::equal(out.begin() + static_cast<long>(lastBank),
                         out.begin() + static_cast<long>(lastBank + 0x10000),
                         templateBytes.begin() + static_cast<long>(lastBank)));
}

TEST_F(Builder, NameCaseIsKeptInTheFileAndUpperCasedInTheRevision) {
  ASSERT_TRUE(Build("a1b2.bin", Pattern(0x40000, 3)));
  const Bytes out = ReadBytes(folder / "a1b2.EXE");
  ASSERT_EQ(out.size(), templateBytes.size());
  const Bytes header = Header(out);
  EXPECT_EQ(std::string(header.begin() + kRevisionOffset, header.begin() + kRevisionOffset + 5),
            "A1B2.");

  ASSERT_TRUE(Build("abc", Pattern(0x40000, 4)));
  const Bytes shortOut = ReadBytes(folder / " abc.EXE");
  ASSERT_EQ(shortOut.size(), templateBytes.size());
  const Bytes shortHeader = Header(shortOut);
  EXPECT_EQ(Bytes(shortHeader.begin() + kRevisionOffset, shortHeader.end()),
            (Bytes{'A', 'B', 'C', 0, 0, 0, 0, 0}));
  EXPECT_EQ(h.groupBox.caption, "Build  abc.EXE ok!");
}

TEST_F(Builder, TwentyFourCharacterModelFillsItsFieldWithOneNul) {
  h.combo.index = 1;
  h.form.ComboBoxChange(&h.combo);
  ASSERT_TRUE(Build("2.00.bin", Pattern(0x50000, 5)));
  const Bytes header = Header(ReadBytes(folder / "2.00.EXE"));
  EXPECT_EQ(Bytes(header.begin(), header.begin() + 25), Field("ABCDEFGHIJKLMNOPQRSTUVWX"));
  EXPECT_EQ(header[24], 0);
  EXPECT_EQ(Bytes(header.begin() + kInquiryOffset, header.begin() + kInquiryOffset + 25),
            Field("--" + std::string(22, ' ')));
}

TEST_F(Builder, BuiltFlasherCarriesItsPackageForFlashMode) {
  Bytes bin = Pattern(0x50000, 6);
  bin[0x4000] = 0;
  bin[0x1100] = 0x05;
  bin[0x1101] = 0x80;
  ASSERT_TRUE(Build("1.70.BIN", bin));
  const Bytes out = ReadBytes(folder / "1.70.EXE");
  ASSERT_EQ(KeyWordAt(out), keyAt);
  const PackageView view(std::span<const std::uint8_t, kPackageSize>(out.data() + keyAt, kPackageSize));
  EXPECT_FALSE(view.IsTemplate());
  EXPECT_EQ(view.ModelText(), "CRW-4012");
  EXPECT_EQ(view.RequiredIdentity(), "ACME    CRW-4012A       ");
  EXPECT_EQ(view.RangeText(), "1.00-1.50");
  EXPECT_EQ(view.LowerBound(), "1.00");
  EXPECT_EQ(view.UpperBound(), "1.50");
  EXPECT_EQ(view.VendorText(), "ACME");
  EXPECT_EQ(view.PackageRevision(), "1.70");
  const ImageFormat format = ClassifyImage(view.Slot());
  EXPECT_EQ(format.length, 0x50000u);
  EXPECT_TRUE(format.fiveBank);
}

// The flasher checks itself at start against the digest the builder wrote.
TEST_F(Builder, BuiltFlasherIsSealedWithTheDigestOfWhatItSends) {
  Bytes fiveBank = Pattern(0x50000, 24);
  fiveBank[0x4000] = 0;
  fiveBank[0x1100] = 0x05;
  fiveBank[0x1101] = 0x80;
  for (const auto& [name, bin] : {std::pair{"1.80.BIN", Pattern(0x40000, 25)}, std::pair{"1.81.BIN", fiveBank}}) {
    ASSERT_TRUE(Build(name, bin));
    EXPECT_EQ(CheckPackageDigest(FlasherView(ReadBytes(folder / FlasherFileName(name)))), DigestCheck::Intact);
  }
  // The template itself carries no digest: it builds, it does not flash.
  EXPECT_EQ(CheckPackageDigest(FlasherView(templateBytes)), DigestCheck::NotSealed);
}

TEST_F(Builder, SecondBuildWithTheSameOrALongerBinIsCorrect) {
  const Bytes first = Pattern(0x40000, 7);
  ASSERT_TRUE(Build("1.10.BIN", first));
  const Bytes second = Pattern(0x40000, 8);
  ASSERT_TRUE(Build("1.11.BIN", second));
  ExpectTemplateWith(ReadBytes(folder / "1.11.EXE"), second);
  const Bytes longer = Pattern(0x50000, 9);
  ASSERT_TRUE(Build("1.12.BIN", longer));
  ExpectTemplateWith(ReadBytes(folder / "1.12.EXE"), longer);
  ExpectTemplateWith(ReadBytes(folder / "1.10.EXE"), first);  // earlier output untouched
}

// Every BIN the builder refuses: one message naming the file (and, for an
// image cut short, both lengths), and nothing written.
TEST_F(Builder, RefusedBinsLeaveNoOutput) {
  Bytes fiveBankIn256KiB = Pattern(0x40000, 22);
  fiveBankIn256KiB[0x1100] = 0x05;
  fiveBankIn256KiB[0x1101] = 0x80;
  struct Row {
    const char* name;
    Bytes bin;
    std::vector<std::string> said;
  };
  const Row rows[] = {
      {"9.99.BIN", Pattern(0x50001, 10), {"larger than the image slot"}},
      {"1.60.BIN", Bytes{1, 2, 3}, {"too short"}},
      {"1.61.BIN", Pattern(0x19000, 23), {"102400", "262144"}},  // sends 0x40000
      {"1.62.BIN", fiveBankIn256KiB, {"262144", "327680"}},      // five banks in four
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t before = FolderEntries();
    EXPECT_FALSE(Build(row.name, row.bin));
    ASSERT_EQ(Boxes().size(), 1u);
    std::vector<std::string> parts = row.said;
    parts.push_back(row.name);
    for (const std::string& part : parts) {
      EXPECT_NE(Boxes()[0].find(part), std::string::npos) << Boxes()[0] << " lacks " << part;
    }
    EXPECT_EQ(FolderEntries(), before + 1);  // only the BIN itself
    EXPECT_EQ(h.groupBox.caption.rfind("Building ", 0), 0u);
  }
}

TEST_F(Builder, TemplateWithoutKeyWordLeavesNoOutput) {
  Bytes junk = Pattern(300000, 11);
  WriteBytes(platform.program, junk);
  EXPECT_FALSE(Build("1.60.BIN", Pattern(0x40000, 12)));
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Message: Building fail: not found key-word in CDFL.EXE"});
  EXPECT_FALSE(fs::exists(folder / "1.60.EXE"));
  EXPECT_EQ(h.progress.maximum, 300000);
  EXPECT_EQ(h.progress.position, h.progress.maximum);  // a step per 1024 bytes scanned
}

// The builder writes the digest only where it is sure the flasher reads it.
TEST_F(Builder, TemplateWithoutExactlyOneDigestBlockLeavesNoOutput) {
  Bytes withoutMarker = templateBytes;
  withoutMarker[DigestAt(templateBytes) - 1] ^= 0xFF;
  Bytes twice = templateBytes;
  const auto marker = EmbeddedDigestMarker();
  twice.insert(twice.end(), marker.begin(), marker.end());
  twice.insert(twice.end(), kSha256Size, 0);
  for (const Bytes& program : {withoutMarker, twice}) {
    WriteBytes(platform.program, program);
    EXPECT_FALSE(Build("1.60.BIN", Pattern(0x40000, 26)));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("digest"), std::string::npos) << Boxes()[0];
    EXPECT_FALSE(fs::exists(folder / "1.60.EXE"));
  }
}

TEST_F(Builder, TemplateCutShortInsideTheSlotFailsAndLeavesNoOutput) {
  Bytes cut(templateBytes.begin(), templateBytes.begin() + static_cast<long>(keyAt + kSlotFromKeyWord + 0x40000));
  WriteBytes(platform.program, cut);
  EXPECT_FALSE(Build("1.60.BIN", Pattern(0x50000, 13)));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Building fail: some problem in CDFL.EXE"});
  EXPECT_FALSE(fs::exists(folder / "1.60.EXE"));

  // Exactly long enough: the BIN ends with the file.
  EXPECT_TRUE(Build("1.61.BIN", Pattern(0x40000, 14)));
  EXPECT_EQ(ReadBytes(folder / "1.61.EXE").size(), cut.size());
}

TEST_F(Builder, OutputNeverReplacesTheRunningProgram) {
  platform.program = folder / "CDFL.EXE";
  EXPECT_FALSE(Build("CDFL.BIN", Pattern(0x40000, 15)));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Create CDFL.EXE Fail"});
  EXPECT_EQ(ReadBytes(platform.program), templateBytes);
}

TEST_F(Builder, OutputThatCannotBeCreatedOrIsTheBinItselfIsRefused) {
  const Bytes bin = Pattern(0x40000, 17);
  EXPECT_FALSE(Build("abcd.EXE", bin));  // the output would be the BIN file
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Create abcd.EXE Fail"});
  EXPECT_EQ(ReadBytes(folder / "abcd.EXE"), bin);

  platform.directory = folder / "no-such-folder";
  EXPECT_FALSE(Build("1.60.BIN", bin));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Create 1.60.EXE Fail"});
}

TEST_F(Builder, MissingTemplateOrBinIsReportedByName) {
  fs::remove(platform.program);
  EXPECT_FALSE(Build("1.60.BIN", Pattern(0x40000, 16)));
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Open " + platform.program + " fail!"});

  h.fileList.SetItems({"GONE.BIN"});
  h.fileList.SetItemIndex(0);
  h.form.FileListBox1Click(&h.fileList);
  h.dialogs.shown.clear();
  h.form.FlashButtonClick(&h.button);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Message: Open GONE.BIN fail!"});
  EXPECT_FALSE(fs::exists(folder / "GONE.EXE"));
}

TEST_F(Builder, FailedRebuildLeavesTheExistingFlasherAsItWas) {
  ASSERT_TRUE(Build("1.60.BIN", Pattern(0x40000, 18)));
  const Bytes built = ReadBytes(folder / "1.60.EXE");
  // A template cut short inside the slot fails after the output was begun.
  WriteBytes(platform.program, Bytes(templateBytes.begin(),
                                     templateBytes.begin() + static_cast<long>(keyAt + 1000)));
  EXPECT_FALSE(Build("1.60.BIN", Pattern(0x40000, 19)));
  EXPECT_EQ(ReadBytes(folder / "1.60.EXE"), built);
  EXPECT_FALSE(fs::exists(folder / "1.60.EXE.part"));
}

TEST_F(Builder, UnreadableBinGivesAMessageAndNoOutput) {
  WriteBytes(folder / "1.60.BIN", Pattern(0x40000, 20));
  test::RecordingObserver progress;
  const auto failingRead = [](const std::string& path, std::size_t limit) {
    FileBytes file = ReadFileBytes(path, limit);
    if (path.ends_with(".BIN")) {
      file.status = FileBytes::Status::ReadError;  // as after an I/O error half-way
      file.bytes.resize(file.bytes.size() / 2);
    }
    return file;
  };
  FlasherBuilder builder(PackageView::Embedded().KeyWord(), platform, progress, failingRead);
  const BuildResult result = builder.Build({HeaderTexts{}, "1.60.BIN", folder / "1.60.BIN",
                                            platform.program, folder.Path()});
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Building fail: 1.60.BIN could not be read");
  EXPECT_FALSE(fs::exists(folder / "1.60.EXE"));
}

#ifndef _WIN32
TEST_F(Builder, ReadOnlySetIdTemplateGivesAWritableExecutableFlasher) {
  fs::permissions(platform.program, fs::perms::set_uid | fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec);
  ASSERT_TRUE(Build("1.60.BIN", Pattern(0x40000, 21)));
  EXPECT_EQ(fs::status(folder / "1.60.EXE").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}
#endif

#endif  // CDFLASH_TEMPLATE_EXE

}  // namespace
}  // namespace cdflash
