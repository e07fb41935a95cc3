#pragma once
// Answers the message boxes a test expects, in order, from a short timer that
// looks for QApplication::activeModalWidget(). A box nobody expected is
// dismissed, so a test never hangs on it. Every mismatch, unexpected box and
// expected box that never came fails the test when the answerer goes.

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

namespace cdflash::qtui::test {

struct ExpectedBox {
  enum class Action { Click, Escape, Close, Enter };

  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString textContains;  // empty: any text
  Action action = Action::Click;
  QString button = QStringLiteral("OK");  // the text of the button to click
  QStringList buttons;                    // empty: not checked; else the visible buttons
};

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;  // visible buttons, in the box's order
  bool applicationModal = false;
  bool plainText = false;
  QPoint centre;
};

class ModalBoxAnswerer final : public QObject {
 public:
  ModalBoxAnswerer();
  ~ModalBoxAnswerer() override;

  void Expect(ExpectedBox box) { expected_.push_back(std::move(box)); }
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  void Poll();
  void Answer(QMessageBox& box, const ExpectedBox& expected);

  QTimer timer_;
  std::deque<ExpectedBox> expected_;
  std::vector<SeenBox> seen_;
  std::vector<std::string> failures_;
};

}  // namespace cdflash::qtui::test
