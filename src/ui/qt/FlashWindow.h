#pragma once
// The main window: the controls of the form table, created in table order at
// the screen's scale, with the table's tab order. The window sizes itself to
// the bounding box of its visible controls. It reports the user's actions as
// signals and holds no logic of its own.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/Controls.h"
#include "ui/qt/DesignMetrics.h"

namespace cdflash::qtui {

class LabelAdapter;
class FileListAdapter;
class ComboBoxAdapter;
class GroupBoxAdapter;
class ProgressBarAdapter;
class ButtonAdapter;
class ControlAdapter;

class FlashWindow final : public QWidget, public IWindow {
  Q_OBJECT

 public:
  explicit FlashWindow(QWidget* parent = nullptr);
  ~FlashWindow() override;

  // IWindow
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override;
  void Close() override;
  void SetCloseBlocked(bool blocked) override { closeBlocked_ = blocked; }

  FormControls Controls() const { return controls_; }
  const DesignMetrics& Metrics() const { return metrics_; }

  // Whether Close() was called; a window closed during start-up is never shown.
  bool CloseRequested() const { return closeRequested_; }
  // Runs first thing when the window is destroyed, while every control exists.
  void SetDestroyHandler(std::function<void()> handler) { destroyHandler_ = std::move(handler); }

  // The widgets, in creation order, by the names of the form.
  QWidget* ControlWidget(std::string_view name) const;

 signals:
  void ComboBoxChanged();
  void FileListClicked();
  void FlashButtonClicked();

 protected:
  // While a job runs the window refuses to close, except through Close().
  void closeEvent(QCloseEvent* event) override;

 private:
  struct ControlMaker;
  void CreateControls();
  void SetTabOrder();
  void FitToControls();

  DesignMetrics metrics_;
  std::string caption_;
  bool closeRequested_ = false;
  bool closeBlocked_ = false;
  bool creating_ = true;
  std::function<void()> destroyHandler_;
  FormControls controls_;

  std::unique_ptr<LabelAdapter> label_;
  std::unique_ptr<FileListAdapter> fileList_;
  std::unique_ptr<ComboBoxAdapter> comboBox_;
  std::unique_ptr<GroupBoxAdapter> groupBox_;
  std::unique_ptr<ProgressBarAdapter> progressBar_;
  std::unique_ptr<ButtonAdapter> button_;
};

}  // namespace cdflash::qtui
