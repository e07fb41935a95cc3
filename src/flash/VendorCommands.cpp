// The drive's vendor command set: download and read-back of buffer data,
// EEPROM bytes, the flash profile and the flash-critical state. Every data
// phase goes through the device layer's data buffer.

#include <algorithm>
#include <cstring>

#include "device/Cddrive.h"
#include "device/ScsiCommands.h"
#include "flash/FlashEngine.h"
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

bool FlashEngine::SendCommandBlock(std::uint8_t direction, std::int32_t length) {
  if (SelectedDrive == nullptr) return false;
  if (ChangesTheDrive(CommandBlock)) wroteToDrive_ = true;
  const auto& b = CommandBlock;
  SelectedDrive->ExecCommand(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10],
                             b[11], direction, length);
  // Clean sense alone is not enough: a command the transport never delivered
  // leaves no sense data either.
  return SelectedDrive->LastCommandSucceeded() && SelectedDrive->SenseMatches(0, 0, 0);
}

void FlashEngine::ShowCommandFailure(const char* prefix) {
  observer_.Tell(NoticeKind::Plain,
                 std::string(prefix) + (SelectedDrive ? SelectedDrive->SenseText() : ""));
}

bool FlashEngine::WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length,
                              std::uint8_t control) {
  CommandBlock = WriteBufferCommand(offset, length, control);
  if (length > 0 && data != nullptr && FitsTransfer(length)) {
    std::memcpy(CDDrive::DataBuffer(), data, length);
  }
  if (SendCommandBlock(kToDrive, TransferLength(length))) return true;
  ShowCommandFailure("Write Buffer> ");
  return false;
}

bool FlashEngine::ReadBuffer(std::uint32_t offset, std::uint8_t* data, std::uint32_t length) {
  CommandBlock = ReadBufferCommand(offset, length);
  if (!SendCommandBlock(kFromDrive, TransferLength(length))) {
    ShowCommandFailure("Read Buffer> ");
    return false;
  }
  if (length > 0 && FitsTransfer(length)) std::memcpy(data, CDDrive::DataBuffer(), length);
  return true;
}

bool FlashEngine::WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count) {
  for (unsigned i = 0; i < count; ++i) {
    CommandBlock = WriteE2Command(static_cast<std::uint16_t>(address + i), data[i]);  // wraps at 65536
    if (!SendCommandBlock(kFromDrive, 0)) {
      ShowCommandFailure("Write E2> ");
      return false;
    }
  }
  return true;
}

bool FlashEngine::SetupFlashProfile(std::uint8_t* block) {
  CommandBlock = ReadFlashIdCommand();
  // An answer that moves fewer bytes than asked must not pick a profile from
  // what an earlier command left: FF FF matches no flash chip.
  if (FitsTransfer(kFlashIdLength)) std::memset(CDDrive::DataBuffer(), 0xFF, kFlashIdLength);
  if (!SendCommandBlock(kFromDrive, kFlashIdLength)) {
    ShowCommandFailure("Read Flash ID> ");
    return false;
  }
  const std::uint8_t id0 = CDDrive::DataBuffer()[0];
  const std::uint8_t id1 = CDDrive::DataBuffer()[1];

  const auto table = EmbeddedProfileTable();
  const auto pool = EmbeddedProfilePool();
  std::size_t bodyStart = 0;
  std::uint32_t n = 0;
  bool matched = false;
  for (std::size_t entry = 0; entry + 4 <= table.size(); entry += 4) {
    const std::size_t bodyLength = (std::size_t{table[entry + 2]} << 8) | table[entry + 3];
    if (table[entry] == id0 && table[entry + 1] == id1 && bodyStart + bodyLength <= pool.size()) {
      std::memcpy(block, &table[entry], 4);
      std::memcpy(block + 4, &pool[bodyStart], bodyLength);
      n = static_cast<std::uint32_t>(bodyLength);
      if (n % 2 != 0) block[4 + n++] = 0;  // pad to an even length
      matched = true;
      break;
    }
    bodyStart += bodyLength;
  }
  if (matched) {
    ProfileFound_ = true;
  } else {
    static constexpr std::uint8_t kNoProfile[4] = {0xFF, 0xFF, 0x00, 0x00};
    std::memcpy(block, kNoProfile, 4);
  }
  ProfileLength_ = n + 4;

  if (FitsTransfer(ProfileLength_)) std::memcpy(CDDrive::DataBuffer(), block, ProfileLength_);
  CommandBlock = WriteProfileCommand(ProfileLength_);
  if (!SendCommandBlock(kToDrive, static_cast<std::int32_t>(ProfileLength_))) {
    ShowCommandFailure("Write Profile> ");
    return false;
  }
  return true;
}

bool FlashEngine::ReadVerifyProfile(const std::uint8_t* expected) {
  CommandBlock = ReadProfileCommand(ProfileLength_);
  if (!SendCommandBlock(kFromDrive, static_cast<std::int32_t>(ProfileLength_))) {
    ShowCommandFailure("Read Profile> ");
    return false;
  }
  const std::size_t compared =
      std::min<std::size_t>(ProfileLength_, static_cast<std::size_t>(CDDrive::DataBufferLength()));
  if (std::memcmp(CDDrive::DataBuffer(), expected, compared) != 0) {
    observer_.Tell(NoticeKind::Plain, "Compared profile error!");
    return false;
  }
  return true;
}

bool FlashEngine::EntryCritical() {
  CommandBlock = EntryCriticalCommand();
  if (SendCommandBlock(kFromDrive, 0)) return true;
  ShowCommandFailure("Entry critical> ");
  return false;
}

}  // namespace cdflash
