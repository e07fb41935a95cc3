#include "builder/FlasherBuilder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "builder/BuildPaths.h"
#include "common/Text.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

constexpr long long kProgressStep = 1024;

// How many of the loop counts first..last (inclusive) are multiples of 1024:
// the copy advances the progress bar on each of them.
long long StepsBetween(std::size_t first, std::size_t last) {
  if (last < first) return 0;
  const auto below = [](std::size_t n) { return static_cast<long long>(n / 1024); };
  return below(last) - (first == 0 ? -1 : below(first - 1));
}

// The length of an open stream, which is left at its start.
std::size_t StreamLength(std::ifstream& in) {
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  in.seekg(0, std::ios::beg);
  return end > 0 ? static_cast<std::size_t>(end) : 0;
}

BuildResult Failed(std::string message, std::string outputPath = {}) {
  return BuildResult{false, std::move(message), std::move(outputPath)};
}

}  // namespace

BuildResult FlasherBuilder::Build(const BuildRequest& request) {
  const std::string& binName = request.binName;
  progress_.ShowCaption("Building " + binName + "  Please wait... ");

  // The BIN file, read whole before the output exists, so nothing written
  // later can change what is read.
  std::ifstream bin;
  if (!binName.empty() && files_.FileExists(request.binPath)) {
    bin.open(request.binPath, std::ios::binary);
  }
  if (!bin.is_open()) return Failed("Open " + binName + " fail!");
  const std::size_t binLength = StreamLength(bin);
  // A longer image would run over what follows the slot and damage the flasher.
  if (binLength > kSlotSize) {
    return Failed("Building fail: " + binName + " is larger than the image slot");
  }
  std::vector<std::uint8_t> binBytes(binLength);
  if (binLength > 0) {
    bin.read(reinterpret_cast<char*>(binBytes.data()), static_cast<std::streamsize>(binLength));
  }
  bin.close();

  const std::string& templatePath = request.templatePath;
  std::ifstream templateFile(templatePath, std::ios::binary);
  if (!templateFile.is_open()) return Failed("Open " + templatePath + " fail!");
  const std::size_t templateLength = StreamLength(templateFile);
  std::vector<std::uint8_t> image(templateLength);
  templateFile.read(reinterpret_cast<char*>(image.data()),
                    static_cast<std::streamsize>(templateLength));
  templateFile.close();

  progress_.SetProgressRange(0, static_cast<long long>(templateLength));
  progress_.SetProgressPosition(0);
  progress_.SetProgressStep(kProgressStep);

  // Never write over the template or the BIN file being built from.
  const std::string outputPath = JoinPath(request.outputDirectory, FlasherFileName(binName));
  std::ofstream output;
  if (!SameFile(outputPath, templatePath) && !SameFile(outputPath, request.binPath)) {
    output.open(outputPath, std::ios::binary | std::ios::trunc);
  }
  if (!output.is_open()) return Failed(Format("Create %4.4s.EXE Fail", binName.c_str()), outputPath);
  // A failed build leaves no damaged flasher behind.
  const auto fail = [&](const std::string& message) {
    output.close();
    std::remove(outputPath.c_str());
    return Failed(message, outputPath);
  };
  const std::string programName = FileNamePart(templatePath);

  const std::size_t packageAt = FindKeyWordEnd(image, keyWord_);
  if (packageAt == kNoKeyWord) {
    if (templateLength > 0) {
      progress_.StepProgressBy(StepsBetween(0, templateLength - 1) * kProgressStep);
    }
    return fail("Building fail: not found key-word in " + programName);
  }
  output.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(packageAt));
  progress_.StepProgressBy(StepsBetween(0, packageAt - 1) * kProgressStep);

  // The template must hold the header and the whole BIN after the key-word.
  const std::size_t restAt = packageAt + kHeaderSize + binLength;
  if (restAt > templateLength) return fail("Building fail: some problem in " + programName);

  const auto header = MakePackageHeader(request.model, UpperCaseAnsi(binName));
  output.write(reinterpret_cast<const char*>(header.data()), header.size());
  if (binLength > 0) {
    output.write(reinterpret_cast<const char*>(binBytes.data()),
                 static_cast<std::streamsize>(binLength));
  }
  progress_.StepProgressBy(static_cast<long long>(binLength / 1024) * kProgressStep);

  output.write(reinterpret_cast<const char*>(image.data() + restAt),
               static_cast<std::streamsize>(templateLength - restAt));
  // The copy loop counts one behind the byte it copies.
  progress_.StepProgressBy(StepsBetween(restAt - 1, templateLength - 2) * kProgressStep);
  output.close();
  if (output.fail()) return fail("Building fail: some problem in " + programName);
  // The flasher runs like the template it came from (the execute bits on Linux).
  std::error_code ignored;
  std::filesystem::permissions(outputPath,
                               std::filesystem::status(templatePath, ignored).permissions(), ignored);

  progress_.ShowCaption(Format("Build %4.4s.EXE ok!", binName.c_str()));
  progress_.SetProgressPosition(0);
  return BuildResult{true, {}, outputPath};
}

}  // namespace cdflash
