#pragma once
// JSON text of single-byte strings and numbers, for the terminal's results
// and the records of runs: always plain ASCII, whatever bytes the strings
// hold.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace cdflash {

/// A JSON string literal of single-byte text: quotes, backslashes and
/// control characters escaped; bytes above 126 as \u00XX (Latin-1).
std::string JsonString(const std::string& text);

/// "12 00 00 00 80 00": each byte as two upper-case hex digits, spaced.
std::string HexBytes(std::span<const std::uint8_t> bytes);

// Builds one JSON value: containers nest, commas and indentation come by
// themselves. An object or array opened as Inline sits on one line (a
// command of a run's record); others put each member on a line of its own.
class JsonWriter {
 public:
  enum class Layout { Lines, Inline };

  JsonWriter& BeginObject(Layout layout = Layout::Lines);
  JsonWriter& EndObject();
  JsonWriter& BeginArray(Layout layout = Layout::Lines);
  JsonWriter& EndArray();
  /// The name of the next member of an object.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& value);
  JsonWriter& Number(std::int64_t value);
  JsonWriter& Bool(bool value);

  /// The text so far; a whole value once every container is closed.
  const std::string& Text() const { return text_; }

 private:
  struct Level {
    Layout layout;
    bool empty;
  };
  void BeforeValue();
  JsonWriter& Open(char bracket, Layout layout);
  JsonWriter& Close(char bracket);

  std::string text_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

}  // namespace cdflash
