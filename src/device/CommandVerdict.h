#pragma once
// How a finished command is judged, whatever route carried it: the sense
// key, ASC and ASCQ from either sense data format, and the rule that makes
// a completion a success.

#include <array>
#include <chrono>
#include <cstdint>

#include "device/Route.h"

namespace cdflash {

inline constexpr std::uint8_t kScsiStatusGood = 0x00;

struct SenseTriple {
  std::uint8_t key = 0;  // fixed format: the whole byte 2, flags included
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  bool operator==(const SenseTriple&) const = default;
};

// Fixed-format sense (response codes 70h/71h) keeps the key in byte 2 and
// ASC/ASCQ in bytes 12/13; descriptor format (72h/73h) in bytes 1, 2 and 3.
SenseTriple ReadSense(const std::array<std::uint8_t, kSenseAreaLength>& sense);

// A command that reached the device succeeded when the device answered GOOD
// with no sense key, and a data-in command moved every byte it asked for
// (unless its length is only a maximum). BUSY, RESERVATION CONFLICT, TASK
// SET FULL, or CHECK CONDITION without sense data all fail, even though
// their sense key reads 0.
bool CompletedCleanly(std::uint8_t scsiStatus, const SenseTriple& sense, const RouteCommand& command,
                      std::int32_t residual);

// A command whose time reached its timeout was not answered, whatever status
// came back: a route may hand back a status although the system gave up on
// the command (and its pass-through structure has no field to say so).
bool AnsweredInTime(std::chrono::milliseconds elapsed, std::uint16_t timeoutSeconds);

}  // namespace cdflash
