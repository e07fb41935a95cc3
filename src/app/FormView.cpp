#include "app/FormView.h"

namespace cdflash {

void FormView::ShowCaption(const std::string& caption) {
  // A new phase starts with an empty bar, so that its bar only moves
  // forward; a caption that extends the last (", Fail! ") keeps it.
  if (caption_.empty() || caption.rfind(caption_, 0) != 0) c_.ProgressBar->SetPosition(0);
  caption_ = caption;
  c_.GroupBox2->SetCaption(caption);
  c_.GroupBox2->Repaint();
}

void FormView::SetProgressRange(long long minimum, long long maximum) {
  c_.ProgressBar->SetRange(minimum, maximum);
}
void FormView::SetProgressStep(long long step) { c_.ProgressBar->SetStep(step); }
void FormView::SetProgressPosition(long long position) { c_.ProgressBar->SetPosition(position); }
void FormView::StepProgress() { c_.ProgressBar->StepIt(); }
void FormView::StepProgressBy(long long delta) { c_.ProgressBar->StepBy(delta); }

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
