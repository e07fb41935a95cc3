#include "device/routes/aspi_win.h"

#include <algorithm>
#include <cstring>

#include "device/CommandVerdict.h"
#include "device/DeviceMessages.h"
#include "device/ScsiCommands.h"

namespace cdflash {

namespace {

constexpr char kLayerName[] = "WNASPI32.DLL";
// A neutral page that explains the layer.
constexpr char kLayerAddress[] = "https://en.wikipedia.org/wiki/Advanced_SCSI_Programming_Interface";
// How long an aborted request may take to come back, at the least.
constexpr DWORD kMinimumAbortWaitMs = 1000;

template <typename Entry>
Entry EntryPoint(HMODULE library, const char* name) {
  // Through void(*)(): the generic function pointer type that any entry
  // point converts to without a cast-function-type complaint.
  const FARPROC proc = ::GetProcAddress(library, name);
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(proc));
}

// Waits on `event` while the block is pending, at most `ms` milliseconds in
// all. True when the block is no longer pending. GetTickCount differences
// stay right across its wrap-around.
bool WaitWhilePending(const aspi::ExecScsiCommand& block, HANDLE event, DWORD ms) {
  const DWORD start = ::GetTickCount();
  while (aspi::ReadStatus(block) == aspi::kPending) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= ms) return false;
    const DWORD result = ::WaitForSingleObject(event, ms - elapsed);
    if (result == WAIT_OBJECT_0) {
      ::ResetEvent(event);
    } else if (result != WAIT_TIMEOUT) {
      return aspi::ReadStatus(block) != aspi::kPending;  // the event is unusable
    }
  }
  return true;
}

}  // namespace

// What an object holds on this route: its request block, reused for every
// command, and the event of a request the layer may still complete.
struct AspiRoute::Device {
  aspi::ExecScsiCommand block{};
  HANDLE unsettledEvent = nullptr;
};

std::string AspiLoadFailureText() {
  return std::string("Unable to load WNASPI32.DLL !\nYou can down the DLL from ") + kLayerAddress +
         "\n and copy the DLL to system directory.\n\n";
}

aspi::ExecScsiCommand BuildExecRequest(const DriveAddress& address, const RouteCommand& command,
                                       HANDLE event) {
  aspi::ExecScsiCommand block;
  std::memset(&block, 0, sizeof(block));
  block.SRB_Cmd = aspi::kExecScsiCommand;
  block.SRB_HaId = address.hostAdapter;
  block.SRB_Flags = static_cast<std::uint8_t>(
      (command.dataIn ? aspi::kDirectionIn : aspi::kDirectionOut) | aspi::kEventNotify);
  block.SRB_Target = address.target;
  block.SRB_Lun = 0;
  block.SRB_BufLen = static_cast<std::uint32_t>(command.length);
  block.SRB_BufPointer = command.buffer;
  block.SRB_SenseLen = aspi::kSenseAllocation;
  block.SRB_CDBLen = kCdbLength;
  block.SRB_PostProc = event;
  std::memcpy(block.CDBByte, command.cdb.data(), kCdbLength);
  return block;
}

std::uint8_t AspiRoute::Initialise() {
  // A layer still loaded from an earlier initialisation is replaced; the
  // new load comes first, so the module itself stays in place.
  const HMODULE library = ::LoadLibraryA(kLayerName);
  ReleaseLayer();
  if (reinterpret_cast<INT_PTR>(library) < 32) {
    if (library != nullptr) ::FreeLibrary(library);
    ShowDeviceError(AspiLoadFailureText());
    return kLoadFailed;
  }
  const auto support = EntryPoint<aspi::GetSupportInfoEntry>(library, "GetASPI32SupportInfo");
  if (support == nullptr) {
    ::FreeLibrary(library);
    return kEntryMissing;
  }
  if (aspi::SupportStatus(support()) != aspi::kComplete) {
    ::FreeLibrary(library);
    return kSupportFailed;
  }
  const auto send = EntryPoint<aspi::SendCommandEntry>(library, "SendASPI32Command");
  if (send == nullptr) {
    ::FreeLibrary(library);
    return kEntryMissing;
  }
  library_ = library;
  send_ = send;
  return 0;
}

void AspiRoute::ReleaseLayer() {
  if (library_ == nullptr) return;
  // While the layer may still complete a request, its code stays mapped.
  if (unsettled_ == 0) ::FreeLibrary(library_);
  library_ = nullptr;
  send_ = nullptr;
}

RouteDevice AspiRoute::Open(const DriveAddress&) {
  if (send_ == nullptr) return kNoDevice;
  return reinterpret_cast<RouteDevice>(new Device);
}

bool AspiRoute::Settle(Device& device) {
  if (device.unsettledEvent == nullptr) return true;
  if (aspi::ReadStatus(device.block) == aspi::kPending) return false;
  ::CloseHandle(device.unsettledEvent);
  device.unsettledEvent = nullptr;
  --unsettled_;
  return true;
}

RouteOutcome AspiRoute::Execute(RouteDevice token, const DriveAddress& address,
                                const RouteCommand& command) {
  RouteOutcome outcome;
  Device* device = token == kNoDevice ? nullptr : reinterpret_cast<Device*>(token);
  if (device == nullptr || send_ == nullptr) {
    outcome.systemError = ERROR_INVALID_HANDLE;
    return outcome;
  }
  // The layer still holds this object's block from an earlier request whose
  // abort it never confirmed: neither the block nor a buffer goes out again.
  if (!Settle(*device)) {
    outcome.systemError = ERROR_BUSY;
    return outcome;
  }
  const HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (event == nullptr) {
    outcome.systemError = ::GetLastError();
    return outcome;
  }
  aspi::ExecScsiCommand& block = device->block;
  block = BuildExecRequest(address, command, event);
  send_(&block);
  const DWORD waitMs = static_cast<DWORD>(command.timeoutSeconds) * 1000U;
  const bool timedOut = !WaitWhilePending(block, event, waitMs);
  if (timedOut && IsCommitCommand(command.cdb)) {
    // A commit is never aborted: the drive may be programming its flash, and
    // an abort can reset the device half-way. The request keeps its block
    // and event, and later commands to this drive fail at once.
    device->unsettledEvent = event;
    ++unsettled_;
  } else if (timedOut) {
    // Take the request back before its block or buffer is used again.
    aspi::AbortRequest abort;
    std::memset(&abort, 0, sizeof(abort));
    abort.SRB_Cmd = aspi::kAbortRequest;
    abort.SRB_HaId = address.hostAdapter;
    abort.SRB_ToAbort = &block;
    send_(&abort);
    if (!WaitWhilePending(block, event, std::max(waitMs, kMinimumAbortWaitMs))) {
      device->unsettledEvent = event;  // the layer may still signal it
      ++unsettled_;
    }
  }
  const DWORD error = ::GetLastError();
  if (device->unsettledEvent != event) ::CloseHandle(event);

  const std::uint8_t status = aspi::ReadStatus(block);
  outcome.completionStatus = status;
  std::copy(std::begin(block.SenseArea), std::end(block.SenseArea), outcome.sense.begin());
  outcome.delivered = !timedOut && (status == aspi::kComplete || status == aspi::kError);
  outcome.succeeded =
      outcome.delivered && status == aspi::kComplete && ReadSense(outcome.sense).key == 0;
  outcome.result = command.length;
  if (!outcome.succeeded) outcome.systemError = timedOut ? ERROR_SEM_TIMEOUT : error;
  outcome.deviceGone = !timedOut && status == aspi::kNoDevice;
  return outcome;
}

void AspiRoute::CloseDevice(RouteDevice token) {
  if (token == kNoDevice) return;
  auto* device = reinterpret_cast<Device*>(token);
  // A block the layer may still write into is never given back.
  if (!Settle(*device)) return;
  delete device;
}

bool AspiRoute::Release(RouteDevice device, bool noDeviceOpen) {
  if (device != kNoDevice) {
    CloseDevice(device);
    return true;
  }
  if (noDeviceOpen) ReleaseLayer();
  return false;
}

}  // namespace cdflash
