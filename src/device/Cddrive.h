#pragma once
// CDDrive: one CD device and the only road to it. Sends one 12-byte command
// packet at a time with at most one data phase, and keeps the completion
// status and sense bytes of the last command. The transport state (route, open
// count, timeout, data buffer, inquiry buffer) is shared by all objects.

#include <cstdint>
#include <string>

#include "device/Route.h"

namespace cdflash {

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

  // direction 1: data from the device; anything else: data to the device.
  // Returns 0 on failure, non-zero on success. A negative length, or one
  // larger than the buffer the data would move through (the data buffer, or
  // the inquiry buffer during INQUIRY), is refused: nothing is sent and the
  // command fails with kInvalidParameterError as system error.
  std::int32_t ExecCommand(std::uint8_t op, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                           std::uint8_t b4, std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                           std::uint8_t b8, std::uint8_t b9, std::uint8_t b10, std::uint8_t b11,
                           std::uint8_t direction, std::int32_t length);

  // Takes the drive for this program alone until the returned hold goes
  // (see ExclusiveUse.h): refused when another program holds it; nothing
  // taken where the route has no such notion (ASPI) or the system cannot
  // tell. This object's commands still pass. The hold keeps what it needs,
  // so it may outlive this object.
  ExclusiveUse TakeExclusiveUse();

  // Runs INQUIRY again: the identity text, or "0" when INQUIRY fails.
  std::string GetIdentity();

  // Compare the last command's sense bytes as they are (the sense key byte
  // whole). A command lost in the transport leaves zero bytes: callers that
  // need a clean completion test LastCommandSucceeded() as well.
  bool SenseMatches(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) const;
  bool SenseMatches(std::uint8_t key, std::uint8_t asc) const;
  std::string SenseText() const;       // "%02X %02X %02X. %02X, %04X"
  std::string VendorProduct() const;   // "%24.24s" from index 9 of the identity text
  std::string Revision() const;        // "%4.4s" from index 33 of the identity text

  // Whether the last command succeeded by the route's own rule (the transport
  // delivered it and the sense key byte is 0). A command that failed in the
  // transport never counts as a success, whatever its sense bytes say.
  bool LastCommandSucceeded() const { return lastSucceeded_; }
  // Whether the last command found the device gone from the system.
  bool DeviceGone() const { return deviceGone_; }
  // Whether a commit sent to this drive (by any object, since the program
  // started) never answered: the drive may still be programming its flash,
  // so every later command to it is refused without being sent.
  bool CommitUnanswered() const;

  DriveAddress Address() const { return {letter_, hostAdapter_, target_, lun_}; }
  char Letter() const { return letter_; }
  std::uint8_t HostAdapter() const { return hostAdapter_; }
  std::uint8_t Target() const { return target_; }
  std::uint8_t Lun() const { return lun_; }
  std::uint8_t SenseKey() const { return senseKey_; }
  std::uint8_t Asc() const { return asc_; }
  std::uint8_t Ascq() const { return ascq_; }
  std::uint8_t CompletionStatus() const { return completionStatus_; }
  std::uint32_t SystemError() const { return systemError_; }
  const std::string& IdentityText() const { return identity_; }

 private:
  bool Open();
  bool RunInquiry();

  char letter_;
  std::uint8_t hostAdapter_;
  std::uint8_t target_;
  std::uint8_t lun_;
  std::uint8_t senseKey_ = 0;
  std::uint8_t asc_ = 0;
  std::uint8_t ascq_ = 0;
  std::uint8_t completionStatus_ = 0;
  bool lastSucceeded_ = false;
  bool deviceGone_ = false;
  std::uint32_t systemError_ = 0;
  std::string identity_;
  IRoute* route_ = nullptr;  // the route this object was constructed with
  RouteDevice device_ = kNoDevice;
};

// A platform put in place for testing is a new machine: the drives whose
// commit never answered were the old one's (Platform.cpp calls this).
void ForgetUnansweredCommits();

}  // namespace cdflash
