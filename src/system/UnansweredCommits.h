#pragma once
// The drives whose commit never answered, kept for every process until the
// computer restarts: such a drive may still be programming its flash, and a
// command from any program could ruin it, so none is sent to it, INQUIRY
// included, until then. Each is keyed by the drive's device (/dev/sr0,
// \\.\D:, or its address where it has no device) and keeps the drive's
// identity for the message that names it.

#include <optional>
#include <string>

namespace cdflash {

class IUnansweredCommits {
 public:
  virtual ~IUnansweredCommits() = default;

  /// The identity kept for `device`; none when no commit to it is pending.
  virtual std::optional<std::string> Find(const std::string& device) const = 0;
  /// Keeps `identity` for `device` until the computer restarts; false with
  /// `problem` set when it cannot be kept.
  virtual bool Keep(const std::string& device, const std::string& identity, std::string& problem) = 0;
};

// One small file per device in `folder`, the device's name spelled into
// the file's name so that no name can reach outside the folder. The folder
// is made when the first drive is kept, readable by everyone: a process
// without rights must see the refusal too.
class FolderUnansweredCommits final : public IUnansweredCommits {
 public:
  explicit FolderUnansweredCommits(std::string folder) : folder_(std::move(folder)) {}

  std::optional<std::string> Find(const std::string& device) const override;
  bool Keep(const std::string& device, const std::string& identity, std::string& problem) override;

  // The file that keeps `device`.
  std::string FileOf(const std::string& device) const;

 private:
  std::string folder_;
};

/// This system's, where it keeps one across restarts of the program but not
/// of the computer (Linux: /run/cdflash, root's tmpfs; Windows NT: a
/// volatile registry key); null where it has no such place (Windows 9x), so
/// the refusal lasts as long as the process.
IUnansweredCommits* SystemUnansweredCommits();

}  // namespace cdflash
