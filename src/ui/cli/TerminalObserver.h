#pragma once
// The flash engine's observer on a terminal (standard error): the phase
// captions and the progress (one self-redrawing line with a bar on a
// terminal; otherwise a line per phase and per 10 %), the questions asked on
// the terminal or answered by --yes and its companions, and the
// messages printed. The drive it is about is named before each question and
// before the first phase.

#include <optional>
#include <string>
#include <utility>

#include "session/FlashSession.h"
#include "ui/cli/Terminal.h"

namespace cdflash::cli {

struct Answers {
  bool yes = false;         // --yes: Yes to every question but the restart offer and a downgrade
  bool restart = false;     // --restart: Yes to the restart offer as well
  bool allowOlder = false;  // --allow-older: Yes to taking the drive to an older revision
  bool allowBattery = false;  // --allow-battery: Yes to an update on battery
};

class TerminalObserver final : public IFlashObserver {
 public:
  TerminalObserver(ITerminal& terminal, Answers answers) : terminal_(terminal), answers_(answers) {}

  // The drive the run is about, as the user knows it: its identity and,
  // where it has one, its device. A new identity after the commit replaces
  // the first.
  // With --json standard output holds the summary alone: the drive's new
  // identity goes to standard error with the rest.
  void SetJsonResult(bool json) { jsonResult_ = json; }
  void SetSubject(std::string identity, std::string device) {
    identity_ = std::move(identity);
    device_ = std::move(device);
  }

  void ShowCaption(const std::string& caption) override;
  void Progress(long long done, long long total) override;
  Answer Ask(QuestionKind kind, const std::string& text) override;
  void Tell(NoticeKind kind, const std::string& text) override;
  void SetBusy(bool busy) override { busy_ = busy; }
  void DriveIdentityChanged(const std::string& identity) override;

 private:
  void Redraw();
  void EndLine();  // leaves a progress line so that other text starts on its own
  void NameSubject();
  // The answer --yes and its companions give to a question of `kind`, and
  // why; nothing when they leave it to the user.
  std::optional<std::pair<Answer, std::string>> Given(QuestionKind kind) const;

  ITerminal& terminal_;
  Answers answers_;
  std::string identity_, device_;
  bool jsonResult_ = false;
  bool subjectShownForProgress_ = false;
  std::string caption_;
  int percent_ = 0;         // of the phase's work, as last reported
  int lastTenth_ = 0;       // the last 10 % step printed (plain output)
  int shownPercent_ = -1;   // the furthest the bar went in this phase; -1: not yet shown
  bool lineOpen_ = false;   // a progress line is on the screen (terminal output)
  std::size_t lineLength_ = 0;
  bool busy_ = false;       // between the run's start of work and its end
};

// A build on the terminal: each caption a line of its own.
class CaptionLines final : public IProgressObserver {
 public:
  explicit CaptionLines(ITerminal& terminal) : terminal_(terminal) {}
  void ShowCaption(const std::string& caption) override { terminal_.Err(caption + "\n"); }
  void Progress(long long, long long) override {}

 private:
  ITerminal& terminal_;
};

// "caption [#####-----]  50%", the bar 20 characters wide.
std::string ProgressLine(const std::string& caption, int percent);

}  // namespace cdflash::cli
