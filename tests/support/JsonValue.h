#pragma once
// Reads JSON text back into a tree, so that tests can check what a record or
// a result says rather than how its text is spelled. Strict: anything that
// is not one whole JSON value (trailing commas, a missing quote, bytes
// outside ASCII, text after the value) fails the parse. \u00XX escapes come
// back as the single byte XX, as the writer's Latin-1 strings put them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cdflash::test {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;
  std::vector<std::string> order;  // member names as they appear

  bool Has(const std::string& name) const { return members.count(name) != 0; }
  const JsonValue& operator[](const std::string& name) const { return members.at(name); }
  const JsonValue& operator[](std::size_t i) const { return items.at(i); }
};

class JsonReader {
 public:
  // The value of `text`, or nothing when it is not exactly one JSON value.
  static std::optional<JsonValue> Parse(const std::string& text) {
    JsonReader reader(text);
    JsonValue value;
    if (!reader.Value(value, 0)) return std::nullopt;
    reader.Space();
    if (reader.at_ != text.size()) return std::nullopt;
    return value;
  }

 private:
  explicit JsonReader(const std::string& text) : s_(text) {}

  void Space() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\r' || s_[at_] == '\t')) ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    const std::string w(word);
    if (s_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  bool Value(JsonValue& v, int depth) {
    if (depth > 64) return false;
    Space();
    if (at_ >= s_.size()) return false;
    const char c = s_[at_];
    if (c == '{') return Object(v, depth);
    if (c == '[') return Array(v, depth);
    if (c == '"') {
      v.kind = JsonValue::Kind::String;
      return String(v.text);
    }
    if (Word("true")) {
      v.kind = JsonValue::Kind::Bool;
      v.boolean = true;
      return true;
    }
    if (Word("false")) {
      v.kind = JsonValue::Kind::Bool;
      return true;
    }
    if (Word("null")) return true;
    return Number(v);
  }

  bool Number(JsonValue& v) {
    const std::size_t start = at_;
    if (at_ < s_.size() && s_[at_] == '-') ++at_;
    const std::size_t digits = at_;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
    if (at_ == digits || (s_[digits] == '0' && at_ - digits > 1)) return false;
    if (at_ < s_.size() && s_[at_] == '.') {
      const std::size_t fraction = ++at_;
      while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
      if (at_ == fraction) return false;
    }
    v.kind = JsonValue::Kind::Number;
    v.number = std::stod(s_.substr(start, at_ - start));
    return true;
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool String(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[at_++]);
      if (c == '"') return true;
      if (c < 0x20 || c > 0x7E) return false;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (at_ >= s_.size()) return false;
      const char e = s_[at_++];
      const std::string simple = "\"\\/bfnrt";
      const std::string meaning = "\"\\/\b\f\n\r\t";
      if (const std::size_t k = simple.find(e); k != std::string::npos) {
        out += meaning[k];
      } else if (e == 'u' && at_ + 4 <= s_.size()) {
        int code = 0;
        for (int i = 0; i < 4; ++i) {
          const int d = HexDigit(s_[at_++]);
          if (d < 0) return false;
          code = code * 16 + d;
        }
        if (code > 0xFF) return false;  // only Latin-1 is ever written
        out += static_cast<char>(code);
      } else {
        return false;
      }
    }
    return false;
  }

  bool Array(JsonValue& v, int depth) {
    ++at_;
    v.kind = JsonValue::Kind::Array;
    if (Take(']')) return true;
    do {
      v.items.emplace_back();
      if (!Value(v.items.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool Object(JsonValue& v, int depth) {
    ++at_;
    v.kind = JsonValue::Kind::Object;
    if (Take('}')) return true;
    do {
      Space();
      std::string name;
      if (at_ >= s_.size() || s_[at_] != '"' || !String(name) || !Take(':')) return false;
      if (v.members.count(name) != 0) return false;  // a name twice
      if (!Value(v.members[name], depth + 1)) return false;
      v.order.push_back(name);
    } while (Take(','));
    return Take('}');
  }

  const std::string& s_;
  std::size_t at_ = 0;
};

}  // namespace cdflash::test
