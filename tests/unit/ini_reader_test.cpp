// The INI reader against the rules of the Windows private-profile reader.

#include <gtest/gtest.h>

#include <string>

#include "builder/IniFile.h"

namespace cdflash {
namespace {

// Each row reads one key of one text; "FAIL" is the default, for no value.
TEST(IniReader, ReadsAsTheSystemsProfileReaderDoes) {
  const std::string names = "  [model00]  \n  mODEL   =  CRW 4012  \n\tinquiry\t=\tACME\t\n";
  const std::string missing = "[MODEL00]\nModel\nModel=second\nNote=\n[MODEL01]\n";
  const std::string twice = "[MODEL00]\nModel=one\nMODEL=two\n[Model00]\nModel=three\nNote=late\n";
  const std::string quotes = "[S]\na=\"quoted value\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf=' x '\ng=x\"y\"\n";
  const std::string nul("[S\0junk]\nk\0x=one\nv=two\0three\n", 28);
  const std::string big(3000, 'v');
  const std::string hugeLine(1 << 20, '=');
  const struct {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::string value;
  } rows[] = {
      {"names of any case, trimmed", names, "MODEL00", "Model", "CRW 4012"},
      {"a value trimmed of tabs", names, "Model00", "INQUIRY", "ACME"},
      {"the first key has no '=' and wins", missing, "MODEL00", "Model", "FAIL"},
      {"empty is a value", missing, "MODEL00", "Note", ""},
      {"missing key", missing, "MODEL00", "Vendor", "FAIL"},
      {"empty section", missing, "MODEL01", "Model", "FAIL"},
      {"missing section", missing, "MODEL02", "Model", "FAIL"},
      {"lines before any section", "Model=top\n", "", "Model", "top"},
      {"empty text", "", "MODEL00", "Model", "FAIL"},
      {"the first of two keys", twice, "MODEL00", "Model", "one"},
      {"only the first section of a name", twice, "MODEL00", "Note", "FAIL"},
      {"double quotes", quotes, "S", "a", "quoted value"},
      {"single quotes", quotes, "S", "b", "single"},
      {"quotes that differ", quotes, "S", "c", "\"mixed'"},
      {"a lone quote", quotes, "S", "d", "\""},
      {"two quotes", quotes, "S", "e", ""},
      {"blanks inside quotes", quotes, "S", "f", " x "},
      {"quotes not at the start", quotes, "S", "g", "x\"y\""},
      {"cut to the buffer", "[S]\nk=" + big + "\n", "S", "k", big.substr(0, 2047)},
      {"the buffer full, no line end", "[S]\nk=" + big.substr(0, 2047), "S", "k", big.substr(0, 2047)},
      // In quotes: the opening quote goes, then the text is cut to 2047 characters.
      {"quoted, cut", "[S]\nk=\"" + big + "\"\n", "S", "k", big.substr(0, 2047)},
      {"quoted, fits", "[S]\nk=\"" + big.substr(0, 2046) + "\"\n", "S", "k", big.substr(0, 2046)},
      // One longer: the closing quote is cut, and removing "the quote" takes
      // the value's last character instead.
      {"quoted, one too long", "[S]\nk=\"" + big.substr(0, 2047) + "\"\n", "S", "k", big.substr(0, 2046)},
      {"a line of a megabyte without a key", "[S]\n" + hugeLine, "S", "k", "FAIL"},
      {"a value of a megabyte", "[S]\nk" + hugeLine, "S", "k", hugeLine.substr(0, 2047)},
      {"CR LF", "[S]\r\nk=crlf\r\nn=2\r\n", "S", "k", "crlf"},
      {"CR", "[S]\rk=cr\rn=2\r", "S", "k", "cr"},
      {"no line end at the end", "[S]\nk=no newline at the end", "S", "k", "no newline at the end"},
      {"blank lines and an end-of-file mark", "[S]\n\n\n   \n\tk=after blank lines\x1a", "S", "k",
       "after blank lines"},
      {"a lone CR ends a line", "[S]\nk=a\rb=c\nn=2\n", "S", "k", "a"},
      {"the line after a lone CR", "[S]\nk=a\rb=c\nn=2\n", "S", "b", "c"},
      {"blanks around a section name go", "[ S ]\nk=v\n", "S", "k", "v"},
      {"blanks inside it stay", "[S T]\nk=v\n", "S T", "k", "v"},
      {"text after ']' is ignored", "[S] trailing\nk=v\n", "S", "k", "v"},
      {"the name ends at the last ']'", "[S]x]\nk=v\n", "S]x", "k", "v"},
      {"no ']': an ordinary line", "[S]\n[broken\nk=v\n", "S", "k", "v"},
      {"a comment", "[S]\n;k=comment\n", "S", "k", "FAIL"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
      {"NUL ends a section name and a key", nul, "S", "k", "one"},
      {"NUL ends a value", nul, "S", "v", "two"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IniFile::Parse(row.text).GetString(row.section, row.key, "FAIL"), row.value) << row.what;
  }
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
