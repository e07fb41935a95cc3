#pragma once
// File masks of the BIN list: one or more patterns separated by ';'
// ("*.bin; *.hex"), each with the wildcards '*' (any run of characters,
// also none) and '?' (exactly one character), matched without regard to the
// case of ASCII letters. "*.*" matches every name, with or without a dot.
// Both systems list the same files for the same mask.

#include <string>
#include <vector>

namespace cdflash {

// The patterns of `mask`, blanks around them removed, empty ones dropped.
std::vector<std::string> SplitMask(const std::string& mask);

// Whether the file name `name` (no directory) matches one of the patterns.
bool MatchesMask(const std::string& name, const std::string& mask);

// The names that match `mask`, sorted as a file list shows them: ignoring
// the case of ASCII letters, equal names in byte order.
std::vector<std::string> MatchingFiles(std::vector<std::string> names, const std::string& mask);

}  // namespace cdflash
