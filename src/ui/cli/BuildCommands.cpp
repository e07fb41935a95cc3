// --models and --build over the build session: the terminal prints and
// maps what happened onto its exit codes.

#include "session/BuildSession.h"
#include "session/Listings.h"
#include "ui/cli/Commands.h"

namespace cdflash::cli {

// The session with its model table; says why when there is none.
static bool Loaded(BuildSession& session, ITerminal& terminal) {
  if (!session.LoadModels()) terminal.Err(session.Problem() + "\n");
  return session.Problem().empty();
}

int ListModels(const TerminalContext& context) {
  BuildSession session(context.package, context.system);
  if (!Loaded(session, context.terminal)) return kExitFailedBeforeWrite;
  // Which of the places it looks in the table came from (standard error:
  // standard output keeps the table alone).
  context.terminal.Err("The model table " + session.TablePath() + ":\n");
  context.terminal.Out(ModelsAsText(session.Models()));
  return kExitOk;
}

int BuildFlashers(const TerminalContext& context, const std::string& model, const std::vector<std::string>& bins,
                  const std::string& outputDirectory) {
  ITerminal& t = context.terminal;
  BuildSession session(context.package, context.system);
  if (!Loaded(session, t)) return kExitFailedBeforeWrite;
  const std::optional<std::size_t> index = session.FindModel(model);
  const std::string refusal = index ? session.Refusal(*index, bins)
                                    : "No model \"" + model + "\" in the model table (--models lists it).";
  if (!refusal.empty()) {
    t.Err(refusal + "\n");
    return kExitUsage;
  }
  const std::string out = session.OutputFolder(outputDirectory);
  if (const std::string problem = session.MakeOutputFolder(out); !problem.empty()) {
    t.Err(problem + "\n");
    return kExitFailedBeforeWrite;
  }
  CaptionLines captions(t);
  int status = kExitOk;
  for (const std::string& bin : bins) {
    const BuildResult result = session.Build(*index, bin, out, captions);
    if (result.ok) {
      t.Out(result.outputPath + "\n");
    } else {
      t.Err(result.message + "\n");
      status = kExitFailedBeforeWrite;
    }
  }
  return status;
}

}  // namespace cdflash::cli
