#include "ui/cli/DriveListing.h"

#include "ui/cli/Json.h"

namespace cdflash::cli {

std::string DrivesAsText(const std::vector<DriveEntry>& entries, bool flasher) {
  if (entries.empty()) return "No CD drive found.\n";
  std::string text;
  for (const DriveEntry& e : entries) {
    text += (e.opened ? e.identity : e.Describe()) + "\n";
    if (e.opened) {
      text += "    vendor/product: " + e.vendorProduct + "  revision: " + e.revision;
      text += (e.device.empty() ? "" : "  device: " + e.device) + "\n";
    }
    if (flasher) {
      text += e.refusal.empty() ? "    this flasher may update it\n" : "    not for this flasher: " + e.refusal + "\n";
    } else if (!e.opened) {
      text += "    could not be opened\n";
    }
  }
  return text;
}

std::string DrivesAsJson(const std::vector<DriveEntry>& entries, bool flasher) {
  std::string out = "{\"mode\": " + JsonString(flasher ? "flasher" : "template") + ", \"drives\": [";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const DriveEntry& e = entries[i];
    out += i == 0 ? "\n  {" : ",\n  {";
    out += "\"opened\": " + std::string(e.opened ? "true" : "false");
    if (e.opened) {
      out += ", \"identity\": " + JsonString(e.identity) + ", \"vendorProduct\": " + JsonString(e.vendorProduct) +
             ", \"revision\": " + JsonString(e.revision);
    }
    if (!e.device.empty()) out += ", \"device\": " + JsonString(e.device);
    if (flasher) {
      out += ", \"updatable\": " + std::string(e.refusal.empty() ? "true" : "false");
      if (!e.refusal.empty()) out += ", \"reason\": " + JsonString(e.refusal);
    }
    out += "}";
  }
  return out + (entries.empty() ? "]}\n" : "\n]}\n");
}

std::string Candidates(const std::vector<DriveEntry>& entries) {
  if (entries.empty()) return "No CD drive found.\n";
  std::string text;
  for (const DriveEntry& e : entries) text += "  " + e.Describe() + "\n";
  return text;
}

}  // namespace cdflash::cli
