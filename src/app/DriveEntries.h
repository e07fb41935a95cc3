#pragma once
// The machine's CD drives as a user names them: every drive the system
// lists, opened or not, with the system's name for it, whether this flasher
// may update it (and why not), and which of them a selector names.

#include <string>
#include <vector>

#include "device/Route.h"
#include "package/PackageView.h"

namespace cdflash {

class CDDrive;
class CDDrives;

struct DriveEntry {
  DriveAddress address;
  CDDrive* drive = nullptr;  // null: listed by the system but could not be opened
  std::string device;        // the system's name for it (/dev/sr0, \\.\D:), where it has one

  // "identity (device)", or what names it where it could not be opened.
  std::string Describe() const;
};

// Every drive the system lists, with the opened ones of `drives` (the ASPI
// layer's addresses are probes, not drives: only the opened ones count there).
std::vector<DriveEntry> ListDriveEntries(CDDrives& drives);

// Why this flasher may not update the drive; empty when it may.
std::string Refusal(const PackageView& package, const DriveEntry& entry);

// The entries `selector` names: its device (/dev/sr0, \\.\D:), its letter
// (0, D or D:) or its address (host adapter-target-LUN, 1-0-0). An address
// can name several drives: every drive of a system without host adapters
// has the address 0-0-0.
std::vector<const DriveEntry*> Named(const std::vector<DriveEntry>& entries, const std::string& selector);

}  // namespace cdflash
