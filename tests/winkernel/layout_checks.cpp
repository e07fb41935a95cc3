// The records this build hands to the system, against their published
// layouts. The shipped 32-bit program's (an 80-byte pass-through record
// with its sense at 48, the 80- and 12-byte ASPI blocks) can only be checked
// where 32-bit programs run: the Windows stage skips them on machines that
// run none, and the i686 run in the guest checks them instead.

#include <cstddef>

#include "NtRouteChecks.h"
#include "device/routes/aspi_srb_win.h"
#include "device/routes/passthrough_win.h"
#include "winroutes/RecordLayout.h"

namespace cdflash::kernelcheck {

void CheckRecordLayouts(CheckLog& log) {
  const bool shipped = sizeof(void*) == 4;
  const char* build = shipped ? "the shipped 32-bit program" : "the 64-bit test build";
  const auto& passThrough = winroutes::kPassThroughLayout;
  log.Check(Format("%s: pass-through record of %d bytes, sense at %d", build,
                   static_cast<int>(passThrough.size), static_cast<int>(passThrough.sense)),
            sizeof(PassThroughRecord) == passThrough.size &&
                offsetof(PassThroughRecord, sense) == passThrough.sense,
            Format("%d bytes, sense at %d", static_cast<int>(sizeof(PassThroughRecord)),
                   static_cast<int>(offsetof(PassThroughRecord, sense))));
  const auto& exec = winroutes::kExecRequestLayout;
  const auto& abort = winroutes::kAbortRequestLayout;
  log.Check(Format("%s: ASPI request blocks of %d and %d bytes", build,
                   static_cast<int>(exec.size), static_cast<int>(abort.size)),
            sizeof(aspi::ExecScsiCommand) == exec.size &&
                offsetof(aspi::ExecScsiCommand, CDBByte) == exec.cdb &&
                sizeof(aspi::AbortRequest) == abort.size,
            Format("%d and %d bytes", static_cast<int>(sizeof(aspi::ExecScsiCommand)),
                   static_cast<int>(sizeof(aspi::AbortRequest))));
}

}  // namespace cdflash::kernelcheck
