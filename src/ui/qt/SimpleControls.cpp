#include "ui/qt/SimpleControls.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <limits>

#include "ui/qt/QtText.h"

namespace cdflash::qtui {

namespace {
int ToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}
}  // namespace

// --- LabelAdapter ---------------------------------------------------------

LabelAdapter::LabelAdapter(QLabel& label, const Bounds& design, const DesignMetrics& metrics,
                           LayoutChanged layoutChanged)
    : ControlAdapter(label, design, metrics, std::move(layoutChanged)), label_(label) {
  // Texts come from the firmware package and drive answers: never markup.
  label_.setTextFormat(Qt::PlainText);
  // The designed height is the character height; Qt's line height adds room
  // for accents above it. Aligned to the bottom, capitals and descenders fit.
  label_.setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  ApplyGeometry();
}

Bounds LabelAdapter::GetBounds() const {
  Bounds bounds = Design();
  bounds.width = std::max(bounds.width, Metrics().Unscale(label_.width()));
  return bounds;
}

void LabelAdapter::SetText(const std::string& text) {
  text_ = text;
  label_.setText(ToQString(text));
  ApplyGeometry();
}

// The label grows to the width of its text; its height stays as designed.
QRect LabelAdapter::ScreenGeometry() const {
  QRect rect = Metrics().ToScreen(Design());
  rect.setWidth(std::max(rect.width(), label_.fontMetrics().horizontalAdvance(label_.text())));
  return rect;
}

// --- GroupBoxAdapter ------------------------------------------------------

GroupBoxAdapter::GroupBoxAdapter(QGroupBox& box, const Bounds& design,
                                 const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(box, design, metrics, std::move(layoutChanged)), box_(box) {
  box_.setTitle(QString());
  ApplyGeometry();
}

void GroupBoxAdapter::SetCaption(const std::string& caption) {
  caption_ = caption;
  box_.setTitle(ToQString(caption));
}

// Long operations block the event loop, so the caption is drawn at once.
void GroupBoxAdapter::Repaint() { box_.repaint(); }

// --- ProgressBarAdapter ---------------------------------------------------

ProgressBarAdapter::ProgressBarAdapter(QProgressBar& bar, const Bounds& design,
                                       const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(bar, design, metrics, std::move(layoutChanged)), bar_(bar) {
  bar_.setTextVisible(false);
  bar_.setRange(0, 100);
  bar_.setValue(0);  // a fresh QProgressBar starts below its minimum
  ApplyGeometry();
}

void ProgressBarAdapter::SetRange(long long minimum, long long maximum) {
  const long long position = Position();
  const int low = ToInt(minimum);
  bar_.setRange(low, std::max(low, ToInt(maximum)));
  SetPosition(position);
}

long long ProgressBarAdapter::Minimum() const { return bar_.minimum(); }
long long ProgressBarAdapter::Maximum() const { return bar_.maximum(); }

void ProgressBarAdapter::SetPosition(long long position) {
  bar_.setValue(ToInt(std::clamp<long long>(position, bar_.minimum(), bar_.maximum())));
}

long long ProgressBarAdapter::Position() const {
  return std::max(bar_.value(), bar_.minimum());
}

void ProgressBarAdapter::StepBy(long long delta) {
  // The position is an int; bounding the delta keeps the sum from overflowing.
  constexpr long long kLimit = 1LL << 40;
  SetPosition(Position() + std::clamp(delta, -kLimit, kLimit));
}

// --- ButtonAdapter --------------------------------------------------------

ButtonAdapter::ButtonAdapter(QPushButton& button, const Bounds& design,
                             const DesignMetrics& metrics, LayoutChanged layoutChanged)
    : ControlAdapter(button, design, metrics, std::move(layoutChanged)), button_(button) {
  SetCaption(kFlashButtonCaption);
  button_.setEnabled(true);
  ApplyGeometry();
}

void ButtonAdapter::SetCaption(const std::string& caption) {
  caption_ = caption;
  button_.setText(ToQString(caption));
}

bool ButtonAdapter::Enabled() const { return button_.isEnabled(); }
void ButtonAdapter::SetEnabled(bool enabled) { button_.setEnabled(enabled); }

}  // namespace cdflash::qtui
