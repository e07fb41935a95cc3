// Where build mode looks for its model table, over a made-up environment and
// a made-up set of existing files: nothing of the machine's is read.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "builder/ModelTableSearch.h"

namespace cdflash {
namespace {

struct Case {
  const char* what;
  std::string program;
  std::map<std::string, std::string> environment;
  std::set<std::string> files;
  std::string found;  // empty: none
};

ModelTableSearch Search(const Case& c) {
  return FindModelTable(
      c.program, [&](const std::string& name) { return c.environment.count(name) ? c.environment.at(name) : ""; },
      [&](const std::string& path) { return c.files.count(path) != 0; });
}

#ifndef _WIN32
const std::map<std::string, std::string> kHomeOnly = {{"HOME", "/home/u"}};
const std::map<std::string, std::string> kXdgSet = {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/cfg"}};

TEST(ModelTableSearch, NextToTheProgramFirstThenTheUsersTheSystemsAndTheShippedExample) {
  const std::string every[] = {"/usr/bin/cdflash.INI", "/usr/bin/cdflash.ini", "/cfg/cdflash/cdflash.INI",
                               "/home/u/.config/cdflash/cdflash.INI", "/etc/cdflash/cdflash.INI",
                               "/usr/share/doc/cdflash/examples/cdflash.INI"};
  const Case cases[] = {
      {"next to the program wins over every other", "/usr/bin/cdflash", kXdgSet,
       {std::begin(every), std::end(every)}, "/usr/bin/cdflash.INI"},
      {"lower-case name next to the program", "/usr/bin/cdflash", kXdgSet,
       {every[1], every[2], every[4]}, "/usr/bin/cdflash.ini"},
      {"XDG_CONFIG_HOME before ~/.config and /etc", "/usr/bin/cdflash", kXdgSet,
       {every[2], every[3], every[4]}, "/cfg/cdflash/cdflash.INI"},
      {"XDG_CONFIG_HOME set: ~/.config is not looked at", "/usr/bin/cdflash", kXdgSet,
       {every[3], every[5]}, "/usr/share/doc/cdflash/examples/cdflash.INI"},
      {"XDG_CONFIG_HOME unset means ~/.config", "/usr/local/bin/cdflash", kHomeOnly,
       {every[3], every[4]}, "/home/u/.config/cdflash/cdflash.INI"},
      {"a relative XDG_CONFIG_HOME is ignored", "/usr/bin/cdflash",
       {{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "cfg"}}, {"cfg/cdflash/cdflash.INI", every[3]},
       "/home/u/.config/cdflash/cdflash.INI"},
      {"no HOME and no XDG_CONFIG_HOME: the system's", "/usr/bin/cdflash", {}, {every[3], every[4]},
       "/etc/cdflash/cdflash.INI"},
      {"the example below the prefix of a program in bin/", "/opt/cd/bin/cdflash", kHomeOnly,
       {"/opt/cd/share/doc/cdflash/examples/cdflash.INI"}, "/opt/cd/share/doc/cdflash/examples/cdflash.INI"},
      {"no example for a program outside bin/", "/opt/cd/tools/cdflash", kHomeOnly,
       {"/opt/cd/share/doc/cdflash/examples/cdflash.INI", "/opt/share/doc/cdflash/examples/cdflash.INI"}, ""},
      {"a renamed copy still reads the shared tables by cdflash's name", "/home/u/tmpl", kHomeOnly,
       {every[3]}, "/home/u/.config/cdflash/cdflash.INI"},
      {"nothing anywhere", "/usr/bin/cdflash", kXdgSet, {}, ""},
  };
  for (const Case& c : cases) {
    const ModelTableSearch search = Search(c);
    EXPECT_EQ(search.path, c.found) << c.what;
    // The places looked are those that were tried, each once, the program's own first.
    ASSERT_FALSE(search.looked.empty()) << c.what;
    EXPECT_EQ(search.looked.front(), c.program + ".INI") << c.what;
    EXPECT_EQ(std::set<std::string>(search.looked.begin(), search.looked.end()).size(), search.looked.size())
        << c.what;
  }
}

TEST(ModelTableSearch, TheMessageNamesThePlaceNextToTheProgramFirstThenEveryOther) {
  const ModelTableSearch search = Search({"", "/usr/local/bin/cdflash", kXdgSet, {}, ""});
  const std::string text = CantLoadText(search.looked);
  EXPECT_EQ(text.substr(0, text.find('\n')), "Can't load /usr/local/bin/cdflash.INI");
  for (const char* place : {"/usr/local/bin/cdflash.ini", "/cfg/cdflash/cdflash.INI", "/etc/cdflash/cdflash.INI",
                            "/usr/local/share/doc/cdflash/examples/cdflash.INI"}) {
    EXPECT_NE(text.find(std::string("\n") + place), std::string::npos) << place << " in\n" << text;
  }
}
#else
TEST(ModelTableSearch, WindowsLooksOnlyNextToTheProgram) {
  const Case c{"", "C:\\TOOLS\\CDFL.EXE", {{"XDG_CONFIG_HOME", "C:\\cfg"}, {"HOME", "C:\\u"}},
               {"C:\\cfg\\cdflash\\cdflash.INI", "C:\\u\\.config\\cdflash\\cdflash.INI"}, ""};
  const ModelTableSearch search = Search(c);
  EXPECT_EQ(search.path, "");
  EXPECT_EQ(search.looked, std::vector<std::string>{"C:\\TOOLS\\CDFL.INI"});
  EXPECT_EQ(CantLoadText(search.looked), "Can't load C:\\TOOLS\\CDFL.INI");
}
#endif

}  // namespace
}  // namespace cdflash
