#include "ui/cli/RunTerminal.h"

#include <CLI/CLI.hpp>
#include <sstream>

#include "app/Version.h"
#include "ui/cli/Commands.h"

namespace cdflash::cli {
namespace {

constexpr const char* kExitCodes =
    "Exit codes of --flash:\n"
    "  0  flashed\n"
    "  1  nothing to do or declined (already up to date, no qualifying drive, answer No)\n"
    "  2  failed before anything was written to the drive\n"
    "  3  failed after writing began, before the commit: the drive's flash is untouched\n"
    "  4  the commit failed\n"
    "  5  usage error\n"
    "Ctrl-C before the commit stops the run with nothing committed; once the commit\n"
    "is sent it is refused and the run finishes.";

}  // namespace

int RunTerminal(int argc, const char* const* argv, TerminalContext context) {
  CLI::App app{"cdflash " CDFLASH_VERSION_TEXT ": updates the firmware of ATAPI CD-RW drives "
               "(a flasher) or builds flashers (a template).",
               "cdflash"};
  app.footer(kExitCodes);
  app.set_version_flag("--version", "cdflash " CDFLASH_VERSION_TEXT);
  bool list = false, json = false, yes = false, restart = false, build = false, models = false;
  std::string drive, model, out;
  std::vector<std::string> bins;
  app.add_flag("--list", list, "list the CD drives, and whether this flasher may update each");
  app.add_flag("--json", json, "with --list: the same as JSON");
  app.add_option("--flash", drive, "update DRIVE: 1-0-0 (adapter-target-LUN), its letter, or /dev/srN")
      ->type_name("DRIVE");
  app.add_flag("--yes", yes, "answer Yes to every question but the restart offer");
  app.add_flag("--restart", restart, "with --yes: accept the restart offer as well");
  app.add_flag("--build", build, "template: build a flasher from each --bin for --model");
  app.add_option("--model", model, "the model: its number in the table, or its Model name");
  app.add_option("--bin", bins, "a BIN file (may be given more than once)")->type_name("FILE");
  app.add_option("--out", out, "where the flashers go (default: the current directory)")->type_name("DIR");
  app.add_flag("--models", models, "template: list the model table");

  std::ostringstream help, errors;
  int code = 0;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    code = app.exit(e, help, errors);
    context.terminal.Out(help.str());
    context.terminal.Err(errors.str());
    return code == 0 ? kExitFlashed : kExitUsage;
  }

  const int commands = (list ? 1 : 0) + (!drive.empty() ? 1 : 0) + (build ? 1 : 0) + (models ? 1 : 0);
  const auto usage = [&](const std::string& why) {
    context.terminal.Err(why + "\nRun with --help for the usage.\n");
    return kExitUsage;
  };
  if (commands != 1) return usage("Give one of --list, --flash DRIVE, --build or --models.");
  if (json && !list) return usage("--json goes with --list.");
  if (restart && !yes) return usage("--restart goes with --yes.");
  if (list) return ListDrives(context, json);
  if (models) return ListModels(context);
  if (build) {
    if (model.empty() || bins.empty()) return usage("--build needs --model and at least one --bin.");
    return BuildFlashers(context, model, bins, out);
  }
  return FlashDrive(context, drive, Answers{yes, restart});
}

}  // namespace cdflash::cli
