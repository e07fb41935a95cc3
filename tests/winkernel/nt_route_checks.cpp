// Checks the Windows NT route end to end against a real kernel: run under
// Wine inside the QEMU guest, whose kernel carries each pass-through command
// to its CD devices (scripts/test-wine-kernel.sh).
//
// usage: nt_route_checks.exe privileged|without-rawio ATAPI_LETTER SCSI_DEBUG_LETTER
//   privileged     as root: discovery, completions, a flash run
//   without-rawio  without CAP_SYS_RAWIO: discovery, and WRITE BUFFER refused
// Prints one line per check and "N passed, N failed"; exit status 0 only when
// every check passed, 2 on a usage error.

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "NtRouteChecks.h"
#include "device/Cddrives.h"

namespace cdflash::kernelcheck {
namespace {

// The drive letter `text` names, from D to Z; 0 for anything else.
char Letter(const char* text) { return std::strlen(text) == 1 && text[0] >= 'D' && text[0] <= 'Z' ? text[0] : '\0'; }

// The data buffer as the window registers it once the list is made (the
// first drive opened resets it to the internal one).
std::array<std::uint8_t, kChunk> transfer;

void RunPrivileged(CheckLog& log, const GuestLetters& letters) {
  CDDrives drives;
  CDDrive::SetDataBuffer(transfer.data(), kChunk);
  const GuestDrives found = CheckDiscovery(log, drives, letters, "");
  CheckCompletions(log, found);
  if (found.scsiDebug == nullptr) return;
  CheckFlashRun(log, *found.scsiDebug);
}

void RunWithoutRawIo(CheckLog& log, const GuestLetters& letters) {
  CDDrives drives;
  CDDrive::SetDataBuffer(transfer.data(), kChunk);
  const GuestDrives found = CheckDiscovery(log, drives, letters, "without CAP_SYS_RAWIO: ");
  if (found.scsiDebug != nullptr) CheckRefusedWithoutRights(log, *found.scsiDebug);
}

}  // namespace
}  // namespace cdflash::kernelcheck

int main(int argc, char** argv) {
  using namespace cdflash::kernelcheck;
  const std::string mode = argc > 1 ? argv[1] : "";
  const GuestLetters letters{argc == 4 ? Letter(argv[2]) : '\0', argc == 4 ? Letter(argv[3]) : '\0'};
  if ((mode != "privileged" && mode != "without-rawio") || letters.atapi == 0 || letters.scsiDebug == 0 ||
      letters.atapi == letters.scsiDebug) {
    std::fprintf(stderr,
                 "usage: nt_route_checks privileged|without-rawio ATAPI_LETTER SCSI_DEBUG_LETTER\n"
                 "  (two different letters from D to Z)\n");
    return 2;
  }
  CheckLog log;
  if (mode == "privileged") RunPrivileged(log, letters);
  else RunWithoutRawIo(log, letters);
  return log.Finish();
}
