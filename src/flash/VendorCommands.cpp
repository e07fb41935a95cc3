// The drive's vendor command set: download and read-back of buffer data,
// EEPROM bytes, the flash profile and the flash-critical state. Every data
// phase goes through TransferBuffer.

#include <algorithm>
#include <cstring>

#include "app/FlashForm.h"
#include "device/Cddrive.h"
#include "package/FirmwareBlock.h"

namespace cdflash {
namespace {

constexpr std::uint8_t kToDrive = 0;
constexpr std::uint8_t kFromDrive = 1;
constexpr std::uint8_t kProfileOffsetHigh = 0x08;  // buffer offset 0x80000
constexpr std::uint8_t kProfileControl = 0x7F;
constexpr std::int32_t kFlashIdLength = 128;

std::uint8_t Byte(std::uint32_t value, int shift) {
  return static_cast<std::uint8_t>((value >> shift) & 0xFF);
}

}  // namespace

bool TFlashForm::SendCommandBlock(std::uint8_t direction, std::int32_t length) {
  if (SelectedDrive == nullptr) return false;
  const auto& b = CommandBlock;
  SelectedDrive->ExecCommand(b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10],
                             b[11], direction, length);
  // Clean sense alone is not enough: a command the transport never delivered
  // leaves no sense data either.
  return SelectedDrive->LastCommandSucceeded() && SelectedDrive->SenseMatches(0, 0, 0);
}

void TFlashForm::ShowCommandFailure(const char* prefix) {
  s_.dialogs->Message(std::string(prefix) + (SelectedDrive ? SelectedDrive->SenseText() : ""));
}

// Copies only what fits the transfer buffer; a longer length is refused by the
// device layer, which then reports the command as failed.
static bool FitsTransfer(std::uint32_t length, const std::uint8_t* buffer) {
  return buffer != nullptr && length <= static_cast<std::uint32_t>(TFlashForm::kTransferBufferSize);
}

static std::int32_t TransferLength(std::uint32_t length) {
  return length > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(length);
}

bool TFlashForm::WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length,
                             std::uint8_t control) {
  CommandBlock = {0x3B, 0x05, 0x01, Byte(offset, 16), Byte(offset, 8), Byte(offset, 0),
                  Byte(length, 16), Byte(length, 8), Byte(length, 0), control, 0x00, 0x00};
  if (length > 0 && FitsTransfer(length, TransferBuffer.get())) {
    std::memcpy(TransferBuffer.get(), data, length);
  }
  if (SendCommandBlock(kToDrive, TransferLength(length))) return true;
  ShowCommandFailure("Write Buffer> ");
  return false;
}

bool TFlashForm::ReadBuffer(std::uint32_t offset, std::uint8_t* data, std::uint32_t length) {
  CommandBlock = {0x3C, 0x01, 0x01, Byte(offset, 16), Byte(offset, 8), Byte(offset, 0),
                  Byte(length, 16), Byte(length, 8), Byte(length, 0), 0x00, 0x00, 0x00};
  if (!SendCommandBlock(kFromDrive, TransferLength(length))) {
    ShowCommandFailure("Read Buffer> ");
    return false;
  }
  if (length > 0 && FitsTransfer(length, TransferBuffer.get())) {
    std::memcpy(data, TransferBuffer.get(), length);
  }
  return true;
}

bool TFlashForm::WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count) {
  CommandBlock = {0xDF, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  for (unsigned i = 0; i < count; ++i) {
    const auto at = static_cast<std::uint16_t>(address + i);  // wraps at 65536
    CommandBlock[7] = Byte(at, 8);
    CommandBlock[8] = Byte(at, 0);
    CommandBlock[9] = data[i];
    if (!SendCommandBlock(kFromDrive, 0)) {
      ShowCommandFailure("Write E2> ");
      return false;
    }
  }
  return true;
}

bool TFlashForm::SetupFlashProfile(std::uint8_t* block) {
  CommandBlock = {0xDF, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  if (!SendCommandBlock(kFromDrive, kFlashIdLength)) {
    ShowCommandFailure("Read Flash ID> ");
    return false;
  }
  const std::uint8_t id0 = TransferBuffer[0];
  const std::uint8_t id1 = TransferBuffer[1];

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
    ProfileFound = 1;
  } else {
    static constexpr std::uint8_t kNoProfile[4] = {0xFF, 0xFF, 0x00, 0x00};
    std::memcpy(block, kNoProfile, 4);
  }
  ProfileLength = n + 4;

  std::memcpy(TransferBuffer.get(), block, ProfileLength);
  CommandBlock = {0x3B, 0x05, 0x01, kProfileOffsetHigh, 0x00, 0x00, 0x00,
                  Byte(ProfileLength, 8), Byte(ProfileLength, 0), kProfileControl, 0x00, 0x00};
  if (!SendCommandBlock(kToDrive, static_cast<std::int32_t>(ProfileLength))) {
    ShowCommandFailure("Write Profile> ");
    return false;
  }
  return true;
}

bool TFlashForm::ReadVerifyProfile(const std::uint8_t* expected) {
  CommandBlock = {0x3C, 0x01, 0x01, kProfileOffsetHigh, 0x00, 0x00, 0x00,
                  Byte(ProfileLength, 8), Byte(ProfileLength, 0), 0x00, 0x00, 0x00};
  if (!SendCommandBlock(kFromDrive, static_cast<std::int32_t>(ProfileLength))) {
    ShowCommandFailure("Read Profile> ");
    return false;
  }
  const std::size_t compared = std::min<std::size_t>(ProfileLength, kTransferBufferSize);
  if (std::memcmp(TransferBuffer.get(), expected, compared) != 0) {
    s_.dialogs->Message("Compared profile error!");
    return false;
  }
  return true;
}

bool TFlashForm::EntryCritical() {
  CommandBlock = {0x3B, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, kProfileControl, 0x00, 0x00};
  if (SendCommandBlock(kFromDrive, 0)) return true;
  ShowCommandFailure("Entry critical> ");
  return false;
}

}  // namespace cdflash
