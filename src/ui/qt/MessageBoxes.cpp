#include "ui/qt/MessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "app/AppTexts.h"
#include "ui/qt/QtText.h"

namespace cdflash::qtui {

namespace {

// Centred on the screen rather than over the main window, which may not
// exist yet (start-up boxes come before it).
class CentredMessageBox final : public QMessageBox {
 public:
  CentredMessageBox(Icon icon, const char* title, const std::string& text) {
    setIcon(icon);
    setWindowTitle(QString::fromLatin1(title));
    setTextFormat(Qt::PlainText);
    setText(ToQString(text));
    setWindowModality(Qt::ApplicationModal);
  }

 protected:
  // The box has its final size only once QMessageBox has laid it out here.
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
};

void ShowOk(QMessageBox::Icon icon, const char* title, const std::string& text) {
  CentredMessageBox box(icon, title, text);
  box.addButton(QMessageBox::Ok)->setText(QStringLiteral("OK"));
  box.exec();
}

Answer AskYesNo(QMessageBox::Icon icon, const char* title, const std::string& text, bool noByDefault = false) {
  CentredMessageBox box(icon, title, text);
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  QPushButton* no = box.addButton(QMessageBox::No);
  yes->setText(QStringLiteral("&Yes"));
  no->setText(QStringLiteral("&No"));
  // Without an escape button of its own, QMessageBox would treat closing the
  // box as a click on No; an invisible one lets closing be told apart.
  QPushButton* closed = box.addButton(QMessageBox::Cancel);
  closed->hide();
  box.setEscapeButton(closed);
  box.setDefaultButton(noByDefault ? no : yes);
  box.exec();
  if (box.clickedButton() == yes) return Answer::Yes;
  if (box.clickedButton() == no) return Answer::No;
  return Answer::Closed;
}

}  // namespace

Answer MessageBoxes::WarningYesNo(const std::string& text) {
  return AskYesNo(QMessageBox::Warning, "Warning", text);
}

void MessageBoxes::WarningOk(const std::string& text) {
  ShowOk(QMessageBox::Warning, "Warning", text);
}

void MessageBoxes::Error(const std::string& text) { ShowOk(QMessageBox::Critical, "Error", text); }

Answer MessageBoxes::ConfirmYesNo(const std::string& text) {
  return AskYesNo(QMessageBox::Question, "Confirm", text);
}

Answer MessageBoxes::ConfirmYesNoDefaultNo(const std::string& text) {
  return AskYesNo(QMessageBox::Question, "Confirm", text, true);
}

void MessageBoxes::Message(const std::string& text) {
  ShowOk(QMessageBox::NoIcon, kApplicationTitle, text);
}

void MessageBoxes::Exception(const std::string& text) {
  ShowOk(QMessageBox::Critical, kApplicationTitle, text);
}

}  // namespace cdflash::qtui
