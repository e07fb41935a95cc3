#pragma once
// TFlashForm: the program's one window, without any toolkit. It drives the
// controls and services a front end hands it and carries the program's logic
// in its handlers and methods.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Controls.h"
#include "package/PackageView.h"

namespace cdflash {

class CDDrive;
class CDDrives;
class IBuildPlatform;

class TFlashForm {
 public:
  TFlashForm(FormControls controls, FormServices services,
             PackageView package = PackageView::Embedded());
  ~TFlashForm();
  TFlashForm(const TFlashForm&) = delete;
  TFlashForm& operator=(const TFlashForm&) = delete;

  // Handlers. `sender` is the control that raised the event (unused).
  void FormCreate(const void* sender = nullptr);
  void FormDestroy(const void* sender = nullptr);
  void ComboBoxChange(const void* sender = nullptr);
  void FileListBox1Click(const void* sender = nullptr);
  void FlashButtonClick(const void* sender = nullptr);

  // Runs the image format test on the package's slot and stores the image
  // length and the five-bank flag; true when a signature was found.
  bool CheckNewFormatBIN();

  // Whether the current drive of Drives may be updated by this package.
  std::uint8_t CheckCondition();

  // The drive's vendor commands, sent to SelectedDrive through TransferBuffer.
  // Each shows its own message box on failure and returns false.
  bool WriteBuffer(std::uint32_t offset, const std::uint8_t* data, std::uint32_t length,
                   std::uint8_t control);
  bool ReadBuffer(std::uint32_t offset, std::uint8_t* data, std::uint32_t length);
  bool WriteE2(const std::uint8_t* data, std::uint16_t address, std::uint8_t count);
  bool SetupFlashProfile(std::uint8_t* block);  // block: at least kProfileBlockCapacity bytes
  bool ReadVerifyProfile(const std::uint8_t* expected);
  bool EntryCritical();

  // Build mode: loads the model table into ComboBox; on failure shows why,
  // posts the quit request and returns false.
  bool RetriveINI();
  // Writes a flasher from this template, the chosen model and the clicked
  // BIN file; true when the new file was written completely.
  bool NewBuildFlashProgram();
  // Where build mode finds the program, the current directory and files
  // (the running system unless a test points it elsewhere).
  void UseBuildPlatform(IBuildPlatform& platform) { buildPlatform_ = &platform; }

  static constexpr std::int32_t kTransferBufferSize = 16384;
  static constexpr std::uint32_t kChunkSize = 0x4000;
  static constexpr std::size_t kProfileCopySize = 1024;
  static constexpr std::size_t kProfileBlockCapacity = 4 + 0xFFFF + 1;

  // Read access for front ends and tests.
  bool InBuildMode() const { return BuildMode != 0; }
  bool IsFiveBank() const { return FiveBank != 0; }
  std::uint32_t ImageLength() const { return ImageLength_; }
  const PackageView& Package() const { return package_; }
  bool HasDrives() const { return Drives != nullptr; }
  bool HasTransferBuffer() const { return TransferBuffer != nullptr; }
  bool HasChunkBuffer() const { return ChunkBuffer != nullptr; }
  bool HasProfileCopy() const { return ProfileCopy != nullptr; }
  bool HasModelTable() const { return ModelList != nullptr; }
  bool FlashAllSelected() const { return FlashAll != 0; }
  CDDrives* DriveList() const { return Drives.get(); }
  CDDrive* Selected() const { return SelectedDrive; }
  const std::array<std::int32_t, 24>& DriveMapEntries() const { return DriveMap; }
  const std::array<std::uint8_t, 12>& LastCommandBlock() const { return CommandBlock; }
  bool ProfileWasFound() const { return ProfileFound != 0; }
  std::uint32_t ProfileBlockLength() const { return ProfileLength; }
  const std::string& ErrorText() const { return ErrorText_; }
  // The model table list of one key (ModelKey order); empty when absent.
  std::vector<std::string> ModelTableList(std::size_t key) const;
  const std::string& SelectedBin() const { return SelectedBinName; }
  const std::string& StartupDir() const { return StartupDirectory; }
  std::size_t BuildBufferSize() const { return BuildBufferSize_; }

 private:
  // Flash-mode continuation of FormCreate: warn, detect, judge, offer.
  void StartFlashMode();
  // Build-mode continuation of FormCreate: file list, model table, texts.
  void StartBuildMode();
  // Build-mode reaction to a model choice.
  void ChooseModel();
  IBuildPlatform& BuildPlatform() const;
  // Ends the program from FormCreate: quit request with exit code 0, window closed.
  void EndStartup();
  // The update of SelectedDrive, from the confirmation to the restart offer.
  void RunFlashProcedure();
  // Confirmation and disc check; false when the run stops before anything is
  // written to the drive.
  bool ConfirmAndCheckDrive();
  // Everything from the profile to the commit; true when the commit went through.
  bool DownloadVerifyCommit();
  // Sends a standard command without a data phase.
  void SendStandard(std::uint8_t op, std::uint8_t b4);
  // Shows `caption` in GroupBox2 at once.
  void ShowPhase(const std::string& caption);
  void AppendToPhase(const char* suffix);
  void SleepFor(unsigned milliseconds);

  // Sends CommandBlock to SelectedDrive; true when the drive took it cleanly.
  bool SendCommandBlock(std::uint8_t direction, std::int32_t length);
  // Shows `prefix` followed by the sense text of the last command.
  void ShowCommandFailure(const char* prefix);

  using TextList = std::unique_ptr<std::vector<std::string>>;

  FormControls c_;
  FormServices s_;
  PackageView package_;

  // Window state, in declaration order.
  // 1. The model table of build mode: six parallel lists.
  TextList ModelList;
  TextList InquiryList;
  TextList FwRangeList;
  TextList BinMaskList;
  TextList VendorList;
  TextList NoteList;
  // 2. Working texts of flash mode.
  std::string VendorText;
  std::string ModelText;
  std::string RangeText;
  std::string LowerBound;
  std::string UpperBound;
  std::string RequiredIdentity;
  // The error text of flash mode, composed whether or not it is shown.
  std::string ErrorText_;
  // 3. The selected BIN name.
  std::string SelectedBinName;
  // 4-8.
  std::uint8_t BuildMode = 0;
  std::uint8_t FiveBank = 0;
  std::uint8_t ProfileFound = 0;
  std::uint8_t FlashAll = 0;
  std::uint32_t ImageLength_ = 0;
  std::uint32_t ProfileLength = 0;
  // 9. Position in Drives of each drop-down entry.
  std::array<std::int32_t, 24> DriveMap{};
  // 10. Start-up directory of build mode.
  std::string StartupDirectory;
  // 11. The drive chosen in the drop-down list (owned by Drives).
  CDDrive* SelectedDrive = nullptr;
  // 12. Scratch command block of the vendor commands.
  std::array<std::uint8_t, 12> CommandBlock{};
  // 13. The drive list.
  std::unique_ptr<CDDrives> Drives;
  // 14. The 16 KiB data buffer registered with the device layer.
  std::unique_ptr<std::uint8_t[]> TransferBuffer;
  // 15. Buffers of the flash engine (ProfileCopy is the build buffer in build mode).
  std::unique_ptr<std::uint8_t[]> ProfileCopy;
  std::unique_ptr<std::uint8_t[]> ChunkBuffer;
  std::size_t BuildBufferSize_ = 0;  // bytes of ProfileCopy while it is the build buffer

  IBuildPlatform* buildPlatform_ = nullptr;
};

}  // namespace cdflash
