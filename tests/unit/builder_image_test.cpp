// The flasher's byte layout and the path texts of build mode.

#include <gtest/gtest.h>

#include <vector>

#include "builder/BuildPaths.h"
#include "system/SystemServices.h"
#include "builder/FlasherImage.h"
#include "package/PackageView.h"

namespace cdflash {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes KeyWord() {
  const auto key = PackageView::Embedded().KeyWord();
  return Bytes(key.begin(), key.end());
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The end of the first whole key-word: runs of its first byte make every
// place a candidate, a byte that breaks a partial match starts the scan
// afresh, and a key-word may sit at the start or the very end, or be cut
// short by the end.
TEST(KeyWordScan, FindsTheEndOfTheFirstWholeKeyWord) {
  const auto key = PackageView::Embedded().KeyWord();
  const Bytes whole = KeyWord();
  const Bytes cut(whole.begin(), whole.end() - 1);
  const Bytes head(whole.begin(), whole.begin() + 3);
  const Bytes run(40, whole[0]);
  const struct {
    const char* what;
    Bytes file;
    std::size_t end;
  } rows[] = {
      {"after other bytes, twice", Join({Bytes(100, 'x'), whole, Bytes(10, 'y'), whole}), 100 + kKeyWordSize},
      {"the whole file", whole, kKeyWordSize},
      {"none", Bytes(1000, 'F'), kNoKeyWord},
      {"empty file", Bytes{}, kNoKeyWord},
      {"cut short by the end", cut, kNoKeyWord},
      {"right after a partial one", Join({head, whole, Bytes(5, 'z'), whole}), 3 + kKeyWordSize},
      {"after a partial one and another byte", Join({head, Bytes{'z'}, whole}), 4 + kKeyWordSize},
      {"before a run of its first byte", Join({whole, run}), kKeyWordSize},
      {"after a run of its first byte", Join({run, whole}), run.size() + kKeyWordSize},
      {"after a run, twice", Join({run, whole, run, whole}), run.size() + kKeyWordSize},
      {"a run, then cut short", Join({run, cut}), kNoKeyWord},
      {"after two cut ones", Join({cut, cut, whole}), 2 * cut.size() + kKeyWordSize},
  };
  for (const auto& row : rows) EXPECT_EQ(FindKeyWordEnd(row.file, key), row.end) << row.what;
}

// Only a flasher is started as administrator through the packaged program.
TEST(KeyWordScan, AFlasherHoldsAWholePackageWithoutTheTemplateMarker) {
  const auto key = PackageView::Embedded().KeyWord();
  const Bytes header(kHeaderSize, 0);
  const Bytes slot(kSlotSize, 0x5A);
  EXPECT_TRUE(HoldsFlasherPackage(Join({Bytes(64, 'x'), KeyWord(), header, slot}), key));
  Bytes blank = slot;
  std::copy_n("BLNK", 4, blank.begin());
  EXPECT_FALSE(HoldsFlasherPackage(Join({KeyWord(), header, blank}), key));            // a template
  EXPECT_FALSE(HoldsFlasherPackage(Join({KeyWord(), header, Bytes(100, 0x5A)}), key));  // cut short
  EXPECT_FALSE(HoldsFlasherPackage(Bytes(kPackageSize, 0x5A), key));                    // no package
}

TEST(PackageHeader, FieldsAreNulAndZeroFilled) {
  const auto header = MakePackageHeader(
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ACME    CRW-4012A       ", "1.00-1.50", "", "FLASH-ALL"},
      "1.60.BIN");
  const Bytes h(header.begin(), header.end());
  const auto text = [&](std::size_t at, std::size_t n) { return std::string(h.begin() + at, h.begin() + at + n); };
  EXPECT_EQ(text(kModelOffset, 25), std::string("ABCDEFGHIJKLMNOPQRSTUVWX\0", 25));
  EXPECT_EQ(text(kInquiryOffset, 25), std::string("ACME    CRW-4012A       \0", 25));
  EXPECT_EQ(text(kFwRangeOffset, 25), "1.00-1.50" + std::string(16, '\0'));
  EXPECT_EQ(text(kVendorOffset, 25), std::string(25, '\0'));
  EXPECT_EQ(text(kNoteOffset, 25), "FLASH-ALL" + std::string(16, '\0'));
  EXPECT_EQ(text(kRevisionOffset, 8), std::string("1.60.\0\0\0", 8));

  const auto shortName = MakePackageHeader({}, "AB");
  EXPECT_EQ(Bytes(shortName.begin() + kRevisionOffset, shortName.end()),
            (Bytes{'A', 'B', 0, 0, 0, 0, 0, 0}));
}

TEST(BuildPaths, NamesExtensionsAndJoins) {
  EXPECT_EQ(ChangeFileExt("dir.d/cdflash", ".INI"), "dir.d/cdflash.INI");
  EXPECT_EQ(ChangeFileExt("dir/cdflash.exe", ".INI"), "dir/cdflash.INI");
  EXPECT_EQ(ChangeFileExt("a.b.c", ".INI"), "a.b.INI");
  EXPECT_EQ(FileNamePart("/a/b/1.60.BIN"), "1.60.BIN");
  EXPECT_EQ(FileNamePart("1.60.BIN"), "1.60.BIN");
  EXPECT_EQ(FileNamePart(""), "");
  EXPECT_EQ(ModelTablePath("/opt/x/CDFL.EXE"), "/opt/x/CDFL.INI");
#ifdef _WIN32
  EXPECT_EQ(FileNamePart("C:\\TOOLS\\CDFL.EXE"), "CDFL.EXE");
  EXPECT_EQ(FileNamePart("C:CDFL.EXE"), "CDFL.EXE");
  EXPECT_EQ(JoinPath("C:\\", "1.60.EXE"), "C:\\1.60.EXE");
  EXPECT_EQ(JoinPath("C:\\WORK", "1.60.EXE"), "C:\\WORK\\1.60.EXE");
  EXPECT_EQ(ModelTablePath("C:\\TOOLS.V2\\CDFL"), "C:\\TOOLS.V2\\CDFL.INI");
  EXPECT_EQ(ModelTableAlternatePath("C:\\CDFL.EXE"), "");
#else
  EXPECT_EQ(FileNamePart("dir\\name"), "dir\\name");  // a backslash is part of a name here
  EXPECT_EQ(JoinPath("/", "1.60.EXE"), "/1.60.EXE");
  EXPECT_EQ(JoinPath("/work", "1.60.EXE"), "/work/1.60.EXE");
  EXPECT_EQ(ModelTableAlternatePath("/opt/cdflash"), "/opt/cdflash.ini");
#endif
}

}  // namespace
}  // namespace cdflash
