#include "ui/qt/FlashWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>

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

// Makes each control's widget and adapter, named as in the design.
struct FlashWindow::ControlMaker {
  FlashWindow& w;
  std::function<void()> relayout;

  template <typename Widget>
  Widget* Named(Widget* widget, const ControlDesign& design) {
    widget->setObjectName(
        QString::fromLatin1(design.name.data(), static_cast<qsizetype>(design.name.size())));
    return widget;
  }
  LabelAdapter* Label(const ControlDesign& design) {
    auto* label = Named(new QLabel(&w), design);
    w.label_ = std::make_unique<LabelAdapter>(*label, design.bounds, w.metrics_, relayout);
    return w.label_.get();
  }
  FileListAdapter* FileListBox(const ControlDesign& design) {
    auto* list = Named(new FileListWidget(&w), design);
    w.fileList_ = std::make_unique<FileListAdapter>(*list, design.bounds, w.metrics_, relayout);
    QObject::connect(list, &FileListWidget::UserClicked, &w, &FlashWindow::FileListClicked);
    return w.fileList_.get();
  }
  ComboBoxAdapter* ComboBox(const ControlDesign& design) {
    auto* combo = Named(new QComboBox(&w), design);
    w.comboBox_ = std::make_unique<ComboBoxAdapter>(*combo, design.bounds, w.metrics_, relayout);
    QObject::connect(combo, &QComboBox::activated, &w, &FlashWindow::ComboBoxChanged);
    return w.comboBox_.get();
  }
  GroupBoxAdapter* GroupBox(const ControlDesign& design) {
    auto* box = Named(new QGroupBox(&w), design);
    w.groupBox_ = std::make_unique<GroupBoxAdapter>(*box, design.bounds, w.metrics_, relayout);
    return w.groupBox_.get();
  }
  ProgressBarAdapter* ProgressBar(const ControlDesign& design) {
    auto* bar = Named(new QProgressBar(&w), design);
    w.progressBar_ = std::make_unique<ProgressBarAdapter>(*bar, design.bounds, w.metrics_, relayout);
    return w.progressBar_.get();
  }
  ButtonAdapter* Button(const ControlDesign& design) {
    auto* button = Named(new QPushButton(&w), design);
    w.button_ = std::make_unique<ButtonAdapter>(*button, design.bounds, w.metrics_, relayout);
    QObject::connect(button, &QPushButton::clicked, &w, &FlashWindow::FlashButtonClicked);
    return w.button_.get();
  }
};

void FlashWindow::CreateControls() {
  ControlMaker maker{*this, [this] { FitToControls(); }};
  controls_ = MakeFormControls(this, maker);
}

void FlashWindow::SetTabOrder() {
  for (std::size_t i = 1; i < kTabOrder.size(); ++i) {
    QWidget::setTabOrder(ControlWidget(kFormDesign[kTabOrder[i - 1]].name),
                         ControlWidget(kFormDesign[kTabOrder[i]].name));
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
