#pragma once
// What a long job (a flash run, a build) shows while it works: the caption
// of its phase, and how far the phase has come as a value. How much of a bar
// that fills is PercentOf's alone, so that every front end shows the same.

#include <algorithm>
#include <string>

namespace cdflash {

class IProgressObserver {
 public:
  virtual ~IProgressObserver() = default;
  /// Shows `caption` above the progress bar at once.
  virtual void ShowCaption(const std::string& caption) = 0;
  /// The phase has done `done` of `total`.
  virtual void Progress(long long done, long long total) = 0;
};

/// The share of a bar that `done` of `total` fills, in whole percent
/// (rounded down, 0 for an empty or nonsensical total).
constexpr int PercentOf(long long done, long long total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::clamp(done, 0LL, total) * 100 / total);
}

// Shows nothing: for jobs whose progress nobody watches.
class NullProgressObserver final : public IProgressObserver {
 public:
  void ShowCaption(const std::string&) override {}
  void Progress(long long, long long) override {}
};

// For a job that counts its work in steps over a range: reports each move
// as done of total.
class ProgressCounter {
 public:
  explicit ProgressCounter(IProgressObserver& observer) : observer_(observer) {}
  void ShowCaption(const std::string& caption) { observer_.ShowCaption(caption); }
  void SetProgressRange(long long minimum, long long maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
  }
  void SetProgressStep(long long step) { step_ = step; }
  void SetProgressPosition(long long position) {
    position_ = std::clamp(position, minimum_, maximum_);
    observer_.Progress(position_ - minimum_, maximum_ - minimum_);
  }
  void StepProgress() { SetProgressPosition(position_ + step_); }
  void StepProgressBy(long long delta) { SetProgressPosition(position_ + delta); }

 private:
  IProgressObserver& observer_;
  long long minimum_ = 0, maximum_ = 100, step_ = 10, position_ = 0;
};

}  // namespace cdflash
