#include "common/Json.h"

#include "common/Text.h"

namespace cdflash {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += Format("\\u%04x", byte);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const std::uint8_t b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

// A value goes after its key, or as the next element of its container on a
// line of its own (or after ", " inline).
void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (level.layout == Layout::Inline) {
    if (!level.empty) text_ += ", ";
  } else {
    text_ += level.empty ? "\n" : ",\n";
    text_.append(2 * levels_.size(), ' ');
  }
  level.empty = false;
}

JsonWriter& JsonWriter::Open(char bracket, Layout layout) {
  BeforeValue();
  text_ += bracket;
  // Inside an inline container everything stays on its line.
  const bool inlineParent = !levels_.empty() && levels_.back().layout == Layout::Inline;
  levels_.push_back({inlineParent ? Layout::Inline : layout, true});
  return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
  if (levels_.empty()) return *this;
  const Level level = levels_.back();
  levels_.pop_back();
  if (level.layout == Layout::Lines && !level.empty) {
    text_ += '\n';
    text_.append(2 * levels_.size(), ' ');
  }
  text_ += bracket;
  return *this;
}

JsonWriter& JsonWriter::BeginObject(Layout layout) { return Open('{', layout); }
JsonWriter& JsonWriter::EndObject() { return Close('}'); }
JsonWriter& JsonWriter::BeginArray(Layout layout) { return Open('[', layout); }
JsonWriter& JsonWriter::EndArray() { return Close(']'); }

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  text_ += JsonString(name) + ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
  BeforeValue();
  text_ += JsonString(value);
  return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  return *this;
}

}  // namespace cdflash
