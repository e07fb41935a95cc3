#pragma once
// The simulated ASPI for Win32 layer: request blocks in, simulated drives
// (sim::SimDrive, the same model the in-process tests use) behind them.
// Requests complete at once, or, when configured, come back pending and are
// completed later from a thread of their own, so that the caller's wait on
// the completion event runs. Requests the configuration never lets complete
// stay pending until an abort request takes them back.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LayerConfig.h"
#include "RequestLog.h"
#include "SimDrive.h"
#include "device/routes/aspi_srb_win.h"

namespace cdflash::sim::aspi_layer {

class AspiLayer {
 public:
  AspiLayer(const LayerConfig& config, std::string logPath, HMODULE module);

  /// GetASPI32SupportInfo: the status byte in bits 8-15, the number of host
  /// adapters in bits 0-7.
  std::uint32_t SupportInfo() const;
  /// SendASPI32Command: the request's status as it stands on return.
  std::uint32_t Send(void* request);
  /// Ends every request still pending with an error (the layer gives up on
  /// them); the number ended.
  int ExpirePending();

 private:
  struct Drive {
    std::uint8_t hostAdapter;
    std::uint8_t target;
    std::uint8_t lun;
    std::unique_ptr<SimDrive> model;
  };

  std::uint32_t Execute(aspi::ExecScsiCommand* block);
  std::uint32_t Abort(aspi::AbortRequest* request);
  bool CompleteLater(aspi::ExecScsiCommand* block);
  void CompleteDeferred(aspi::ExecScsiCommand* block);
  static DWORD WINAPI DeferredThread(void* context);

  // With mutex_ held.
  Drive* Find(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
  void Run(Drive& drive, aspi::ExecScsiCommand* block, const char* how);
  void Complete(aspi::ExecScsiCommand* block, std::uint8_t status, std::uint8_t hostStatus,
                std::uint8_t targetStatus, const Sense* sense, const char* how);
  bool TakePending(aspi::ExecScsiCommand* block);

  LayerConfig config_;
  HMODULE module_;
  std::vector<Drive> drives_;
  std::uint8_t adapters_ = 0;
  std::mutex mutex_;
  std::vector<aspi::ExecScsiCommand*> pending_;
  RequestLog log_;
};

}  // namespace cdflash::sim::aspi_layer
