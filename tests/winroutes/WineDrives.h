#pragma once
// Drive letters made for a test under Wine, and taken away after it. Wine's
// mount manager defines them at once for every program of the prefix
// (its IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, the call Wine's own configuration
// tool makes); the drive configuration in the registry is read only when
// Wine starts. A CD-ROM letter that cannot be opened is one whose DOS
// device link points at a device that does not exist.

#include <string>
#include <vector>

namespace cdflash::winroutes {

bool RunningUnderWine();

// Letters from D on that no drive uses, in order.
std::vector<char> FreeDriveLetters();

class WineDrive {
 public:
  enum class Kind { Fixed, CdRom, UnopenableCdRom };

  WineDrive(char letter, Kind kind);
  ~WineDrive();
  WineDrive(const WineDrive&) = delete;
  WineDrive& operator=(const WineDrive&) = delete;

  bool Defined() const { return defined_; }
  char Letter() const { return letter_; }

 private:
  char letter_;
  Kind kind_;
  bool defined_ = false;
};

}  // namespace cdflash::winroutes
