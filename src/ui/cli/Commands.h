#pragma once
// The terminal front end's commands, each ending in an exit code.

#include <string>
#include <vector>

#include "ui/cli/RunTerminal.h"
#include "ui/cli/TerminalObserver.h"

namespace cdflash::cli {

int ListDrives(const TerminalContext& context, bool json);
int FlashDrive(const TerminalContext& context, const std::string& drive, Answers answers);
int ListModels(const TerminalContext& context);
int BuildFlashers(const TerminalContext& context, const std::string& model,
                  const std::vector<std::string>& bins, const std::string& outputDirectory);

}  // namespace cdflash::cli
