#pragma once
// Writing a flasher: the template copied byte for byte, with the chosen
// model's header after the key-word, the BIN file over the start of the
// image slot and the digest of both in the digest block. The builder shows
// its caption and progress through an IProgressObserver and returns what
// happened instead of showing boxes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "builder/FlasherImage.h"
#include "common/Files.h"
#include "common/ProgressObserver.h"

namespace cdflash {

class ISystemServices;

struct BuildRequest {
  HeaderTexts model;            // the chosen model's stored values
  std::string binName;          // the BIN file's name as the user chose it
  std::string binPath;          // where it is read from
  std::string templatePath;     // the template to copy
  std::string outputDirectory;  // where the new flasher goes
};

struct BuildResult {
  bool ok = false;
  std::string message;     // why the build failed, for the user; empty on success
  std::string outputPath;  // the flasher written (or that would have been)
};

using FileReader = std::function<FileBytes(const std::string& path, std::size_t limit)>;

class FlasherBuilder {
 public:
  FlasherBuilder(std::span<const std::uint8_t, kKeyWordSize> keyWord, const ISystemServices& files,
                 IProgressObserver& progress, FileReader read = ReadFileBytes)
      : keyWord_(keyWord), files_(files), progress_(progress), read_(std::move(read)) {}

  // NewBuildFlashProgram: writes the flasher; ok when the new file was
  // written completely. The file is written beside its final name and
  // renamed over it at the end, so a flasher of that name is either
  // replaced whole or left exactly as it was, and a failed build leaves no
  // new file behind.
  BuildResult Build(const BuildRequest& request);

 private:
  struct Layout;
  // Each step answers the user's message when the build stops there, or
  // an empty text.
  std::string ReadBin(const BuildRequest& request, std::vector<std::uint8_t>& bin) const;
  std::string ReadTemplate(const std::string& path, std::vector<std::uint8_t>& image);
  std::string Locate(const std::vector<std::uint8_t>& image, std::size_t binLength,
                     const std::string& programName, Layout& layout);
  static std::string Seal(std::vector<std::uint8_t>& image, const Layout& layout, const BuildRequest& request,
                          const std::vector<std::uint8_t>& bin);
  void StepAsACopyWould(const Layout& layout, std::size_t binLength, std::size_t templateLength);

  std::span<const std::uint8_t, kKeyWordSize> keyWord_;
  const ISystemServices& files_;
  ProgressCounter progress_;
  FileReader read_;
};

}  // namespace cdflash
