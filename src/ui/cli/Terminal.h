#pragma once
// Where the terminal front end writes and reads: the process's standard
// streams, or a recording in tests. Results (lists, JSON, the flashers
// built) go to standard output; the conversation with the user (questions,
// progress, messages) to standard error, so that output sent to a file or a
// pipe holds the results alone.

#include <optional>
#include <string>

namespace cdflash::cli {

class ITerminal {
 public:
  virtual ~ITerminal() = default;
  /// Results: standard output.
  virtual void Out(const std::string& text) = 0;
  /// The conversation: standard error.
  virtual void Err(const std::string& text) = 0;
  /// One line of input without its line end; nothing at the end of input.
  virtual std::optional<std::string> ReadLine() = 0;
  /// Whether the conversation shows on a terminal (one self-redrawing
  /// progress line).
  virtual bool IsTty() const = 0;
  /// Whether a user can answer on standard input (it is a terminal).
  virtual bool CanAsk() const = 0;
};

// The process's standard output, error and input. A stream whose write
// failed is written no more (StandardStreams.h).
class StdTerminal final : public ITerminal {
 public:
  StdTerminal();
  void Out(const std::string& text) override;
  void Err(const std::string& text) override;
  std::optional<std::string> ReadLine() override;
  bool IsTty() const override;
  bool CanAsk() const override;
};

}  // namespace cdflash::cli
