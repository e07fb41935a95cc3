#include "session/Listings.h"

#include "common/Json.h"
#include "common/Text.h"
#include "package/PackageDigest.h"
#include "session/StartupTexts.h"
#include "session/Version.h"
#include "system/Elevation.h"
#include "system/SystemServices.h"

namespace cdflash {

std::string DrivesAsText(const std::vector<DriveEntry>& entries, const PackageView& package) {
  const bool flasher = !package.IsTemplate();
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

std::string DrivesAsJson(const std::vector<DriveEntry>& entries, const PackageView& package) {
  const bool flasher = !package.IsTemplate();
  JsonWriter json;
  json.BeginObject().Key("mode").String(flasher ? "flasher" : "template");
  json.Key("digest").String(StoredDigestHex(package));
  json.Key("drives").BeginArray();
  for (const DriveEntry& e : entries) {
    json.BeginObject(JsonWriter::Layout::Inline).Key("opened").Bool(e.opened);
    if (e.opened) {
      json.Key("identity").String(e.identity).Key("vendorProduct").String(e.vendorProduct);
      json.Key("revision").String(e.revision);
    }
    if (!e.device.empty()) json.Key("device").String(e.device);
    if (flasher) {
      json.Key("updatable").Bool(e.refusal.empty());
      if (!e.refusal.empty()) json.Key("reason").String(e.refusal);
    }
    json.EndObject();
  }
  return json.EndArray().EndObject().Text() + "\n";
}

std::string Candidates(const std::vector<DriveEntry>& entries) {
  if (entries.empty()) return "No CD drive found.\n";
  std::string text;
  for (const DriveEntry& e : entries) text += "  " + e.Describe() + "\n";
  return text;
}

std::string NotOneDrive(const std::string& selector, bool none, const std::vector<DriveEntry>& entries) {
  return (none ? "No drive \"" + selector + "\"" : "\"" + selector + "\" names more than one drive") +
         ". Name one by its device; the drives of this computer:\n" + Candidates(entries);
}

std::string RightsAdvice(const ISystemServices& system, const std::string& selector) {
  const auto read = [&system](const std::string& name) { return system.EnvironmentVariable(name); };
  return "Updating firmware needs administrator rights, and this flasher runs without them. Run it as:\n  " +
         CommandText(ElevationCommand("sudo", system.ProgramPath(), read)) + " --flash " + selector + "\n";
}

std::string ModelsAsText(const ModelTable& table) {
  std::string text;
  for (std::size_t i = 0; i < table.models.size(); ++i) {
    const ModelEntry& m = table.models[i];
    text += Format("%2u  %s\n    Inquiry: %s  FW-Range: %s  BINMask: %s  Vendor: %s  Note: %s\n",
                   static_cast<unsigned>(i), m.model.c_str(), m.inquiry.c_str(), m.fwRange.c_str(),
                   m.binMask.c_str(), m.vendor.c_str(), m.note.c_str());
  }
  return text;
}

std::string VersionText(const PackageView& package) {
  std::string text = "cdflash " CDFLASH_VERSION_TEXT "\n";
  const std::string digest = StoredDigestHex(package);
  if (!digest.empty()) {
    text += "firmware digest (SHA-256): " + digest;
    text += FlasherIsDamaged(package) ? " (damaged: the firmware does not match it)\n" : "\n";
  }
  return text;
}

}  // namespace cdflash
