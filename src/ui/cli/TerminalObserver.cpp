#include "ui/cli/TerminalObserver.h"

#include <algorithm>
#include <cctype>

namespace cdflash::cli {
namespace {

// Narrow enough that the longest caption's line fits 80 columns: a line
// that wraps cannot be redrawn in place.
constexpr int kBarWidth = 20;

// Message texts are shown as they are; on a terminal the blank lines a box
// keeps around them only stretch the output.
std::string AsLines(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  text.erase(0, text.find_first_not_of('\n'));
  return text + "\n";
}

bool IsYes(std::string word) {
  std::erase_if(word, [](unsigned char c) { return std::isspace(c) != 0; });
  return word == "y" || word == "Y" || word == "yes" || word == "Yes" || word == "YES";
}

}  // namespace

std::string ProgressLine(const std::string& caption, int percent) {
  percent = std::clamp(percent, 0, 100);
  const int filled = percent * kBarWidth / 100;
  return caption + " [" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] " +
         std::string(percent < 10 ? 2 : percent < 100 ? 1 : 0, ' ') + std::to_string(percent) + "%";
}

void TerminalObserver::EndLine() {
  if (lineOpen_) terminal_.Err("\n");
  lineOpen_ = false;
  lineLength_ = 0;
}

void TerminalObserver::Redraw() {
  // Within a phase the bar only moves forward: a position set back (a new
  // range, a reset before the phase's work) is not shown.
  const int percent = std::max(percent_, shownPercent_);
  shownPercent_ = percent;
  if (terminal_.IsTty()) {
    // Carriage return and blanks over what is left of the longer line: no
    // escape sequences, which not every console understands.
    const std::string line = ProgressLine(caption_, percent);
    const std::size_t blanks = lineLength_ > line.size() ? lineLength_ - line.size() : 0;
    terminal_.Err("\r" + line + std::string(blanks, ' '));
    lineLength_ = line.size();
    lineOpen_ = true;
    return;
  }
  const int tenth = percent / 10;
  if (tenth > lastTenth_) {
    terminal_.Err("  " + std::to_string(tenth * 10) + "%\n");
    lastTenth_ = tenth;
  }
}

void TerminalObserver::ShowCaption(const std::string& caption) {
  // A caption that extends the last one (", Fail! ") goes on with its phase;
  // any other starts a phase whose bar shows from its first position on.
  const bool newPhase = caption_.empty() || caption.rfind(caption_, 0) != 0;
  caption_ = caption;
  if (newPhase) {
    shownPercent_ = -1;
    lastTenth_ = 0;
  }
  if (!caption.empty() && !subjectShownForProgress_) {
    subjectShownForProgress_ = true;
    EndLine();
    NameSubject();
  }
  if (caption.empty()) return;
  if (!terminal_.IsTty()) {
    terminal_.Err(caption + "\n");
  } else if (shownPercent_ < 0) {
    EndLine();
    terminal_.Err(caption);
    lineLength_ = caption.size();
    lineOpen_ = true;
  } else {
    Redraw();
  }
}

void TerminalObserver::Progress(long long done, long long total) {
  percent_ = PercentOf(done, total);
  // The bar going back to 0 once the run is over is not shown.
  if (!busy_ || caption_.empty() || (percent_ <= shownPercent_ && terminal_.IsTty())) return;
  Redraw();
}

void TerminalObserver::NameSubject() {
  if (identity_.empty()) return;
  terminal_.Err("Drive: " + identity_ + (device_.empty() ? "" : "  (" + device_ + ")") + "\n");
}

std::optional<std::pair<Answer, std::string>> TerminalObserver::Given(QuestionKind kind) const {
  if (!answers_.yes) return std::nullopt;
  switch (kind) {
    case QuestionKind::ConfirmRestart:
      if (answers_.restart) return std::pair{Answer::Yes, std::string("--restart")};
      return std::pair{Answer::No, std::string("no --restart")};
    case QuestionKind::Downgrade:
      if (answers_.allowOlder) return std::pair{Answer::Yes, std::string("--allow-older")};
      return std::pair{Answer::No, std::string("taking the drive to an older revision needs --allow-older")};
    case QuestionKind::OnBattery:
      if (answers_.allowBattery) return std::pair{Answer::Yes, std::string("--allow-battery")};
      return std::pair{Answer::No, std::string("an update on battery needs --allow-battery")};
    case QuestionKind::Confirm:
    case QuestionKind::Warning:
      break;
  }
  return std::pair{Answer::Yes, std::string("--yes")};
}

Answer TerminalObserver::Ask(QuestionKind kind, const std::string& text) {
  EndLine();
  NameSubject();
  terminal_.Err(AsLines(text));
  if (const auto given = Given(kind)) {
    terminal_.Err(std::string("[y/N] ") + (given->first == Answer::Yes ? "y" : "n") + " (" + given->second + ")\n");
    return given->first;
  }
  if (!terminal_.CanAsk()) {
    terminal_.Err("[y/N] n (no terminal to answer on, and no --yes)\n");
    return Answer::No;
  }
  terminal_.Err("[y/N] ");
  const auto line = terminal_.ReadLine();
  if (!line) {
    terminal_.Err("\n");
    return Answer::Closed;
  }
  return IsYes(*line) ? Answer::Yes : Answer::No;
}

void TerminalObserver::Tell(NoticeKind, const std::string& text) {
  EndLine();
  terminal_.Err(AsLines(text));
}

void TerminalObserver::DriveIdentityChanged(const std::string& identity) {
  EndLine();
  // The run's result: on standard output with the other results.
  const std::string line = "The drive now reports: " + identity + "\n";
  if (jsonResult_) {
    terminal_.Err(line);
  } else {
    terminal_.Out(line);
  }
  if (!identity_.empty()) identity_ = identity;
}

}  // namespace cdflash::cli
