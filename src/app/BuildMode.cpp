// Build mode of TFlashForm: the model table, the choice of a model, the
// click on a BIN file and the build itself.

#include "app/AppTexts.h"
#include "app/FlashForm.h"
#include "session/BuildSession.h"
#include "builder/BuildPaths.h"
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
  build_ = std::make_unique<BuildSession>(package_, System());
  const bool loaded = build_->LoadModels();
  for (const std::string& entry : build_->Models().entries) c_.ComboBox->Add(entry);
  if (!loaded) {
    s_.dialogs->Message(build_->Problem());
    s_.application->PostQuit(0);
    return false;
  }
  c_.ComboBox->SetItemIndex(0);
  ComboBoxChange(this);
  return true;
}

void TFlashForm::ChooseModel() {
  const int k = c_.ComboBox->ItemIndex();
  if (!build_ || k < 0 || k >= c_.ComboBox->Count() || static_cast<std::size_t>(k) >= build_->Models().models.size()) {
    return;
  }
  model_ = static_cast<std::size_t>(k);
  // Read anew also when the mask has not changed.
  c_.FileListBox1->SetItems(build_->BinFiles(model_, binDirectory_));
  c_.window->SetCaption(kVersionCaption + build_->Models().models[model_].fwRange + kBuildCaptionEnd);
  // A file must be clicked again for the new model before a build.
  c_.FlashButton->SetEnabled(false);
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
  if (!build_ || model_ >= build_->Models().models.size()) return;
  const std::string binPath = SelectedBinPath();
  const std::string outputDirectory = System().CurrentDirectory();
  s_.cursor->SetHourglass();
  auto result = std::make_shared<BuildResult>();
  RunJob(
      [this, result, model = model_, name = SelectedBinName, binPath, outputDirectory] {
        *result = build_->Build(model, name, binPath, outputDirectory, queued_);
      },
      [this, result] {
        if (!result->ok) s_.dialogs->Message(result->message);
        s_.cursor->SetDefault();
      });
}

}  // namespace cdflash
