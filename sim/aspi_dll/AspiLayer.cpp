#include "AspiLayer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>

#include "SimFaults.h"
#include "SimCommands.h"

namespace cdflash::sim::aspi_layer {

namespace {

// Host adapter status values of the published interface.
constexpr std::uint8_t kHostOk = 0x00;
constexpr std::uint8_t kHostTimeout = 0x09;     // HASTAT_TIMEOUT
constexpr std::uint8_t kHostPhaseError = 0x14;  // HASTAT_PHASE_ERR

struct Deferred {
  AspiLayer* layer;
  aspi::ExecScsiCommand* block;
  HMODULE module;  // a reference of the thread's own: the DLL stays mapped while it runs
  DWORD delayMs;
};

}  // namespace

AspiLayer::AspiLayer(const LayerConfig& config, std::string logPath, HMODULE module)
    : config_(config), module_(module), log_(std::move(logPath)) {
  for (const DriveEntry& entry : config_.drives) {
    auto model = std::make_unique<SimDrive>(entry.config);
    for (const std::uint8_t opcode : entry.neverComplete) {
      model->InjectWhen(WithOpcode(opcode), Fault::Timeout(), FaultPlan::kAlways);
    }
    for (const Refusal& refusal : entry.refusals) {
      model->InjectWhen(WithOpcode(refusal.opcode), Fault::WithSense(refusal.sense), FaultPlan::kAlways);
    }
    adapters_ = std::max<std::uint8_t>(adapters_, static_cast<std::uint8_t>(entry.hostAdapter + 1));
    drives_.push_back({entry.hostAdapter, entry.target, entry.lun, std::move(model)});
  }
}

std::uint32_t AspiLayer::SupportInfo() const {
  return (std::uint32_t{config_.supportStatus} << 8) | adapters_;
}

std::uint32_t AspiLayer::Send(void* request) {
  if (request == nullptr) return aspi::kInvalidSrb;
  auto* header = static_cast<std::uint8_t*>(request);
  switch (header[0]) {
    case aspi::kExecScsiCommand:
      return Execute(static_cast<aspi::ExecScsiCommand*>(request));
    case aspi::kAbortRequest:
      return Abort(static_cast<aspi::AbortRequest*>(request));
    default:
      // Nothing else is served; only the 4-byte header is common to all.
      log_.Block("SRB", request, 4);
      header[1] = aspi::kInvalidCommand;
      return aspi::kInvalidCommand;
  }
}

AspiLayer::Drive* AspiLayer::Find(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) {
  for (Drive& drive : drives_) {
    if (drive.hostAdapter == hostAdapter && drive.target == target && drive.lun == lun) return &drive;
  }
  return nullptr;
}

std::uint32_t AspiLayer::Execute(aspi::ExecScsiCommand* block) {
  log_.Block("EXEC", block, sizeof(*block));
  const std::lock_guard<std::mutex> lock(mutex_);
  if (block->SRB_CDBLen == 0 || block->SRB_CDBLen > aspi::kCdbSize ||
      (block->SRB_BufLen > 0 && block->SRB_BufPointer == nullptr)) {
    Complete(block, aspi::kInvalidSrb, kHostOk, 0, nullptr, "sync");
    return aspi::kInvalidSrb;
  }
  Drive* drive = Find(block->SRB_HaId, block->SRB_Target, block->SRB_Lun);
  if (drive == nullptr) {
    Complete(block, aspi::kNoDevice, kHostOk, 0, nullptr, "sync");
    return aspi::kNoDevice;
  }
  if (config_.asynchronous) {
    aspi::PublishStatus(*block, aspi::kPending);
    pending_.push_back(block);
    if (CompleteLater(block)) return aspi::kPending;
    TakePending(block);  // no thread: complete it here after all
  }
  Run(*drive, block, "sync");
  return aspi::ReadStatus(*block);
}

void AspiLayer::Run(Drive& drive, aspi::ExecScsiCommand* block, const char* how) {
  std::array<std::uint8_t, 12> cdb{};
  std::copy_n(block->CDBByte, std::min<std::size_t>(block->SRB_CDBLen, cdb.size()), cdb.begin());
  const bool dataIn = (block->SRB_Flags & aspi::kDirectionIn) != 0;
  const std::span<std::uint8_t> data(block->SRB_BufPointer, block->SRB_BufLen);
  const Reply reply = drive.model->Execute(cdb, dataIn, data);
  switch (reply.transport) {
    case Transport::Completed:
      if (reply.status == kStatusGood) {
        Complete(block, aspi::kComplete, kHostOk, kStatusGood, nullptr, how);
      } else {
        Complete(block, aspi::kError, kHostOk, reply.status, &reply.sense, how);
      }
      break;
    case Transport::Failed:
      Complete(block, aspi::kError, kHostPhaseError, 0, nullptr, how);
      break;
    case Transport::TimedOut:
      // Never completes: it waits for an abort request.
      aspi::PublishStatus(*block, aspi::kPending);
      if (std::find(pending_.begin(), pending_.end(), block) == pending_.end()) {
        pending_.push_back(block);
      }
      log_.Line(RequestLog::Head("HELD", block));
      break;
    case Transport::Gone:
      Complete(block, aspi::kNoDevice, kHostOk, 0, nullptr, how);
      break;
  }
}

void AspiLayer::Complete(aspi::ExecScsiCommand* block, std::uint8_t status, std::uint8_t hostStatus,
                         std::uint8_t targetStatus, const Sense* sense, const char* how) {
  block->SRB_HaStat = hostStatus;
  block->SRB_TargStat = targetStatus;
  if (sense != nullptr) {
    // Fixed-format sense data, cut to the allocation and to the area.
    std::uint8_t data[aspi::kSenseAreaSize] = {};
    data[0] = 0x70;
    data[2] = sense->key;
    data[7] = 10;
    data[12] = sense->asc;
    data[13] = sense->ascq;
    std::memcpy(block->SenseArea, data, std::min<std::size_t>(block->SRB_SenseLen, sizeof(data)));
  }
  char line[48];
  std::snprintf(line, sizeof(line), " %02X %02X %02X %02X %s", status,
                sense != nullptr ? sense->key : 0, sense != nullptr ? sense->asc : 0,
                sense != nullptr ? sense->ascq : 0, how);
  log_.Line(RequestLog::Head("DONE", block) + line);
  const HANDLE event = (block->SRB_Flags & aspi::kEventNotify) != 0 ? block->SRB_PostProc : nullptr;
  aspi::PublishStatus(*block, status);
  // After the status: the block may be reused as soon as the caller sees it.
  if (event != nullptr) ::SetEvent(event);
}

bool AspiLayer::TakePending(aspi::ExecScsiCommand* block) {
  const auto at = std::find(pending_.begin(), pending_.end(), block);
  if (at == pending_.end()) return false;
  pending_.erase(at);
  return true;
}

bool AspiLayer::CompleteLater(aspi::ExecScsiCommand* block) {
  HMODULE reference = nullptr;
  if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&AspiLayer::DeferredThread), &reference)) {
    return false;
  }
  Cdb cdb{};
  std::copy_n(block->CDBByte, std::min<std::size_t>(block->SRB_CDBLen, cdb.size()), cdb.begin());
  const DWORD delay = IsCommitBlock(cdb) ? config_.commitDelayMs : config_.delayMs;
  auto* deferred = new Deferred{this, block, reference, delay};
  const HANDLE thread = ::CreateThread(nullptr, 0, &AspiLayer::DeferredThread, deferred, 0, nullptr);
  if (thread == nullptr) {
    delete deferred;
    ::FreeLibrary(reference);
    return false;
  }
  ::CloseHandle(thread);
  return true;
}

DWORD WINAPI AspiLayer::DeferredThread(void* context) {
  const Deferred deferred = *static_cast<Deferred*>(context);
  delete static_cast<Deferred*>(context);
  ::Sleep(deferred.delayMs);
  deferred.layer->CompleteDeferred(deferred.block);
  ::FreeLibraryAndExitThread(deferred.module, 0);
  return 0;
}

void AspiLayer::CompleteDeferred(aspi::ExecScsiCommand* block) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!TakePending(block)) return;  // aborted meanwhile
  if (Drive* drive = Find(block->SRB_HaId, block->SRB_Target, block->SRB_Lun)) {
    Run(*drive, block, "async");
  }
}

std::uint32_t AspiLayer::Abort(aspi::AbortRequest* request) {
  log_.Block("ABORT", request, sizeof(*request));
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!config_.honourAborts || !TakePending(request->SRB_ToAbort)) {
    request->SRB_Status = aspi::kAbortFailed;
    return aspi::kAbortFailed;
  }
  Complete(request->SRB_ToAbort, aspi::kAborted, kHostOk, 0, nullptr, "aborted");
  request->SRB_Status = aspi::kComplete;
  return aspi::kComplete;
}

int AspiLayer::ExpirePending() {
  const std::lock_guard<std::mutex> lock(mutex_);
  const int count = static_cast<int>(pending_.size());
  for (aspi::ExecScsiCommand* block : pending_) {
    Complete(block, aspi::kError, kHostTimeout, 0, nullptr, "expired");
  }
  pending_.clear();
  return count;
}

}  // namespace cdflash::sim::aspi_layer
