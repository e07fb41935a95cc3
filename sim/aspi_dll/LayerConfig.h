#pragma once
// What the simulated ASPI layer serves, read from the INI file beside the
// DLL (see README.md): how the layer behaves and which drives sit at which
// host adapter and target.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SimDrive.h"

namespace cdflash::sim::aspi_layer {

struct Refusal {
  std::uint8_t opcode = 0;
  Sense sense;
};

struct DriveEntry {
  std::uint8_t hostAdapter = 0;
  std::uint8_t target = 0;
  std::uint8_t lun = 0;
  DriveConfig config;
  std::vector<std::uint8_t> neverComplete;  // opcodes whose requests stay pending
  std::vector<Refusal> refusals;            // commands answered with a sense triple
};

struct LayerConfig {
  std::uint8_t supportStatus = 0x01;  // SS_COMP
  bool asynchronous = false;          // requests return pending, a thread completes them
  std::uint32_t delayMs = 20;         // how long such a thread waits first
  std::uint32_t commitDelayMs = 20;   // the same for a commit (the drive programs its flash)
  bool honourAborts = true;
  std::vector<DriveEntry> drives;
};

/// Reads the file at `path`; a missing file gives a layer without drives.
LayerConfig LoadLayerConfig(const std::string& path);

// Pieces of the file's values, exposed for their own tests.
/// "DA C8" or "dac8": hexadecimal bytes, blanks between them optional.
std::vector<std::uint8_t> ParseHexBytes(std::string_view text);
/// "02 3A 00, 00 00 00": sense triples separated by commas.
std::vector<Sense> ParseSenseList(std::string_view text);
/// "3B 05 24 00, 3C 05 24 00": an opcode and its sense triple, per item.
std::vector<Refusal> ParseRefusals(std::string_view text);

}  // namespace cdflash::sim::aspi_layer
