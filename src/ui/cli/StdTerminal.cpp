#include <cstdio>

#include "ui/cli/Terminal.h"

#ifdef _WIN32
#include <io.h>
#define CDFLASH_ISATTY _isatty
#define CDFLASH_FILENO _fileno
#else
#include <unistd.h>
#define CDFLASH_ISATTY isatty
#define CDFLASH_FILENO fileno
#endif

namespace cdflash::cli {

void StdTerminal::Out(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void StdTerminal::Err(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::optional<std::string> StdTerminal::ReadLine() {
  std::string line;
  int c = 0;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool StdTerminal::IsTty() const { return CDFLASH_ISATTY(CDFLASH_FILENO(stderr)) != 0; }
bool StdTerminal::CanAsk() const { return CDFLASH_ISATTY(CDFLASH_FILENO(stdin)) != 0; }

}  // namespace cdflash::cli
