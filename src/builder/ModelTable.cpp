#include "builder/ModelTable.h"

#include <algorithm>

#include "common/Text.h"

namespace cdflash {
namespace {

constexpr std::size_t kStoredLength = 24;

}  // namespace

std::string ModelSectionName(int number) { return Format("%5.5s%02d", "MODEL", number); }

ModelTable ReadModelTable(const IniFile& ini) {
  ModelTable table;
  for (int n = 0; n < kMaxModels; ++n) {
    const std::string section = ModelSectionName(n);
    std::array<std::string, kModelKeyNames.size()> v;
    for (std::size_t key = 0; key < v.size(); ++key) {
      v[key] = ini.GetString(section, kModelKeyNames[key], kMissingValue);
    }
    if (v[0] == kMissingValue) {
      table.stopSection = section;
      table.failed = (n == 0);
      return table;
    }
    if (std::find(v.begin() + 1, v.end(), kMissingValue) != v.end()) {
      table.stopSection = section;
      table.failed = true;
      return table;
    }
    table.entries.push_back(v[2] + " " + v[1]);
    // What the package header keeps of each value: every field fits its 25
    // bytes with the NUL; the identity is exactly 24 characters.
    table.models.push_back(ModelEntry{Truncated(v[0], kStoredLength),
                                      LeftAligned(v[1], kStoredLength),  // "%-24.24s"
                                      Truncated(v[2], kStoredLength), v[3],
                                      Truncated(v[4], kStoredLength), Truncated(v[5], kStoredLength)});
  }
  return table;
}

}  // namespace cdflash
