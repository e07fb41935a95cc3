#pragma once
// The command set the simulated drive understands, written out here as the
// drive's own table: the model must not take its opcodes and control bytes
// from the program it tests, or a wrong value there would agree with itself.

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

inline constexpr std::uint8_t kVendorWriteE2 = 0x0A;  // DF byte 1
inline constexpr std::uint8_t kVendorFlashId = 0x11;

inline constexpr std::uint8_t kWriteBufferMode = 0x05;
inline constexpr std::uint8_t kReadBufferMode = 0x01;
inline constexpr std::uint8_t kBufferId = 0x01;

// WRITE BUFFER byte 9.
inline constexpr std::uint8_t kControlData = 0x00;
inline constexpr std::uint8_t kControlCritical = 0x7F;
inline constexpr std::uint8_t kControlCommit = 0x80;
inline constexpr std::uint8_t kControlCommitAll = 0xA0;

using Cdb = std::array<std::uint8_t, 12>;

// Buffer offset (bytes 3-5) and length (bytes 6-8), most significant first.
constexpr std::uint32_t BufferOffset(const Cdb& cdb) {
  return (std::uint32_t{cdb[3]} << 16) | (std::uint32_t{cdb[4]} << 8) | cdb[5];
}
constexpr std::uint32_t BufferLength(const Cdb& cdb) {
  return (std::uint32_t{cdb[6]} << 16) | (std::uint32_t{cdb[7]} << 8) | cdb[8];
}

// A WRITE BUFFER without data that tells the drive to program its flash.
constexpr bool IsCommitBlock(const Cdb& cdb) {
  return cdb[0] == kOpWriteBuffer && BufferLength(cdb) == 0 &&
         (cdb[9] == kControlCommit || cdb[9] == kControlCommitAll);
}

}  // namespace cdflash::sim
