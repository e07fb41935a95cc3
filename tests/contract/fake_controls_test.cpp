// The recording fakes that the form tests use keep the controls' contract,
// so what the form tests show holds on the real controls too.

#include "contract/ControlContract.h"
#include "support/FakeControls.h"

namespace cdflash::contract {
namespace {

struct FakeRig {
  FormControls Controls() {
    return {&window, &label, &fileList, &combo, &groupBox, &progress, &button};
  }
  int UserEvents() const { return 0; }  // fakes raise no events at all

  test::FakeWindow window;
  test::FakeLabel label{test::DesignBounds("SelectDriveLabel")};
  test::FakeFileListBox fileList{test::DesignBounds("FileListBox1")};
  test::FakeComboBox combo{test::DesignBounds("ComboBox")};
  test::FakeGroupBox groupBox{test::DesignBounds("GroupBox2")};
  test::FakeProgressBar progress{test::DesignBounds("ProgressBar")};
  test::FakeButton button{test::DesignBounds("FlashButton")};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, ControlContract, FakeRig);

}  // namespace
}  // namespace cdflash::contract
