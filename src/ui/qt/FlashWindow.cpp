#include "ui/qt/FlashWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/FormLayout.h"
#include "ui/qt/ComboBoxAdapter.h"
#include "ui/qt/FileListAdapter.h"
#include "ui/qt/FileListWidget.h"
#include "ui/qt/QtText.h"
#include "ui/qt/SimpleControls.h"

namespace cdflash::qtui {

FlashWindow::FlashWindow(QWidget* parent) : QWidget(parent), metrics_(DesignMetrics::For(*this)) {
  setFont(metrics_.FormFont());
  move(metrics_.Scale(kWindowDesignBounds.left), metrics_.Scale(kWindowDesignBounds.top));
  CreateControls();
  SetTabOrder();
  creating_ = false;
  FitToControls();
}

// The form's destruction handler runs before any control goes away.
FlashWindow::~FlashWindow() {
  if (destroyHandler_) std::exchange(destroyHandler_, nullptr)();
}

void FlashWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  setWindowTitle(ToQString(caption));
}

void FlashWindow::Close() {
  closeRequested_ = true;
  close();
}

void FlashWindow::closeEvent(QCloseEvent* event) {
  if (closeBlocked_ && !closeRequested_) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

FormControls FlashWindow::Controls() {
  return FormControls{this,           label_.get(),       fileList_.get(), comboBox_.get(),
                      groupBox_.get(), progressBar_.get(), button_.get()};
}

void FlashWindow::CreateControls() {
  const auto relayout = [this] { FitToControls(); };
  for (const ControlDesign& design : kFormDesign) {
    QWidget* widget = nullptr;
    switch (design.kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(this);
        label_ = std::make_unique<LabelAdapter>(*label, design.bounds, metrics_, relayout);
        widget = label;
        break;
      }
      case ControlKind::FileListBox: {
        auto* list = new FileListWidget(this);
        fileList_ = std::make_unique<FileListAdapter>(*list, design.bounds, metrics_, relayout);
        connect(list, &FileListWidget::UserClicked, this, &FlashWindow::FileListClicked);
        widget = list;
        break;
      }
      case ControlKind::ComboBox: {
        auto* combo = new QComboBox(this);
        comboBox_ = std::make_unique<ComboBoxAdapter>(*combo, design.bounds, metrics_, relayout);
        connect(combo, &QComboBox::activated, this, &FlashWindow::ComboBoxChanged);
        widget = combo;
        break;
      }
      case ControlKind::GroupBox: {
        auto* box = new QGroupBox(this);
        groupBox_ = std::make_unique<GroupBoxAdapter>(*box, design.bounds, metrics_, relayout);
        widget = box;
        break;
      }
      case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(this);
        progressBar_ =
            std::make_unique<ProgressBarAdapter>(*bar, design.bounds, metrics_, relayout);
        widget = bar;
        break;
      }
      case ControlKind::Button: {
        auto* button = new QPushButton(this);
        button_ = std::make_unique<ButtonAdapter>(*button, design.bounds, metrics_, relayout);
        connect(button, &QPushButton::clicked, this, &FlashWindow::FlashButtonClicked);
        widget = button;
        break;
      }
    }
    widget->setObjectName(QString::fromLatin1(design.name.data(),
                                              static_cast<qsizetype>(design.name.size())));
  }
}

void FlashWindow::SetTabOrder() {
  std::vector<const ControlDesign*> ordered;
  for (const ControlDesign& design : kFormDesign) {
    if (design.tabOrder >= 0) ordered.push_back(&design);
  }
  std::sort(ordered.begin(), ordered.end(),
            [](const ControlDesign* a, const ControlDesign* b) { return a->tabOrder < b->tabOrder; });
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    QWidget::setTabOrder(ControlWidget(ordered[i - 1]->name), ControlWidget(ordered[i]->name));
  }
}

QWidget* FlashWindow::ControlWidget(std::string_view name) const {
  return findChild<QWidget*>(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                             Qt::FindDirectChildrenOnly);
}

// Client area = the right and bottom edges of the visible controls.
void FlashWindow::FitToControls() {
  if (creating_) return;
  int right = 0;
  int bottom = 0;
  for (const ControlDesign& design : kFormDesign) {
    const QWidget* widget = ControlWidget(design.name);
    if (widget == nullptr || widget->isHidden()) continue;
    right = std::max(right, widget->geometry().right() + 1);
    bottom = std::max(bottom, widget->geometry().bottom() + 1);
  }
  setFixedSize(right, bottom);
}

}  // namespace cdflash::qtui
