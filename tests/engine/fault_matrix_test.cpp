// The engine's fault matrix (README.md): each cell a run on a fresh simulated
// drive, judged against ReferenceRun, which never asks the engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "EngineRun.h"
#include "ReferenceRun.h"
#include "RunVerdict.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace cdflash::test {
namespace {

#if defined(__GLIBC__)
// Every cell makes and drops a simulated drive of some 2 MB. Once glibc's
// moving mmap and trim thresholds settle the wrong way, each drive comes as
// fresh pages again, and the matrix spends minutes in page faults: keep such
// blocks on the heap for reuse.
[[maybe_unused]] const bool kDrivesReuseTheHeap = [] {
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  return true;
}();
#endif

const RunShape kShapes[] = {
    {"four-bank", false, {0xDA, 0xC8}, false},
    {"five-bank DA C8", true, {0xDA, 0xC8}, false},
    {"five-bank BF B4", true, {0xBF, 0xB4}, false},
    {"five-bank unknown flash", true, {0x01, 0x02}, false},
    {"four-bank FLASH-ALL", false, {0xDA, 0xC8}, true},
    {"four-bank FF-padded", false, {0xDA, 0xC8}, false, true},
};

struct Style {
  const char* name;
  RouteStyle style;
  bool residualKnown;  // the route tells how many bytes a command moved
};
const Style kStyles[] = {{"pass-through", RouteStyle::PassThrough, true}, {"ASPI", RouteStyle::Aspi, false}};

struct FaultKind {
  const char* name;
  sim::Fault fault;
  FaultClass cls;
};

const FaultKind kFaultKinds[] = {
    {"check condition", sim::Fault::WithSense({0x04, 0x44, 0x00}), FaultClass::RefusedWithSense},
    {"check condition, sense key 0", sim::Fault::WithSense({0x00, 0x5D, 0x00}), FaultClass::RefusedWithSense},
    {"GOOD status with sense data", sim::Fault::GoodWithSense({0x04, 0x44, 0x00}), FaultClass::RefusedWithSense},
    {"transport failure", sim::Fault::TransportFailure(), FaultClass::NoAnswer},
    {"timeout before execution", sim::Fault::Timeout(), FaultClass::NoAnswer},
    {"timeout after execution", sim::Fault::TimeoutAfterExecution(), FaultClass::NoAnswer},
    {"GOOD answer at the timeout", sim::Fault::AnsweredLate(), FaultClass::NoAnswer},
    {"corrupt first byte", sim::Fault::CorruptReadBack(0), FaultClass::CorruptsFirst},
    {"corrupt middle byte", sim::Fault::CorruptReadBack(sim::Fault::kMiddleByte), FaultClass::CorruptsMiddle},
    {"corrupt last byte", sim::Fault::CorruptReadBack(sim::Fault::kLastByte), FaultClass::CorruptsLast},
    {"device gone", sim::Fault::DeviceGone(), FaultClass::Gone},
    {"busy", sim::Fault::Busy(), FaultClass::Busy},
    {"short transfer", sim::Fault::ShortTransfer(), FaultClass::ShortensDataIn},
    {"nothing moved", sim::Fault::ShortTransfer(0), FaultClass::EmptiesDataIn},
    {"stop requested", sim::Fault{}, FaultClass::StopRequest},
};

// One cell: the run with `faults` (command index, kind), judged against the
// reference.
Verdict RunCell(const TestPackage& package, const RunShape& shape, const Style& style,
                const std::vector<std::pair<std::size_t, const FaultKind*>>& faults, FlashOutcome& outcome) {
  EngineRun run(package, shape, style.style);
  std::map<std::size_t, FaultClass> planned;
  for (const auto& [k, kind] : faults) {
    if (kind->cls == FaultClass::StopRequest) {
      run.StopAt(k);
    } else {
      run.InjectAt(k, kind->fault);
    }
    planned[k] = kind->cls;
  }
  const FlashRunReport report = run.Go();
  outcome = report.outcome;
  return Judge(run, report, ReferenceRun(shape, style.residualKnown, planned).Result());
}

// A drive that keeps "becoming ready" stops the run (whatever its shape: the
// disc poll comes first) before anything is written, within the bound.
TEST(FaultMatrix, DriveBecomingReadyForeverStopsTheRunBeforeAnyWrite) {
  EngineRun run(ImagePackage(kShapes[0]), kShapes[0]);
  run.SetMediumScript({sim::kBecomingReady});
  EXPECT_EQ(run.Go().outcome, FlashOutcome::DriveNotReady);
  const auto sent = run.Sent();
  EXPECT_FALSE(std::any_of(sent.begin(), sent.end(), ChangesTheDrive));
  EXPECT_LE(run.Elapsed(), std::chrono::milliseconds(60000 + 30));
  const auto messages = run.Observer().Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("The drive did not become ready", 0), 0u);
  EXPECT_FALSE(run.Observer().busy);
}

// The matrix's figures, printed at the end.
struct Tally {
  const char* name;
  int cells = 0, commitsSent = 0, completed = 0, bricked = 0, falseSuccesses = 0, failed = 0;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();

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

  void Print() const {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "%s: %d cells, %d commits sent, %d runs completed, %d bricked, %d false successes, %d failed "
        "cells, %.2f s\n",
        name, cells, commitsSent, completed, bricked, falseSuccesses, failed, seconds);
  }
};

constexpr int kReportedCells = 20;

std::string CellName(const RunShape& shape, const Style& style,
                     const std::vector<std::pair<std::size_t, const FaultKind*>>& faults) {
  std::string name = std::string(shape.name) + ", " + style.name;
  for (const auto& [k, kind] : faults) name += ", command " + std::to_string(k) + " " + kind->name;
  return name;
}

// A fault that changes nothing (a stop once the commit is decided, a
// corrupt byte on a command without data) leaves a clean run, judged whole,
// in every shape and style.
TEST(FaultMatrix, EveryFaultAtEveryCommandKeepsTheDriveSafe) {
  Tally tally{"fault matrix"};
  for (const Style& style : kStyles) {
    for (const RunShape& shape : kShapes) {
      const TestPackage package = ImagePackage(shape);
      const std::size_t commands = ReferenceRun(shape, style.residualKnown, {}).Result().commands.size();
      for (std::size_t k = 0; k < commands; ++k) {
        for (const FaultKind& kind : kFaultKinds) {
          FlashOutcome outcome{};
          const Verdict v = RunCell(package, shape, style, {{k, &kind}}, outcome);
          if (tally.Add(outcome, v) || tally.failed > kReportedCells) continue;
          ADD_FAILURE() << CellName(shape, style, {{k, &kind}}) << ": " << ::testing::PrintToString(v.problems);
        }
      }
    }
  }
  tally.Print();
  EXPECT_EQ(tally.failed, 0);
}

// Two faults in one run: one at a command, a second at a later one. Every
// pair would be some 200,000 runs, so a fixed sample of them.
TEST(FaultMatrix, TwoFaultsInOneRunKeepTheDriveSafe) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator gives each cell's drive fresh pages: the
  // first quarter of the same sample holds its memory checks to minutes.
  constexpr int kPairs = 5000;
#else
  constexpr int kPairs = 20000;
#endif
  Tally tally{"fault pairs"};
  std::mt19937 random(20261208);
  const RunShape* shapes[] = {&kShapes[0], &kShapes[1], &kShapes[5]};  // four banks, five banks, padded
  std::vector<TestPackage> packages;
  for (const RunShape* shape : shapes) packages.push_back(ImagePackage(*shape));
  for (int i = 0; i < kPairs; ++i) {
    const std::size_t s = random() % std::size(shapes);
    const Style& style = kStyles[random() % std::size(kStyles)];
    const std::size_t commands = ReferenceRun(*shapes[s], style.residualKnown, {}).Result().commands.size();
    const std::size_t first = random() % (commands - 1);
    const std::size_t second = first + 1 + random() % (commands - first);  // may fall on an extra command
    const std::vector<std::pair<std::size_t, const FaultKind*>> faults = {
        {first, &kFaultKinds[random() % std::size(kFaultKinds)]},
        {second, &kFaultKinds[random() % std::size(kFaultKinds)]}};
    FlashOutcome outcome{};
    const Verdict v = RunCell(packages[s], *shapes[s], style, faults, outcome);
    if (tally.Add(outcome, v) || tally.failed > kReportedCells) continue;
    ADD_FAILURE() << CellName(*shapes[s], style, faults) << ": " << ::testing::PrintToString(v.problems);
  }
  tally.Print();
  EXPECT_EQ(tally.failed, 0);
}

}  // namespace
}  // namespace cdflash::test
