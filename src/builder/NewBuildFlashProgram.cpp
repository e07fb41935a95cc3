// Writing a flasher: the running template copied byte for byte, with the
// chosen model's header after the key-word and the clicked BIN file over the
// start of the image slot.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/FlashForm.h"
#include "builder/BuildPaths.h"
#include "builder/BuildPlatform.h"
#include "builder/FlasherImage.h"
#include "common/Text.h"

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

}  // namespace

bool TFlashForm::NewBuildFlashProgram() {
  const int k = c_.ComboBox->ItemIndex();
  if (!ModelList || k < 0 || static_cast<std::size_t>(k) >= NoteList->size()) return false;
  const auto model = static_cast<std::size_t>(k);
  const HeaderTexts texts{(*ModelList)[model], (*InquiryList)[model], (*FwRangeList)[model],
                          (*VendorList)[model], (*NoteList)[model]};

  const IBuildPlatform& platform = BuildPlatform();
  const std::string binName = SelectedBinName;
  c_.GroupBox2->SetCaption("Building " + binName + "  Please wait... ");
  c_.GroupBox2->Repaint();

  // The BIN file, read whole into the build buffer before the output exists,
  // so nothing written later can change what is read.
  const std::string binPath = c_.FileListBox1->FileName();
  std::ifstream bin;
  if (!binName.empty() && platform.FileExists(binPath)) bin.open(binPath, std::ios::binary);
  if (!bin.is_open()) {
    s_.dialogs->Message("Open " + binName + " fail!");
    return false;
  }
  const std::size_t binLength = StreamLength(bin);
  // A longer image would run over what follows the slot and damage the flasher.
  if (binLength > kSlotSize) {
    s_.dialogs->Message("Building fail: " + binName + " is larger than the image slot");
    return false;
  }
  if (binLength > BuildBufferSize_) {
    ProfileCopy = std::make_unique<std::uint8_t[]>(binLength);
    BuildBufferSize_ = binLength;
  }
  if (binLength > 0) {
    bin.read(reinterpret_cast<char*>(ProfileCopy.get()), static_cast<std::streamsize>(binLength));
  }
  bin.close();

  const std::string templatePath = platform.ProgramPath();
  std::ifstream templateFile(templatePath, std::ios::binary);
  if (!templateFile.is_open()) {
    s_.dialogs->Message("Open " + templatePath + " fail!");
    return false;
  }
  const std::size_t templateLength = StreamLength(templateFile);
  std::vector<std::uint8_t> image(templateLength);
  templateFile.read(reinterpret_cast<char*>(image.data()),
                    static_cast<std::streamsize>(templateLength));
  templateFile.close();

  c_.ProgressBar->SetRange(0, static_cast<long long>(templateLength));
  c_.ProgressBar->SetPosition(0);
  c_.ProgressBar->SetStep(kProgressStep);

  // Never write over the running program or the BIN file being built from.
  const std::string outputName = FlasherFileName(binName);
  const std::string outputPath = JoinPath(platform.CurrentDirectory(), outputName);
  std::ofstream output;
  if (!SameFile(outputPath, templatePath) && !SameFile(outputPath, binPath)) {
    output.open(outputPath, std::ios::binary | std::ios::trunc);
  }
  if (!output.is_open()) {
    s_.dialogs->Message(Format("Create %4.4s.EXE Fail", binName.c_str()));
    return false;
  }
  // A failed build leaves no damaged flasher behind.
  const auto fail = [&](const std::string& message) {
    output.close();
    std::remove(outputPath.c_str());
    s_.dialogs->Message(message);
    return false;
  };
  const std::string programName = FileNamePart(templatePath);

  const std::size_t packageAt = FindKeyWordEnd(image, package_.KeyWord());
  if (packageAt == kNoKeyWord) {
    if (templateLength > 0) {
      c_.ProgressBar->StepBy(StepsBetween(0, templateLength - 1) * kProgressStep);
    }
    return fail("Building fail: not found key-word in " + programName);
  }
  output.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(packageAt));
  c_.ProgressBar->StepBy(StepsBetween(0, packageAt - 1) * kProgressStep);

  // The template must hold the header and the whole BIN after the key-word.
  const std::size_t restAt = packageAt + kHeaderSize + binLength;
  if (restAt > templateLength) return fail("Building fail: some problem in " + programName);

  const auto header = MakePackageHeader(texts, UpperCaseAnsi(binName));
  output.write(reinterpret_cast<const char*>(header.data()), header.size());
  if (binLength > 0) {
    output.write(reinterpret_cast<const char*>(ProfileCopy.get()),
                 static_cast<std::streamsize>(binLength));
  }
  c_.ProgressBar->StepBy(static_cast<long long>(binLength / 1024) * kProgressStep);

  output.write(reinterpret_cast<const char*>(image.data() + restAt),
               static_cast<std::streamsize>(templateLength - restAt));
  // The copy loop counts one behind the byte it copies.
  c_.ProgressBar->StepBy(StepsBetween(restAt - 1, templateLength - 2) * kProgressStep);
  output.close();
  if (output.fail()) return fail("Building fail: some problem in " + programName);
  // The flasher runs like the template it came from (the execute bits on Linux).
  std::error_code ignored;
  std::filesystem::permissions(outputPath, std::filesystem::status(templatePath, ignored).permissions(),
                               ignored);

  c_.GroupBox2->SetCaption(Format("Build %4.4s.EXE ok!", binName.c_str()));
  c_.GroupBox2->Repaint();
  c_.ProgressBar->SetPosition(0);
  return true;
}

}  // namespace cdflash
