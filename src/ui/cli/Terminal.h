#pragma once
// Where the terminal front end writes and reads: the process's standard
// streams, or a recording in tests.

#include <optional>
#include <string>

namespace cdflash::cli {

class ITerminal {
 public:
  virtual ~ITerminal() = default;
  virtual void Out(const std::string& text) = 0;
  virtual void Err(const std::string& text) = 0;
  /// One line of input without its line end; nothing at the end of input.
  virtual std::optional<std::string> ReadLine() = 0;
  /// Whether the output is a terminal (one self-redrawing progress line).
  virtual bool IsTty() const = 0;
};

// The process's standard output, error and input.
class StdTerminal final : public ITerminal {
 public:
  void Out(const std::string& text) override;
  void Err(const std::string& text) override;
  std::optional<std::string> ReadLine() override;
  bool IsTty() const override;
};

}  // namespace cdflash::cli
