// The recording fakes that the form tests use keep the controls' contract,
// so what the form tests show holds on the real controls too.

#include "contract/ControlContract.h"
#include "support/FakeControls.h"

namespace cdflash::contract {
namespace {

struct FakeRig : test::FakeControlSet {
  int UserEvents() const { return 0; }  // fakes raise no events at all
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fakes, ControlContract, FakeRig);

}  // namespace
}  // namespace cdflash::contract
