#pragma once
// The ASPI for Win32 request blocks as the layer publishes them:
// SRB_ExecSCSICmd (80 bytes) and SRB_Abort (12 bytes) in a 32-bit program;
// a 64-bit build (the test build) keeps the same fields at their natural
// places. The route fills them and the simulated layer reads them, so both
// sides use this one definition; the static_asserts pin every offset.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace cdflash::aspi {

// SRB_Cmd values.
inline constexpr std::uint8_t kExecScsiCommand = 0x02;  // SC_EXEC_SCSI_CMD
inline constexpr std::uint8_t kAbortRequest = 0x03;     // SC_ABORT_SRB

// SRB_Status values.
inline constexpr std::uint8_t kPending = 0x00;       // SS_PENDING
inline constexpr std::uint8_t kComplete = 0x01;      // SS_COMP
inline constexpr std::uint8_t kAborted = 0x02;       // SS_ABORTED
inline constexpr std::uint8_t kAbortFailed = 0x03;   // SS_ABORT_FAIL
inline constexpr std::uint8_t kError = 0x04;         // SS_ERR
inline constexpr std::uint8_t kInvalidCommand = 0x80;  // SS_INVALID_CMD
inline constexpr std::uint8_t kNoDevice = 0x82;      // SS_NO_DEVICE
inline constexpr std::uint8_t kInvalidSrb = 0xE0;    // SS_INVALID_SRB
inline constexpr std::uint8_t kNoAdapters = 0xE8;    // SS_NO_ADAPTERS

// SRB_Flags bits.
inline constexpr std::uint8_t kDirectionIn = 0x08;   // SRB_DIR_IN
inline constexpr std::uint8_t kDirectionOut = 0x10;  // SRB_DIR_OUT
inline constexpr std::uint8_t kEventNotify = 0x40;   // SRB_EVENT_NOTIFY

inline constexpr std::size_t kCdbSize = 16;
inline constexpr std::size_t kSenseAreaSize = 16;  // SENSE_LEN (14) + 2
inline constexpr std::uint8_t kSenseAllocation = 14;

struct ExecScsiCommand {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;  // written by the layer, possibly from its own thread
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint16_t SRB_Rsvd1;
  std::uint32_t SRB_BufLen;
  std::uint8_t* SRB_BufPointer;
  std::uint8_t SRB_SenseLen;
  std::uint8_t SRB_CDBLen;
  std::uint8_t SRB_HaStat;
  std::uint8_t SRB_TargStat;
  void* SRB_PostProc;  // the completion event with kEventNotify
  std::uint8_t SRB_Rsvd2[20];
  std::uint8_t CDBByte[kCdbSize];
  std::uint8_t SenseArea[kSenseAreaSize];
};

struct AbortRequest {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  ExecScsiCommand* SRB_ToAbort;
};

// Fields common to both layouts.
static_assert(offsetof(ExecScsiCommand, SRB_Status) == 1);
static_assert(offsetof(ExecScsiCommand, SRB_HaId) == 2);
static_assert(offsetof(ExecScsiCommand, SRB_Flags) == 3);
static_assert(offsetof(ExecScsiCommand, SRB_Hdr_Rsvd) == 4);
static_assert(offsetof(ExecScsiCommand, SRB_Target) == 8);
static_assert(offsetof(ExecScsiCommand, SRB_Lun) == 9);
static_assert(offsetof(ExecScsiCommand, SRB_Rsvd1) == 10);
static_assert(offsetof(ExecScsiCommand, SRB_BufLen) == 12);
static_assert(offsetof(ExecScsiCommand, SRB_BufPointer) == 16);
static_assert(offsetof(AbortRequest, SRB_Hdr_Rsvd) == 4);
static_assert(offsetof(AbortRequest, SRB_ToAbort) == 8);
#if defined(_WIN64)
static_assert(offsetof(ExecScsiCommand, SRB_SenseLen) == 24);
static_assert(offsetof(ExecScsiCommand, SRB_CDBLen) == 25);
static_assert(offsetof(ExecScsiCommand, SRB_HaStat) == 26);
static_assert(offsetof(ExecScsiCommand, SRB_TargStat) == 27);
static_assert(offsetof(ExecScsiCommand, SRB_PostProc) == 32);
static_assert(offsetof(ExecScsiCommand, SRB_Rsvd2) == 40);
static_assert(offsetof(ExecScsiCommand, CDBByte) == 60);
static_assert(offsetof(ExecScsiCommand, SenseArea) == 76);
static_assert(sizeof(ExecScsiCommand) == 96);
static_assert(sizeof(AbortRequest) == 16);
#else
// The published layout of a 32-bit process.
static_assert(sizeof(void*) == 4);
static_assert(offsetof(ExecScsiCommand, SRB_SenseLen) == 20);
static_assert(offsetof(ExecScsiCommand, SRB_CDBLen) == 21);
static_assert(offsetof(ExecScsiCommand, SRB_HaStat) == 22);
static_assert(offsetof(ExecScsiCommand, SRB_TargStat) == 23);
static_assert(offsetof(ExecScsiCommand, SRB_PostProc) == 24);
static_assert(offsetof(ExecScsiCommand, SRB_Rsvd2) == 28);
static_assert(offsetof(ExecScsiCommand, CDBByte) == 48);
static_assert(offsetof(ExecScsiCommand, SenseArea) == 64);
static_assert(sizeof(ExecScsiCommand) == 80);
static_assert(sizeof(AbortRequest) == 12);
#endif

// SRB_Status is the one field both sides touch while a request runs: the
// layer writes the results first and the status last; the program reads the
// status first and the results after it.
inline std::uint8_t ReadStatus(const ExecScsiCommand& block) {
  const std::uint8_t status = *static_cast<const volatile std::uint8_t*>(&block.SRB_Status);
  std::atomic_thread_fence(std::memory_order_acquire);
  return status;
}
inline void PublishStatus(ExecScsiCommand& block, std::uint8_t status) {
  std::atomic_thread_fence(std::memory_order_release);
  *static_cast<volatile std::uint8_t*>(&block.SRB_Status) = status;
}

// The layer's two entry points, as GetProcAddress finds them (__cdecl).
using GetSupportInfoEntry = std::uint32_t(__cdecl*)();
using SendCommandEntry = std::uint32_t(__cdecl*)(void* requestBlock);

// GetASPI32SupportInfo: the status byte sits in bits 8-15, the number of
// host adapters in bits 0-7.
constexpr std::uint8_t SupportStatus(std::uint32_t supportInfo) {
  return static_cast<std::uint8_t>(supportInfo >> 8);
}

}  // namespace cdflash::aspi
