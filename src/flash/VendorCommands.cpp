#include "flash/VendorCommands.h"

#include <algorithm>
#include <cstring>

#include "device/Cddrive.h"
#include "device/ScsiCommands.h"
#include "flash/CommitGate.h"
#include "package/FirmwareBlock.h"

namespace cdflash {
namespace {

constexpr std::uint8_t kToDrive = 0;
constexpr std::uint8_t kFromDrive = 1;
constexpr std::int32_t kFlashIdLength = 128;

// Whether `length` bytes fit the data buffer the command moves them through;
// a longer length is refused by the device layer, which then reports the
// command as failed.
bool FitsTransfer(std::uint32_t length) {
  return CDDrive::DataBuffer() != nullptr &&
         length <= static_cast<std::uint32_t>(CDDrive::DataBufferLength());
}

std::int32_t TransferLength(std::uint32_t length) {
  return length > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(length);
}

bool ChangesTheDrive(const std::array<std::uint8_t, 12>& block) {
  return block[0] == kOpWriteBuffer || (block[0] == kOpVendor && block[1] == kVendorWriteE2);
}

}  // namespace

CommandResult VendorCommands::Send(std::uint8_t direction, std::int32_t length) {
  if (gate_ != nullptr && gate_->StopRequested()) {
    CommandResult stopped;
    stopped.stopped = true;
    return stopped;
  }
  if (ChangesTheDrive(block_)) wrote_ = true;
  const auto& b = block_;
  drive_.ExecCommand(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], direction,
                     length);
  // Clean sense alone is not enough: a command the transport never delivered
  // leaves no sense data either.
  return {drive_.LastCommandSucceeded() && drive_.SenseMatches(0, 0, 0), drive_.SenseText(),
          drive_.DeviceGone()};
}

CommandResult VendorCommands::WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length,
                                          std::uint8_t control) {
  block_ = WriteBufferCommand(offset, length, control);
  if (length > 0 && data != nullptr && FitsTransfer(length)) {
    std::memcpy(CDDrive::DataBuffer(), data, length);
  }
  return Send(kToDrive, TransferLength(length));
}

CommandResult VendorCommands::ReadBuffer(std::uint32_t offset, std::uint8_t* data, std::uint32_t length) {
  block_ = ReadBufferCommand(offset, length);
  CommandResult result = Send(kFromDrive, TransferLength(length));
  if (result.ok && length > 0 && FitsTransfer(length)) std::memcpy(data, CDDrive::DataBuffer(), length);
  return result;
}

CommandResult VendorCommands::WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count) {
  CommandResult result{true, drive_.SenseText(), false, false};
  for (unsigned i = 0; i < count && result.ok; ++i) {
    block_ = WriteE2Command(static_cast<std::uint16_t>(address + i), data[i]);  // wraps at 65536
    result = Send(kFromDrive, 0);
  }
  return result;
}

ProfileResult VendorCommands::SetupFlashProfile(std::uint8_t* block) {
  ProfileResult profile;
  block_ = ReadFlashIdCommand();
  // An answer that moves fewer bytes than asked must not pick a profile from
  // what an earlier command left: FF FF matches no flash chip.
  if (FitsTransfer(kFlashIdLength)) std::memset(CDDrive::DataBuffer(), 0xFF, kFlashIdLength);
  profile.command = Send(kFromDrive, kFlashIdLength);
  if (!profile.command.ok) {
    profile.readingId = true;
    return profile;
  }
  const std::uint8_t id0 = CDDrive::DataBuffer()[0];
  const std::uint8_t id1 = CDDrive::DataBuffer()[1];

  const auto table = EmbeddedProfileTable();
  const auto pool = EmbeddedProfilePool();
  std::size_t bodyStart = 0;
  std::uint32_t n = 0;
  for (std::size_t entry = 0; entry + 4 <= table.size(); entry += 4) {
    const std::size_t bodyLength = (std::size_t{table[entry + 2]} << 8) | table[entry + 3];
    if (table[entry] == id0 && table[entry + 1] == id1 && bodyStart + bodyLength <= pool.size()) {
      std::memcpy(block, &table[entry], 4);
      std::memcpy(block + 4, &pool[bodyStart], bodyLength);
      n = static_cast<std::uint32_t>(bodyLength);
      if (n % 2 != 0) block[4 + n++] = 0;  // pad to an even length
      profile.found = true;
      break;
    }
    bodyStart += bodyLength;
  }
  if (!profile.found) {
    static constexpr std::uint8_t kNoProfile[4] = {0xFF, 0xFF, 0x00, 0x00};
    std::memcpy(block, kNoProfile, 4);
  }
  profile.length = n + 4;

  if (FitsTransfer(profile.length)) std::memcpy(CDDrive::DataBuffer(), block, profile.length);
  block_ = WriteProfileCommand(profile.length);
  profile.command = Send(kToDrive, static_cast<std::int32_t>(profile.length));
  return profile;
}

VerifyResult VendorCommands::ReadVerifyProfile(const std::uint8_t* expected, std::uint32_t length) {
  VerifyResult verify;
  block_ = ReadProfileCommand(length);
  verify.command = Send(kFromDrive, static_cast<std::int32_t>(length));
  if (!verify.command.ok) return verify;
  const std::size_t compared =
      std::min<std::size_t>(length, static_cast<std::size_t>(std::max(CDDrive::DataBufferLength(), 0)));
  verify.equal = std::memcmp(CDDrive::DataBuffer(), expected, compared) == 0;
  return verify;
}

CommandResult VendorCommands::EntryCritical() {
  block_ = EntryCriticalCommand();
  return Send(kFromDrive, 0);
}

CommandResult VendorCommands::Standard(const std::array<std::uint8_t, 12>& block) {
  block_ = block;
  return Send(kFromDrive, 0);
}

}  // namespace cdflash
