#include <csignal>
#include <cstdio>

#include "ui/cli/StandardStreams.h"
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

namespace {

void WriteTo(std::FILE* stream, std::atomic<bool>& gone, const std::string& text) {
  if (gone) return;
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() || std::fflush(stream) != 0) gone = true;
}

}  // namespace

StdTerminal::StdTerminal() {
#ifndef _WIN32
  // A reader that closed its pipe makes a write fail (EPIPE) instead of
  // ending the process in the middle of a run.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

void StdTerminal::Out(const std::string& text) { WriteTo(stdout, standardOutputGone, text); }

void StdTerminal::Err(const std::string& text) { WriteTo(stderr, standardErrorGone, text); }

std::optional<std::string> StdTerminal::ReadLine() {
  std::string line;
  int c = 0;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool StdTerminal::IsTty() const { return CDFLASH_ISATTY(CDFLASH_FILENO(stderr)) != 0; }
// A question that cannot be shown cannot be answered either.
bool StdTerminal::CanAsk() const { return !standardErrorGone && CDFLASH_ISATTY(CDFLASH_FILENO(stdin)) != 0; }

}  // namespace cdflash::cli
