#pragma once
// Reads JSON text back into a tree (nlohmann::json), so that tests check
// what a record or a result says rather than how its text is spelled.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace cdflash::test {

using Json = nlohmann::json;

// The value of `text`, or nothing when it is not exactly one JSON value.
inline std::optional<Json> ParseJson(const std::string& text) {
  Json value = Json::parse(text, nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

// A string as the single bytes the writer escaped as \u00XX: the reader
// gives them back as UTF-8.
inline std::string SingleByteText(const Json& value) {
  const std::string utf8 = value.get<std::string>();
  std::string text;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte >= 0xC0 && i + 1 < utf8.size()) {
      text += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      text += static_cast<char>(byte);
    }
  }
  return text;
}

}  // namespace cdflash::test
