#pragma once
// Adapters of the plain controls: label, group box, progress bar and button.
// Each one forwards to its widget and keeps the bytes it was given, so texts
// read back exactly as the core wrote them.

#include <string>

#include "ui/qt/ControlAdapter.h"

class QLabel;
class QGroupBox;
class QProgressBar;
class QPushButton;

namespace cdflash::qtui {

// A label that grows with its text, like an auto-sized label.
class LabelAdapter final : public ControlAdapter, public ILabel {
 public:
  LabelAdapter(QLabel& label, const Bounds& design, const DesignMetrics& metrics,
               LayoutChanged layoutChanged);

  Bounds GetBounds() const override;
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override;

 private:
  QRect ScreenGeometry() const override;
  QLabel& label_;
  std::string text_;
};

class GroupBoxAdapter final : public ControlAdapter, public IGroupBox {
 public:
  GroupBoxAdapter(QGroupBox& box, const Bounds& design, const DesignMetrics& metrics,
                  LayoutChanged layoutChanged);

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  void Repaint() override;

 private:
  QGroupBox& box_;
  std::string caption_;
};

// Positions outside the range are clamped into it, as a native progress bar
// does (QProgressBar would ignore them or reset itself).
class ProgressBarAdapter final : public ControlAdapter, public IProgressBar {
 public:
  ProgressBarAdapter(QProgressBar& bar, const Bounds& design, const DesignMetrics& metrics,
                     LayoutChanged layoutChanged);

  void SetRange(long long minimum, long long maximum) override;
  long long Minimum() const override;
  long long Maximum() const override;
  void SetPosition(long long position) override;
  long long Position() const override;
  void SetStep(long long step) override { step_ = step; }
  long long Step() const override { return step_; }
  void StepIt() override { StepBy(step_); }
  void StepBy(long long delta) override;

 private:
  QProgressBar& bar_;
  long long step_ = 10;
};

class ButtonAdapter final : public ControlAdapter, public IButton {
 public:
  ButtonAdapter(QPushButton& button, const Bounds& design, const DesignMetrics& metrics,
                LayoutChanged layoutChanged);

  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  QPushButton& button_;
  std::string caption_;
};

}  // namespace cdflash::qtui
