// Linux keeps them under /run, root's tmpfs: empty again after a restart.

#include <sys/stat.h>

#include "system/UnansweredCommits.h"

namespace cdflash {
namespace {

// Whatever the umask, the folder and its files are readable by every user,
// so that a process without rights sees the refusal too.
class RunFolder final : public IUnansweredCommits {
 public:
  std::optional<std::string> Find(const std::string& device) const override { return folder_.Find(device); }
  bool Keep(const std::string& device, const std::string& identity, std::string& problem) override {
    if (!folder_.Keep(device, identity, problem)) return false;
    chmod(kFolder, 0755);
    chmod(folder_.FileOf(device).c_str(), 0644);
    return true;
  }

 private:
  static constexpr const char* kFolder = "/run/cdflash";
  FolderUnansweredCommits folder_{kFolder};
};

}  // namespace

IUnansweredCommits* SystemUnansweredCommits() {
  static RunFolder kept;
  return &kept;
}

}  // namespace cdflash
