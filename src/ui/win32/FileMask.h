#pragma once
// File masks of the file list: one or more patterns with '*' and '?',
// separated by ';' ("*.bin;*.hex"), matched without regard to case.

#include <string>
#include <vector>

namespace cdflash::win32 {

// The patterns of `mask`, blanks around them removed, empty ones dropped.
std::vector<std::string> SplitMask(const std::string& mask);

// Whether the file name `name` (no directory) matches one of the patterns.
bool MatchesMask(const std::string& name, const std::string& mask);

}  // namespace cdflash::win32
