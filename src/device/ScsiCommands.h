#pragma once
// The drive's command set as 12-byte blocks: opcodes, control values and the
// builders of every block the flasher sends. The simulator decodes the same
// blocks with the field readers below.

#include <array>
#include <cstddef>
#include <cstdint>

namespace cdflash {

using CommandBytes = std::array<std::uint8_t, 12>;

inline constexpr std::uint8_t kOpTestUnitReady = 0x00;
inline constexpr std::uint8_t kOpInquiry = 0x12;
inline constexpr std::uint8_t kOpStartStopUnit = 0x1B;
inline constexpr std::uint8_t kOpWriteBuffer = 0x3B;
inline constexpr std::uint8_t kOpReadBuffer = 0x3C;
inline constexpr std::uint8_t kOpStopPlayScan = 0x4E;
inline constexpr std::uint8_t kOpVendor = 0xDF;

inline constexpr std::uint8_t kVendorWriteE2 = 0x0A;
inline constexpr std::uint8_t kVendorFlashId = 0x11;

inline constexpr std::uint8_t kWriteBufferMode = 0x05;
inline constexpr std::uint8_t kReadBufferMode = 0x01;
inline constexpr std::uint8_t kBufferId = 0x01;
inline constexpr std::uint8_t kProfileOffsetHigh = 0x08;  // buffer offset 0x80000

inline constexpr std::uint8_t kControlData = 0x00;
inline constexpr std::uint8_t kControlCritical = 0x7F;  // also the profile write
inline constexpr std::uint8_t kControlCommit = 0x80;
inline constexpr std::uint8_t kControlCommitAll = 0xA0;

inline constexpr std::uint8_t kLoadEject = 0x03;  // START STOP UNIT byte 4: load
inline constexpr std::uint8_t kStop = 0x00;       // START STOP UNIT byte 4: stop

namespace detail {
constexpr std::uint8_t ByteOf(std::uint32_t value, int shift) {
  return static_cast<std::uint8_t>((value >> shift) & 0xFF);
}
}  // namespace detail

// A standard command without a data phase: opcode and byte 4.
constexpr CommandBytes StandardCommand(std::uint8_t op, std::uint8_t b4 = 0) {
  return {op, 0, 0, 0, b4, 0, 0, 0, 0, 0, 0, 0};
}

// WRITE BUFFER mode 5, buffer 1; offset and length as 24-bit fields.
constexpr CommandBytes WriteBufferCommand(std::uint32_t offset, std::uint32_t length,
                                          std::uint8_t control) {
  using detail::ByteOf;
  return {kOpWriteBuffer,   kWriteBufferMode, kBufferId,        ByteOf(offset, 16),
          ByteOf(offset, 8), ByteOf(offset, 0), ByteOf(length, 16), ByteOf(length, 8),
          ByteOf(length, 0), control,           0x00,             0x00};
}

// READ BUFFER mode 1, buffer 1.
constexpr CommandBytes ReadBufferCommand(std::uint32_t offset, std::uint32_t length) {
  using detail::ByteOf;
  return {kOpReadBuffer,    kReadBufferMode,   kBufferId,          ByteOf(offset, 16),
          ByteOf(offset, 8), ByteOf(offset, 0), ByteOf(length, 16), ByteOf(length, 8),
          ByteOf(length, 0), 0x00,              0x00,               0x00};
}

constexpr CommandBytes WriteE2Command(std::uint16_t address, std::uint8_t value) {
  using detail::ByteOf;
  return {kOpVendor, kVendorWriteE2, 0, 0, 0, 0, 0, ByteOf(address, 8), ByteOf(address, 0), value, 0, 0};
}

constexpr CommandBytes ReadFlashIdCommand() {
  return {kOpVendor, kVendorFlashId, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
}

// The profile block goes to, and comes from, buffer offset 0x80000.
constexpr CommandBytes WriteProfileCommand(std::uint32_t length) {
  using detail::ByteOf;
  return {kOpWriteBuffer, kWriteBufferMode, kBufferId, kProfileOffsetHigh, 0, 0, 0,
          ByteOf(length, 8), ByteOf(length, 0), kControlCritical, 0, 0};
}

constexpr CommandBytes ReadProfileCommand(std::uint32_t length) {
  using detail::ByteOf;
  return {kOpReadBuffer, kReadBufferMode, kBufferId, kProfileOffsetHigh, 0, 0, 0,
          ByteOf(length, 8), ByteOf(length, 0), 0, 0, 0};
}

constexpr CommandBytes EntryCriticalCommand() { return WriteBufferCommand(0, 0, kControlCritical); }

constexpr CommandBytes CommitCommand(bool flashAll) {
  return WriteBufferCommand(0, 0, flashAll ? kControlCommitAll : kControlCommit);
}

constexpr std::uint32_t Field24(const CommandBytes& cdb, std::size_t at) {
  return (std::uint32_t{cdb[at]} << 16) | (std::uint32_t{cdb[at + 1]} << 8) | cdb[at + 2];
}
constexpr std::uint32_t FieldOffset(const CommandBytes& cdb) { return Field24(cdb, 3); }
constexpr std::uint32_t FieldLength(const CommandBytes& cdb) { return Field24(cdb, 6); }

constexpr bool IsCommitCommand(const CommandBytes& cdb) {
  return cdb[0] == kOpWriteBuffer && FieldLength(cdb) == 0 &&
         (cdb[9] == kControlCommit || cdb[9] == kControlCommitAll);
}

}  // namespace cdflash
