// --models and --build: the model table next to the template, and flashers
// built from it exactly as the window's Build builds them.

#include <cctype>
#include <optional>

#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "builder/IniFile.h"
#include "builder/ModelTable.h"
#include "builder/ModelTableSearch.h"
#include "common/Text.h"
#include "system/SystemServices.h"
#include "ui/cli/Commands.h"

namespace cdflash::cli {
namespace {

// Prints the builder's captions: each is a line of its own.
class CaptionPrinter final : public IProgressObserver {
 public:
  explicit CaptionPrinter(ITerminal& terminal) : terminal_(terminal) {}
  void ShowCaption(const std::string& caption) override { terminal_.Out(caption + "\n"); }
  void SetProgressRange(long long, long long) override {}
  void SetProgressStep(long long) override {}
  void SetProgressPosition(long long) override {}
  void StepProgress() override {}
  void StepProgressBy(long long) override {}

 private:
  ITerminal& terminal_;
};

// The model table where the window finds it; nothing (after saying why)
// when it cannot be had.
std::optional<ModelTable> LoadTable(const TerminalContext& context) {
  const ModelTableSearch search = FindModelTable(context.system);
  if (search.path.empty()) {
    context.terminal.Err(CantLoadText(search.looked) + "\n");
    return std::nullopt;
  }
  const std::string& path = search.path;
  const IniFile ini = IniFile::Load(path).value_or(IniFile::Parse({}));
  ModelTable table = ReadModelTable(ini);
  if (table.failed) {
    context.terminal.Err(path + " > Session " + table.stopSection + " error!\n");
    return std::nullopt;
  }
  return table;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// --model N (the table index) or --model NAME (the Model value).
std::optional<std::size_t> FindModel(const ModelTable& table, const std::string& wanted) {
  if (!wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t index = std::stoul(wanted);
    if (index < table.models.size()) return index;
  }
  for (std::size_t i = 0; i < table.models.size(); ++i) {
    if (SameIgnoringCase(FieldText(table.models[i].model), wanted)) return i;
  }
  return std::nullopt;
}

}  // namespace

int ListModels(const TerminalContext& context) {
  if (!context.package.IsTemplate()) {
    context.terminal.Err("This program is a flasher: only a template has a model table.\n");
    return kExitUsage;
  }
  const std::optional<ModelTable> table = LoadTable(context);
  if (!table) return kExitFailedBeforeWrite;
  for (std::size_t i = 0; i < table->models.size(); ++i) {
    const ModelEntry& m = table->models[i];
    context.terminal.Out(Format("%2u  %s\n    Inquiry: %s  FW-Range: %s  BINMask: %s  Vendor: %s  Note: %s\n", static_cast<unsigned>(i),
                                m.model.c_str(), m.inquiry.c_str(), m.fwRange.c_str(), m.binMask.c_str(),
                                m.vendor.c_str(), m.note.c_str()));
  }
  return kExitFlashed;
}

int BuildFlashers(const TerminalContext& context, const std::string& model,
                  const std::vector<std::string>& bins, const std::string& outputDirectory) {
  ITerminal& t = context.terminal;
  if (!context.package.IsTemplate()) {
    t.Err("This program is a flasher: only a template builds flashers.\n");
    return kExitUsage;
  }
  const std::optional<ModelTable> table = LoadTable(context);
  if (!table) return kExitFailedBeforeWrite;
  const std::optional<std::size_t> index = FindModel(*table, model);
  if (!index) {
    t.Err("No model \"" + model + "\" in the model table (--models lists it).\n");
    return kExitUsage;
  }
  const std::string directory = outputDirectory.empty() ? context.system.CurrentDirectory() : outputDirectory;
  CaptionPrinter captions(t);
  FlasherBuilder builder(context.package.KeyWord(), context.system, captions);
  int status = kExitFlashed;
  for (const std::string& bin : bins) {
    const BuildResult result = builder.Build({table->models[*index].Header(), FileNamePart(bin), bin,
                                              context.system.ProgramPath(), directory});
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
