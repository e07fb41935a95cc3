#include "flash/VendorCommands.h"

#include <algorithm>
#include <cstring>

#include "device/ScsiCommands.h"
#include "flash/CommitGate.h"

namespace cdflash {
namespace {

constexpr std::size_t kFlashIdLength = 128;

bool ChangesTheDrive(const std::array<std::uint8_t, 12>& block) {
  return block[0] == kOpWriteBuffer || (block[0] == kOpVendor && block[1] == kVendorWriteE2);
}

}  // namespace

std::span<std::uint8_t> VendorCommands::Transfer(std::size_t length) {
  if (transfer_.size() < length) transfer_.resize(length);
  return {transfer_.data(), length};
}

CommandResult VendorCommands::Send(const std::array<std::uint8_t, 12>& block, std::span<std::uint8_t> data,
                                   bool dataIn) {
  CommandResult result;
  if (gate_ != nullptr && gate_->StopRequested()) {
    result.stopped = true;
    return result;
  }
  if (ChangesTheDrive(block)) wrote_ = true;
  result.answer = drive_.Execute({block, data, dataIn, timeout_});
  // Clean sense alone is not enough: a command the transport never delivered
  // leaves no sense data either.
  result.ok = result.answer.succeeded && result.answer.SenseIs(0, 0, 0);
  return result;
}

CommandResult VendorCommands::WriteBuffer(std::uint32_t offset, std::span<const std::uint8_t> data,
                                          std::uint8_t control) {
  const std::span<std::uint8_t> out = Transfer(data.size());
  std::copy(data.begin(), data.end(), out.begin());
  return Send(WriteBufferCommand(offset, static_cast<std::uint32_t>(data.size()), control), out, false);
}

CommandResult VendorCommands::ReadBuffer(std::uint32_t offset, std::span<std::uint8_t> into) {
  const std::span<std::uint8_t> in = Transfer(into.size());
  const CommandResult result = Send(ReadBufferCommand(offset, static_cast<std::uint32_t>(into.size())), in, true);
  if (result.ok) std::copy(in.begin(), in.end(), into.begin());
  return result;
}

VerifyResult VendorCommands::ReadBackWith(const std::array<std::uint8_t, 12>& block,
                                          std::span<const std::uint8_t> expected) {
  const std::span<std::uint8_t> in = Transfer(expected.size());
  std::transform(expected.begin(), expected.end(), in.begin(),
                 [](std::uint8_t byte) { return static_cast<std::uint8_t>(~byte); });
  VerifyResult verify;
  verify.command = Send(block, in, true);
  verify.equal = verify.command.ok && std::equal(in.begin(), in.end(), expected.begin());
  return verify;
}

VerifyResult VendorCommands::ReadBack(std::uint32_t offset, std::span<const std::uint8_t> expected) {
  return ReadBackWith(ReadBufferCommand(offset, static_cast<std::uint32_t>(expected.size())), expected);
}

VerifyResult VendorCommands::ReadBackProfile(std::span<const std::uint8_t> expected) {
  return ReadBackWith(ReadProfileCommand(static_cast<std::uint32_t>(expected.size())), expected);
}

CommandResult VendorCommands::WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count) {
  CommandResult result{true, false, {}};
  for (unsigned i = 0; i < count && result.ok; ++i) {
    result = Send(WriteE2Command(static_cast<std::uint16_t>(address + i), data[i]), {}, true);  // wraps at 65536
  }
  return result;
}

ProfileResult VendorCommands::SetupFlashProfile(ProfileBlock& block) {
  ProfileResult profile;
  // An answer that moves fewer bytes than asked must not pick a profile from
  // what an earlier command left: FF FF matches no flash chip.
  const std::span<std::uint8_t> id = Transfer(kFlashIdLength);
  std::fill(id.begin(), id.end(), 0xFF);
  profile.command = Send(ReadFlashIdCommand(), id, true);
  if (!profile.command.ok) {
    profile.readingId = true;
    return profile;
  }

  const auto table = EmbeddedProfileTable();
  const auto pool = EmbeddedProfilePool();
  std::size_t bodyStart = 0;
  std::uint32_t n = 0;
  for (std::size_t entry = 0; entry + 4 <= table.size(); entry += 4) {
    const std::size_t bodyLength = (std::size_t{table[entry + 2]} << 8) | table[entry + 3];
    if (table[entry] == id[0] && table[entry + 1] == id[1] && bodyStart + bodyLength <= pool.size()) {
      std::memcpy(block.data(), &table[entry], 4);
      std::memcpy(block.data() + 4, &pool[bodyStart], bodyLength);
      n = static_cast<std::uint32_t>(bodyLength);
      if (n % 2 != 0) block[4 + n++] = 0;  // pad to an even length
      profile.found = true;
      break;
    }
    bodyStart += bodyLength;
  }
  if (!profile.found) {
    static constexpr std::uint8_t kNoProfile[4] = {0xFF, 0xFF, 0x00, 0x00};
    std::memcpy(block.data(), kNoProfile, 4);
  }
  profile.length = n + 4;

  const std::span<std::uint8_t> out = Transfer(profile.length);
  std::copy_n(block.begin(), profile.length, out.begin());
  profile.command = Send(WriteProfileCommand(profile.length), out, false);
  return profile;
}

CommandResult VendorCommands::EntryCritical() { return Send(EntryCriticalCommand(), {}, true); }

CommandResult VendorCommands::Standard(const std::array<std::uint8_t, 12>& block) { return Send(block, {}, true); }

}  // namespace cdflash
