#include "SimFaults.h"

#include <memory>

#include "SimCommands.h"

namespace cdflash::sim {

void FaultPlan::Add(CommandPredicate matches, Fault fault, int times) {
  rules_.push_back({std::move(matches), fault, times});
}

std::optional<Fault> FaultPlan::Take(const Command& command) {
  // Every live rule sees every command, so counting predicates (NthMatch)
  // count commands, not the ones an earlier rule left over.
  std::optional<Fault> taken;
  for (Rule& rule : rules_) {
    if (rule.remaining == 0 || !rule.matches(command) || taken) continue;
    if (rule.remaining > 0) --rule.remaining;
    taken = rule.fault;
  }
  return taken;
}

CommandPredicate AtIndex(std::size_t index) {
  return [index](const Command& c) { return c.index == index; };
}

CommandPredicate WithOpcode(std::uint8_t opcode) {
  return [opcode](const Command& c) { return c.cdb[0] == opcode; };
}

CommandPredicate IsWriteBufferData() {
  return [](const Command& c) { return c.cdb[0] == kOpWriteBuffer && BufferLength(c.cdb) > 0; };
}

CommandPredicate IsReadBuffer() { return WithOpcode(kOpReadBuffer); }

CommandPredicate IsEntryCritical() {
  return [](const Command& c) {
    return c.cdb[0] == kOpWriteBuffer && BufferLength(c.cdb) == 0 && c.cdb[9] == kControlCritical;
  };
}

CommandPredicate IsCommit() {
  return [](const Command& c) { return IsCommitBlock(c.cdb); };
}

CommandPredicate NthMatch(CommandPredicate matches, std::size_t n) {
  auto seen = std::make_shared<std::size_t>(0);
  return [matches = std::move(matches), n, seen](const Command& c) {
    if (!matches(c)) return false;
    return (*seen)++ == n;
  };
}

}  // namespace cdflash::sim
