#pragma once
// A reader of Windows INI files that gives the results of the system's
// private-profile reader for named values: section and key names matched
// without regard to case, blanks trimmed around names and values, a pair of
// matching quotes around a value removed, CR and LF both ending a line, the
// first of duplicate sections and keys taken, values cut to what a
// 2048-character buffer holds. It works on the bytes of the file whatever
// they are: no line, value or buffer is ever read past its end.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdflash {

class IniFile {
 public:
  // Size of the buffer each value is read into, terminating NUL included.
  static constexpr std::size_t kValueBufferSize = 2048;

  // Reads and parses the file; nullopt when it cannot be read.
  static std::optional<IniFile> Load(const std::string& path);
  static IniFile Parse(std::string_view text);

  // The value of `key` in `section`, or `fallback` when the section or the key
  // is absent or the key has no '='. At most kValueBufferSize - 1 characters.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;

 private:
  struct Entry {
    std::string name;
    std::optional<std::string> value;  // absent: a line without '='
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  std::vector<Section> sections_;  // the first holds the lines before any header
};

}  // namespace cdflash
