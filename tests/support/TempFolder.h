#pragma once
// A folder of the test's own under the system's temporary folder, removed
// with everything in it when the object goes. Its name is unique, so that
// tests that ctest runs side by side never share one.

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace cdflash::test {

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "cdflash-test")
      : path_(std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(std::random_device{}()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }
  const std::filesystem::path& FsPath() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace cdflash::test
