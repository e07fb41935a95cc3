// The window's controls as the form table designs them, at the screen's
// scale: positions, sizes, font and tab order.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <map>

#include "app/FormLayout.h"
#include "ui/qt/FlashWindow.h"

namespace cdflash::qtui {
namespace {

QRect Rect(const Bounds& b) { return QRect(b.left, b.top, b.width, b.height); }

int ItemHeight(const QAbstractItemView& view) {
  QStyleOptionViewItem option;
  option.initFrom(&view);
  QStandardItemModel model(1, 1);
  model.setData(model.index(0, 0), QStringLiteral("ITEM.BIN"));
  return view.itemDelegate()->sizeHint(option, model.index(0, 0)).height();
}

// --- Design resolution: QT_FONT_DPI=120 without high-DPI scaling ----------

class Scale1Layout : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(window.logicalDpiY(), 120) << "run with QT_FONT_DPI=120 QT_ENABLE_HIGHDPI_SCALING=0";
  }
  FlashWindow window;
};

TEST_F(Scale1Layout, EveryControlSitsWhereTheTableSays) {
  for (const ControlDesign& design : kFormDesign) {
    const QWidget* widget = window.ControlWidget(design.name);
    ASSERT_NE(widget, nullptr) << design.name;
    EXPECT_EQ(widget->geometry(), Rect(design.bounds)) << design.name;
  }
}

// The client area is the controls' bounding box: hidden controls and moved
// ones leave no empty band at the bottom.
TEST_F(Scale1Layout, ClientAreaIsTheBoundingBoxOfTheVisibleControls) {
  EXPECT_EQ(window.size(), QSize(425, 169));
  EXPECT_EQ(window.pos(), QPoint(91, 84));
  const FormControls c = window.Controls();
  c.GroupBox2->SetVisible(false);
  c.ProgressBar->SetVisible(false);
  EXPECT_EQ(window.height(), 161);  // the button's bottom edge
  c.FlashButton->SetVisible(false);
  EXPECT_EQ(window.height(), 105);  // the file list's bottom edge
  c.FileListBox1->SetVisible(false);
  EXPECT_EQ(window.height(), 52);  // the drop-down list's bottom edge
  c.GroupBox2->SetVisible(true);
  EXPECT_EQ(window.height(), 169);
  c.GroupBox2->SetTop(72);  // flash mode's place for it
  EXPECT_EQ(window.height(), 128);
}

TEST_F(Scale1Layout, FontAndItemHeightsAreTwentyPixels) {
  EXPECT_EQ(window.font().pixelSize(), 20);
  EXPECT_TRUE(window.font().bold());
  EXPECT_EQ(window.font().family(), QStringLiteral("System"));
  const auto* list = qobject_cast<QListWidget*>(window.ControlWidget("FileListBox1"));
  const auto* combo = qobject_cast<QComboBox*>(window.ControlWidget("ComboBox"));
  ASSERT_TRUE(list && combo);
  EXPECT_EQ(ItemHeight(*list), 20);
  EXPECT_EQ(ItemHeight(*combo->view()), 20);
}

// --- Plain 96-DPI screen: everything at 0.8 ---------------------------------

TEST(Dpi96Layout, ControlsAreScaledAndRoundedToNearest) {
  FlashWindow window;
  ASSERT_EQ(window.logicalDpiY(), 96) << "run with QT_FONT_DPI=96";
  const std::map<std::string_view, QRect> expected{
      {"SelectDriveLabel", QRect(0, 0, 3, 16)},   {"FileListBox1", QRect(0, 51, 340, 33)},
      {"ComboBox", QRect(0, 19, 340, 22)},        {"GroupBox2", QRect(0, 90, 340, 45)},
      {"ProgressBar", QRect(6, 109, 257, 18)},    {"FlashButton", QRect(275, 109, 59, 20)},
  };
  for (const auto& [name, rect] : expected) {
    EXPECT_EQ(window.ControlWidget(name)->geometry(), rect) << name;
  }
  EXPECT_EQ(window.size(), QSize(340, 135));
  EXPECT_EQ(window.font().pixelSize(), 16);
}

// --- A 120-DPI screen as Qt 6 shows it: logical 96 DPI, pixel ratio 1.25 ----

TEST(HiDpiLayout, DevicePixelsMatchTheDesign) {
  FlashWindow window;
  ASSERT_DOUBLE_EQ(window.devicePixelRatioF(), 1.25) << "run with QT_FONT_DPI=120";
  EXPECT_EQ(window.logicalDpiY(), 96);
  window.show();
  const QImage image = window.grab().toImage();
  EXPECT_NEAR(image.width(), 425, 1);
  EXPECT_NEAR(image.height(), 169, 1);
  const QWidget* combo = window.ControlWidget("ComboBox");
  EXPECT_NEAR(combo->width() * window.devicePixelRatioF(), 425, 1);
  EXPECT_NEAR(combo->height() * window.devicePixelRatioF(), 28, 1);
}

// --- Independent of the scale -----------------------------------------------

TEST(WindowStructure, TabKeyFollowsTheTableOrder) {
  FlashWindow window;
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.ControlWidget("ComboBox")->setFocus();
  QStringList visited;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited << QApplication::focusWidget()->objectName();
  }
  // Tab orders 0, 2, 4; the group box (1) and the progress bar (3) take no
  // focus, as in the designed form.
  EXPECT_EQ(visited, (QStringList{"FlashButton", "FileListBox1", "ComboBox"}));
}

TEST(WindowStructure, ControlsStartAsDesigned) {
  FlashWindow window;
  const auto* combo = qobject_cast<QComboBox*>(window.ControlWidget("ComboBox"));
  const auto* bar = qobject_cast<QProgressBar*>(window.ControlWidget("ProgressBar"));
  const auto* button = qobject_cast<QPushButton*>(window.ControlWidget("FlashButton"));
  const auto* box = qobject_cast<QGroupBox*>(window.ControlWidget("GroupBox2"));
  ASSERT_TRUE(combo && bar && button && box);
  EXPECT_FALSE(combo->isEditable());
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_FALSE(bar->isTextVisible());
  EXPECT_EQ(button->text(), QStringLiteral("FLASH"));
  EXPECT_TRUE(button->isEnabled());
  EXPECT_TRUE(box->title().isEmpty());
  EXPECT_TRUE(window.Caption().empty());
}

}  // namespace
}  // namespace cdflash::qtui
