#include "device/CommandVerdict.h"

namespace cdflash {

SenseTriple ReadSense(const std::array<std::uint8_t, kSenseAreaLength>& sense) {
  const std::uint8_t responseCode = sense[0] & 0x7F;
  if (responseCode == 0x72 || responseCode == 0x73) {
    return {static_cast<std::uint8_t>(sense[1] & 0x0F), sense[2], sense[3]};
  }
  return {sense[2], sense[12], sense[13]};
}

bool CompletedCleanly(std::uint8_t scsiStatus, const SenseTriple& sense, const RouteCommand& command,
                      std::int32_t residual) {
  if (scsiStatus != kScsiStatusGood || sense.key != 0) return false;
  const bool mustBeWhole = command.dataIn && command.length > 0 && !command.lengthIsMaximum;
  return !mustBeWhole || residual == 0;
}

bool AnsweredInTime(std::chrono::milliseconds elapsed, std::uint16_t timeoutSeconds) {
  return timeoutSeconds == 0 || elapsed < std::chrono::seconds(timeoutSeconds);
}

}  // namespace cdflash
