#pragma once
// The terminal front end: with arguments the program lists drives, flashes
// one or builds flashers on the terminal, with the same engine and builder
// as the window.

#include "session/FlashSession.h"
#include "session/RunExitCode.h"
#include "ui/cli/Terminal.h"

namespace cdflash {
class ISystemServices;
}

namespace cdflash::cli {

// The exit codes are those of every run (session/RunExitCode.h).
using cdflash::ExitCodeOf;
using cdflash::RunExitCode;
using cdflash::kExitOk, cdflash::kExitNothingDone, cdflash::kExitFailedBeforeWrite,
    cdflash::kExitFailedAfterWrite, cdflash::kExitCommitFailed, cdflash::kExitUsage, cdflash::kExitCommitUnanswered;

struct TerminalContext {
  ITerminal& terminal;
  ISystemServices& system;  // the program's path (the model table is next to it)
  PackageView package;
};

int RunTerminal(int argc, const char* const* argv, TerminalContext context);

}  // namespace cdflash::cli
