#include "app/FlashForm.h"

#include "app/AppTexts.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"

namespace cdflash {

TFlashForm::TFlashForm(FormControls controls, FormServices services, PackageView package)
    : c_(controls), s_(services), package_(package) {}

TFlashForm::~TFlashForm() {
  if (DeviceDialogs() == s_.dialogs) SetDeviceDialogs(nullptr);
}

void TFlashForm::FormCreate(const void*) {
  FiveBank = 0;
  ProfileFound = 0;
  FlashAll = 0;
  TransferBuffer.reset();
  ProfileCopy.reset();
  ChunkBuffer.reset();
  BuildBufferSize_ = 0;

  c_.window->SetCaption(kVersionCaption);

  BuildMode = package_.IsTemplate() ? 1 : 0;
  if (BuildMode) {  // the controls keep the positions of the design
    StartBuildMode();
    return;
  }

  // Flash mode: the group box, progress bar and button move up into the
  // place of the file list, which is hidden once the user confirms.
  const int shift = c_.FileListBox1->GetBounds().height;
  for (IControl* control : {static_cast<IControl*>(c_.GroupBox2),
                            static_cast<IControl*>(c_.ProgressBar),
                            static_cast<IControl*>(c_.FlashButton)}) {
    control->SetTop(control->GetBounds().top - shift);
  }
  StartFlashMode();
}

void TFlashForm::FormDestroy(const void*) {
  for (TextList* list : {&ModelList, &InquiryList, &FwRangeList, &BinMaskList, &VendorList,
                         &NoteList}) {
    list->reset();
  }
  Drives.reset();  // closes every drive before any buffer goes
  // The device layer must not keep pointing at a block that is about to go.
  if (TransferBuffer && CDDrive::DataBuffer() == TransferBuffer.get()) {
    CDDrive::SetDataBuffer(nullptr, 0);
  }
  TransferBuffer.reset();
  ChunkBuffer.reset();
  ProfileCopy.reset();
  BuildBufferSize_ = 0;
}

void TFlashForm::ComboBoxChange(const void*) {
  if (BuildMode) {
    ChooseModel();
    return;
  }
  const int k = c_.ComboBox->ItemIndex();
  if (!Drives || k < 0 || k >= c_.ComboBox->Count() || k >= static_cast<int>(DriveMap.size())) {
    return;
  }
  Drives->Select(static_cast<std::int16_t>(DriveMap[static_cast<std::size_t>(k)]));
  SelectedDrive = Drives->Current;
}

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
