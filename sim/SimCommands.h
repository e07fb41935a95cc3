#pragma once
// The command set the simulated drive knows: opcodes, control values and
// the fields of WRITE BUFFER / READ BUFFER (big-endian, 24 bits each).

#include <array>
#include <cstdint>

namespace cdflash::sim {

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

inline constexpr std::uint8_t kControlData = 0x00;
inline constexpr std::uint8_t kControlCritical = 0x7F;  // also the profile write
inline constexpr std::uint8_t kControlCommit = 0x80;
inline constexpr std::uint8_t kControlCommitAll = 0xA0;

inline std::uint32_t Field24(const std::array<std::uint8_t, 12>& cdb, std::size_t at) {
  return (std::uint32_t{cdb[at]} << 16) | (std::uint32_t{cdb[at + 1]} << 8) | cdb[at + 2];
}
inline std::uint32_t FieldOffset(const std::array<std::uint8_t, 12>& cdb) { return Field24(cdb, 3); }
inline std::uint32_t FieldLength(const std::array<std::uint8_t, 12>& cdb) { return Field24(cdb, 6); }

}  // namespace cdflash::sim
