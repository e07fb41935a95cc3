#pragma once
// What a flash run or a build shows, on the form's own controls: the caption
// of GroupBox2, the ProgressBar, the dialogs, the cursor and the drive's
// entry in the drop-down list. Runs on the UI thread.

#include "app/Controls.h"
#include "flash/FlashObserver.h"

namespace cdflash {

class FormView final : public IFlashObserver {
 public:
  FormView(const FormControls& controls, const FormServices& services)
      : c_(controls), s_(services) {}

  // The drop-down entry that DriveIdentityChanged replaces.
  void SetDriveEntry(int index) { driveEntry_ = index; }
  // The program is ending with nobody to answer: from now on a question is
  // answered as a closed box would be, and a message is not shown.
  void EndUnattended() { unattended_ = true; }

  void ShowCaption(const std::string& caption) override;
  // The bar's range is the phase's total: the bar draws its share.
  void Progress(long long done, long long total) override;
  Answer Ask(QuestionKind kind, const std::string& text) override;
  void Tell(NoticeKind kind, const std::string& text) override;
  void SetBusy(bool busy) override;
  void DriveIdentityChanged(const std::string& identity) override;

 private:
  FormControls c_;
  FormServices s_;
  int driveEntry_ = -1;
  bool unattended_ = false;
};

}  // namespace cdflash
