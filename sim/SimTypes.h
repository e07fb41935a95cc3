#pragma once
// What a simulated drive is sent and what it answers, independent of any
// route: the same model serves the in-process route of the tests and a
// WNASPI32.DLL.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace cdflash::sim {

struct Sense {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  bool operator==(const Sense&) const = default;
};

inline constexpr Sense kGood{};
inline constexpr Sense kNoMedium{0x02, 0x3A, 0x00};
inline constexpr Sense kBecomingReady{0x02, 0x04, 0x01};
inline constexpr Sense kInvalidOpcode{0x05, 0x20, 0x00};
inline constexpr Sense kInvalidField{0x05, 0x24, 0x00};
inline constexpr Sense kSequenceError{0x05, 0x2C, 0x00};

inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
inline constexpr std::uint8_t kStatusBusy = 0x08;

// One command as the drive received it. `index` counts the drive's commands
// from 0 (the INQUIRY of the first open is command 0).
struct Command {
  std::size_t index = 0;
  std::array<std::uint8_t, 12> cdb{};
  bool dataIn = true;
  std::int32_t length = 0;
};

// How the command ended on the way between host and drive.
enum class Transport {
  Completed,  // the drive answered: status and sense tell how
  Failed,     // lost in the transport: no status, no sense
  TimedOut,   // no answer within the timeout
  Gone,       // the device is no longer there
};

struct Reply {
  Transport transport = Transport::Completed;
  std::uint8_t status = kStatusGood;
  Sense sense{};
  std::int32_t transferred = 0;  // data bytes moved
  // The answer came only when the host's timeout had run out: the host has
  // given up on the command by then, so nothing of it reaches the host.
  bool late = false;
};

struct LogEntry {
  Command command;
  Reply reply;
};

// A fault to inject into one or more commands.
struct Fault {
  enum class Kind {
    CheckCondition,   // the command is refused with `sense`
    TransportFailure, // no status, no sense
    Timeout,          // no answer in time
    CorruptReadBack,  // data from the drive arrives with `count` bytes from `offset` inverted
    DeviceGone,       // the drive disappears for good, from this command on
    Busy,             // BUSY status without sense data; nothing done
    ShortTransfer,    // a data-in command moves at most `count` bytes, yet ends GOOD;
                      // a command without a data-in phase runs as usual
    GoodWithSense,    // GOOD status, yet sense data with `sense`; nothing done
    AnsweredLate,     // carried out and answered GOOD, but only at the host's timeout
  };
  Kind kind = Kind::CheckCondition;
  Sense sense{};
  std::size_t offset = 0;
  std::size_t count = 1;
  // TransportFailure and Timeout: the drive carries the command out before
  // the answer is lost (a commit that programs, then times out).
  bool executed = false;

  static Fault WithSense(Sense s) { return {Kind::CheckCondition, s}; }
  static Fault TransportFailure() { return {Kind::TransportFailure}; }
  static Fault Timeout() { return {Kind::Timeout}; }
  // CorruptReadBack's `offset` for the middle and the last byte moved.
  static constexpr std::size_t kMiddleByte = static_cast<std::size_t>(-2);
  static constexpr std::size_t kLastByte = static_cast<std::size_t>(-3);
  static Fault CorruptReadBack(std::size_t offset, std::size_t count = 1) {
    return {Kind::CorruptReadBack, {}, offset, count};
  }
  static Fault DeviceGone() { return {Kind::DeviceGone}; }
  static Fault Busy() { return {Kind::Busy}; }
  // ShortTransfer's `count` for half of the host's transfer length.
  static constexpr std::size_t kHalf = static_cast<std::size_t>(-1);
  static Fault ShortTransfer(std::size_t moved = kHalf) {
    return {Kind::ShortTransfer, {}, 0, moved};
  }
  static Fault GoodWithSense(Sense s) { return {Kind::GoodWithSense, s}; }
  static Fault AnsweredLate() { return {Kind::AnsweredLate}; }
  // The drive carries the command out, then its answer is lost.
  static Fault TimeoutAfterExecution() { return {Kind::Timeout, {}, 0, 1, true}; }
  static Fault TransportFailureAfterExecution() {
    return {Kind::TransportFailure, {}, 0, 1, true};
  }
};

using CommandPredicate = std::function<bool(const Command&)>;

}  // namespace cdflash::sim
