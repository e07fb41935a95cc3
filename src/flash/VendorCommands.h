#pragma once
// The drive's vendor command set as the flash procedure uses it: download
// and read-back of buffer data, EEPROM bytes, the flash profile, the
// flash-critical state, and the procedure's standard commands. Every data
// phase goes through the device layer's data buffer. Each command returns
// how it went; what the user is told is the procedure's to decide.

#include <array>
#include <cstdint>
#include <string>

namespace cdflash {

class CDDrive;
class CommitGate;

struct CommandResult {
  bool ok = false;
  std::string senseText;    // sense key, ASC, ASCQ, status and system error of the command
  bool deviceGone = false;  // the drive is gone from the system
  bool stopped = false;     // not sent: a stop of the run was asked for
};

struct ProfileResult {
  CommandResult command;     // the command that failed, or the Write Profile
  bool readingId = false;    // it failed at Read Flash ID
  bool found = false;        // the flash ID matched an entry of the profile table
  std::uint32_t length = 0;  // bytes of the profile block sent
};

struct VerifyResult {
  CommandResult command;
  bool equal = false;  // the bytes read are those expected
};

class VendorCommands {
 public:
  explicit VendorCommands(CDDrive& drive) : drive_(drive) {}

  // From now on no command is sent once `gate` has a stop asked for: each
  // then fails with `stopped` set. Null: every command is sent.
  void SetStopGate(const CommitGate* gate) { gate_ = gate; }

  // WRITE BUFFER of `length` bytes of `data` (nothing sent for length 0) at
  // the drive buffer's `offset`, with `control` in byte 9.
  CommandResult WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length,
                            std::uint8_t control);
  // READ BUFFER of `length` bytes into `data`, left untouched on failure.
  CommandResult ReadBuffer(std::uint32_t offset, std::uint8_t* data, std::uint32_t length);
  // `count` EEPROM bytes from `address` on (wrapping at 65536); stops at the
  // first failure.
  CommandResult WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count);
  // Read Flash ID, then Write Profile of the profile block of that flash
  // chip (the empty one FF FF 00 00 for an unknown chip), built in `block`
  // (at least kProfileBlockCapacity bytes).
  ProfileResult SetupFlashProfile(std::uint8_t* block);
  // Read Profile of `length` bytes, compared with `expected`.
  VerifyResult ReadVerifyProfile(const std::uint8_t* expected, std::uint32_t length);
  // The drive's flash-critical state.
  CommandResult EntryCritical();
  // A standard command without data (START STOP UNIT, TEST UNIT READY...).
  CommandResult Standard(const std::array<std::uint8_t, 12>& block);

  // Whether a command that changes the drive was sent since the last reset.
  bool WroteToDrive() const { return wrote_; }
  void ResetWrote() { wrote_ = false; }
  // The command block last sent.
  const std::array<std::uint8_t, 12>& CommandBlock() const { return block_; }

  static constexpr std::size_t kProfileBlockCapacity = 4 + 0xFFFF + 1;

 private:
  // Sends block_; ok when the drive took it cleanly.
  CommandResult Send(std::uint8_t direction, std::int32_t length);

  CDDrive& drive_;
  const CommitGate* gate_ = nullptr;
  std::array<std::uint8_t, 12> block_{};
  bool wrote_ = false;
};

}  // namespace cdflash
