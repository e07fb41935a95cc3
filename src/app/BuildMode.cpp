#include "app/BuildMode.h"

#include "app/AppTexts.h"
#include "builder/BuildPaths.h"

namespace cdflash {
namespace {

constexpr const char* kBuildCaptionEnd = " [Buiding]";

}  // namespace

// The controls keep the positions of the design.
void BuildMode::Start() {
  binDirectory_ = x_.system.CurrentDirectory();
  if (!RetriveINI()) return;  // the program is ending
  x_.c.FileListBox1->SetVisible(true);
  x_.c.SelectDriveLabel->SetText("Select Model: ");
  x_.c.FlashButton->SetCaption("Build");
  x_.c.FlashButton->SetEnabled(false);
}

bool BuildMode::RetriveINI() {
  build_ = std::make_unique<BuildSession>(x_.package, x_.system);
  const bool loaded = build_->LoadModels();
  for (const std::string& entry : build_->Models().entries) x_.c.ComboBox->Add(entry);
  if (!loaded) {
    x_.s.dialogs->Message(build_->Problem());
    x_.s.application->PostQuit(0);
    return false;
  }
  x_.c.ComboBox->SetItemIndex(0);
  ComboBoxChange();
  return true;
}

void BuildMode::ComboBoxChange() {
  const int k = x_.c.ComboBox->ItemIndex();
  if (!build_ || k < 0 || k >= x_.c.ComboBox->Count() ||
      static_cast<std::size_t>(k) >= build_->Models().models.size()) {
    return;
  }
  model_ = static_cast<std::size_t>(k);
  // Read anew also when the mask has not changed.
  x_.c.FileListBox1->SetItems(build_->BinFiles(model_, binDirectory_));
  x_.c.window->SetCaption(kVersionCaption + build_->Models().models[model_].fwRange + kBuildCaptionEnd);
  // A file must be clicked again for the new model before a build.
  x_.c.FlashButton->SetEnabled(false);
}

std::string BuildMode::SelectedBinPath() const {
  const int k = x_.c.FileListBox1->ItemIndex();
  if (k < 0 || k >= x_.c.FileListBox1->Count()) return {};
  return JoinPath(binDirectory_, x_.c.FileListBox1->Item(k));
}

void BuildMode::FileListBox1Click() {
  x_.c.FlashButton->SetEnabled(true);
}

// NewBuildFlashProgram, on a worker thread: the request is taken from the
// controls first, and the outcome shown when the build is over.
void BuildMode::FlashButtonClick() {
  if (!build_ || model_ >= build_->Models().models.size()) return;
  const std::string binPath = SelectedBinPath();
  const std::string outputDirectory = x_.system.CurrentDirectory();
  x_.s.cursor->SetHourglass();
  auto result = std::make_shared<BuildResult>();
  x_.jobs.RunJob(
      [this, result, model = model_, binPath, outputDirectory] {
        *result = build_->Build(model, binPath, outputDirectory, x_.observer);
      },
      [this, result] {
        if (!result->ok) x_.s.dialogs->Message(result->message);
        x_.s.cursor->SetDefault();
      });
}

}  // namespace cdflash
