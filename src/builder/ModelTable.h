#pragma once
// The model table of build mode as read from its INI file: sections MODEL00
// to MODEL99, six keys each, read until the first section without a model.

#include <array>
#include <string>
#include <vector>

#include "builder/IniFile.h"

namespace cdflash {

// Keys of a section, in the order they are read and the lists are kept.
enum ModelKey : std::size_t { kModelKey, kInquiryKey, kFwRangeKey, kBinMaskKey, kVendorKey, kNoteKey };
inline constexpr std::size_t kModelKeyCount = 6;
inline constexpr std::array<const char*, kModelKeyCount> kModelKeyNames = {
    "Model", "Inquiry", "FW-Range", "BINMask", "Vendor", "Note"};

inline constexpr int kMaxModels = 100;
// The value of a key that is absent; a value that reads the same counts as absent.
inline constexpr const char* kMissingValue = "FAIL";

struct ModelTable {
  // One list per key. Complete sections hold their stored forms; the
  // section at which reading stopped leaves its values as read.
  std::array<std::vector<std::string>, kModelKeyCount> lists;
  // The drop-down entry of each complete section: FW-Range, a blank, Inquiry.
  std::vector<std::string> entries;
  // The section at which reading stopped, empty when all 100 were complete.
  std::string stopSection;
  // Reading stopped at a section with a model but another key missing, or
  // the first section had no model.
  bool failed = false;
};

// "MODEL" and the number in two digits.
std::string ModelSectionName(int number);

ModelTable ReadModelTable(const IniFile& ini);

}  // namespace cdflash
