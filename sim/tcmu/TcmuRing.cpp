#include "TcmuRing.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "TcmuAbi.h"

namespace cdflash::tcmu {

namespace {

// How many CDB bytes the target core copies into the ring: by opcode group,
// so vendor opcodes (C0h-FFh) arrive as 10 bytes.
std::size_t CdbLength(std::uint8_t opcode) {
  static constexpr std::size_t kByGroup[8] = {6, 10, 10, 12, 16, 12, 10, 10};
  return kByGroup[opcode >> 5];
}

}  // namespace

std::size_t RingCommand::DataLength() const {
  std::size_t total = 0;
  for (const auto& buffer : buffers) total += buffer.second;
  return total;
}

bool TcmuRing::Open(const std::string& uioName, std::string& error) {
  std::ifstream sizeFile("/sys/class/uio/" + uioName + "/maps/map0/size");
  std::string text;
  if (!(sizeFile >> text)) {
    error = "no map size for " + uioName;
    return false;
  }
  size_ = std::stoul(text, nullptr, 0);
  fd_ = ::open(("/dev/" + uioName).c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) {
    error = "cannot open /dev/" + uioName + ": " + std::strerror(errno);
    return false;
  }
  void* map = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (map == MAP_FAILED) {
    error = "cannot map /dev/" + uioName + ": " + std::strerror(errno);
    return false;
  }
  base_ = static_cast<std::uint8_t*>(map);
  readCursor_ = tcmu_abi_cmd_tail(base_);
  return true;
}

TcmuRing::~TcmuRing() {
  if (base_ != nullptr) ::munmap(base_, size_);
  if (fd_ >= 0) ::close(fd_);
}

bool TcmuRing::Wait() {
  std::uint32_t events = 0;
  const ssize_t n = ::read(fd_, &events, sizeof events);
  return n == static_cast<ssize_t>(sizeof events) || (n < 0 && errno == EINTR);
}

void TcmuRing::Take(std::vector<RingCommand>& commands, std::vector<RingTaskManagement>& tasks) {
  const std::uint32_t head = tcmu_abi_cmd_head(base_);
  const std::uint32_t ringSize = tcmu_abi_cmdr_size(base_);
  while (readCursor_ != head) {
    const void* entry = At(tcmu_abi_cmdr_off(base_) + readCursor_);
    switch (tcmu_abi_op(entry)) {
      case kAbiOpCmd: {
        RingCommand command;
        command.id = tcmu_abi_id(entry);
        const std::uint8_t* cdb = At(tcmu_abi_cdb_offset(entry));
        command.cdb.assign(cdb, cdb + CdbLength(cdb[0]));
        for (std::uint32_t i = 0; i < tcmu_abi_buffer_count(entry); ++i) {
          std::uint64_t offset = 0;
          std::size_t length = 0;
          tcmu_abi_buffer(entry, i, &offset, &length);
          command.buffers.emplace_back(offset, length);
        }
        commands.push_back(std::move(command));
        break;
      }
      case kAbiOpTmr: {
        RingTaskManagement task{tcmu_abi_task_type(entry), {}};
        for (std::uint32_t i = 0; i < tcmu_abi_task_count(entry); ++i) {
          task.ids.push_back(tcmu_abi_task_id(entry, i));
        }
        tasks.push_back(std::move(task));
        break;
      }
      default:
        break;  // padding at the ring's end
    }
    readCursor_ = (readCursor_ + tcmu_abi_length(entry)) % ringSize;
  }
  SkipUnanswerable();
}

void TcmuRing::SkipUnanswerable() {
  std::uint32_t tail = tcmu_abi_cmd_tail(base_);
  while (tail != readCursor_) {
    const void* entry = At(tcmu_abi_cmdr_off(base_) + tail);
    if (tcmu_abi_op(entry) == kAbiOpCmd) break;
    tail = (tail + tcmu_abi_length(entry)) % tcmu_abi_cmdr_size(base_);
  }
  tcmu_abi_set_cmd_tail(base_, tail);
}

void TcmuRing::CopyOut(const RingCommand& command, std::span<std::uint8_t> into) const {
  std::size_t at = 0;
  for (const auto& [offset, length] : command.buffers) {
    const std::size_t n = std::min(length, into.size() - at);
    std::memcpy(into.data() + at, At(offset), n);
    at += n;
  }
}

void TcmuRing::CopyIn(const RingCommand& command, std::span<const std::uint8_t> from) {
  std::size_t at = 0;
  for (const auto& [offset, length] : command.buffers) {
    const std::size_t n = std::min(length, from.size() - at);
    std::memcpy(At(offset), from.data() + at, n);
    at += n;
  }
}

void TcmuRing::Answer(std::uint16_t id, const RingAnswer& answer) {
  SkipUnanswerable();
  const std::uint32_t tail = tcmu_abi_cmd_tail(base_);
  void* entry = At(tcmu_abi_cmdr_off(base_) + tail);
  // Every entry before the read cursor has been taken, so the tail entry is
  // free to carry this answer, whichever command it first brought.
  const bool withLength = answer.readLength && tcmu_abi_reports_read_length(base_) != 0;
  tcmu_abi_answer(entry, id, answer.status, answer.sense.data(), answer.sense.size(),
                  withLength ? static_cast<std::int64_t>(*answer.readLength) : -1);
  tcmu_abi_set_cmd_tail(base_, (tail + tcmu_abi_length(entry)) % tcmu_abi_cmdr_size(base_));
}

void TcmuRing::Notify() {
  const std::uint32_t one = 1;
  if (::write(fd_, &one, sizeof one) < 0) {
    // The kernel reads the tail on its next pass anyway.
  }
}

}  // namespace cdflash::tcmu
