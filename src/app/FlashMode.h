#pragma once
// Flash mode: warn the user, find the drives, offer those the package may
// update in the drop-down list, and update the chosen one on the button.

#include <cstddef>
#include <memory>
#include <vector>

#include "app/FormMode.h"
#include "session/FlashSession.h"

namespace cdflash {

class FlashMode final : public IFormMode {
 public:
  explicit FlashMode(FormContext context) : x_(std::move(context)) {}

  void Start() override;
  void Destroy() override;
  void ComboBoxChange() override;
  void FileListBox1Click() override {}  // the file list is hidden
  void FlashButtonClick() override;
  void RequestStop() override { gate_.RequestStop(); }  // refused once the commit is decided
  const DriveEntry* Selected() const override { return selected_; }

 private:
  // Opens the session; false when the program ends instead.
  bool OpenSession();
  void OfferDrives();

  static constexpr std::size_t kMaxOffered = 24;  // entries of the drop-down list
  FormContext x_;
  std::unique_ptr<FlashSession> session_;
  std::vector<const DriveEntry*> DriveMap;  // the session's entry of each drop-down entry
  const DriveEntry* selected_ = nullptr;
  FlashReport report_;
  CommitGate gate_;  // the run's: a stop asked for races its commit
};

}  // namespace cdflash
