// The INI reader against the rules of the Windows private-profile reader.

#include <gtest/gtest.h>

#include <string>

#include "builder/IniFile.h"

namespace cdflash {
namespace {

std::string Get(std::string_view text, const char* section, const char* key) {
  return IniFile::Parse(text).GetString(section, key, "FAIL");
}

TEST(IniReader, NamesMatchWithoutRegardToCaseAndAreTrimmed) {
  const std::string text = "  [model00]  \n  mODEL   =  CRW 4012  \n\tinquiry\t=\tACME\t\n";
  EXPECT_EQ(Get(text, "MODEL00", "Model"), "CRW 4012");
  EXPECT_EQ(Get(text, "MODEL00", "Inquiry"), "ACME");
  EXPECT_EQ(Get(text, "Model00", "MODEL"), "CRW 4012");
}

TEST(IniReader, MissingSectionKeyOrEqualsSignGivesTheDefault) {
  const std::string text = "[MODEL00]\nModel\nModel=second\nNote=\n[MODEL01]\n";
  EXPECT_EQ(Get(text, "MODEL00", "Model"), "FAIL");  // first key has no '=' and wins
  EXPECT_EQ(Get(text, "MODEL00", "Note"), "");        // empty is a value
  EXPECT_EQ(Get(text, "MODEL00", "Vendor"), "FAIL");
  EXPECT_EQ(Get(text, "MODEL01", "Model"), "FAIL");
  EXPECT_EQ(Get(text, "MODEL02", "Model"), "FAIL");
  EXPECT_EQ(Get("Model=top\n", "", "Model"), "top");  // lines before any section
  EXPECT_EQ(Get("", "MODEL00", "Model"), "FAIL");
}

TEST(IniReader, FirstDuplicateWinsForKeysAndSections) {
  const std::string text =
      "[MODEL00]\nModel=one\nMODEL=two\n[Model00]\nModel=three\nNote=late\n";
  EXPECT_EQ(Get(text, "MODEL00", "Model"), "one");
  // Only the first section of a name is searched.
  EXPECT_EQ(Get(text, "MODEL00", "Note"), "FAIL");
}

TEST(IniReader, MatchingQuotesAreRemoved) {
  const std::string text =
      "[S]\na=\"quoted value\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf=' x '\ng=x\"y\"\n";
  EXPECT_EQ(Get(text, "S", "a"), "quoted value");
  EXPECT_EQ(Get(text, "S", "b"), "single");
  EXPECT_EQ(Get(text, "S", "c"), "\"mixed'");
  EXPECT_EQ(Get(text, "S", "d"), "\"");
  EXPECT_EQ(Get(text, "S", "e"), "");
  EXPECT_EQ(Get(text, "S", "f"), " x ");
  EXPECT_EQ(Get(text, "S", "g"), "x\"y\"");
}

TEST(IniReader, ValuesAreCutToTheBuffer) {
  const std::string big(3000, 'v');
  EXPECT_EQ(Get("[S]\nk=" + big + "\n", "S", "k"), big.substr(0, 2047));
  EXPECT_EQ(Get("[S]\nk=" + big.substr(0, 2047), "S", "k").size(), 2047u);
  // In quotes: the opening quote goes, then the text is cut to 2047 characters.
  EXPECT_EQ(Get("[S]\nk=\"" + big + "\"\n", "S", "k"), big.substr(0, 2047));
  EXPECT_EQ(Get("[S]\nk=\"" + big.substr(0, 2046) + "\"\n", "S", "k"), big.substr(0, 2046));
  // One character longer: the copy holds 2047 characters without the closing
  // quote, and removing "the quote" takes the last one of the value instead.
  EXPECT_EQ(Get("[S]\nk=\"" + big.substr(0, 2047) + "\"\n", "S", "k"), big.substr(0, 2046));
}

TEST(IniReader, LineEndsOfEveryKind) {
  EXPECT_EQ(Get("[S]\r\nk=crlf\r\nn=2\r\n", "S", "k"), "crlf");
  EXPECT_EQ(Get("[S]\rk=cr\rn=2\r", "S", "k"), "cr");
  EXPECT_EQ(Get("[S]\nk=no newline at the end", "S", "k"), "no newline at the end");
  EXPECT_EQ(Get("[S]\n\n\n   \n\tk=after blank lines\x1a", "S", "k"), "after blank lines");
  // A lone CR ends a line as well.
  EXPECT_EQ(Get("[S]\nk=a\rb=c\nn=2\n", "S", "k"), "a");
  EXPECT_EQ(Get("[S]\nk=a\rb=c\nn=2\n", "S", "b"), "c");
}

TEST(IniReader, SectionHeadersAsTheSystemReadsThem) {
  EXPECT_EQ(Get("[ S ]\nk=v\n", "S", "k"), "v");          // blanks around the name go
  EXPECT_EQ(Get("[S T]\nk=v\n", "S T", "k"), "v");        // blanks inside it stay
  EXPECT_EQ(Get("[S] trailing\nk=v\n", "S", "k"), "v");     // text after ']' is ignored
  EXPECT_EQ(Get("[S]x]\nk=v\n", "S]x", "k"), "v");          // the name ends at the last ']'
  EXPECT_EQ(Get("[S]\n[broken\nk=v\n", "S", "k"), "v");     // no ']': an ordinary line
  EXPECT_EQ(Get("[S]\n;k=comment\n", "S", "k"), "FAIL");
  EXPECT_EQ(Get("\xEF\xBB\xBF[S]\nk=v\n", "S", "k"), "v");  // UTF-8 byte-order mark
}

TEST(IniReader, NulBytesEndNamesAndValues) {
  const std::string text("[S\0junk]\nk\0x=one\nv=two\0three\n", 28);
  EXPECT_EQ(Get(text, "S", "k"), "one");
  EXPECT_EQ(Get(text, "S", "v"), "two");
}

// A line of a megabyte: no key, or a value cut to the buffer.
TEST(IniReader, AHugeLineIsReadSafely) {
  const std::string hugeLine(1 << 20, '=');
  EXPECT_EQ(Get("[S]\n" + hugeLine, "S", "k"), "FAIL");
  EXPECT_EQ(Get("[S]\nk" + hugeLine, "S", "k").size(), 2047u);
}

TEST(IniReader, UnreadableFileIsNoFile) {
  EXPECT_FALSE(IniFile::Load("/nonexistent-folder-cdflash/none.INI").has_value());
}

// A file saved as UTF-16LE with its byte-order mark reads as the same file in
// code page 1252: names and values alike.
TEST(IniReader, Utf16LittleEndianFileReadsInCodePage1252) {
  const auto utf16 = [](std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  };
  const IniFile ini = IniFile::Parse(utf16(u"[MODEL00]\r\nModel = Caf\u00e9 \u20ac1\r\nNote=\u4e2d\U0001F600x\r\n"));
  EXPECT_EQ(ini.GetString("model00", "MODEL", "FAIL"), "Caf\xE9 \x80" "1");
  EXPECT_EQ(ini.GetString("MODEL00", "Note", "FAIL"), "??x");  // neither is in the code page
  EXPECT_EQ(IniFile::Parse(utf16(u"[S]\nk=v") + "\x41").GetString("S", "k", ""), "v");  // odd byte dropped
}

}  // namespace
}  // namespace cdflash
