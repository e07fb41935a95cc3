#pragma once
// Build mode: the model table in the drop-down list, the BIN files that fit
// the chosen model in the file list, and a new flasher on the button.

#include <cstddef>
#include <memory>
#include <string>

#include "app/FormMode.h"
#include "session/BuildSession.h"

namespace cdflash {

class BuildMode final : public IFormMode {
 public:
  explicit BuildMode(FormContext context) : x_(std::move(context)) {}

  void Start() override;
  void Destroy() override { build_.reset(); }
  void ComboBoxChange() override;
  void FileListBox1Click() override;
  void FlashButtonClick() override;

 private:
  // Loads the model table into ComboBox; on failure shows why, posts the
  // quit request and returns false.
  bool RetriveINI();
  // The clicked BIN file as a full path; empty when none is selected.
  std::string SelectedBinPath() const;

  FormContext x_;
  std::unique_ptr<BuildSession> build_;
  std::size_t model_ = 0;       // the chosen model
  std::string binDirectory_;    // where the BIN files are listed from
};

}  // namespace cdflash
