#include "SimRoute.h"

#include <algorithm>

#include "common/Text.h"
#include "device/DeviceMessages.h"

namespace cdflash::sim {

namespace {

// ASPI has no device handles: Open gives a token for an address where no
// drive answers, and every command sent with it fails.
constexpr RouteDevice kAbsentToken = 0x7FFF;

void PutFixedSense(std::array<std::uint8_t, kSenseAreaLength>& area, const Sense& sense) {
  area[0] = 0x70;  // current error, fixed format
  area[2] = sense.key;
  area[7] = 10;  // additional length
  area[12] = sense.asc;
  area[13] = sense.ascq;
}

// The pass-through rule, written out for the model: GOOD with a zero sense
// key, and a data-in phase that moved every byte (INQUIRY's length is only
// a maximum).
bool PassThroughSuccess(const Reply& answer, const RouteCommand& command, std::int32_t residual) {
  if (answer.status != kStatusGood || answer.sense.key != 0) return false;
  const bool mustBeWhole = command.dataIn && command.length > 0 && command.cdb[0] != kOpInquiry;
  return !mustBeWhole || residual == 0;
}

// Counts itself among the route's held exclusive uses while it lives.
class SimHold final : public IExclusiveHold {
 public:
  explicit SimHold(std::shared_ptr<int> held) : held_(std::move(held)) { ++*held_; }
  ~SimHold() override { --*held_; }

 private:
  std::shared_ptr<int> held_;
};

}  // namespace

void SimRoute::Attach(const DriveAddress& address, SimDrive& drive) {
  slots_.push_back({address, &drive});
}

void SimRoute::FailInitialisation(std::uint8_t status, std::string errorText) {
  initialiseStatus_ = status;
  initialiseError_ = std::move(errorText);
}

void SimRoute::RefuseExclusiveUse(const DriveAddress& address, std::string cause) {
  std::erase_if(exclusiveRefusals_, [&](const auto& refusal) { return refusal.first == address; });
  if (!cause.empty()) exclusiveRefusals_.emplace_back(address, std::move(cause));
}

ExclusiveUse SimRoute::ClaimExclusive(RouteDevice device, const DriveAddress& address) {
  if (style_ == Style::Aspi || DriveAt(device) == nullptr) return {};
  for (const auto& [refused, cause] : exclusiveRefusals_) {
    if (refused == address) return {true, cause, nullptr};
  }
  ++exclusiveClaims_;
  return {false, {}, std::make_unique<SimHold>(exclusiveHeld_)};
}

std::uint8_t SimRoute::Initialise() {
  ++initialisations_;
  if (!initialiseError_.empty()) ShowDeviceError(initialiseError_);
  libraryLoaded_ = initialiseStatus_ == 0;
  return initialiseStatus_;
}

SimDrive* SimRoute::DriveAt(RouteDevice device) const {
  if (device < 0 || static_cast<std::size_t>(device) >= slots_.size()) return nullptr;
  return slots_[static_cast<std::size_t>(device)].drive;
}

RouteDevice SimRoute::Open(const DriveAddress& address) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].address == address && !slots_[i].drive->Gone()) {
      opened_.push_back(address);
      return static_cast<RouteDevice>(i);
    }
  }
  if (style_ == Style::Aspi) return kAbsentToken;
  ShowDeviceMessage(
      Format("Error opening: %d, Drive: sim:%c", static_cast<int>(kErrorNoDevice), address.letter));
  return kNoDevice;
}

RouteOutcome SimRoute::Execute(RouteDevice device, const DriveAddress&, const RouteCommand& command) {
  timeouts_.push_back(command.timeoutSeconds);
  RouteOutcome outcome;
  SimDrive* drive = DriveAt(device);
  if (drive == nullptr) {
    outcome.systemError = kErrorGone;
    outcome.deviceGone = true;
    return outcome;
  }
  const std::span<std::uint8_t> data(command.buffer, static_cast<std::size_t>(command.length));
  const Reply answer = drive->Execute(command.cdb, command.dataIn, data);
  switch (answer.transport) {
    case Transport::Completed:
      break;
    case Transport::Failed:
      outcome.systemError = kErrorTransport;
      return outcome;
    case Transport::TimedOut:
      outcome.systemError = kErrorTimeout;
      return outcome;
    case Transport::Gone:
      outcome.systemError = kErrorGone;
      outcome.deviceGone = true;
      return outcome;
  }
  outcome.delivered = true;
  // The time the host waited: a late answer took the whole timeout.
  if (answer.late) outcome.elapsedMs = std::uint32_t{command.timeoutSeconds} * 1000U;
  // Sense data comes with CHECK CONDITION, or with whatever a fault chose;
  // BUSY and the like leave it zero.
  if (answer.status == kStatusCheckCondition || answer.sense != kGood) PutFixedSense(outcome.sense, answer.sense);
  if (style_ == Style::Aspi) {
    // The layer tells the target status only as SS_COMP or SS_ERR, and
    // nothing of the bytes moved.
    outcome.completionStatus = answer.status == kStatusGood ? kAspiComplete : kAspiError;
    outcome.succeeded = outcome.completionStatus == kAspiComplete && answer.sense.key == 0;
    outcome.result = command.length;
  } else {
    // The driver hands back the SCSI status and the bytes that moved; the
    // success rule looks at the sense key only, so a BUSY status or a short
    // data-in transfer still counts as a success here.
    outcome.completionStatus = answer.status;
    outcome.residual = command.length - std::clamp(answer.transferred, 0, command.length);
    outcome.succeeded = PassThroughSuccess(answer, command, outcome.residual);
    outcome.result = 1;
  }
  return outcome;
}

void SimRoute::CloseDevice(RouteDevice device) {
  if (style_ == Style::PassThrough && DriveAt(device) != nullptr) {
    closed_.push_back(slots_[static_cast<std::size_t>(device)].address);
  }
}

bool SimRoute::Release(RouteDevice device, bool noDeviceOpen) {
  if (style_ == Style::Aspi) {
    // Only an object that opened counts down; the library goes with a
    // destruction that finds no device open.
    if (device != kNoDevice) return true;
    if (noDeviceOpen && libraryLoaded_) {
      ++libraryReleases_;
      libraryLoaded_ = false;
    }
    return false;
  }
  if (device == kNoDevice) return false;
  CloseDevice(device);
  return true;
}

}  // namespace cdflash::sim
