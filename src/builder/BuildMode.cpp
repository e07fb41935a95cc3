// Build mode of TFlashForm: the model table, the choice of a model and the
// click on a BIN file.

#include <array>

#include "app/AppTexts.h"
#include "app/FlashForm.h"
#include "builder/BuildPaths.h"
#include "builder/BuildPlatform.h"
#include "builder/IniFile.h"
#include "builder/ModelTable.h"

namespace cdflash {
namespace {

constexpr const char* kBuildCaptionEnd = " [Buiding]";

}  // namespace

IBuildPlatform& TFlashForm::BuildPlatform() const {
  return buildPlatform_ ? *buildPlatform_ : SystemBuildPlatform();
}

void TFlashForm::StartBuildMode() {
  StartupDirectory = BuildPlatform().CurrentDirectory();
  c_.FileListBox1->SetDirectory(StartupDirectory);
  if (!RetriveINI()) return;  // the program is ending
  c_.FileListBox1->SetVisible(true);
  c_.SelectDriveLabel->SetText("Select Model: ");
  c_.FlashButton->SetCaption("Build");
  c_.FlashButton->SetEnabled(false);
}

bool TFlashForm::RetriveINI() {
  const std::array<TextList*, kModelKeyCount> lists = {&ModelList,  &InquiryList, &FwRangeList,
                                                       &BinMaskList, &VendorList, &NoteList};
  for (TextList* list : lists) *list = std::make_unique<std::vector<std::string>>();

  const IBuildPlatform& platform = BuildPlatform();
  const std::string programPath = platform.ProgramPath();
  std::string path = ModelTablePath(programPath);
  if (!platform.FileExists(path)) {
    const std::string alternate = ModelTableAlternatePath(programPath);
    if (alternate.empty() || !platform.FileExists(alternate)) {
      s_.dialogs->Message("Can't load " + path);
      s_.application->PostQuit(0);
      return false;
    }
    path = alternate;
  }

  // A file that exists but cannot be read gives no values: its first
  // section then reads as empty, like any file without a model.
  const IniFile ini = IniFile::Load(path).value_or(IniFile::Parse({}));
  ModelTable table = ReadModelTable(ini);
  for (const std::string& entry : table.entries) c_.ComboBox->Add(entry);
  for (std::size_t key = 0; key < kModelKeyCount; ++key) **lists[key] = std::move(table.lists[key]);

  if (table.failed) {
    s_.dialogs->Message(path + " > Session " + table.stopSection + " error!");
    s_.application->PostQuit(0);
    return false;
  }
  c_.ComboBox->SetItemIndex(0);
  ComboBoxChange(this);
  return true;
}

void TFlashForm::ChooseModel() {
  const int k = c_.ComboBox->ItemIndex();
  if (!BinMaskList || k < 0 || k >= c_.ComboBox->Count() ||
      static_cast<std::size_t>(k) >= BinMaskList->size() ||
      static_cast<std::size_t>(k) >= FwRangeList->size()) {
    return;
  }
  const auto index = static_cast<std::size_t>(k);
  c_.FileListBox1->SetMask((*BinMaskList)[index]);
  c_.FileListBox1->Update();  // also when the mask has not changed
  c_.window->SetCaption(kVersionCaption + (*FwRangeList)[index] + kBuildCaptionEnd);
  // A file must be clicked again for the new model before a build.
  c_.FlashButton->SetEnabled(false);
}

void TFlashForm::FileListBox1Click(const void*) {
  SelectedBinName = FileNamePart(c_.FileListBox1->FileName());
  c_.FlashButton->SetEnabled(true);
}

std::vector<std::string> TFlashForm::ModelTableList(std::size_t key) const {
  const std::array<const TextList*, kModelKeyCount> lists = {&ModelList,  &InquiryList, &FwRangeList,
                                                             &BinMaskList, &VendorList, &NoteList};
  if (key >= lists.size() || !*lists[key]) return {};
  return **lists[key];
}

}  // namespace cdflash
