#include "ui/cli/RunTerminal.h"

#include "session/Listings.h"
#include "session/StartupTexts.h"
#include "ui/cli/Arguments.h"
#include "ui/cli/Commands.h"

namespace cdflash::cli {

int RunTerminal(int argc, const char* const* argv, TerminalContext context) {
  const auto usage = [&](const std::string& why) {
    context.terminal.Err(why + "\nRun with --help for more information.\n");
    return kExitUsage;
  };
  std::string error;
  const std::optional<Arguments> parsed = ParseArguments(argc, argv, error);
  if (!parsed) return usage(error);
  const Arguments& a = *parsed;
  if (a.help) {
    context.terminal.Out(HelpText());
    return kExitOk;
  }
  if (a.version) {
    context.terminal.Out(VersionText(context.package));
    return kExitOk;
  }

  const int commands = (a.list ? 1 : 0) + (!a.flash.empty() ? 1 : 0) + (a.build ? 1 : 0) + (a.models ? 1 : 0);
  if (commands != 1) return usage("Give one of --list, --flash DRIVE, --build or --models.");
  if (a.json && !a.list && a.flash.empty()) return usage("--json goes with --list or --flash.");
  if (!a.log.empty() && a.flash.empty()) return usage("--log goes with --flash.");
  if (a.restart && !a.yes) return usage("--restart goes with --yes.");
  if ((a.allowOlder || a.allowBattery) && !a.yes) return usage("--allow-older and --allow-battery go with --yes.");
  // A template holds no firmware; a flasher has no model table.
  if (!a.flash.empty() && context.package.IsTemplate()) {
    context.terminal.Err("This program is a template: it holds no firmware. Build a flasher first (--build).\n");
    return kExitUsage;
  }
  if ((a.models || a.build) && !context.package.IsTemplate()) {
    context.terminal.Err("This program is a flasher: only a template has a model table and builds flashers.\n");
    return kExitUsage;
  }
  // A damaged flasher would send and verify its damaged image: it ends
  // before it touches a drive (--flash says so in its record as well).
  if (a.list && FlasherIsDamaged(context.package)) {
    context.terminal.Err(std::string(kDamagedFlasherText) + "\n");
    return kExitFailedBeforeWrite;
  }
  if (a.list) return ListDrives(context, a.json);
  if (a.models) return ListModels(context);
  if (a.build) {
    if (a.model.empty() || a.bins.empty()) return usage("--build needs --model and at least one --bin.");
    return BuildFlashers(context, a.model, a.bins, a.out);
  }
  return FlashDrive(context, a.flash, Answers{a.yes, a.restart, a.allowOlder, a.allowBattery},
                    {a.log, a.json});
}

}  // namespace cdflash::cli
