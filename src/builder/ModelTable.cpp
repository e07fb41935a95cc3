#include "builder/ModelTable.h"

#include "common/Text.h"

namespace cdflash {
namespace {

constexpr std::size_t kStoredLength = 24;

// What the package header keeps of a value: every field fits its 25 bytes
// with the NUL; the identity is exactly 24 characters.
std::string StoredForm(std::size_t key, const std::string& value) {
  switch (key) {
    case kInquiryKey: return LeftAligned(value, kStoredLength);  // "%-24.24s"
    case kBinMaskKey: return value;
    default: return Truncated(value, kStoredLength);             // "%.24s"
  }
}

}  // namespace

std::string ModelSectionName(int number) { return Format("%5.5s%02d", "MODEL", number); }

ModelTable ReadModelTable(const IniFile& ini) {
  ModelTable table;
  for (int n = 0; n < kMaxModels; ++n) {
    const std::string section = ModelSectionName(n);
    std::array<std::string, kModelKeyCount> values;
    for (std::size_t key = 0; key < kModelKeyCount; ++key) {
      values[key] = ini.GetString(section, kModelKeyNames[key], kMissingValue);
      table.lists[key].push_back(values[key]);
    }
    if (values[kModelKey] == kMissingValue) {
      table.stopSection = section;
      table.failed = (n == 0);
      return table;
    }
    for (std::size_t key = kInquiryKey; key < kModelKeyCount; ++key) {
      if (values[key] == kMissingValue) {
        table.stopSection = section;
        table.failed = true;
        return table;
      }
    }
    table.entries.push_back(values[kFwRangeKey] + " " + values[kInquiryKey]);
    for (std::size_t key = 0; key < kModelKeyCount; ++key) {
      table.lists[key].back() = StoredForm(key, values[key]);
    }
  }
  return table;
}

}  // namespace cdflash
