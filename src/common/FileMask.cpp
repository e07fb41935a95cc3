#include "common/FileMask.h"

#include <algorithm>

#include "common/Text.h"

namespace cdflash {
namespace {

char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Wildcard match with one backtracking point, the last '*' seen: at most
// name x pattern steps and no recursion, whatever a mask from the model table
// holds.
bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  std::size_t n = 0, p = 0;
  std::size_t star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Folded(pattern[p]) == Folded(name[n]))) {
      ++n;
      ++p;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchesAny(const std::string& name, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&name](const std::string& pattern) { return MatchesPattern(name, pattern); });
}

bool FoldedLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Folded(x)) < static_cast<unsigned char>(Folded(y));
  });
}

}  // namespace

std::vector<std::string> SplitMask(const std::string& mask) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= mask.size()) {
    std::size_t end = mask.find(';', start);
    if (end == std::string::npos) end = mask.size();
    const std::size_t first = mask.find_first_not_of(' ', start);
    if (first != std::string::npos && first < end) {
      const std::size_t last = mask.find_last_not_of(' ', end - 1);
      patterns.push_back(mask.substr(first, last - first + 1));
    }
    start = end + 1;
  }
  return patterns;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  return MatchesAny(name, SplitMask(mask));
}

std::vector<std::string> MatchingFiles(std::vector<std::string> names, const std::string& mask) {
  const std::vector<std::string> patterns = SplitMask(mask);
  std::erase_if(names, [&patterns](const std::string& name) { return !MatchesAny(name, patterns); });
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    if (FoldedLess(a, b)) return true;
    if (FoldedLess(b, a)) return false;
    return CompareOrdinal(a, b) < 0;
  });
  return names;
}

}  // namespace cdflash
