#include "device/Cddrive.h"

#include <algorithm>
#include <array>
#include <climits>
#include <chrono>
#include <span>
#include <vector>

#include "common/Text.h"
#include "device/CommandLog.h"
#include "device/CommandVerdict.h"
#include "device/DeviceMessages.h"
#include "device/ScsiCommands.h"
#include "device/platform/Platform.h"

namespace cdflash {

namespace {

constexpr std::uint8_t kStatusOpened = 0x00;
constexpr std::uint8_t kStatusNotOpened = 0x63;
constexpr std::int32_t kInquiryAllocation = 128;

// What all CDDrive objects share: one transport per process.
struct Transport {
  IRoute* route = nullptr;
  std::uint16_t openCount = 0;
  std::uint16_t timeout = kDefaultCommandTimeout;
  std::uint8_t openStatus = kStatusNotOpened;
  std::uint8_t* dataBuffer = nullptr;
  std::int32_t dataBufferLength = 0;
  std::array<std::uint8_t, CDDrive::kInternalBufferLength> internalBuffer{};
  std::array<std::uint8_t, CDDrive::kInquiryBufferLength> inquiryBuffer{};
  // Drives whose commit never answered: nothing is sent to them again.
  std::vector<DriveAddress> commitUnanswered;

  void UseInternalBuffer() {
    dataBuffer = internalBuffer.data();
    dataBufferLength = CDDrive::kInternalBufferLength;
  }
};

Transport& State() {
  static Transport transport;
  return transport;
}

// Measures one command for the command log, when one is set.
class CommandTimer {
 public:
  CommandTimer() : log_(CommandLog()) {
    if (log_ == nullptr) return;
    wallStart_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
    start_ = std::chrono::steady_clock::now();
  }

  void Report(const DriveAddress& address, const RouteCommand& command, CommandFate fate,
              const RouteOutcome& outcome, std::int32_t result) const {
    if (log_ == nullptr) return;
    CommandRecord record;
    record.durationUs =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
    record.timeMs = wallStart_;
    record.address = address;
    record.cdb = command.cdb;
    record.dataIn = command.dataIn;
    record.length = command.length;
    record.fate = fate;
    record.delivered = outcome.delivered;
    record.succeeded = outcome.succeeded;
    record.status = outcome.completionStatus;
    record.result = result;
    record.sense = outcome.sense;
    record.residual = outcome.residual;
    record.systemError = outcome.systemError;
    record.deviceGone = outcome.deviceGone;
    log_->Command(record);
  }

 private:
  ICommandLog* log_;
  std::int64_t wallStart_ = 0;
  std::chrono::steady_clock::time_point start_{};
};

}  // namespace

CDDrive::CDDrive(char letter, std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun)
    : letter_(letter), hostAdapter_(hostAdapter), target_(target), lun_(lun) {
  Transport& t = State();
  if (t.openCount == 0) {
    IPlatform& platform = CurrentPlatform();
    t.route = &platform.RouteFor(platform.PlatformId());
    const std::uint8_t status = t.route->Initialise();
    if (status != 0) {
      // The transport is unusable (ASPI layer missing or broken): this
      // object stays unopened and tells so through the open status.
      route_ = t.route;
      t.openStatus = status;
      return;
    }
    t.UseInternalBuffer();
  }
  route_ = t.route;
  if (Open()) {
    t.openStatus = kStatusOpened;
    ++t.openCount;
  } else {
    t.openStatus = kStatusNotOpened;
  }
}

CDDrive::~CDDrive() {
  Transport& t = State();
  if (route_ != nullptr && route_->Release(device_, t.openCount == 0) && t.openCount > 0) {
    --t.openCount;
  }
}

bool CDDrive::Open() {
  device_ = route_->Open(Address());
  if (device_ == kNoDevice) return false;
  if (!RunInquiry()) {
    route_->CloseDevice(device_);
    device_ = kNoDevice;
    return false;
  }
  return true;
}

bool CDDrive::RunInquiry() {
  Transport& t = State();
  // A short answer must not leave another device's identity in the buffer.
  t.inquiryBuffer.fill(0);
  RouteCommand command;
  command.cdb = {0x12, 0, 0, 0, kInquiryAllocation};
  command.buffer = t.inquiryBuffer.data();
  command.length = kInquiryAllocation;
  command.timeoutSeconds = t.timeout;
  command.lengthIsMaximum = true;
  static_assert(kInquiryAllocation <= kInquiryBufferLength);
  if (!Send(command, true).succeeded) {
    identity_.assign(1, '0');  // not = "0": GCC 12 -Wrestrict false positive
    return false;
  }
  // Vendor (8), product (16) and revision (4) from INQUIRY byte 8, up to the
  // first zero byte, right-aligned in 28 as "%28.28s" does.
  const std::span<const std::uint8_t> fields(t.inquiryBuffer.data() + 8, 28);
  identity_ = Format("%d-%d-%d %c: %s", hostAdapter_, target_, lun_, letter_,
                     RightAligned(FieldText(fields), 28).c_str());
  return true;
}

ScsiResult CDDrive::Execute(const ScsiCommand& command) {
  RouteCommand routed;
  routed.cdb = command.block;
  routed.dataIn = command.dataIn;
  routed.buffer = command.data.data();
  routed.length = static_cast<std::int32_t>(std::min<std::size_t>(command.data.size(), INT32_MAX));
  routed.timeoutSeconds = command.timeoutSeconds;
  return Send(routed, command.data.size() <= INT32_MAX);
}

ScsiResult CDDrive::ExecCommand(std::uint8_t op, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3,
                                std::uint8_t b4, std::uint8_t b5, std::uint8_t b6, std::uint8_t b7,
                                std::uint8_t b8, std::uint8_t b9, std::uint8_t b10, std::uint8_t b11,
                                std::uint8_t direction, std::int32_t length) {
  const Transport& t = State();
  RouteCommand command;
  command.cdb = {op, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11};
  command.dataIn = direction == 1;
  command.buffer = t.dataBuffer;
  command.length = length;
  command.timeoutSeconds = t.timeout;
  const std::int32_t capacity = t.dataBuffer != nullptr ? std::max(t.dataBufferLength, 0) : 0;
  return Send(command, length >= 0 && length <= capacity);
}

ScsiResult CDDrive::Send(const RouteCommand& command, bool fits) {
  Transport& t = State();
  const CommandTimer timer;
  RouteOutcome outcome;
  CommandFate fate = CommandFate::Sent;
  ScsiResult result;
  if (CommitUnanswered()) {
    fate = CommandFate::RefusedCommitUnanswered;
    outcome.systemError = kDeviceBusyError;
  } else if (!fits || route_ == nullptr) {
    // Never let a device write past the end of the buffer.
    fate = CommandFate::RefusedInvalid;
    outcome.systemError = kInvalidParameterError;
  } else {
    const auto started = std::chrono::steady_clock::now();
    outcome = route_->Execute(device_, Address(), command);
    result.elapsed = std::max(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started),
        std::chrono::milliseconds(outcome.elapsedMs));
    // A route that ran out of time itself has said so already (ASPI's own
    // abort keeps its status); one that claims an answer after the timeout
    // is not believed.
    if (outcome.delivered && !AnsweredInTime(result.elapsed, command.timeoutSeconds)) {
      const bool gone = outcome.deviceGone;
      outcome = RouteOutcome{};
      outcome.systemError = kTimedOutError;
      outcome.deviceGone = gone;
      result.answeredInTime = false;
    }
    // A commit refused with sense data left the flash alone; one lost on the
    // way or timed out may have started programming it.
    if (!outcome.delivered && IsCommitCommand(command.cdb)) t.commitUnanswered.push_back(Address());
  }

  result.delivered = outcome.delivered;
  result.succeeded = outcome.delivered && outcome.succeeded;
  result.value = result.succeeded ? outcome.result : 0;
  result.status = outcome.completionStatus;
  result.sense = ReadSense(outcome.sense);
  result.residual = outcome.residual;
  result.systemError = result.succeeded ? 0 : outcome.systemError;
  result.deviceGone = outcome.deviceGone;
  timer.Report(Address(), command, fate, outcome, result.value);
  last_ = result;
  return result;
}

ExclusiveUse CDDrive::TakeExclusiveUse() {
  if (route_ == nullptr || device_ == kNoDevice) return {};
  return route_->ClaimExclusive(device_, Address());
}

void ForgetUnansweredCommits() { State().commitUnanswered.clear(); }

bool CDDrive::CommitUnanswered() const {
  const auto& unanswered = State().commitUnanswered;
  return std::find(unanswered.begin(), unanswered.end(), Address()) != unanswered.end();
}

std::string CDDrive::GetIdentity() {
  RunInquiry();
  return identity_;
}

std::string ScsiResult::SenseText() const {
  return Format("%02X %02X %02X. %02X, %04X", sense.key, sense.asc, sense.ascq, status,
                static_cast<unsigned>(systemError));
}

namespace {
std::string Slice(const std::string& identity, std::size_t from, std::size_t width) {
  if (identity.size() < from) return {};
  return RightAligned(identity.substr(from), width);
}
}  // namespace

std::string CDDrive::VendorProduct() const { return Slice(identity_, 9, 24); }
std::string CDDrive::Revision() const { return Slice(identity_, 33, 4); }

void CDDrive::SetTimeout(std::uint16_t seconds) { State().timeout = seconds; }
std::uint16_t CDDrive::Timeout() { return State().timeout; }
std::uint8_t CDDrive::OpenStatus() { return State().openStatus; }
std::uint16_t CDDrive::OpenCount() { return State().openCount; }
std::uint8_t* CDDrive::DataBuffer() { return State().dataBuffer; }
std::int32_t CDDrive::DataBufferLength() { return State().dataBufferLength; }
const std::string& CDDrive::MessageText() { return LastDeviceMessage(); }

void CDDrive::SetDataBuffer(std::uint8_t* buffer, std::int32_t length) {
  Transport& t = State();
  if (buffer == nullptr) {
    t.UseInternalBuffer();
  } else {
    t.dataBuffer = buffer;
    t.dataBufferLength = length;
  }
}

}  // namespace cdflash
