#pragma once
// The drive's vendor command set as the flash procedure uses it: download
// and read-back of buffer data, EEPROM bytes, the flash profile, the
// flash-critical state, and the procedure's standard commands. Each command
// goes to the drive as one command object and returns how it went; what the
// user is told is the procedure's to decide.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/Cddrive.h"
#include "package/FirmwareBlock.h"

namespace cdflash {

class CommitGate;

struct CommandResult {
  bool ok = false;       // the drive took it cleanly
  bool stopped = false;  // not sent: a stop of the run was asked for
  ScsiResult answer;     // what the drive answered, when it was sent

  // Sense key, ASC, ASCQ, status and system error of the command.
  std::string SenseText() const { return answer.SenseText(); }
  bool DeviceGone() const { return answer.deviceGone; }
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
  // A profile block: its 4-byte table entry, the longest body the embedded
  // pool can hold, and the pad byte that makes its length even.
  static constexpr std::size_t kProfileBlockCapacity = 4 + kProfilePoolSize + 1;
  using ProfileBlock = std::array<std::uint8_t, kProfileBlockCapacity>;

  explicit VendorCommands(CDDrive& drive) : drive_(drive) {}

  // From now on no command is sent once `gate` has a stop asked for: each
  // then fails with `stopped` set. Null: every command is sent.
  void SetStopGate(const CommitGate* gate) { gate_ = gate; }

  // While it lives, the commands sent wait up to `seconds` for their answer.
  class [[nodiscard]] RaisedTimeout {
   public:
    RaisedTimeout(VendorCommands& commands, std::uint16_t seconds)
        : commands_(commands), previous_(commands.timeout_) {
      commands.timeout_ = seconds;
    }
    ~RaisedTimeout() { commands_.timeout_ = previous_; }
    RaisedTimeout(const RaisedTimeout&) = delete;
    RaisedTimeout& operator=(const RaisedTimeout&) = delete;

   private:
    VendorCommands& commands_;
    std::uint16_t previous_;
  };

  // WRITE BUFFER of `data` (no data phase when empty) at the drive buffer's
  // `offset`, with `control` in byte 9.
  CommandResult WriteBuffer(std::uint32_t offset, std::span<const std::uint8_t> data, std::uint8_t control);
  // READ BUFFER into `into`, left untouched on failure.
  CommandResult ReadBuffer(std::uint32_t offset, std::span<std::uint8_t> into);
  // READ BUFFER of `expected.size()` bytes at `offset`, compared with
  // `expected`. A read that "succeeds" without moving data never compares
  // equal: the bytes it reads into first hold the complement of each byte
  // expected.
  VerifyResult ReadBack(std::uint32_t offset, std::span<const std::uint8_t> expected);
  // `count` EEPROM bytes from `address` on (wrapping at 65536); stops at the
  // first failure.
  CommandResult WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count);
  // Read Flash ID, then Write Profile of the profile block of that flash
  // chip (the empty one FF FF 00 00 for an unknown chip), built in `block`.
  ProfileResult SetupFlashProfile(ProfileBlock& block);
  // Read Profile of `expected.size()` bytes, read back as ReadBack does.
  VerifyResult ReadBackProfile(std::span<const std::uint8_t> expected);
  // The drive's flash-critical state.
  CommandResult EntryCritical();
  // A standard command without data (START STOP UNIT, TEST UNIT READY...).
  CommandResult Standard(const std::array<std::uint8_t, 12>& block);

  // Whether a command that changes the drive was sent.
  bool WroteToDrive() const { return wrote_; }

 private:
  // Sends `block` with `data` as its data phase; ok when the drive took it
  // cleanly.
  CommandResult Send(const std::array<std::uint8_t, 12>& block, std::span<std::uint8_t> data, bool dataIn);
  VerifyResult ReadBackWith(const std::array<std::uint8_t, 12>& block, std::span<const std::uint8_t> expected);
  std::span<std::uint8_t> Transfer(std::size_t length);

  CDDrive& drive_;
  const CommitGate* gate_ = nullptr;
  std::uint16_t timeout_ = kDefaultCommandTimeout;
  std::vector<std::uint8_t> transfer_;  // the data phase's bytes, as they move
  bool wrote_ = false;
};

}  // namespace cdflash
