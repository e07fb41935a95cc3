#include "ui/cli/Arguments.h"

#include <algorithm>

#include "session/Version.h"

namespace cdflash::cli {
namespace {

struct Option {
  const char* name;
  const char* value;  // null: a flag
  const char* help;
};

constexpr Option kOptions[] = {
    {"--list", nullptr, "list the CD drives, and whether this flasher may update each"},
    {"--json", nullptr, "with --list: the same as JSON; with --flash: the run's summary as JSON"},
    {"--flash", "DRIVE", "update DRIVE: 1-0-0 (adapter-target-LUN), its letter, or /dev/srN"},
    {"--yes", nullptr, "answer Yes to every question but the restart offer and a downgrade"},
    {"--restart", nullptr, "with --yes: accept the restart offer as well"},
    {"--allow-older", nullptr, "with --yes: take the drive to an older revision when asked"},
    {"--allow-battery", nullptr, "with --yes: update on battery when asked"},
    {"--log", "FILE", "with --flash: the record of the run goes to FILE"},
    {"--build", nullptr, "template: build a flasher from each --bin for --model"},
    {"--model", "M", "the model: its number in the table, or its Model name"},
    {"--bin", "FILE", "a BIN file (may be given more than once)"},
    {"--out", "DIR", "where the flashers go (default: the current directory)"},
    {"--models", nullptr, "template: list the model table"},
    {"--version", nullptr, "print the version and end"},
    {"--help", nullptr, "print this text and end (also -h)"},
};

const Option* Find(const std::string& name) {
  for (const Option& o : kOptions) {
    if (name == o.name) return &o;
  }
  return nullptr;
}

void Store(Arguments& a, const std::string& name, const std::string& value) {
  if (name == "--flash") a.flash = value;
  if (name == "--model") a.model = value;
  if (name == "--out") a.out = value;
  if (name == "--bin") a.bins.push_back(value);
  if (name == "--list") a.list = true;
  if (name == "--json") a.json = true;
  if (name == "--yes") a.yes = true;
  if (name == "--restart") a.restart = true;
  if (name == "--allow-older") a.allowOlder = true;
  if (name == "--allow-battery") a.allowBattery = true;
  if (name == "--log") a.log = value;
  if (name == "--build") a.build = true;
  if (name == "--models") a.models = true;
  if (name == "--version") a.version = true;
  if (name == "--help") a.help = true;
}

}  // namespace

std::optional<Arguments> ParseArguments(int argc, const char* const* argv, std::string& error) {
  Arguments a;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "-h") word = "--help";
    std::optional<std::string> value;
    if (const auto equals = word.find('='); word.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = word.substr(equals + 1);
      word.resize(equals);
    }
    const Option* option = Find(word);
    if (option == nullptr) {
      error = "The following argument was not expected: " + std::string(argv[i]);
      return std::nullopt;
    }
    if (option->value == nullptr) {
      if (value) {
        error = word + " takes no value";
        return std::nullopt;
      }
      Store(a, word, {});
      continue;
    }
    if (!value) {
      if (i + 1 >= argc) {
        error = word + " needs a value: " + option->value;
        return std::nullopt;
      }
      value = argv[++i];
    }
    Store(a, word, *value);
  }
  return a;
}

std::string HelpText() {
  std::string text =
      "cdflash " CDFLASH_VERSION_TEXT ": updates the firmware of ATAPI CD-RW drives (a flasher)\n"
      "or builds flashers (a template). Without arguments it opens its window.\n\n"
      "Usage: cdflash --list [--json]\n"
      "       cdflash --flash DRIVE [--yes [--restart] [--allow-older] [--allow-battery]] [--log FILE] [--json]\n"
      "       cdflash --build --model M --bin FILE [--bin FILE]... [--out DIR]\n"
      "       cdflash --models\n\n"
      "Options:\n";
  for (const Option& o : kOptions) {
    std::string left = std::string("  ") + o.name + (o.value != nullptr ? std::string(" ") + o.value : "");
    left.resize(std::max<std::size_t>(left.size() + 2, 20), ' ');
    text += left + o.help + "\n";
  }
  text +=
      "\nExit codes of --flash:\n"
      "  0  flashed\n"
      "  1  nothing to do or declined (already up to date, no qualifying drive, answer No)\n"
      "  2  failed before anything was written to the drive\n"
      "  3  failed after writing began, before the commit: the drive's flash is untouched\n"
      "  4  the drive refused the commit: its flash is untouched, safe to try again\n"
      "  5  usage error, or DRIVE names no drive or more than one\n"
      "  6  the commit never answered: wait several minutes, power the computer off\n"
      "     and on, then try again\n"
      "Questions and progress go to standard error, results to standard output. A\n"
      "question that no terminal can answer is answered No unless --yes answers it.\n"
      "Ctrl-C (or SIGTERM, SIGHUP) before the commit stops the run with nothing\n"
      "committed; once the commit is sent it is refused and the run finishes. Output\n"
      "that cannot be written (a closed pipe) changes nothing of the run. Every --flash\n"
      "leaves its record; where none can be written it is refused before anything is sent.\n";
  return text;
}

}  // namespace cdflash::cli
