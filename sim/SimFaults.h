#pragma once
// Faults planned for a simulated drive: each rule names the commands it hits
// (by index or by predicate) and how many times it fires.

#include <optional>
#include <vector>

#include "SimTypes.h"

namespace cdflash::sim {

class FaultPlan {
 public:
  static constexpr int kAlways = -1;

  // `times` firings (kAlways: every matching command).
  void Add(CommandPredicate matches, Fault fault, int times = 1);
  void Clear() { rules_.clear(); }

  // The fault of the first live rule that matches `command`, used up once.
  std::optional<Fault> Take(const Command& command);

 private:
  struct Rule {
    CommandPredicate matches;
    Fault fault;
    int remaining;
  };
  std::vector<Rule> rules_;
};

// Predicates for the usual aims.
CommandPredicate AtIndex(std::size_t index);
CommandPredicate WithOpcode(std::uint8_t opcode);
CommandPredicate IsWriteBufferData();  // WRITE BUFFER that carries data
CommandPredicate IsReadBuffer();
CommandPredicate IsEntryCritical();
CommandPredicate IsCommit();
// The `n`-th command (counting from 0) that `matches`.
CommandPredicate NthMatch(CommandPredicate matches, std::size_t n);

}  // namespace cdflash::sim
