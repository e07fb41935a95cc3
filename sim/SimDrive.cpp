#include "SimDrive.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

namespace cdflash::sim {

namespace {

Reply Refused(Sense sense) { return {Transport::Completed, kStatusCheckCondition, sense, 0}; }
Reply Good(std::int32_t transferred = 0) {
  return {Transport::Completed, kStatusGood, kGood, transferred};
}

// Copies `text` into `field`, padded with blanks or zero bytes.
void PutField(std::span<std::uint8_t> field, const std::string& text, bool zeroPadded) {
  std::fill(field.begin(), field.end(), zeroPadded ? 0 : ' ');
  std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

// The bytes a ShortTransfer fault lets through of a `size`-byte transfer.
std::size_t ShortLength(const Fault& fault, std::size_t size) {
  return fault.count == Fault::kHalf ? size / 2 : std::min(fault.count, size);
}

// The byte arrays of drives that are gone, for the next drives. Tests make
// drives by the thousand, each with some 2 MiB of memory; fresh memory costs
// a page fault per page under Wine's heap and the sanitizers' allocator,
// which then takes most of a test's time. Never destroyed: a drive may
// outlive every other static object.
class SpareBytes {
 public:
  static SpareBytes& Pool() {
    static auto* pool = new SpareBytes;
    return *pool;
  }

  std::vector<std::uint8_t> Take(std::size_t size, std::uint8_t fill) {
    std::vector<std::uint8_t> bytes;
    {
      const std::lock_guard lock(mutex_);
      const auto fits = std::find_if(spare_.begin(), spare_.end(),
                                     [size](const auto& spare) { return spare.capacity() >= size; });
      if (fits != spare_.end()) {
        bytes = std::move(*fits);
        spare_.erase(fits);
      }
    }
    bytes.assign(size, fill);
    return bytes;
  }

  void Give(std::vector<std::uint8_t>& bytes) {
    if (bytes.capacity() == 0) return;  // moved from
    const std::lock_guard lock(mutex_);
    if (spare_.size() < kKept) spare_.push_back(std::move(bytes));
  }

 private:
  static constexpr std::size_t kKept = 16;
  std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> spare_;
};

}  // namespace

SimDrive::SimDrive(DriveConfig config)
    : config_(std::move(config)),
      revision_(config_.revision),
      dram_(SpareBytes::Pool().Take(kDramSize, 0)),
      written_(SpareBytes::Pool().Take(kDramSize, 0)),
      readBack_(SpareBytes::Pool().Take(kDramSize, 0)),
      flash_(SpareBytes::Pool().Take(kImageAreaSize, 0xFF)) {
  // The factory firmware carries its revision where every image does.
  std::copy_n(revision_.begin(), std::min<std::size_t>(revision_.size(), 4),
              flash_.begin() + kRevisionOffset);
  if (config_.mediumScript.empty()) config_.mediumScript.push_back(kNoMedium);
}

SimDrive::~SimDrive() {
  for (auto* bytes : {&dram_, &written_, &readBack_, &flash_}) SpareBytes::Pool().Give(*bytes);
}

void SimDrive::SetMediumScript(std::vector<Sense> script) {
  config_.mediumScript = script.empty() ? std::vector<Sense>{kNoMedium} : std::move(script);
  mediumStep_ = 0;
}

Reply SimDrive::Execute(const std::array<std::uint8_t, 12>& cdb, bool dataIn,
                         std::span<std::uint8_t> data) {
  const Command command{nextIndex_++, cdb, dataIn, static_cast<std::int32_t>(data.size())};
  Reply answer;
  std::optional<Fault> fault;
  if (gone_) {
    answer.transport = Transport::Gone;
  } else if ((fault = faults_.Take(command))) {
    switch (fault->kind) {
      case Fault::Kind::CheckCondition:
        answer = Refused(fault->sense);
        break;
      case Fault::Kind::Busy:
        answer = {Transport::Completed, kStatusBusy, kGood, 0};
        break;
      case Fault::Kind::TransportFailure:
      case Fault::Kind::Timeout:
        // Whatever the drive did, the host never learns of it: nothing it
        // may have read counts as received.
        if (fault->executed) Run(command, data);
        answer = Reply{};
        answer.transport = fault->kind == Fault::Kind::Timeout ? Transport::TimedOut
                                                                : Transport::Failed;
        break;
      case Fault::Kind::CorruptReadBack:
        answer = Run(command, data);
        break;
      case Fault::Kind::ShortTransfer:
        answer = Run(command, dataIn ? data.first(ShortLength(*fault, data.size())) : data);
        break;
      case Fault::Kind::GoodWithSense:
        answer = {Transport::Completed, kStatusGood, fault->sense, 0};
        break;
      case Fault::Kind::AnsweredLate:
        answer = Run(command, data);
        answer.late = true;
        break;
      case Fault::Kind::DeviceGone:
        gone_ = true;
        answer.transport = Transport::Gone;
        break;
    }
  } else {
    answer = Run(command, data);
  }
  if (answer.transport == Transport::Completed && !answer.late) Received(command, answer);
  if (fault && fault->kind == Fault::Kind::CorruptReadBack) Corrupt(command, answer, data, *fault);
  log_.push_back({command, answer});
  return answer;
}

Reply SimDrive::Run(const Command& command, std::span<std::uint8_t> data) {
  switch (command.cdb[0]) {
    case kOpTestUnitReady:
      return TestUnitReady();
    case kOpInquiry:
      return Inquiry(command, data);
    case kOpStartStopUnit:
    case kOpStopPlayScan:
      return Good();
    case kOpWriteBuffer:
      return WriteBuffer(command, data);
    case kOpReadBuffer:
      return ReadBuffer(command, data);
    case kOpVendor:
      return Vendor(command, data);
    default:
      return Refused(kInvalidOpcode);
  }
}

Reply SimDrive::TestUnitReady() {
  const Sense sense = config_.mediumScript[mediumStep_];
  if (mediumStep_ + 1 < config_.mediumScript.size()) ++mediumStep_;
  return sense == kGood ? Good() : Refused(sense);
}

Reply SimDrive::Inquiry(const Command& command, std::span<std::uint8_t> data) const {
  const auto& cdb = command.cdb;
  if ((cdb[1] & 0x01) != 0 || cdb[2] != 0) return Refused(kInvalidField);  // no VPD pages
  if (!command.dataIn && !data.empty()) return Refused(kInvalidField);
  std::vector<std::uint8_t> answer(std::max<std::size_t>(config_.inquiryLength, 36), 0);
  answer[0] = 0x05;  // CD/DVD device
  answer[1] = 0x80;  // removable medium
  answer[3] = 0x02;  // response data format
  answer[4] = static_cast<std::uint8_t>(std::min<std::size_t>(answer.size() - 5, 0xFF));
  PutField(std::span(answer).subspan(8, 8), config_.vendor, config_.zeroPadded);
  PutField(std::span(answer).subspan(16, 16), config_.product, config_.zeroPadded);
  PutField(std::span(answer).subspan(32, 4), revision_, config_.zeroPadded);
  answer.resize(config_.inquiryLength);
  const std::size_t allocation = (std::size_t{cdb[3]} << 8) | cdb[4];
  const std::size_t n = std::min({allocation, answer.size(), data.size()});
  std::copy_n(answer.begin(), n, data.begin());
  return Good(static_cast<std::int32_t>(n));
}

Reply SimDrive::WriteBuffer(const Command& command, std::span<std::uint8_t> data) {
  const auto& cdb = command.cdb;
  if ((cdb[1] & 0x1F) != kWriteBufferMode || cdb[2] != kBufferId) return Refused(kInvalidField);
  const std::uint32_t offset = BufferOffset(cdb);
  const std::uint32_t length = BufferLength(cdb);
  const std::uint8_t control = cdb[9];

  if (length == 0) {
    if (control == kControlData) return Good();
    if (offset != 0) return Refused(kInvalidField);
    if (control == kControlCritical) {
      critical_ = true;
      return Good();
    }
    if (control == kControlCommit || control == kControlCommitAll) {
      if (!critical_) return Refused(kSequenceError);
      Commit(control);
      return Good();
    }
    return Refused(kInvalidField);
  }

  if (control != kControlData && control != kControlCritical) return Refused(kInvalidField);
  if (command.dataIn || data.size() != length) return Refused(kInvalidField);
  if (offset > kDramSize || length > kDramSize - offset) return Refused(kInvalidField);
  std::copy(data.begin(), data.end(), dram_.begin() + offset);
  std::fill_n(written_.begin() + offset, length, std::uint8_t{1});
  std::fill_n(readBack_.begin() + offset, length, std::uint8_t{0});
  if (offset < kImageAreaSize) imageExtent_ = std::max(imageExtent_, std::min(offset + length, kImageAreaSize));
  if (offset + length > kProfileOffset) {
    profileExtent_ = std::max(profileExtent_, offset + length - kProfileOffset);
  }
  return Good(static_cast<std::int32_t>(length));
}

Reply SimDrive::ReadBuffer(const Command& command, std::span<std::uint8_t> data) {
  const auto& cdb = command.cdb;
  if ((cdb[1] & 0x1F) != kReadBufferMode || cdb[2] != kBufferId) return Refused(kInvalidField);
  const std::uint32_t offset = BufferOffset(cdb);
  const std::uint32_t length = BufferLength(cdb);
  if (!command.dataIn && !data.empty()) return Refused(kInvalidField);
  if (offset > kDramSize || length > kDramSize - offset) return Refused(kInvalidField);
  const std::size_t n = std::min<std::size_t>(length, data.size());
  std::copy_n(dram_.begin() + offset, n, data.begin());
  return Good(static_cast<std::int32_t>(n));
}

Reply SimDrive::Vendor(const Command& command, std::span<std::uint8_t> data) {
  const auto& cdb = command.cdb;
  switch (cdb[1]) {
    case kVendorWriteE2:
      eeprom_[static_cast<std::uint16_t>((cdb[7] << 8) | cdb[8])] = cdb[9];
      return Good();
    case kVendorFlashId: {
      if (!command.dataIn && !data.empty()) return Refused(kInvalidField);
      std::array<std::uint8_t, kFlashIdAnswerLength> answer{};
      answer[0] = config_.flashId[0];
      answer[1] = config_.flashId[1];
      const std::size_t n = std::min(answer.size(), data.size());
      std::copy_n(answer.begin(), n, data.begin());
      return Good(static_cast<std::int32_t>(n));
    }
    default:
      return Refused(kInvalidField);
  }
}

void SimDrive::Commit(std::uint8_t control) {
  // Bricked: some programmed byte was never written, or not read back
  // unaltered since it was; the flash is programmed with the profile the
  // drive holds, so an unverified profile byte bricks it as well.
  const std::uint8_t* profileReadBack = readBack_.data() + kProfileOffset;
  const bool bricked = std::memchr(written_.data(), 0, imageExtent_) != nullptr ||
                       std::memchr(readBack_.data(), 0, imageExtent_) != nullptr ||
                       std::memchr(profileReadBack, 0, profileExtent_) != nullptr;
  const CommitRecord record{control, imageExtent_, bricked};
  std::copy_n(dram_.begin(), imageExtent_, flash_.begin());
  if (imageExtent_ >= kRevisionOffset + 4) {
    revision_.assign(flash_.begin() + kRevisionOffset, flash_.begin() + kRevisionOffset + 4);
  }
  commits_.push_back(record);
  // The drive restarts on its new firmware: the download is over.
  critical_ = false;
  imageExtent_ = 0;
  profileExtent_ = 0;
  std::fill(written_.begin(), written_.end(), std::uint8_t{0});
  std::fill(readBack_.begin(), readBack_.end(), std::uint8_t{0});
}

void SimDrive::Received(const Command& command, const Reply& answer) {
  if (command.cdb[0] != kOpReadBuffer || answer.status != kStatusGood) return;
  // Only the bytes that reached the host are read back.
  std::fill_n(readBack_.begin() + BufferOffset(command.cdb), answer.transferred, std::uint8_t{1});
}

void SimDrive::Corrupt(const Command& command, const Reply& answer, std::span<std::uint8_t> data,
                       const Fault& fault) {
  if (answer.transport != Transport::Completed || answer.late || !command.dataIn) return;
  const auto moved = static_cast<std::size_t>(answer.transferred);
  if (moved == 0) return;
  const std::size_t first = fault.offset == Fault::kMiddleByte ? moved / 2
                            : fault.offset == Fault::kLastByte ? moved - 1
                                                               : fault.offset;
  const std::size_t end = std::min(moved, first + std::min(fault.count, moved));
  for (std::size_t i = first; i < end; ++i) {
    data[i] = static_cast<std::uint8_t>(~data[i]);
    // What the host saw was not what the drive holds: not verified.
    if (command.cdb[0] == kOpReadBuffer) {
      const std::size_t at = BufferOffset(command.cdb) + i;
      readBack_[at] = 0;
    }
  }
}

bool SimDrive::Bricked() const {
  return std::any_of(commits_.begin(), commits_.end(), [](const CommitRecord& c) { return c.bricked; });
}

}  // namespace cdflash::sim
