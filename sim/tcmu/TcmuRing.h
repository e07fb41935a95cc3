#pragma once
// The command ring that the kernel's TCM-User backstore shares with its
// userspace handler through /dev/uioN: commands are read in the order the
// kernel queued them, and may be answered in any order (an answer goes into
// the entry at the tail, as the kernel reads answers by command id).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cdflash::tcmu {

struct RingCommand {
  std::uint16_t id = 0;
  std::vector<std::uint8_t> cdb;
  // The data phase's buffers: offsets into the shared map, and their sizes.
  std::vector<std::pair<std::uint64_t, std::size_t>> buffers;
  std::size_t DataLength() const;
};

// Task management: the commands it names are to be answered at once.
struct RingTaskManagement {
  std::uint8_t type = 0;
  std::vector<std::uint16_t> ids;
};

struct RingAnswer {
  std::uint8_t status = 0;
  std::vector<std::uint8_t> sense;  // fixed-format sense bytes; empty for none
  std::optional<std::uint32_t> readLength;  // data-in bytes moved, when fewer were asked
};

class TcmuRing {
 public:
  // Opens /dev/uioN and maps its ring; `error` says why not.
  bool Open(const std::string& uioName, std::string& error);
  ~TcmuRing();

  // Blocks until the kernel signals new entries.
  bool Wait();
  // Entries queued since the last call, in queue order.
  void Take(std::vector<RingCommand>& commands, std::vector<RingTaskManagement>& tasks);

  void CopyOut(const RingCommand& command, std::span<std::uint8_t> into) const;
  void CopyIn(const RingCommand& command, std::span<const std::uint8_t> from);
  void Answer(std::uint16_t id, const RingAnswer& answer);
  // Tells the kernel that answers are waiting.
  void Notify();

 private:
  std::uint8_t* At(std::uint64_t offset) const { return base_ + offset; }
  void SkipUnanswerable();

  int fd_ = -1;
  std::uint8_t* base_ = nullptr;
  std::size_t size_ = 0;
  std::uint32_t readCursor_ = 0;
};

}  // namespace cdflash::tcmu
