#pragma once
// A model of a CD-RW drive as the flasher sees it: INQUIRY identity, a medium
// that a TEST UNIT READY script describes, a DRAM buffer that WRITE BUFFER
// fills and READ BUFFER reads, the flash-ID answer, an EEPROM map, the
// flash-critical state and a commit that programs the flash from DRAM. It
// logs every command, takes planned faults, and judges every commit: a
// commit that programs bytes not read back unaltered since they were written
// leaves a bricked drive. See sim/README.md.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "SimCommands.h"
#include "SimFaults.h"
#include "SimTypes.h"

namespace cdflash::sim {

inline constexpr std::uint32_t kImageAreaSize = 0x80000;  // image bytes, also the flash size
inline constexpr std::uint32_t kProfileOffset = 0x80000;  // the flash profile follows the image
inline constexpr std::uint32_t kProfileAreaSize = 0x400;
inline constexpr std::uint32_t kDramSize = kProfileOffset + kProfileAreaSize;
inline constexpr std::uint32_t kRevisionOffset = 0xFFF0;  // 4 revision bytes in the image
inline constexpr std::int32_t kFlashIdAnswerLength = 128;

struct DriveConfig {
  std::string vendor = "CDFLASH";
  std::string product = "SIMULATED CD-RW";
  std::string revision = "1.00";
  std::size_t inquiryLength = 36;  // bytes of the INQUIRY answer (shorter cuts the identity)
  bool zeroPadded = false;         // pad vendor/product/revision with zero bytes, not blanks
  std::array<std::uint8_t, 2> flashId{0xDA, 0xC8};
  // TEST UNIT READY answers, one per command; the last one repeats.
  std::vector<Sense> mediumScript{kNoMedium};
};

// A drive of the default kind that names itself with these texts.
inline DriveConfig DriveWithIdentity(std::string vendor, std::string product, std::string revision) {
  DriveConfig config;
  config.vendor = std::move(vendor);
  config.product = std::move(product);
  config.revision = std::move(revision);
  return config;
}

struct CommitRecord {
  std::uint8_t control = 0;
  std::uint32_t programmed = 0;  // image bytes programmed into the flash
  bool bricked = false;          // some of them had not been read back as written
};

class SimDrive {
 public:
  explicit SimDrive(DriveConfig config = {});
  ~SimDrive();
  SimDrive(SimDrive&&) = default;
  SimDrive& operator=(SimDrive&&) = default;

  // Runs one command. `data` is the host's buffer for the data phase; its
  // size is the transfer length.
  Reply Execute(const std::array<std::uint8_t, 12>& cdb, bool dataIn, std::span<std::uint8_t> data);

  // Faults.
  void InjectAt(std::size_t commandIndex, Fault fault) { faults_.Add(AtIndex(commandIndex), fault); }
  void InjectWhen(CommandPredicate matches, Fault fault, int times = 1) {
    faults_.Add(std::move(matches), fault, times);
  }
  FaultPlan& Faults() { return faults_; }
  void SetMediumScript(std::vector<Sense> script);
  void Unplug() { gone_ = true; }
  bool Gone() const { return gone_; }

  // What the drive holds.
  const DriveConfig& Config() const { return config_; }
  const std::string& Revision() const { return revision_; }
  std::span<const std::uint8_t> Dram() const { return dram_; }
  std::span<const std::uint8_t> Flash() const { return flash_; }
  const std::map<std::uint16_t, std::uint8_t>& Eeprom() const { return eeprom_; }
  bool InCriticalState() const { return critical_; }
  const std::vector<CommitRecord>& Commits() const { return commits_; }
  bool Bricked() const;

  const std::vector<LogEntry>& Log() const { return log_; }
  std::size_t CommandCount() const { return nextIndex_; }

 private:

  Reply Run(const Command& command, std::span<std::uint8_t> data);
  Reply TestUnitReady();
  Reply Inquiry(const Command& command, std::span<std::uint8_t> data) const;
  Reply WriteBuffer(const Command& command, std::span<std::uint8_t> data);
  Reply ReadBuffer(const Command& command, std::span<std::uint8_t> data);
  Reply Vendor(const Command& command, std::span<std::uint8_t> data);
  void Commit(std::uint8_t control);
  // Bookkeeping of a command whose answer reached the host.
  void Received(const Command& command, const Reply& answer);
  void Corrupt(const Command& command, const Reply& answer, std::span<std::uint8_t> data,
               const Fault& fault);

  DriveConfig config_;
  std::string revision_;
  std::vector<std::uint8_t> dram_;
  // Per DRAM byte: written since the last commit, and read back unaltered
  // since it was written (a byte is verified when both are 1). Two byte
  // maps, so that every update is a fill over a range.
  std::vector<std::uint8_t> written_;
  std::vector<std::uint8_t> readBack_;
  std::uint32_t imageExtent_ = 0;  // end of the highest image write since the last commit
  std::uint32_t profileExtent_ = 0;  // likewise in the profile area, from its start
  std::vector<std::uint8_t> flash_;
  std::map<std::uint16_t, std::uint8_t> eeprom_;
  bool critical_ = false;
  std::vector<CommitRecord> commits_;
  std::size_t mediumStep_ = 0;
  bool gone_ = false;
  FaultPlan faults_;
  std::vector<LogEntry> log_;
  std::size_t nextIndex_ = 0;
};

}  // namespace cdflash::sim
