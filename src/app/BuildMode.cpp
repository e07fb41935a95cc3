// Build mode of TFlashForm: the model table, the choice of a model, the
// click on a BIN file and the build itself.

#include "app/AppTexts.h"
#include "app/FlashForm.h"
#include "builder/BuildPaths.h"
#include "builder/FlasherBuilder.h"
#include "builder/IniFile.h"
#include "builder/ModelTableSearch.h"
#include "common/FileMask.h"
#include "system/SystemServices.h"

namespace cdflash {
namespace {

constexpr const char* kBuildCaptionEnd = " [Buiding]";

}  // namespace

void TFlashForm::StartBuildMode() {
  binDirectory_ = System().CurrentDirectory();
  if (!RetriveINI()) return;  // the program is ending
  c_.FileListBox1->SetVisible(true);
  c_.SelectDriveLabel->SetText("Select Model: ");
  c_.FlashButton->SetCaption("Build");
  c_.FlashButton->SetEnabled(false);
}

bool TFlashForm::RetriveINI() {
  models_ = {};
  const ModelTableSearch search = FindModelTable(System());
  if (search.path.empty()) {
    s_.dialogs->Message(CantLoadText(search.looked));
    s_.application->PostQuit(0);
    return false;
  }
  const std::string& path = search.path;

  // A file that exists but cannot be read gives no values: its first
  // section then reads as empty, like any file without a model.
  const IniFile ini = IniFile::Load(path).value_or(IniFile::Parse({}));
  models_ = ReadModelTable(ini);
  for (const std::string& entry : models_.entries) c_.ComboBox->Add(entry);

  if (models_.failed) {
    s_.dialogs->Message(path + " > Session " + models_.stopSection + " error!");
    s_.application->PostQuit(0);
    return false;
  }
  c_.ComboBox->SetItemIndex(0);
  ComboBoxChange(this);
  return true;
}

void TFlashForm::ChooseModel() {
  const int k = c_.ComboBox->ItemIndex();
  if (k < 0 || k >= c_.ComboBox->Count() || static_cast<std::size_t>(k) >= models_.models.size()) {
    return;
  }
  const ModelEntry& model = models_.models[static_cast<std::size_t>(k)];
  binMask_ = model.binMask;
  ListBinFiles();  // read anew also when the mask has not changed
  c_.window->SetCaption(kVersionCaption + model.fwRange + kBuildCaptionEnd);
  // A file must be clicked again for the new model before a build.
  c_.FlashButton->SetEnabled(false);
}

void TFlashForm::ListBinFiles() {
  c_.FileListBox1->SetItems(MatchingFiles(System().ListFiles(binDirectory_), binMask_));
}

std::string TFlashForm::SelectedBinPath() const {
  const int k = c_.FileListBox1->ItemIndex();
  if (k < 0 || k >= c_.FileListBox1->Count()) return {};
  return JoinPath(binDirectory_, c_.FileListBox1->Item(k));
}

void TFlashForm::FileListBox1Click(const void*) {
  if (busy_) return;
  SelectedBinName = FileNamePart(SelectedBinPath());
  c_.FlashButton->SetEnabled(true);
}

// NewBuildFlashProgram, on a worker thread: the request is taken from the
// controls first, and the outcome shown when the build is over.
void TFlashForm::StartBuild() {
  const int k = c_.ComboBox->ItemIndex();
  if (k < 0 || static_cast<std::size_t>(k) >= models_.models.size()) return;
  const ISystemServices& system = System();
  BuildRequest request{models_.models[static_cast<std::size_t>(k)].Header(), SelectedBinName,
                       SelectedBinPath(), system.ProgramPath(), system.CurrentDirectory()};

  s_.cursor->SetHourglass();
  auto result = std::make_shared<BuildResult>();
  RunJob(
      [this, request = std::move(request), result] {
        FlasherBuilder builder(package_.KeyWord(), System(), queued_);
        *result = builder.Build(request);
      },
      [this, result] {
        if (!result->ok) s_.dialogs->Message(result->message);
        s_.cursor->SetDefault();
      });
}

}  // namespace cdflash
