#pragma once
// CDDrive: one CD device and the only road to it. Executes one command
// object at a time (a 12-byte block with at most one data phase) and returns
// what came of it as a value. The transport state (route, open count, the
// thin face's timeout and data buffer, inquiry buffer) is shared by all
// objects.

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "device/CommandVerdict.h"
#include "device/Route.h"

namespace cdflash {

inline constexpr std::uint16_t kDefaultCommandTimeout = 60;

// One command: its block, its data phase (empty: none) and direction, and
// how long it may take.
struct ScsiCommand {
  std::array<std::uint8_t, kCdbLength> block{};
  std::span<std::uint8_t> data;
  bool dataIn = true;  // data from the device
  std::uint16_t timeoutSeconds = kDefaultCommandTimeout;
};

// What came of one command.
struct ScsiResult {
  // The transport delivered it and the drive's answer is clean by the
  // route's rule. A command that failed in the transport never counts as a
  // success, whatever its sense bytes say.
  bool succeeded = false;
  bool delivered = false;  // it reached the drive and completed
  // The drive answered within the command's timeout; a later answer counts
  // as none.
  bool answeredInTime = true;
  std::int32_t value = 0;  // the route's success value (ExecCommand's int); 0 on failure
  std::uint8_t status = 0;
  SenseTriple sense;  // all zero for a command lost in the transport
  std::int32_t residual = 0;
  std::uint32_t systemError = 0;  // 0 on success
  bool deviceGone = false;        // the device is gone from the system
  std::chrono::milliseconds elapsed{0};

  // The sense bytes as they are (the sense key byte whole).
  bool SenseIs(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) const {
    return sense == SenseTriple{key, asc, ascq};
  }
  bool SenseIs(std::uint8_t key, std::uint8_t asc) const { return sense.key == key && sense.asc == asc; }
  std::string SenseText() const;  // "%02X %02X %02X. %02X, %04X"
};

class CDDrive {
 public:
  // Initialises the transport when no device is open, opens the device and
  // runs INQUIRY. Read OpenStatus() right afterwards: 0 means usable.
  CDDrive(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
  ~CDDrive();
  CDDrive(const CDDrive&) = delete;
  CDDrive& operator=(const CDDrive&) = delete;

  static void SetTimeout(std::uint16_t seconds);
  static std::uint16_t Timeout();
  static std::uint8_t OpenStatus();
  static std::uint16_t OpenCount();
  static std::uint8_t* DataBuffer();
  // Null restores the internal 2352-byte buffer and ignores `length`.
  static void SetDataBuffer(std::uint8_t* buffer, std::int32_t length);
  static std::int32_t DataBufferLength();
  static const std::string& MessageText();
  // Internal buffer sizes: the data buffer after initialisation, INQUIRY data.
  static constexpr std::int32_t kInternalBufferLength = 2352;
  static constexpr std::int32_t kInquiryBufferLength = 256;

  // Sends `command` and waits for it. Nothing is sent to a drive whose
  // commit never answered (kDeviceBusyError).
  ScsiResult Execute(const ScsiCommand& command);

  // The thin face over Execute: the class-wide timeout and the registered
  // data buffer. direction 1: data from the device; anything else: data to
  // the device. A negative length, or one larger than the data buffer, is
  // refused: nothing is sent and the command fails with
  // kInvalidParameterError as system error.
  ScsiResult ExecCommand(std::uint8_t op, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                         std::uint8_t b4, std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                         std::uint8_t b8, std::uint8_t b9, std::uint8_t b10, std::uint8_t b11,
                         std::uint8_t direction, std::int32_t length);
  // What the last command of this object came to, for the thin face's callers.
  const ScsiResult& Last() const { return last_; }

  // Takes the drive for this program alone until the returned hold goes
  // (see ExclusiveUse.h): refused when another program holds it; nothing
  // taken where the route has no such notion (ASPI) or the system cannot
  // tell. This object's commands still pass. The hold keeps what it needs,
  // so it may outlive this object.
  ExclusiveUse TakeExclusiveUse();

  // Runs INQUIRY again: the identity text, or "0" when INQUIRY fails.
  std::string GetIdentity();

  std::string VendorProduct() const;   // "%24.24s" from index 9 of the identity text
  std::string Revision() const;        // "%4.4s" from index 33 of the identity text

  // Whether a commit sent to this drive (by any object, since the program
  // started) never answered: the drive may still be programming its flash,
  // so every later command to it is refused without being sent.
  bool CommitUnanswered() const;

  DriveAddress Address() const { return {letter_, hostAdapter_, target_, lun_}; }
  char Letter() const { return letter_; }
  std::uint8_t HostAdapter() const { return hostAdapter_; }
  std::uint8_t Target() const { return target_; }
  std::uint8_t Lun() const { return lun_; }
  const std::string& IdentityText() const { return identity_; }

 private:
  bool Open();
  bool RunInquiry();
  // Sends `command` unless the drive is left alone or `fits` is false, logs
  // it, and keeps the result as the last.
  ScsiResult Send(const RouteCommand& command, bool fits);

  char letter_;
  std::uint8_t hostAdapter_;
  std::uint8_t target_;
  std::uint8_t lun_;
  ScsiResult last_;
  std::string identity_;
  IRoute* route_ = nullptr;  // the route this object was constructed with
  RouteDevice device_ = kNoDevice;
};

// A platform put in place for testing is a new machine: the drives whose
// commit never answered were the old one's (Platform.cpp calls this).
void ForgetUnansweredCommits();

}  // namespace cdflash
