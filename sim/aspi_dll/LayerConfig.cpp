#include "LayerConfig.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace cdflash::sim::aspi_layer {

namespace {

constexpr char kLayerSection[] = "Layer";
constexpr char kDrivePrefix[] = "Drive";

std::string ReadText(const std::string& path, const char* section, const char* key,
                     const char* fallback) {
  char value[1024] = {};
  ::GetPrivateProfileStringA(section, key, fallback, value, sizeof(value), path.c_str());
  return value;
}

unsigned ReadNumber(const std::string& path, const char* section, const char* key, unsigned fallback,
                    int base = 10) {
  const std::string text = ReadText(path, section, key, "");
  if (text.empty()) return fallback;
  return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, base));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::vector<std::string_view> SplitOnComma(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t end = std::min(text.find(',', at), text.size());
    if (end > at) items.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return items;
}

Sense SenseOf(const std::vector<std::uint8_t>& bytes, std::size_t from) {
  Sense sense;
  if (bytes.size() > from) sense.key = bytes[from];
  if (bytes.size() > from + 1) sense.asc = bytes[from + 1];
  if (bytes.size() > from + 2) sense.ascq = bytes[from + 2];
  return sense;
}

DriveEntry ReadDrive(const std::string& path, const char* section) {
  DriveEntry entry;
  entry.hostAdapter = static_cast<std::uint8_t>(ReadNumber(path, section, "HostAdapter", 0));
  entry.target = static_cast<std::uint8_t>(ReadNumber(path, section, "Target", 0));
  entry.lun = static_cast<std::uint8_t>(ReadNumber(path, section, "Lun", 0));
  DriveConfig& config = entry.config;
  config.vendor = ReadText(path, section, "Vendor", config.vendor.c_str());
  config.product = ReadText(path, section, "Product", config.product.c_str());
  config.revision = ReadText(path, section, "Revision", config.revision.c_str());
  config.inquiryLength = ReadNumber(path, section, "InquiryLength", 36);
  const std::vector<std::uint8_t> flashId = ParseHexBytes(ReadText(path, section, "FlashId", ""));
  if (flashId.size() >= 2) config.flashId = {flashId[0], flashId[1]};
  const std::vector<Sense> medium = ParseSenseList(ReadText(path, section, "Medium", ""));
  if (!medium.empty()) config.mediumScript = medium;
  entry.neverComplete = ParseHexBytes(ReadText(path, section, "NeverComplete", ""));
  entry.refusals = ParseRefusals(ReadText(path, section, "Refuse", ""));
  return entry;
}

}  // namespace

std::vector<std::uint8_t> ParseHexBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  int high = -1;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      high = -1;  // a separator ends a byte
      continue;
    }
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (high < 0) {
      high = digit;
      bytes.push_back(static_cast<std::uint8_t>(digit));
    } else {
      bytes.back() = static_cast<std::uint8_t>(high * 16 + digit);
      high = -1;
    }
  }
  return bytes;
}

std::vector<Sense> ParseSenseList(std::string_view text) {
  std::vector<Sense> list;
  for (const std::string_view item : SplitOnComma(text)) {
    const std::vector<std::uint8_t> bytes = ParseHexBytes(item);
    if (!bytes.empty()) list.push_back(SenseOf(bytes, 0));
  }
  return list;
}

std::vector<Refusal> ParseRefusals(std::string_view text) {
  std::vector<Refusal> list;
  for (const std::string_view item : SplitOnComma(text)) {
    const std::vector<std::uint8_t> bytes = ParseHexBytes(item);
    if (bytes.size() >= 2) list.push_back({bytes[0], SenseOf(bytes, 1)});
  }
  return list;
}

LayerConfig LoadLayerConfig(const std::string& path) {
  LayerConfig config;
  config.supportStatus = static_cast<std::uint8_t>(ReadNumber(path, kLayerSection, "Support", 1, 16));
  config.asynchronous = EqualsIgnoringCase(ReadText(path, kLayerSection, "Completion", "sync"), "async");
  config.delayMs = ReadNumber(path, kLayerSection, "Delay", config.delayMs);
  config.commitDelayMs = ReadNumber(path, kLayerSection, "CommitDelay", config.delayMs);
  config.honourAborts = !EqualsIgnoringCase(ReadText(path, kLayerSection, "Abort", "honour"), "ignore");

  // Every section whose name begins with "Drive", in file order.
  std::vector<char> names(32768);
  const DWORD length = ::GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()),
                                                        path.c_str());
  for (std::size_t at = 0; at < length && names[at] != '\0';) {
    const std::string section(names.data() + at);
    at += section.size() + 1;
    if (section.size() >= sizeof(kDrivePrefix) - 1 &&
        EqualsIgnoringCase(std::string_view(section).substr(0, sizeof(kDrivePrefix) - 1), kDrivePrefix)) {
      config.drives.push_back(ReadDrive(path, section.c_str()));
    }
  }
  return config;
}

}  // namespace cdflash::sim::aspi_layer
