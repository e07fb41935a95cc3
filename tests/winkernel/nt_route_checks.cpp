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

bool ParseLetter(const char* text, char& letter) {
  if (std::strlen(text) != 1 || text[0] < 'D' || text[0] > 'Z') return false;
  letter = text[0];
  return true;
}

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
  GuestLetters letters;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc != 4 || (mode != "privileged" && mode != "without-rawio") ||
      !ParseLetter(argv[2], letters.atapi) || !ParseLetter(argv[3], letters.scsiDebug) ||
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
