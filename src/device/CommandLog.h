#pragma once
// Every command the device layer is asked to send, with what came of it,
// goes to one process-wide receiver while one is set: the record of a run
// shows the user, and whoever helps them, what the drive answered. Set it
// with ScopedCommandLog on the thread that sends the commands; without one
// nothing is measured or kept.

#include <array>
#include <cstdint>
#include <vector>

#include "device/Route.h"

namespace cdflash {

// Whether a command went out, or why the device layer kept it back.
enum class CommandFate {
  Sent,
  RefusedInvalid,           // its length does not fit the buffer (or no transport)
  RefusedCommitUnanswered,  // a commit to the drive never answered: it may still be programming
};

struct CommandRecord {
  std::int64_t timeMs = 0;  // wall clock when it was asked for: ms since 1970-01-01 UTC
  DriveAddress address;
  std::array<std::uint8_t, kCdbLength> cdb{};
  bool dataIn = true;  // the direction asked for: data from the device
  std::int32_t length = 0;
  CommandFate fate = CommandFate::Sent;
  bool delivered = false;  // it reached the device and completed
  bool succeeded = false;  // by the route's success rule
  std::uint8_t status = 0;
  std::int32_t result = 0;  // what ExecCommand returned
  std::array<std::uint8_t, kSenseAreaLength> sense{};
  std::int32_t residual = 0;
  std::uint32_t systemError = 0;
  bool deviceGone = false;
  std::int64_t durationUs = 0;  // from asking to the answer, on a monotonic clock
};

class ICommandLog {
 public:
  virtual ~ICommandLog() = default;
  virtual void Command(const CommandRecord& record) = 0;
};

/// The receiver of command records; null (the default) keeps none.
ICommandLog* CommandLog();
/// Sets the receiver and gives back the one it replaces.
ICommandLog* SetCommandLog(ICommandLog* log);

// Sets a receiver for its lifetime and puts back the one it replaced.
class ScopedCommandLog {
 public:
  explicit ScopedCommandLog(ICommandLog& log) : previous_(SetCommandLog(&log)) {}
  ~ScopedCommandLog() { SetCommandLog(previous_); }
  ScopedCommandLog(const ScopedCommandLog&) = delete;
  ScopedCommandLog& operator=(const ScopedCommandLog&) = delete;

 private:
  ICommandLog* previous_;
};

// Keeps every record, in order.
class CommandCollector final : public ICommandLog {
 public:
  void Command(const CommandRecord& record) override { commands.push_back(record); }
  std::vector<CommandRecord> commands;
};

}  // namespace cdflash
