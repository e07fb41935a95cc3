// The builder over a template file of the test's own: the bytes of every
// flasher it writes, and every build it refuses leaving the folder as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "common/Text.h"
#include "package/DigestBlock.h"
#include "package/PackageDigest.h"
#include "package/PackageView.h"
#include "support/FakeSystem.h"
#include "support/RecordingObserver.h"
#include "support/TempFolder.h"

namespace cdflash {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::ReadBytes;
using test::WriteBytes;

enum class Banks { None, Four, Five };

// Bytes that repeat nowhere near a 1024-byte period, with the signature
// that gives the image its length.
Bytes Pattern(std::size_t length, std::uint8_t seed, Banks banks = Banks::None) {
  Bytes b(length);
  for (std::size_t i = 0; i < length; ++i) b[i] = static_cast<std::uint8_t>((i * 13 + seed + i / 509) & 0x7F);
  const auto sign = [&b](std::size_t at) {
    if (at + 1 < b.size()) std::copy_n("\x05\x80", 2, b.begin() + static_cast<long>(at));
  };
  if (banks == Banks::Four) sign(0x4000);
  if (banks == Banks::Five) sign(0x1100);
  return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

template <std::size_t N>
Bytes Of(std::span<const std::uint8_t, N> s) {
  return Bytes(s.begin(), s.end());
}

// A template as the builder finds one in a program file: code around the
// digest block (holding zeros) and the package: the key-word, an empty
// header and a slot holding the template marker.
struct TemplateFile {
  TemplateFile() {
    Bytes slot = Pattern(kSlotSize, 99);
    std::copy_n("BLNK", 4, slot.begin());
    bytes = Join({Pattern(3000, 1), Of(EmbeddedDigestMarker()), Bytes(kSha256Size, 0), Pattern(5000, 2),
                  Of(PackageView::Embedded().KeyWord()), Bytes(kHeaderSize, 0), slot, Pattern(2000, 3)});
    digestAt = 3000 + kDigestMarkerSize;
    slotAt = digestAt + kSha256Size + 5000 + kKeyWordSize + kHeaderSize;
  }
  Bytes bytes;
  std::size_t digestAt;
  std::size_t slotAt;
};

const HeaderTexts kModel{"CRW-4012", "ACME    CRW-4012A       ", "1.00-1.50", "ACME", "note"};

class FlasherBuild : public ::testing::Test {
 protected:
  FlasherBuild() {
    system.directory = folder.Path();
    WriteBytes(TemplatePath(), file.bytes);
    fs::permissions(TemplatePath(), fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);  // as a program is
  }
  std::string TemplatePath() const { return folder / "CDFL.EXE"; }

  BuildResult Build(const std::string& name, const Bytes& bin, const std::string& out = {},
                    FileReader read = ReadFileBytes) {
    if (!bin.empty()) WriteBytes(folder / name, bin);
    FlasherBuilder builder(PackageView::Embedded().KeyWord(), system, progress, std::move(read));
    return builder.Build({kModel, name, folder / name, TemplatePath(), out.empty() ? folder.Path() : out});
  }

  // Every file of the folder with its bytes.
  std::map<std::string, Bytes> Snapshot() const {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(folder.FsPath())) {
      files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    }
    return files;
  }

  test::TempFolder folder;
  test::FakeSystem system;
  test::RecordingObserver progress;
  TemplateFile file;
};

// The flasher is the template with the header (the model's texts, the
// upper-cased BIN name as revision) and the BIN over its package, sealed
// with the digest of what it sends, and executable like the template. One
// builder builds them all: a build leaves nothing behind for the next.
TEST_F(FlasherBuild, WritesTheTemplateWithHeaderBinAndDigest) {
  const struct {
    const char* bin;
    Bytes bytes;
    const char* flasher;
    const char* revision;
  } builds[] = {
      {"1.60.BIN", Pattern(0x50000, 10, Banks::Five), "1.60.EXE", "1.60"},
      {"1.62.BIN", Pattern(0x40000, 11, Banks::Four), "1.62.EXE", "1.62"},  // the last bank stays the template's
      {"1.63.BIN", Pattern(0x50000, 12, Banks::Four), "1.63.EXE", "1.63"},  // sends 256 KiB of a longer BIN
      {"a1b2.bin", Pattern(0x40000, 13), "a1b2.EXE", "A1B2"},
      {"abc", Pattern(0x40000, 14), " abc.EXE", " ABC"},
  };
  for (const auto& b : builds) {
    SCOPED_TRACE(b.bin);
    const BuildResult result = Build(b.bin, b.bytes);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.outputPath, folder / b.flasher);
    EXPECT_EQ(progress.captions.back(), Format("Build %s ok!", b.flasher));
    EXPECT_EQ(progress.maximum, static_cast<long long>(file.bytes.size()));
    EXPECT_EQ(progress.position, 0);
  }
  for (const auto& b : builds) {
    SCOPED_TRACE(b.bin);
    const Bytes out = ReadBytes(folder / b.flasher);
    ASSERT_EQ(out.size(), file.bytes.size());
    const std::size_t headerAt = file.slotAt - kHeaderSize;
    Bytes expected = file.bytes;
    const auto header = MakePackageHeader(kModel, UpperCaseAnsi(b.bin));
    std::copy(header.begin(), header.end(), expected.begin() + static_cast<long>(headerAt));
    std::copy(b.bytes.begin(), b.bytes.end(), expected.begin() + static_cast<long>(file.slotAt));
    std::copy_n(out.begin() + static_cast<long>(file.digestAt), kSha256Size,
                expected.begin() + static_cast<long>(file.digestAt));
    EXPECT_TRUE(out == expected) << "only the header, the BIN and the digest differ from the template";

    const PackageView view(std::span<const std::uint8_t, kPackageSize>(out.data() + headerAt - kKeyWordSize, kPackageSize),
                           std::span<const std::uint8_t, kSha256Size>(out.data() + file.digestAt, kSha256Size));
    EXPECT_FALSE(view.IsTemplate());
    EXPECT_EQ(view.PackageRevision(), b.revision);
    EXPECT_EQ(view.LowerBound(), "1.00");
    EXPECT_EQ(CheckPackageDigest(view), DigestCheck::Intact);
    EXPECT_EQ(fs::status(folder / b.flasher).permissions(), fs::status(TemplatePath()).permissions());
  }
}

#ifndef _WIN32
TEST_F(FlasherBuild, ReadOnlySetIdTemplateGivesAWritableExecutableFlasher) {
  fs::permissions(TemplatePath(), fs::perms::set_uid | fs::perms::owner_read | fs::perms::owner_exec |
                                      fs::perms::group_read | fs::perms::group_exec);
  ASSERT_TRUE(Build("1.60.BIN", Pattern(0x40000, 21)).ok);
  EXPECT_EQ(fs::status(folder / "1.60.EXE").permissions(),
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}
#endif

// Every build refused: a message naming what is wrong, and every file of the
// folder (the template, the BIN, a flasher built before) as it was, with
// nothing added.
TEST_F(FlasherBuild, RefusalsNameTheCauseAndChangeNoFile) {
  const Bytes fourBank = Pattern(0x40000, 30);
  const auto withTemplate = [this](Bytes bytes) { return [this, bytes] { WriteBytes(TemplatePath(), bytes); }; };
  Bytes twoMarkers = file.bytes;
  const Bytes marker = Of(EmbeddedDigestMarker());
  twoMarkers.insert(twoMarkers.end(), marker.begin(), marker.end());
  twoMarkers.insert(twoMarkers.end(), kSha256Size, 0);
  Bytes noMarker = file.bytes;
  noMarker[file.digestAt - 1] ^= 0xFF;
  const auto cutAt = [this](std::size_t length) {
    return Bytes(file.bytes.begin(), file.bytes.begin() + static_cast<long>(length));
  };
  const auto failingRead = [](const std::string& path, std::size_t limit) {
    FileBytes read = ReadFileBytes(path, limit);
    if (path.ends_with(".BIN")) {
      read.status = FileBytes::Status::ReadError;  // as after an I/O error half-way
      read.bytes.resize(read.bytes.size() / 2);
    }
    return read;
  };
  struct Refusal {
    const char* what;
    std::string bin;
    Bytes bytes;
    std::vector<std::string> said;
    std::function<void()> before = {};
    std::string out = {};
    FileReader read = ReadFileBytes;
    bool templateReadToItsEnd = false;  // by a bar that moves a step per 1024 bytes
  };
  const Refusal refusals[] = {
      {"larger than the slot", "9.99.BIN", Pattern(0x50001, 31), {"9.99.BIN", "larger than the image slot"}},
      {"too short to be an image", "1.60.BIN", Bytes{1, 2, 3}, {"1.60.BIN", "too short"}},
      {"shorter than its four banks", "1.60.BIN", Pattern(0x19000, 32), {"1.60.BIN", "102400", "262144"}},
      {"five banks in four", "1.60.BIN", Pattern(0x40000, 33, Banks::Five), {"1.60.BIN", "262144", "327680"}},
      {"BIN missing", "GONE.BIN", {}, {"Open GONE.BIN fail!"}},
      {"BIN unreadable", "1.60.BIN", fourBank, {"1.60.BIN could not be read"}, {}, {}, failingRead},
      {"template missing", "1.60.BIN", fourBank, {"Open " + TemplatePath() + " fail!"},
       [this] { fs::remove(TemplatePath()); }},
      {"template without key-word", "1.60.BIN", fourBank, {"not found key-word in CDFL.EXE"},
       withTemplate(Pattern(300000, 34)), {}, ReadFileBytes, true},
      {"template cut short in the slot", "1.60.BIN", Pattern(0x50000, 35), {"some problem in CDFL.EXE"},
       withTemplate(cutAt(file.slotAt + 0x40000))},
      {"template without a digest block", "1.60.BIN", fourBank, {"digest", "CDFL.EXE"}, withTemplate(noMarker)},
      {"template with two digest blocks", "1.60.BIN", fourBank, {"digest", "CDFL.EXE"}, withTemplate(twoMarkers)},
      {"flasher would be the template", "CDFL.BIN", fourBank, {"Create CDFL.EXE Fail"}},
      {"flasher would be the BIN", "abcd.EXE", fourBank, {"Create abcd.EXE Fail"}},
      {"output folder missing", "1.60.BIN", fourBank, {"Create 1.60.EXE Fail"}, {}, folder / "none"},
  };
  ASSERT_TRUE(Build("1.60.BIN", Pattern(0x40000, 36)).ok);
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    WriteBytes(TemplatePath(), file.bytes);
    if (!r.bytes.empty()) WriteBytes(folder / r.bin, r.bytes);
    if (r.before) r.before();
    const auto before = Snapshot();
    const BuildResult result = Build(r.bin, {}, r.out, r.read);
    EXPECT_FALSE(result.ok);
    for (const std::string& part : r.said) {
      EXPECT_NE(result.message.find(part), std::string::npos) << result.message << " lacks " << part;
    }
    EXPECT_TRUE(Snapshot() == before);
    if (r.templateReadToItsEnd) {
      EXPECT_EQ(progress.captions.back(), "Building " + r.bin + "  Please wait... ");
      EXPECT_EQ(progress.maximum, static_cast<long long>(fs::file_size(TemplatePath())));
      EXPECT_EQ(progress.position, progress.maximum);
    }
    fs::remove(folder / r.bin);
  }
}

TEST_F(FlasherBuild, BinEndingWithTheTemplateFits) {
  WriteBytes(TemplatePath(), Bytes(file.bytes.begin(), file.bytes.begin() + static_cast<long>(file.slotAt + 0x40000)));
  const BuildResult fits = Build("1.61.BIN", Pattern(0x40000, 43));
  EXPECT_TRUE(fits.ok) << fits.message;
  EXPECT_EQ(ReadBytes(folder / "1.61.EXE").size(), file.slotAt + 0x40000);
}

}  // namespace
}  // namespace cdflash
