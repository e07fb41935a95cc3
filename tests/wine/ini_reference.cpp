// Each case is written to a file and read twice: by GetPrivateProfileStringA
// and by our IniFile. Both must give the same value for every query.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "builder/IniFile.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

struct Query {
  const char* section;
  const char* key;
};

class IniReference : public ::testing::Test {
 protected:
  // Writes `text` and compares both readers on every query.
  void Compare(const std::string& text, const std::vector<Query>& queries) {
    test::WriteText(path_, text);
    // The system keeps a cached copy keyed by name and time: flush it.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());

    const IniFile ours = IniFile::Parse(text);
    std::vector<char> buffer(IniFile::kValueBufferSize);
    for (const Query& q : queries) {
      const DWORD n = GetPrivateProfileStringA(q.section, q.key, "FAIL", buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path_.c_str());
      const std::string theirs(buffer.data(), n);
      EXPECT_EQ(ours.GetString(q.section, q.key, "FAIL"), theirs)
          << "[" << q.section << "] " << q.key << " in:\n" << text.substr(0, 200);
    }
  }

 private:
  test::TempFolder folder_{"cdflash-ini-reference"};
  std::string path_ = folder_ / "REFERENCE.INI";
};

// Notepad's "Unicode": UTF-16LE with a byte-order mark.
std::string Utf16LittleEndian(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

// One file each: a name saying what it tries, its bytes, the lookups.
struct IniCase {
  const char* name;
  std::string text;
  std::vector<Query> queries;
};

TEST_F(IniReference, EveryCaseReadsAsTheSystemReadsIt) {
  const std::string big(3000, 'v');
  const IniCase cases[] = {
      {"case, blanks and defaults",
       "  [model00]  \r\n  mODEL   =  CRW 4012  \r\n\tinquiry\t=\tACME\t\r\nNote=\r\nVendor\r\n",
       {{"MODEL00", "Model"}, {"MODEL00", "Inquiry"}, {"MODEL00", "Note"}, {"MODEL00", "Vendor"},
        {"MODEL00", "BINMask"}, {"MODEL01", "Model"}}},
      {"duplicate keys and sections",
       "[MODEL00]\nModel=one\nMODEL=two\n[Model00]\nModel=three\nNote=late\n",
       {{"MODEL00", "Model"}, {"MODEL00", "Note"}}},
      {"a key without value, then with one", "[S]\nk\nk=later\n", {{"S", "k"}}},
      {"quotes",
       "[S]\na=\"quoted value\"\nb='single'\nc=\"mixed'\nd=\"\ne=\"\"\nf=' x '\ng=x\"y\"\nh=\"  inner  \"\n",
       {{"S", "a"}, {"S", "b"}, {"S", "c"}, {"S", "d"}, {"S", "e"}, {"S", "f"}, {"S", "g"}, {"S", "h"}}},
      {"long values",
       "[S]\na=" + big + "\nb=\"" + big + "\"\nc=\"" + big.substr(0, 2046) + "\"\nd=\"" +
           big.substr(0, 2047) + "\"\ne=" + big.substr(0, 2047) + "\n",
       {{"S", "a"}, {"S", "b"}, {"S", "c"}, {"S", "d"}, {"S", "e"}}},
      {"CR line ends", "[S]\rk=cr\rn=2\r", {{"S", "k"}, {"S", "n"}}},
      {"no line end at the end", "[S]\nk=no newline at the end", {{"S", "k"}}},
      {"blank lines and an end-of-file byte", "[S]\n\n\n   \n\tk=after blank lines\x1a",
       {{"S", "k"}}},
      {"mixed line ends", "[S]\nk=a\rb=c\nn=2\n", {{"S", "k"}, {"S", "b"}, {"S", "n"}}},
      {"CR LF with stray CRs", "[S]\r\n\r\r\n\nk=crlf\r\n", {{"S", "k"}}},
      {"blanks inside the brackets", "[ S ]\nk=v\n", {{"S", "k"}, {" S ", "k"}}},
      {"blanks inside a section name", "[S T]\nk=v\n[\tU\t]\nk=u\n",
       {{"S T", "k"}, {"S  T", "k"}, {"U", "k"}}},
      {"an empty section name", "[]\nk=empty\n", {{"", "k"}}},
      {"text after the bracket", "[S] trailing\nk=v\n", {{"S", "k"}}},
      {"a bracket inside the name", "[S]x]\nk=v\n", {{"S]x", "k"}, {"S", "k"}}},
      {"an unclosed header", "[S]\n[broken\nk=v\n", {{"S", "k"}}},
      {"comments", "[S]\n;k=comment\n#k2=hash\n", {{"S", "k"}, {"S", "k2"}}},
      {"a UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", {{"S", "k"}}},
      {"high bytes and control characters", "[S]\nk=caf\xE9 \xA0\nv=\x01\x02value\x7F\n",
       {{"S", "k"}, {"S", "v"}}},
      {"NUL bytes", std::string("[S\0junk]\nk\0x=one\nv=two\0three\n", 28), {{"S", "k"}, {"S", "v"}}},
      // Bytes above 127 in a plain file are kept as they are, in names and values.
      {"non-ASCII names and values", "[MOD\xC9L00]\r\nModel=Caf\xE9 \x80\xFF\r\nN\xF6te= \xA0x\xA0 \r\n",
       {{"MOD\xC9L00", "Model"}, {"MOD\xC9L00", "N\xF6te"}, {"mod\xC9l00", "Model"}}},
      // Values come back in the program's code page, characters it lacks as '?'.
      {"UTF-16LE with a byte-order mark",
       Utf16LittleEndian(u"[MODEL00]\r\nModel = Caf\u00e9 \u20ac1\r\nNote=\u4e2dx\r\n"
                         u"[Section \u00c4]\r\nKey\u00e9=\u00fc\r\n"),
       {{"MODEL00", "Model"}, {"MODEL00", "Note"}, {"Section \xC4", "Key\xE9"}}},
  };
  for (const IniCase& c : cases) {
    SCOPED_TRACE(c.name);
    Compare(c.text, c.queries);
  }
}

// Short random files over the characters that matter to the syntax.
TEST_F(IniReference, RandomFilesOfSyntaxCharacters) {
  static constexpr char kAlphabet[] = "[]= \t\r\n\"';aAbB\x1a\v\f";
  unsigned state = 12345;
  const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const unsigned length = next() % 80;
    for (unsigned i = 0; i < length; ++i) text += kAlphabet[next() % (sizeof kAlphabet - 1)];
    Compare(text, {{"a", "a"}, {"A", "b"}, {"b", "a"}, {"a b", "B"}, {"", "a"}});
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace cdflash
