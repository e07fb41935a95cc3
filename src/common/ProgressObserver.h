#pragma once
// What a long job (a flash run, a build) shows while it works: a caption
// above a progress bar, and the bar's range, step and position. The calls
// mirror the window's group box and progress bar one for one.

#include <string>

namespace cdflash {

class IProgressObserver {
 public:
  virtual ~IProgressObserver() = default;
  /// Shows `caption` above the progress bar at once.
  virtual void ShowCaption(const std::string& caption) = 0;
  virtual void SetProgressRange(long long minimum, long long maximum) = 0;
  virtual void SetProgressStep(long long step) = 0;
  virtual void SetProgressPosition(long long position) = 0;
  /// position += step, clamped to the maximum.
  virtual void StepProgress() = 0;
  /// position += delta, clamped to the range.
  virtual void StepProgressBy(long long delta) = 0;
};

// Shows nothing: for jobs whose progress nobody watches.
class NullProgressObserver final : public IProgressObserver {
 public:
  void ShowCaption(const std::string&) override {}
  void SetProgressRange(long long, long long) override {}
  void SetProgressStep(long long) override {}
  void SetProgressPosition(long long) override {}
  void StepProgress() override {}
  void StepProgressBy(long long) override {}
};

}  // namespace cdflash
