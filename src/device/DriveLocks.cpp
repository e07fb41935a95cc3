#include "device/DriveLocks.h"

namespace cdflash {

namespace {

class LockHold final : public IExclusiveHold {
 public:
  LockHold(std::unique_ptr<IDriveLocks> locks, bool deviceLock)
      : locks_(std::move(locks)), deviceLock_(deviceLock) {}
  ~LockHold() override {
    if (deviceLock_) {
      locks_->UnlockDevice();
    } else {
      locks_->UnlockVolume();
    }
  }

 private:
  std::unique_ptr<IDriveLocks> locks_;
  bool deviceLock_;
};

}  // namespace

ExclusiveUse TakeLockedUse(std::unique_ptr<IDriveLocks> locks, bool deviceLockKnown,
                           const std::string& device) {
  ExclusiveUse use;
  if (locks == nullptr) return use;
  if (deviceLockKnown) {
    const std::uint32_t error = locks->LockDevice();
    if (error == 0) {
      use.hold = std::make_unique<LockHold>(std::move(locks), true);
      return use;
    }
    const ExclusiveVerdict verdict = JudgeLockError(error, device);
    if (verdict.refused) return {true, verdict.cause, nullptr};
  }
  const std::uint32_t error = locks->LockVolume();
  if (error == 0) {
    use.hold = std::make_unique<LockHold>(std::move(locks), false);
    return use;
  }
  const ExclusiveVerdict verdict = JudgeLockError(error, device);
  return {verdict.refused, verdict.cause, nullptr};
}

}  // namespace cdflash
