#include "session/BuildSession.h"

#include <cctype>

#include "builder/BuildPaths.h"
#include "builder/IniFile.h"
#include "builder/ModelTableSearch.h"
#include "common/FileMask.h"
#include "common/Text.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool BuildSession::LoadModels() {
  table_ = {};
  problem_.clear();
  const ModelTableSearch search = FindModelTable(system_);
  tablePath_ = search.path;
  if (search.path.empty()) {
    problem_ = CantLoadText(search.looked);
    return false;
  }
  // A file that exists but cannot be read gives no values: its first
  // section then reads as empty, like any file without a model.
  table_ = ReadModelTable(IniFile::Load(search.path).value_or(IniFile::Parse({})));
  if (table_.failed) problem_ = search.path + " > Session " + table_.stopSection + " error!";
  return !table_.failed;
}

std::optional<std::size_t> BuildSession::FindModel(const std::string& wanted) const {
  if (!wanted.empty() && wanted.size() < 4 && wanted.find_first_not_of("0123456789") == std::string::npos) {
    const std::size_t index = std::stoul(wanted);
    if (index < table_.models.size()) return index;
  }
  for (std::size_t i = 0; i < table_.models.size(); ++i) {
    if (SameIgnoringCase(FieldText(table_.models[i].model), wanted)) return i;
  }
  return std::nullopt;
}

std::vector<std::string> BuildSession::BinFiles(std::size_t model, const std::string& directory) const {
  if (model >= table_.models.size()) return {};
  return MatchingFiles(system_.ListFiles(directory), table_.models[model].binMask);
}

std::string BuildSession::Refusal(std::size_t model, const std::vector<std::string>& binPaths) const {
  if (model >= table_.models.size()) return "No such model.";
  const std::string& mask = table_.models[model].binMask;
  for (std::size_t i = 0; i < binPaths.size(); ++i) {
    const std::string name = FileNamePart(binPaths[i]);
    if (!MatchesMask(name, mask)) {
      return name + " does not fit the BIN files of " + FieldText(table_.models[model].model) + " (" + mask +
             "): nothing was built.";
    }
    // Letter case aside: on Windows the two would be one file.
    for (std::size_t j = 0; j < i; ++j) {
      if (SameIgnoringCase(FlasherFileName(name), FlasherFileName(FileNamePart(binPaths[j])))) {
        return FileNamePart(binPaths[j]) + " and " + name + " would both become " + FlasherFileName(name) +
               ": nothing was built.";
      }
    }
  }
  return {};
}

std::string BuildSession::MakeOutputFolder(const std::string& directory) const {
  std::string error;
  if (directory.empty() || MakeFolders(directory, error, false)) return {};
  return "The folder for the flashers could not be made: " + error + ".";
}

std::string BuildSession::OutputFolder(const std::string& asked) const {
  return asked.empty() ? system_.CurrentDirectory() : asked;
}

BuildResult BuildSession::Build(std::size_t model, const std::string& binPath, const std::string& outputDirectory,
                                IProgressObserver& progress) const {
  FlasherBuilder builder(package_.KeyWord(), system_, progress);
  return builder.Build(
      {table_.models.at(model).Header(), FileNamePart(binPath), binPath, system_.ProgramPath(), outputDirectory});
}

}  // namespace cdflash
