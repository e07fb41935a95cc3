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

// The new flasher is written beside its final name and renamed over it at
// the end; unless that rename happened, the part written goes again.
class PartFile {
 public:
  PartFile(const std::string& finalPath, bool allowed)
      : finalPath_(finalPath), partPath_(finalPath + ".part"), file_(allowed ? partPath_ : std::string()),
        opened_(file_.IsOpen()) {}
  ~PartFile() {
    if (!opened_ || placed_) return;
    file_.Close();  // no-op when already closed
    std::remove(partPath_.c_str());
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }
  void Write(const std::vector<std::uint8_t>& bytes) { file_.Write(bytes.data(), bytes.size()); }

  // Closes, gives the template's permissions and replaces the final name.
  std::string Place(const std::string& templatePath) {
    const std::string name = FileNamePart(finalPath_);
    if (!file_.Close()) return "Building fail: " + name + " could not be written";
    if (!CopyExecutablePermissions(templatePath, partPath_)) {
      return "Building fail: the permissions of " + name + " could not be set";
    }
    std::string error;
    if (!ReplaceWholeFile(partPath_, finalPath_, error)) {
      return "Building fail: " + name + " could not be replaced (" + error + ")";
    }
    placed_ = true;
    return {};
  }

 private:
  std::string finalPath_;
  std::string partPath_;
  OutputFile file_;
  bool opened_;
  bool placed_ = false;
};

}  // namespace

// Where the template's parts are: the header just after the key-word, the
// template's bytes again after the BIN, and the digest.
struct FlasherBuilder::Layout {
  std::size_t packageAt = kNoKeyWord;
  std::size_t restAt = 0;
  std::size_t digestAt = kNoKeyWord;
};

BuildResult FlasherBuilder::Build(const BuildRequest& request) {
  progress_.ShowCaption("Building " + request.binName + "  Please wait... ");
  std::vector<std::uint8_t> bin;
  std::vector<std::uint8_t> image;
  std::string refused = ReadBin(request, bin);
  if (refused.empty()) refused = ReadTemplate(request.templatePath, image);
  if (!refused.empty()) return Failed(refused);
  progress_.SetProgressRange(0, static_cast<long long>(image.size()));
  progress_.SetProgressPosition(0);
  progress_.SetProgressStep(kProgressStep);

  // Never write over the template or the BIN file being built from.
  const std::string outputPath = JoinPath(request.outputDirectory, FlasherFileName(request.binName));
  PartFile output(outputPath,
                  !SameFile(outputPath, request.templatePath) && !SameFile(outputPath, request.binPath));
  if (!output.IsOpen()) return Failed(Format("Create %4.4s.EXE Fail", request.binName.c_str()), outputPath);

  Layout layout;
  refused = Locate(image, bin.size(), FileNamePart(request.templatePath), layout);
  if (refused.empty()) refused = Seal(image, layout, request, bin);
  if (!refused.empty()) return Failed(refused, outputPath);
  output.Write(image);
  StepAsACopyWould(layout, bin.size(), image.size());
  refused = output.Place(request.templatePath);
  if (!refused.empty()) return Failed(refused, outputPath);

  progress_.ShowCaption(Format("Build %4.4s.EXE ok!", request.binName.c_str()));
  progress_.SetProgressPosition(0);
  return BuildResult{true, {}, outputPath};
}

// The BIN file, read whole before the output exists, so nothing written
// later can change what is read.
std::string FlasherBuilder::ReadBin(const BuildRequest& request, std::vector<std::uint8_t>& bin) const {
  const std::string& name = request.binName;
  FileBytes file;
  if (!name.empty() && files_.FileExists(request.binPath)) file = read_(request.binPath, kSlotSize);
  if (file.status == FileBytes::Status::NotOpened) return "Open " + name + " fail!";
  if (file.status == FileBytes::Status::ReadError) return "Building fail: " + name + " could not be read";
  // A longer image would run over what follows the slot and damage the flasher.
  if (file.bytes.size() > kSlotSize) return "Building fail: " + name + " is larger than the image slot";
  if (file.bytes.size() < kShortestImage) {
    return "Building fail: " + name + " is too short to be a firmware image";
  }
  bin = std::move(file.bytes);
  return {};
}

std::string FlasherBuilder::ReadTemplate(const std::string& path, std::vector<std::uint8_t>& image) {
  FileBytes file = read_(path, kTemplateLimit);
  if (file.status == FileBytes::Status::NotOpened) return "Open " + path + " fail!";
  if (file.status != FileBytes::Status::Read || file.bytes.size() > kTemplateLimit) {
    return "Building fail: " + FileNamePart(path) + " could not be read";
  }
  image = std::move(file.bytes);
  return {};
}

// The template must hold the header and the whole BIN after the key-word,
// and one digest block. When it does not, the bar moves as far as a byte
// copy would have gone while looking for them.
std::string FlasherBuilder::Locate(const std::vector<std::uint8_t>& image, std::size_t binLength,
                                   const std::string& programName, Layout& layout) {
  layout.packageAt = FindKeyWordEnd(image, keyWord_);
  if (layout.packageAt == kNoKeyWord) {
    if (!image.empty()) progress_.StepProgressBy(StepsBetween(0, image.size() - 1) * kProgressStep);
    return "Building fail: not found key-word in " + programName;
  }
  layout.restAt = layout.packageAt + kHeaderSize + binLength;
  std::string refused;
  if (layout.restAt > image.size()) {
    refused = "Building fail: some problem in " + programName;
  } else if (layout.digestAt = FindDigestAt(image, EmbeddedDigestMarker(), layout.packageAt);
             layout.digestAt == kNoKeyWord) {
    refused = "Building fail: not found the digest block in " + programName;
  }
  if (!refused.empty()) progress_.StepProgressBy(StepsBetween(0, layout.packageAt - 1) * kProgressStep);
  return refused;
}

// Header and BIN go over the template's own bytes in memory, and the digest
// of both into the digest block, so that the flasher can find out at start
// whether it is still the file built here.
std::string FlasherBuilder::Seal(std::vector<std::uint8_t>& image, const Layout& layout,
                                 const BuildRequest& request, const std::vector<std::uint8_t>& bin) {
  const auto header = MakePackageHeader(request.model, UpperCaseAnsi(request.binName));
  const auto packageStart = image.begin() + static_cast<std::ptrdiff_t>(layout.packageAt);
  std::copy(header.begin(), header.end(), packageStart);
  std::copy(bin.begin(), bin.end(), packageStart + static_cast<std::ptrdiff_t>(kHeaderSize));
  // The flasher sends as many bytes of its slot as the image format test
  // finds there: every one of them must come from the BIN, or the drive
  // would verify and commit bytes the firmware never had.
  const std::size_t slotAt = layout.packageAt + kHeaderSize;
  const auto slot = std::span(image).subspan(slotAt, std::min(kSlotSize, image.size() - slotAt));
  const ImageFormat format = ClassifyImage(slot);
  if (bin.size() < format.length) {
    return Format("Building fail: %s is %u bytes, shorter than the %u bytes of its %s image",
                  request.binName.c_str(), static_cast<unsigned>(bin.size()),
                  static_cast<unsigned>(format.length), format.fiveBank ? "five-bank" : "four-bank");
  }
  const Sha256Digest digest = PackageDigest(header, slot);
  std::copy(digest.begin(), digest.end(), image.begin() + static_cast<std::ptrdiff_t>(layout.digestAt));
  return {};
}

// The bar moves as a copy byte by byte would move it, a step per 1024
// bytes; past the BIN that copy counts one behind the byte it copies.
void FlasherBuilder::StepAsACopyWould(const Layout& layout, std::size_t binLength,
                                      std::size_t templateLength) {
  progress_.StepProgressBy(StepsBetween(0, layout.packageAt - 1) * kProgressStep);
  progress_.StepProgressBy(static_cast<long long>(binLength / 1024) * kProgressStep);
  progress_.StepProgressBy(StepsBetween(layout.restAt - 1, templateLength - 2) * kProgressStep);
}

}  // namespace cdflash
