// The records this build hands to the system, against their published
// layouts, checked as this build compiles: the i686 build of these checks
// holds the shipped 32-bit program's (an 80-byte pass-through record with its
// sense at 48, the 80- and 12-byte ASPI blocks).

#include <cstddef>

#include "device/routes/aspi_srb_win.h"
#include "device/routes/passthrough_win.h"
#include "winroutes/RecordLayout.h"

namespace cdflash::kernelcheck {

static_assert(sizeof(PassThroughRecord) == winroutes::kPassThroughLayout.size);
static_assert(offsetof(PassThroughRecord, sense) == winroutes::kPassThroughLayout.sense);
static_assert(sizeof(aspi::ExecScsiCommand) == winroutes::kExecRequestLayout.size);
static_assert(offsetof(aspi::ExecScsiCommand, CDBByte) == winroutes::kExecRequestLayout.cdb);
static_assert(sizeof(aspi::AbortRequest) == winroutes::kAbortRequestLayout.size);

}  // namespace cdflash::kernelcheck
