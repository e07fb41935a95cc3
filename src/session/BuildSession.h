#pragma once
// Build mode, once for every front end: the model table where the program
// finds it, the BIN files that fit a model, and the building of flashers.
// A build is refused before anything is written when a BIN does not fit its
// model's mask or two BINs would give one flasher the same name. The window
// offers only the BINs of the chosen model's mask; the terminal is refused
// any other.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "builder/FlasherBuilder.h"
#include "builder/ModelTable.h"
#include "package/PackageView.h"

namespace cdflash {

class ISystemServices;

class BuildSession {
 public:
  BuildSession(PackageView package, ISystemServices& system) : package_(package), system_(system) {}

  // Loads the model table; false, with Problem() telling why, when there is
  // none or it stops at an incomplete model (Models() then holds the entries
  // read up to there).
  bool LoadModels();
  const std::string& Problem() const { return problem_; }
  // The file the table was read from (empty when none was found).
  const std::string& TablePath() const { return tablePath_; }
  const ModelTable& Models() const { return table_; }
  // The model a user names: its number in the table, or its Model value
  // (letter case ignored).
  std::optional<std::size_t> FindModel(const std::string& wanted) const;
  // The names of the files of `directory` that fit model `model`'s mask.
  std::vector<std::string> BinFiles(std::size_t model, const std::string& directory) const;

  // Why the BINs at `binPaths` cannot be built for model `model`: a name
  // outside the model's mask, or two BINs that would give one flasher
  // name; empty when they can.
  std::string Refusal(std::size_t model, const std::vector<std::string>& binPaths) const;
  // Makes `directory` for the flashers when it is missing; why it cannot
  // be had, or empty.
  std::string MakeOutputFolder(const std::string& directory) const;
  // Where flashers go: `asked`, or the current folder when nothing was asked.
  std::string OutputFolder(const std::string& asked) const;
  // Builds the flasher of the BIN at `binPath` into `outputDirectory`,
  // reporting to `progress`.
  BuildResult Build(std::size_t model, const std::string& binPath, const std::string& outputDirectory,
                    IProgressObserver& progress) const;

 private:
  PackageView package_;
  ISystemServices& system_;
  ModelTable table_;
  std::string problem_;
  std::string tablePath_;
};

}  // namespace cdflash
