#include "builder/FlasherBuilder.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "builder/BuildPaths.h"
#include "package/DigestBlock.h"
#include "package/PackageDigest.h"
#include "package/PackageView.h"
#include "common/Text.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

constexpr long long kProgressStep = 1024;
// A template is the program itself, a few MiB at most; anything far larger
// is not one.
constexpr std::size_t kTemplateLimit = 256u << 20;
// Shorter than this, the image could not even replace the template marker,
// and the output would still be a template.
constexpr std::size_t kShortestImage = 4;

// How many of the loop counts first..last (inclusive) are multiples of 1024:
// the copy advances the progress bar on each of them.
long long StepsBetween(std::size_t first, std::size_t last) {
  if (last < first) return 0;
  const auto below = [](std::size_t n) { return static_cast<long long>(n / 1024); };
  return below(last) - (first == 0 ? -1 : below(first - 1));
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
  FileBytes bin;
  if (!binName.empty() && files_.FileExists(request.binPath)) bin = read_(request.binPath, kSlotSize);
  if (bin.status == FileBytes::Status::NotOpened) return Failed("Open " + binName + " fail!");
  if (bin.status == FileBytes::Status::ReadError) {
    return Failed("Building fail: " + binName + " could not be read");
  }
  const std::size_t binLength = bin.bytes.size();
  // A longer image would run over what follows the slot and damage the flasher.
  if (binLength > kSlotSize) {
    return Failed("Building fail: " + binName + " is larger than the image slot");
  }
  if (binLength < kShortestImage) {
    return Failed("Building fail: " + binName + " is too short to be a firmware image");
  }

  const std::string& templatePath = request.templatePath;
  const std::string programName = FileNamePart(templatePath);
  FileBytes image = read_(templatePath, kTemplateLimit);
  if (image.status == FileBytes::Status::NotOpened) return Failed("Open " + templatePath + " fail!");
  if (image.status != FileBytes::Status::Read || image.bytes.size() > kTemplateLimit) {
    return Failed("Building fail: " + programName + " could not be read");
  }
  const std::size_t templateLength = image.bytes.size();

  progress_.SetProgressRange(0, static_cast<long long>(templateLength));
  progress_.SetProgressPosition(0);
  progress_.SetProgressStep(kProgressStep);

  // Never write over the template or the BIN file being built from.
  const std::string outputPath = JoinPath(request.outputDirectory, FlasherFileName(binName));
  const std::string partPath = outputPath + ".part";
  const bool allowed = !SameFile(outputPath, templatePath) && !SameFile(outputPath, request.binPath);
  OutputFile output(allowed ? partPath : std::string());
  if (!allowed || !output.IsOpen()) {
    return Failed(Format("Create %4.4s.EXE Fail", binName.c_str()), outputPath);
  }
  const auto fail = [&](const std::string& message) {
    output.Close();
    std::remove(partPath.c_str());
    return Failed(message, outputPath);
  };

  const std::size_t packageAt = FindKeyWordEnd(image.bytes, keyWord_);
  if (packageAt == kNoKeyWord) {
    if (templateLength > 0) {
      progress_.StepProgressBy(StepsBetween(0, templateLength - 1) * kProgressStep);
    }
    return fail("Building fail: not found key-word in " + programName);
  }
  // The template must hold the header and the whole BIN after the key-word.
  const std::size_t restAt = packageAt + kHeaderSize + binLength;
  if (restAt > templateLength) {
    progress_.StepProgressBy(StepsBetween(0, packageAt - 1) * kProgressStep);
    return fail("Building fail: some problem in " + programName);
  }

  const std::size_t digestAt = FindDigestAt(image.bytes, EmbeddedDigestMarker(), packageAt);
  if (digestAt == kNoKeyWord) {
    progress_.StepProgressBy(StepsBetween(0, packageAt - 1) * kProgressStep);
    return fail("Building fail: not found the digest block in " + programName);
  }

  // Header and BIN go over the template's own bytes in memory, and the file
  // is written in one piece: no pass over the bytes but the write itself.
  const auto header = MakePackageHeader(request.model, UpperCaseAnsi(binName));
  const auto packageStart = image.bytes.begin() + static_cast<std::ptrdiff_t>(packageAt);
  std::copy(header.begin(), header.end(), packageStart);
  std::copy(bin.bytes.begin(), bin.bytes.end(), packageStart + static_cast<std::ptrdiff_t>(kHeaderSize));
  // The flasher sends as many bytes of its slot as the image format test
  // finds there: every one of them must come from the BIN, or the drive
  // would verify and commit bytes the firmware never had.
  const std::size_t slotAt = packageAt + kHeaderSize;
  const std::size_t slotLength = std::min(kSlotSize, templateLength - slotAt);
  const ImageFormat format = ClassifyImage(std::span(image.bytes).subspan(slotAt, slotLength));
  if (binLength < format.length) {
    return fail(Format("Building fail: %s is %u bytes, shorter than the %u bytes of its %s image",
                       binName.c_str(), static_cast<unsigned>(binLength),
                       static_cast<unsigned>(format.length), format.fiveBank ? "five-bank" : "four-bank"));
  }
  // The digest lets the flasher find out at start whether it is still the
  // file built here.
  const Sha256Digest digest = PackageDigest(header, std::span(image.bytes).subspan(slotAt, slotLength));
  std::copy(digest.begin(), digest.end(), image.bytes.begin() + static_cast<std::ptrdiff_t>(digestAt));
  output.Write(image.bytes.data(), templateLength);
  // The bar moves as a copy byte by byte would move it, a step per 1024
  // bytes; past the BIN that copy counts one behind the byte it copies.
  progress_.StepProgressBy(StepsBetween(0, packageAt - 1) * kProgressStep);
  progress_.StepProgressBy(static_cast<long long>(binLength / 1024) * kProgressStep);
  progress_.StepProgressBy(StepsBetween(restAt - 1, templateLength - 2) * kProgressStep);
  const std::string outputName = FileNamePart(outputPath);
  if (!output.Close()) {
    std::remove(partPath.c_str());
    return Failed("Building fail: " + outputName + " could not be written", outputPath);
  }
  if (!CopyExecutablePermissions(templatePath, partPath)) {
    std::remove(partPath.c_str());
    return Failed("Building fail: the permissions of " + outputName + " could not be set", outputPath);
  }
  std::string error;
  if (!ReplaceWholeFile(partPath, outputPath, error)) {
    std::remove(partPath.c_str());
    return Failed("Building fail: " + outputName + " could not be replaced (" + error + ")", outputPath);
  }

  progress_.ShowCaption(Format("Build %4.4s.EXE ok!", binName.c_str()));
  progress_.SetProgressPosition(0);
  return BuildResult{true, {}, outputPath};
}

}  // namespace cdflash
