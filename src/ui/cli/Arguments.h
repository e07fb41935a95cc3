#pragma once
// The terminal front end's command line: flags and options with values, as
// "--name value" or "--name=value". A small parser of its own: the stream
// library a general one needs would double the size of the Windows program.

#include <optional>
#include <string>
#include <vector>

namespace cdflash::cli {

struct Arguments {
  bool help = false, version = false;
  bool list = false, json = false, yes = false, restart = false, allowOlder = false, allowBattery = false;
  bool build = false, models = false;
  std::string flash, model, out, log;
  std::vector<std::string> bins;
};

// The parsed arguments, or nothing with `error` set to what is wrong.
std::optional<Arguments> ParseArguments(int argc, const char* const* argv, std::string& error);

// The --help text: usage, every option, the exit codes.
std::string HelpText();

}  // namespace cdflash::cli
