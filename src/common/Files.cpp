#include "common/Files.h"

#include <algorithm>

namespace cdflash {

FileBytes ReadFileBytes(const std::string& path, std::size_t limit) {
  FileBytes file;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) return file;
  constexpr std::size_t kChunk = 64 * 1024;
  while (file.bytes.size() <= limit) {
    const std::size_t at = file.bytes.size();
    const std::size_t want = std::min(kChunk, limit + 1 - at);
    file.bytes.resize(at + want);
    const std::size_t got = std::fread(file.bytes.data() + at, 1, want, in.get());
    file.bytes.resize(at + got);
    if (std::ferror(in.get())) {
      file.status = FileBytes::Status::ReadError;
      return file;
    }
    if (got < want) break;  // the end of the file
  }
  file.status = FileBytes::Status::Read;
  return file;
}

OutputFile::OutputFile(const std::string& path) : owner_(std::fopen(path.c_str(), "wb")) {
  file_ = owner_.get();
}

void OutputFile::Write(const std::uint8_t* data, std::size_t length) {
  if (file_ == nullptr || length == 0) return;
  if (std::fwrite(data, 1, length, file_) != length) failed_ = true;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
  file_ = nullptr;
  const bool closed = std::fclose(owner_.release()) == 0;
  return !failed_ && flushed && closed;
}

}  // namespace cdflash
