#include "app/FlashForm.h"

#include "app/AppTexts.h"
#include "device/Cddrives.h"

namespace cdflash {

TFlashForm::TFlashForm(FormControls controls, FormServices services, PackageView package)
    : c_(controls), s_(services), package_(package) {}

TFlashForm::~TFlashForm() = default;

void TFlashForm::FormCreate(const void*) {
  FiveBank = 0;
  ProfileFound = 0;
  FlashAll = 0;
  TransferBuffer.reset();
  ProfileCopy.reset();
  ChunkBuffer.reset();

  c_.window->SetCaption(kVersionCaption);

  BuildMode = package_.IsTemplate() ? 1 : 0;
  if (BuildMode) return;  // the controls keep the positions of the design

  // Flash mode: the group box, progress bar and button move up into the
  // place of the file list, which is hidden once the user confirms.
  const int shift = c_.FileListBox1->GetBounds().height;
  for (IControl* control : {static_cast<IControl*>(c_.GroupBox2),
                            static_cast<IControl*>(c_.ProgressBar),
                            static_cast<IControl*>(c_.FlashButton)}) {
    control->SetTop(control->GetBounds().top - shift);
  }
}

void TFlashForm::FormDestroy(const void*) {
  for (TextList* list : {&ModelList, &InquiryList, &FwRangeList, &BinMaskList, &VendorList,
                         &NoteList}) {
    list->reset();
  }
  Drives.reset();  // closes every drive before any buffer goes
  TransferBuffer.reset();
  ChunkBuffer.reset();
  ProfileCopy.reset();
}

void TFlashForm::ComboBoxChange(const void*) {}

void TFlashForm::FileListBox1Click(const void*) {}

void TFlashForm::FlashButtonClick(const void*) {}

bool TFlashForm::CheckNewFormatBIN() {
  const ImageFormat format = ClassifyImage(package_.Slot());
  ImageLength_ = format.length;
  if (format.fiveBank) {
    FiveBank = 1;
  } else if (!format.recognised) {
    FiveBank = 0;
  }
  return format.recognised;
}

}  // namespace cdflash
