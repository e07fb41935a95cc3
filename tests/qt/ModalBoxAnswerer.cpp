#include "ModalBoxAnswerer.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

namespace cdflash::qtui::test {

namespace {
std::string Describe(const SeenBox& box) {
  return "box \"" + box.title.toStdString() + "\": \"" + box.text.toStdString() + "\"";
}
}  // namespace

ModalBoxAnswerer::ModalBoxAnswerer() {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, &ModalBoxAnswerer::Poll);
  timer_.start();
}

ModalBoxAnswerer::~ModalBoxAnswerer() {
  for (const std::string& failure : failures_) ADD_FAILURE() << failure;
  for (const ExpectedBox& box : expected_) ADD_FAILURE() << "expected box \"" << box.title.toStdString() << "\" never came";
}

void ModalBoxAnswerer::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;

  SeenBox seen{box->windowTitle(), box->text(), box->icon(), {},
               box->windowModality() == Qt::ApplicationModal,
               box->textFormat() == Qt::PlainText, box->frameGeometry().center()};
  for (QAbstractButton* button : box->buttons()) {
    if (!button->isHidden()) seen.buttons << button->text();
  }
  seen_.push_back(seen);

  if (expected_.empty()) {
    failures_.push_back("unexpected " + Describe(seen));
    box->done(QDialog::Rejected);
    return;
  }
  const ExpectedBox expected = expected_.front();
  expected_.pop_front();
  if (seen.title != expected.title || seen.icon != expected.icon ||
      !seen.text.contains(expected.textContains) ||
      (!expected.buttons.isEmpty() && seen.buttons != expected.buttons)) {
    failures_.push_back("wrong " + Describe(seen) + ", expected \"" +
                        expected.title.toStdString() + "\"");
  }
  Answer(*box, expected);
}

void ModalBoxAnswerer::Answer(QMessageBox& box, const ExpectedBox& expected) {
  switch (expected.action) {
    case ExpectedBox::Action::Escape:
      QTest::keyClick(&box, Qt::Key_Escape);
      return;
    case ExpectedBox::Action::Close:
      box.close();
      return;
    case ExpectedBox::Action::Enter:
      QTest::keyClick(&box, Qt::Key_Return);
      return;
    case ExpectedBox::Action::Click:
      for (QAbstractButton* button : box.buttons()) {
        if (!button->isHidden() && button->text() == expected.button) {
          button->click();
          return;
        }
      }
      failures_.push_back("no button \"" + expected.button.toStdString() + "\"");
      box.done(QDialog::Rejected);
      return;
  }
}

}  // namespace cdflash::qtui::test
