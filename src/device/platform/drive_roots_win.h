#pragma once
// Drive roots and the addresses the drive list tries on Windows: the CD-ROM
// letters on the pass-through route, numbered host adapters and targets on
// the ASPI route.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/Route.h"

namespace cdflash {

/// The roots of a GetLogicalDriveStringsA answer ("C:\", "D:\", ...): texts
/// separated by zero characters, ended by an empty one or by the end of
/// `answer`.
std::vector<std::string> ParseDriveRoots(std::string_view answer);

/// The machine's drive roots, however many there are: the length is asked
/// for first, and asked again if drives appeared in between.
std::vector<std::string> LogicalDriveRoots();

/// Pass-through route: one address per root whose drive type is CD-ROM, in
/// root order: its letter, host adapter, target and LUN 0.
std::vector<DriveAddress> CdRomAddresses(const std::vector<std::string>& roots,
                                         const std::function<unsigned(const std::string&)>& driveType);

/// ASPI route: 2n probes for n drive roots, host adapters 0..n-1 at targets
/// 0 and 1, in the order (0,0), (0,1), (1,0), ...; a blank letter, LUN 0.
std::vector<DriveAddress> AspiProbeAddresses(std::size_t rootCount);

}  // namespace cdflash
