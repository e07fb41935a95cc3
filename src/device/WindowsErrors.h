#pragma once
// Windows system error codes (winerror.h) as GetLastError gives them when a
// drive is locked, here so that their judgement builds and is tested on
// every system.

#include <cstdint>

namespace cdflash::winerror {

inline constexpr std::uint32_t kInvalidFunction = 1;  // the driver knows no such request
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kNotReady = 21;
inline constexpr std::uint32_t kBadCommand = 22;  // a file system is mounted on it
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kLockViolation = 33;
inline constexpr std::uint32_t kNotSupported = 50;
inline constexpr std::uint32_t kDriveLocked = 108;

}  // namespace cdflash::winerror
