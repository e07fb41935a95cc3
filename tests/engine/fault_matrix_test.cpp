// The engine's fault matrix: every command of a clean run of every run
// shape, hit in turn by every kind of fault, each on a fresh simulated drive.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "EngineRun.h"
#include "RunExpectation.h"
#include "RunVerdict.h"

namespace cdflash::test {
namespace {

const RunShape kShapes[] = {
    {"four-bank", false, {0xDA, 0xC8}, false},
    {"five-bank DA C8", true, {0xDA, 0xC8}, false},
    {"five-bank BF B4", true, {0xBF, 0xB4}, false},
    {"five-bank unknown flash", true, {0x01, 0x02}, false},
    {"four-bank FLASH-ALL", false, {0xDA, 0xC8}, true},
};

struct FaultKind {
  const char* name;
  sim::Fault fault;
  Effect effect;
};

const FaultKind kFaultKinds[] = {
    {"check condition", sim::Fault::WithSense({0x04, 0x44, 0x00}), Effect::Fails},
    {"check condition, sense key 0", sim::Fault::WithSense({0x00, 0x5D, 0x00}), Effect::Fails},
    {"transport failure", sim::Fault::TransportFailure(), Effect::Fails},
    {"timeout before execution", sim::Fault::Timeout(), Effect::Fails},
    {"timeout after execution", sim::Fault::TimeoutAfterExecution(), Effect::Fails},
    {"corrupt byte", sim::Fault::CorruptReadBack(0), Effect::AltersDataIn},
    {"device gone", sim::Fault::DeviceGone(), Effect::RemovesDrive},
    {"busy", sim::Fault::Busy(), Effect::Fails},
    {"short transfer", sim::Fault::ShortTransfer(), Effect::ShortensDataIn},
};

struct CleanRun {
  FlashOutcome outcome{};
  Verdict verdict;
  std::vector<CleanCommand> commands;
};

CleanRun RunClean(const TestPackage& package, const RunShape& shape) {
  EngineRun run(package, shape);
  CleanRun clean;
  clean.outcome = run.Go();
  clean.verdict = Judge(run, clean.outcome, kCompletedCaption);
  for (const sim::LogEntry& e : run.Sent()) clean.commands.push_back(Describe(e));
  return clean;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "; ") + p;
  return out;
}

TEST(FaultMatrix, CleanRunOfEveryShapeCompletes) {
  std::string counts;
  for (const RunShape& shape : kShapes) {
    SCOPED_TRACE(shape.name);
    const CleanRun clean = RunClean(ImagePackage(shape), shape);
    EXPECT_EQ(clean.outcome, FlashOutcome::Completed);
    EXPECT_EQ(Joined(clean.verdict.problems), "");
    counts += std::string(counts.empty() ? "" : ", ") + shape.name + " " +
              std::to_string(clean.commands.size());
  }
  std::printf("clean runs (commands): %s\n", counts.c_str());
}

// A drive that keeps "becoming ready" stops every run before anything is
// written, within the bound, and says why.
TEST(FaultMatrix, DriveBecomingReadyForeverStopsEveryShapeBeforeAnyWrite) {
  for (const RunShape& shape : kShapes) {
    SCOPED_TRACE(shape.name);
    EngineRun run(ImagePackage(shape), shape);
    run.SetMediumScript({sim::kBecomingReady});
    EXPECT_EQ(run.Go(), FlashOutcome::DriveNotReady);
    const auto sent = run.Sent();
    EXPECT_FALSE(std::any_of(sent.begin(), sent.end(), ChangesTheDrive));
    EXPECT_LE(run.Elapsed(), std::chrono::milliseconds(60000 + 30));
    const auto messages = run.Observer().Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("The drive did not become ready", 0), 0u);
    EXPECT_FALSE(run.Observer().busy);
  }
}

// The matrix's figures, printed at the end.
struct Tally {
  int cells = 0, commitsSent = 0, completed = 0, bricked = 0, falseSuccesses = 0, failed = 0;

  // Counts one cell; false when it failed a check.
  bool Add(FlashOutcome outcome, const Verdict& v) {
    ++cells;
    commitsSent += v.commitSent;
    completed += outcome == FlashOutcome::Completed;
    bricked += v.bricked;
    falseSuccesses += v.falseSuccess;
    failed += !v.problems.empty();
    return v.problems.empty();
  }

  void Print(double seconds) const {
    std::printf(
        "fault matrix: %d cells, %d commits sent, %d runs completed, %d bricked, %d false "
        "successes, %d failed cells, %.2f s\n",
        cells, commitsSent, completed, bricked, falseSuccesses, failed, seconds);
  }
};

TEST(FaultMatrix, EveryFaultAtEveryCommandKeepsTheDriveSafe) {
  constexpr int kReportedCells = 20;
  const auto started = std::chrono::steady_clock::now();
  Tally tally;
  for (const RunShape& shape : kShapes) {
    const TestPackage package = ImagePackage(shape);
    const CleanRun clean = RunClean(package, shape);
    ASSERT_EQ(clean.outcome, FlashOutcome::Completed) << shape.name;
    for (std::size_t k = 0; k < clean.commands.size(); ++k) {
      for (std::size_t f = 0; f < std::size(kFaultKinds); ++f) {
        EngineRun run(package, shape);
        run.InjectAt(k, kFaultKinds[f].fault);
        const FlashOutcome outcome = run.Go();
        const Verdict v = Judge(run, outcome, ExpectedCaption(clean.commands, k, kFaultKinds[f].effect));
        if (tally.Add(outcome, v) || tally.failed > kReportedCells) continue;
        char opcode[8];
        std::snprintf(opcode, sizeof opcode, "%02X", clean.commands[k].opcode);
        ADD_FAILURE() << shape.name << ", command " << k << " (" << opcode << "), "
                      << kFaultKinds[f].name << ": " << Joined(v.problems);
      }
    }
  }
  tally.Print(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  EXPECT_EQ(tally.failed, 0);
}

}  // namespace
}  // namespace cdflash::test
