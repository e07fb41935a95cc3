#include "app/FormView.h"

#include <algorithm>

namespace cdflash {

// The bar stays where the job put it: a job empties it for each phase that
// shows progress, and a completed update leaves it full.
void FormView::ShowCaption(const std::string& caption) {
  c_.GroupBox2->SetCaption(caption);
  c_.GroupBox2->Repaint();
}

void FormView::Progress(long long done, long long total) {
  if (c_.ProgressBar->Maximum() != total) c_.ProgressBar->SetRange(0, total);
  c_.ProgressBar->SetPosition(std::clamp(done, 0LL, std::max(total, 0LL)));
}

Answer FormView::Ask(QuestionKind kind, const std::string& text) {
  if (unattended_) return Answer::Closed;
  switch (kind) {
    case QuestionKind::Confirm: return s_.dialogs->ConfirmYesNo(text);
    case QuestionKind::ConfirmRestart: return s_.dialogs->ConfirmYesNoDefaultNo(text);
    case QuestionKind::Warning:
    case QuestionKind::Downgrade:
    case QuestionKind::OnBattery: break;
  }
  return s_.dialogs->WarningYesNo(text);
}

void FormView::Tell(NoticeKind kind, const std::string& text) {
  if (unattended_) return;
  if (kind == NoticeKind::Warning) {
    s_.dialogs->WarningOk(text);
  } else {
    s_.dialogs->Message(text);
  }
}

void FormView::SetBusy(bool busy) {
  if (busy) {
    s_.cursor->SetHourglass();
  } else {
    s_.cursor->SetDefault();
  }
}

// The new identity takes the place of the old entry, which stays selected.
void FormView::DriveIdentityChanged(const std::string& identity) {
  IComboBox& list = *c_.ComboBox;
  if (driveEntry_ >= 0 && driveEntry_ < list.Count()) {
    list.Insert(driveEntry_, identity);
    list.Delete(driveEntry_ + 1);
    list.SetItemIndex(driveEntry_);
  }
  list.Repaint();
}

}  // namespace cdflash
