#include "WindowGrab.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "app/AppTexts.h"
#include "ui/qt/AppServices.h"
#include "ui/qt/FlashWindow.h"
#include "ui/qt/FormBinding.h"

namespace cdflash::qtui::test {

namespace {

class ConsoleDialogs final : public IDialogs {
 public:
  Answer WarningYesNo(const std::string& text) override { return Print("Warning", text, Answer::No); }
  void WarningOk(const std::string& text) override { Print("Warning", text, Answer::Ok); }
  void Error(const std::string& text) override { Print("Error", text, Answer::Ok); }
  Answer ConfirmYesNo(const std::string& text) override { return Print("Confirm", text, Answer::No); }
  Answer ConfirmYesNoDefaultNo(const std::string& text) override { return Print("Confirm", text, Answer::No); }
  void Message(const std::string& text) override { Print(kApplicationTitle, text, Answer::Ok); }
  void Exception(const std::string& text) override { Print(kApplicationTitle, text, Answer::Ok); }

 private:
  static Answer Print(const char* title, const std::string& text, Answer answer) {
    std::fprintf(stderr, "[%s] %s\n", title, text.c_str());
    return answer;
  }
};

}  // namespace

int GrabWindow(int argc, char** argv, const char* pngPath) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));

  ConsoleDialogs dialogs;
  WaitCursor cursor;
  ApplicationService application;
  std::unique_ptr<IFormHandlers> form;
  auto window = std::make_unique<FlashWindow>();
  form = MakeEmbeddedFlashForm(window->Controls(), FormServices{&dialogs, &cursor, &application});
  BindForm(*window, *form, dialogs);
  form->FormCreate();
  if (window->CloseRequested() || application.QuitPosted()) {
    std::fprintf(stderr, "the window ended during start-up; nothing to grab\n");
    window.reset();
    return 1;
  }
  window->show();
  QApplication::processEvents();
  const bool saved = window->grab().save(QString::fromLocal8Bit(pngPath), "PNG");
  window.reset();
  if (!saved) std::fprintf(stderr, "cannot write %s\n", pngPath);
  return saved ? 0 : 1;
}

}  // namespace cdflash::qtui::test
