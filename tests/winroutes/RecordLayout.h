#pragma once
// The byte layouts of the records the Windows routes hand over, written out
// by hand (apart from the headers' own static_asserts): a 32-bit program's
// published layouts, and the same fields at their natural places in the
// 64-bit test build. Fields up to offset 16 are common to both.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cdflash::winroutes {

struct PassThroughLayout {
  std::size_t size, header, dataBuffer, senseInfoOffset, cdb, sense;
};
struct ExecRequestLayout {
  std::size_t size, bufPointer, senseLen, postProc, reserved, cdb, senseArea;
};
struct AbortRequestLayout {
  std::size_t size, toAbort;
};

#if defined(_WIN64)
inline constexpr PassThroughLayout kPassThroughLayout{96, 56, 24, 32, 36, 60};
inline constexpr ExecRequestLayout kExecRequestLayout{96, 16, 24, 32, 40, 60, 76};
inline constexpr AbortRequestLayout kAbortRequestLayout{16, 8};
#else
inline constexpr PassThroughLayout kPassThroughLayout{80, 44, 20, 24, 28, 48};
inline constexpr ExecRequestLayout kExecRequestLayout{80, 16, 20, 24, 28, 48, 64};
inline constexpr AbortRequestLayout kAbortRequestLayout{12, 8};
#endif

using Bytes = std::vector<std::uint8_t>;

// A record's bytes as the system would read them.
template <typename Record>
Bytes BytesOf(const Record& record) {
  const auto* at = reinterpret_cast<const std::uint8_t*>(&record);
  return Bytes(at, at + sizeof(record));
}

// The little-endian field of `width` bytes at `at`.
inline std::uint64_t Field(const Bytes& bytes, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes.at(at + i);
  return value;
}
inline void PutField(Bytes& bytes, std::size_t at, std::size_t width, std::uint64_t value) {
  for (std::size_t i = 0; i < width; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}
inline std::uint64_t Dword(const Bytes& bytes, std::size_t at) { return Field(bytes, at, 4); }
inline std::uint64_t Pointer(const Bytes& bytes, std::size_t at) { return Field(bytes, at, sizeof(void*)); }
inline void PutPointer(Bytes& bytes, std::size_t at, const void* pointer) {
  PutField(bytes, at, sizeof(void*), reinterpret_cast<std::uintptr_t>(pointer));
}
inline std::uint64_t Address(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

}  // namespace cdflash::winroutes
