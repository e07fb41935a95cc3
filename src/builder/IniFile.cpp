#include "builder/IniFile.h"

#include <algorithm>

#include "builder/Utf16Text.h"
#include "common/Files.h"

namespace cdflash {
namespace {

// Blanks as the profile reader counts them: the C white-space characters and
// the end-of-file mark Ctrl-Z that old editors left behind.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' ||
         c == '\x1a';
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values end at a NUL byte, as C strings do in the reader.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view stored, std::string_view wanted) {
  stored = UpToNul(stored);
  wanted = Trimmed(UpToNul(wanted));
  return stored.size() == wanted.size() &&
         std::equal(stored.begin(), stored.end(), wanted.begin(),
                    [](char a, char b) { return Lower(a) == Lower(b); });
}

// The next line of `rest`: up to the next CR or LF, either of which ends a
// line; the line ends that follow are taken with it.
std::string_view TakeLine(std::string_view& rest) {
  std::size_t end = rest.find_first_of("\r\n");
  if (end == std::string_view::npos) end = rest.size();
  const std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end);
  while (!rest.empty() && (rest.front() == '\r' || rest.front() == '\n')) rest.remove_prefix(1);
  return line;
}

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path) {
  // Far beyond any model table: a larger file is not one.
  constexpr std::size_t kLargest = 16u << 20;
  const FileBytes file = ReadFileBytes(path, kLargest);
  if (file.status != FileBytes::Status::Read || file.bytes.size() > kLargest) return std::nullopt;
  return Parse(std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
}

IniFile IniFile::Parse(std::string_view text) {
  if (IsUtf16LeText(text)) {
    const std::string converted = Utf16LeToCp1252(text);
    return Parse(converted);
  }
  static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());

  IniFile ini;
  ini.sections_.push_back({});
  while (!text.empty()) {
    const std::string_view line = Trimmed(TakeLine(text));
    if (line.empty()) continue;

    if (line.front() == '[') {
      // The name runs to the last ']' of the line, blanks around it
      // trimmed. A '[' without a ']' is an ordinary line.
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        ini.sections_.push_back({std::string(Trimmed(line.substr(1, close - 1))), {}});
        continue;
      }
    }

    Entry entry;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      entry.name = std::string(line);
    } else {
      entry.name = std::string(Trimmed(line.substr(0, equals)));
      entry.value = std::string(Trimmed(line.substr(equals + 1)));
    }
    ini.sections_.back().entries.push_back(std::move(entry));
  }
  return ini;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  std::string_view value = fallback;
  // Only the first section of a name is searched, and in it the first key.
  const auto s = std::find_if(sections_.begin(), sections_.end(),
                              [&](const Section& x) { return SameName(x.name, section); });
  if (s != sections_.end()) {
    const auto e = std::find_if(s->entries.begin(), s->entries.end(),
                                [&](const Entry& x) { return SameName(x.name, key); });
    if (e != s->entries.end() && e->value) value = *e->value;
  }

  // A value in a pair of matching quotes loses them. The closing quote is
  // dropped by removing the last character copied, so a value that only just
  // fits the buffer loses its last character instead, as in the system reader.
  value = UpToNul(value);
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, kValueBufferSize - 1));
  if (quoted && value.size() <= kValueBufferSize && !out.empty()) out.pop_back();
  return out;
}

}  // namespace cdflash
