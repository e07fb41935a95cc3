#pragma once
// The model table of build mode as read from its INI file: sections MODEL00
// to MODEL99, six keys each, read until the first section without a model.

#include <array>
#include <string>
#include <vector>

#include "builder/FlasherImage.h"
#include "builder/IniFile.h"

namespace cdflash {

// Keys of a section, in the order they are read.
inline constexpr std::array<const char*, 6> kModelKeyNames = {"Model",   "Inquiry", "FW-Range",
                                                              "BINMask", "Vendor",  "Note"};

inline constexpr int kMaxModels = 100;
// The value of a key that is absent; a value that reads the same counts as absent.
inline constexpr const char* kMissingValue = "FAIL";

// One model. In a complete section each value is in its stored form: cut to
// what the package header keeps, the inquiry text blank-padded to 24.
struct ModelEntry {
  std::string model;
  std::string inquiry;
  std::string fwRange;
  std::string binMask;
  std::string vendor;
  std::string note;

  HeaderTexts Header() const { return {model, inquiry, fwRange, vendor, note}; }
};

struct ModelTable {
  std::vector<ModelEntry> models;
  // The drop-down entry of each model: FW-Range, a blank, Inquiry, as read.
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
