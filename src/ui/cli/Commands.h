#pragma once
// The terminal front end's commands, each ending in an exit code.

#include <string>
#include <vector>

#include "ui/cli/RunTerminal.h"
#include "ui/cli/TerminalObserver.h"

namespace cdflash::cli {

int ListDrives(const TerminalContext& context, bool json);
// Where the record of a --flash run goes and how its end is told.
struct RecordOptions {
  std::string file;  // --log FILE: the record there; empty: the usual place
  bool json = false;  // --json: the run's summary as one JSON object on standard output
};

int FlashDrive(const TerminalContext& context, const std::string& drive, Answers answers, RecordOptions record);
int ListModels(const TerminalContext& context);
int BuildFlashers(const TerminalContext& context, const std::string& model,
                  const std::vector<std::string>& bins, const std::string& outputDirectory);

}  // namespace cdflash::cli
