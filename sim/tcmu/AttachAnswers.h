#pragma once
// What a CD-RW drive answers to the commands the kernel's sr driver sends
// at attach and while it polls for media, beyond the flasher's own commands
// that the drive model plays: the capabilities page (MODE SENSE page 2Ah),
// GET CONFIGURATION without features, and "no event" to GET EVENT STATUS
// NOTIFICATION. None of them changes the drive.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cdflash::tcmu {

// The answer's bytes, or nothing when the drive model answers `cdb` itself.
std::optional<std::vector<std::uint8_t>> AttachAnswer(std::span<const std::uint8_t> cdb);

// Whether the drive receives data for `cdb` (the ring does not say).
bool CarriesDataOut(std::span<const std::uint8_t> cdb);

}  // namespace cdflash::tcmu
